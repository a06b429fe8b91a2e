#include "lib/Z5RingListUnit.h"

#include <cassert>

TZ5RingList::TZ5RingList() {
    Sentinel.Prev = Sentinel.Next = &Sentinel;
}

TZ5RingList::~TZ5RingList() {
    Clear();
}

TZ5RingNode* TZ5RingList::Add(void* item) {
    return Link(item, &Sentinel);
}

TZ5RingNode* TZ5RingList::Insert(void* item) {
    return Link(item, Sentinel.Next);
}

void TZ5RingList::Remove(TZ5RingNode* node) {
    assert(node != &Sentinel && Count_ > 0);
    node->Prev->Next = node->Next;
    node->Next->Prev = node->Prev;
    delete node;
    --Count_;
}

void TZ5RingList::Clear() {
    while (Count_ > 0)
        Remove(Sentinel.Next);
}

std::unique_ptr<IRingListEnumerator> TZ5RingList::GetEnumerator() {
    return std::make_unique<TZ5RingListEnumerator>(*this);
}

void TZ5RingList::InsertBefore(TZ5RingNode* position, TZ5RingNode* node) {
    node->Prev = position->Prev;
    node->Next = position;
    position->Prev->Next = node;
    position->Prev = node;
}

TZ5RingNode* TZ5RingList::Link(void* item, TZ5RingNode* position) {
    auto* node = new TZ5RingNode{item, nullptr, nullptr};
    InsertBefore(position, node);
    ++Count_;
    return node;
}

TZ5RingListEnumerator::TZ5RingListEnumerator(const TZ5RingList& list) : List(list), Current(list.Head()) {}

void TZ5RingListEnumerator::Reset() {
    Current = List.Head();
}

bool TZ5RingListEnumerator::MoveNext() {
    Current = Current->Next;
    return Current != List.Head();
}

void* TZ5RingListEnumerator::GetCurrent() const {
    return Current->Data;
}
