#pragma once
// The engine's growable array of pointer-sized items: an ordered list with a
// count, a capacity that grows in fixed steps, index-checked reads, insertion
// and removal with shifting. The list never owns what its items point to;
// callers that keep owned objects in it release them with FreeObjects.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TZ5ArrayList {
public:
    using TItem = void*;
    using TPredicate = std::function<bool(TItem)>;

    // Slots added when an append finds the storage full.
    static constexpr std::int32_t DefaultGrowBy = 64;

    explicit TZ5ArrayList(std::int32_t initialCapacity = 0);
    virtual ~TZ5ArrayList() = default;
    TZ5ArrayList(const TZ5ArrayList&) = delete;
    TZ5ArrayList& operator=(const TZ5ArrayList&) = delete;

    // Copies count, capacity, growth step and the item values (not what they point to).
    virtual void Assign(const TZ5ArrayList& source);
    virtual std::int32_t Add(TItem item);
    // The index is limited to 0..Count; the items from there on move up by one.
    virtual void Insert(std::int32_t index, TItem item);
    virtual void AddFirst(TItem item);
    // Count := 0; storage, capacity and slot values stay.
    virtual void ClearCount();
    // ClearCount and drop the storage.
    virtual void Clear();
    virtual void Exchange(std::int32_t indexA, std::int32_t indexB);
    virtual void Move(std::int32_t toIndex, std::int32_t fromIndex);
    virtual void Delete(std::int32_t index);
    // The first index whose item the predicate accepts, or -1.
    virtual std::int32_t FindIndex(const TPredicate& predicate) const;
    virtual std::unique_ptr<TZ5ArrayList> Clone() const;

    // Destroys every non-nil item among the first Count as a T, sets its slot
    // to nil, then ClearCount. Serves objects and records alike: a record's
    // destructor finalises its managed fields.
    template <typename T> void FreeObjects();

    // Nil for an index outside 0..Count-1.
    TItem GetItem(std::int32_t index) const;
    void SetCapacity(std::int32_t newCapacity);
    // No range check: callers pass indices below Count.
    bool IsNil(std::int32_t index) const { return Items[index] == nullptr; }

    std::int32_t Count() const { return Count_; }
    std::int32_t Capacity() const { return static_cast<std::int32_t>(Items.size()); }
    std::int32_t GrowBy() const { return GrowBy_; }

private:
    bool InRange(std::int32_t index) const { return index >= 0 && index < Count_; }

    std::int32_t Count_ = 0;
    std::int32_t GrowBy_ = DefaultGrowBy;
    std::vector<TItem> Items; // Capacity slots; new slots are nil
};

template <typename T> void TZ5ArrayList::FreeObjects() {
    for (std::int32_t i = 0; i < Count_; ++i) {
        delete static_cast<T*>(Items[i]);
        Items[i] = nullptr;
    }
    ClearCount();
}
