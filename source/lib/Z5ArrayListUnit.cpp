#include "lib/Z5ArrayListUnit.h"

#include <algorithm>

TZ5ArrayList::TZ5ArrayList(std::int32_t initialCapacity) {
    SetCapacity(std::max(initialCapacity, 0));
}

void TZ5ArrayList::Assign(const TZ5ArrayList& source) {
    Clear();
    Count_ = source.Count_;
    GrowBy_ = source.GrowBy_;
    Items = source.Items;
}

std::int32_t TZ5ArrayList::Add(TItem item) {
    if (Capacity() <= Count_)
        SetCapacity(Capacity() + GrowBy_);
    Items[Count_] = item;
    return Count_++;
}

void TZ5ArrayList::Insert(std::int32_t index, TItem item) {
    index = std::clamp(index, 0, Count_);
    Add(item);
    for (std::int32_t i = Count_ - 2; i >= index; --i)
        Items[i + 1] = Items[i];
    Items[index] = item;
}

void TZ5ArrayList::AddFirst(TItem item) {
    Insert(0, item);
}

void TZ5ArrayList::ClearCount() {
    Count_ = 0;
}

void TZ5ArrayList::Clear() {
    ClearCount();
    std::vector<TItem>().swap(Items);
}

void TZ5ArrayList::Exchange(std::int32_t indexA, std::int32_t indexB) {
    if (InRange(indexA) && InRange(indexB))
        std::swap(Items[indexA], Items[indexB]);
}

void TZ5ArrayList::Move(std::int32_t toIndex, std::int32_t fromIndex) {
    if (!InRange(toIndex) || !InRange(fromIndex) || toIndex == fromIndex)
        return;
    TItem item = Items[fromIndex];
    Delete(fromIndex);
    Insert(toIndex, item);
}

void TZ5ArrayList::Delete(std::int32_t index) {
    if (!InRange(index))
        return;
    std::copy(Items.begin() + index + 1, Items.begin() + Count_, Items.begin() + index);
    Items[Count_ - 1] = nullptr;
    --Count_;
}

std::int32_t TZ5ArrayList::FindIndex(const TPredicate& predicate) const {
    for (std::int32_t i = 0; i < Count_; ++i)
        if (predicate(Items[i]))
            return i;
    return -1;
}

std::unique_ptr<TZ5ArrayList> TZ5ArrayList::Clone() const {
    auto copy = std::make_unique<TZ5ArrayList>(0);
    copy->Assign(*this);
    return copy;
}

TZ5ArrayList::TItem TZ5ArrayList::GetItem(std::int32_t index) const {
    return InRange(index) ? Items[index] : nullptr;
}

// Shrinking below Count drops the items beyond the new end, so Count never
// exceeds Capacity.
void TZ5ArrayList::SetCapacity(std::int32_t newCapacity) {
    newCapacity = std::max(newCapacity, 0);
    Items.resize(newCapacity, nullptr);
    Count_ = std::min(Count_, newCapacity);
}
