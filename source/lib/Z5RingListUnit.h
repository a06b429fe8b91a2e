#pragma once
// A doubly linked list of untyped items closed into a ring through a head node
// embedded in the list: adding at either end and removing a known node take
// constant time; nothing is searched. The list owns its nodes, not the items:
// only ClearAndFreeMem releases them.

#include <cstdint>
#include <memory>

struct TZ5RingNode {
    void* Data = nullptr;
    TZ5RingNode* Prev = nullptr;
    TZ5RingNode* Next = nullptr;
};

// Walks a list from before its first item. MoveNext past the last item stops
// on the head node (false); one more MoveNext starts the ring over.
class IRingListEnumerator {
public:
    virtual ~IRingListEnumerator() = default;
    virtual void Reset() = 0;
    virtual bool MoveNext() = 0;
    virtual void* GetCurrent() const = 0;
};

class IRingList {
public:
    virtual ~IRingList() = default;
    // A new enumerator standing before the first item; the list must outlive it.
    virtual std::unique_ptr<IRingListEnumerator> GetEnumerator() = 0;
};

class TZ5RingList : public IRingList {
public:
    TZ5RingList();
    ~TZ5RingList() override; // Clear: the items stay untouched
    TZ5RingList(const TZ5RingList&) = delete;
    TZ5RingList& operator=(const TZ5RingList&) = delete;

    // Links a new node holding `item` at the tail, or at the head.
    TZ5RingNode* Add(void* item);
    TZ5RingNode* Insert(void* item);
    // Unlinks `node`, a node of this list, and releases it; the item stays.
    void Remove(TZ5RingNode* node);

    // Removes every node; the items stay untouched.
    void Clear();
    // Removes every node and releases each item as the T it was made as
    // (`new T`); serves objects and plain records alike.
    template <typename T> void ClearAndFreeMem();

    std::int32_t Count() const { return Count_; }
    const TZ5RingNode* Head() const { return &Sentinel; }

    std::unique_ptr<IRingListEnumerator> GetEnumerator() override;

private:
    static void InsertBefore(TZ5RingNode* position, TZ5RingNode* node);
    TZ5RingNode* Link(void* item, TZ5RingNode* position);

    TZ5RingNode Sentinel; // its Data holds nothing; empty: Prev = Next = &Sentinel
    std::int32_t Count_ = 0;
};

class TZ5RingListEnumerator : public IRingListEnumerator {
public:
    explicit TZ5RingListEnumerator(const TZ5RingList& list);

    void Reset() override;
    bool MoveNext() override;
    void* GetCurrent() const override;

private:
    const TZ5RingList& List;
    const TZ5RingNode* Current;
};

template <typename T> void TZ5RingList::ClearAndFreeMem() {
    while (Count_ > 0) {
        delete static_cast<T*>(Sentinel.Next->Data);
        Remove(Sentinel.Next);
    }
}
