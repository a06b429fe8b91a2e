#include "lib/Z5RingListUnit.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<void*> Enumerate(TZ5RingList& list) {
    std::vector<void*> items;
    const auto e = list.GetEnumerator();
    while (e->MoveNext())
        items.push_back(e->GetCurrent());
    return items;
}

struct TCounted {
    static inline int Released = 0;
    ~TCounted() { ++Released; }
};

} // namespace

TEST(RingList, AddGoesToTheTailAndInsertToTheHead) {
    int a = 0, b = 0, c = 0, d = 0;
    TZ5RingList list;
    EXPECT_TRUE(Enumerate(list).empty());
    list.Add(&a);
    TZ5RingNode* nodeB = list.Add(&b);
    list.Insert(&c);
    EXPECT_EQ(Enumerate(list), (std::vector<void*>{&c, &a, &b}));
    EXPECT_EQ(list.Count(), 3);

    list.Remove(nodeB);
    list.Add(&d);
    EXPECT_EQ(Enumerate(list), (std::vector<void*>{&c, &a, &d}));

    const auto e = list.GetEnumerator(); // past the end it stops once, then starts over
    for (int i = 0; i < 3; ++i)
        e->MoveNext();
    EXPECT_FALSE(e->MoveNext());
    EXPECT_TRUE(e->MoveNext());
    EXPECT_EQ(e->GetCurrent(), &c);
    e->Reset();
    EXPECT_TRUE(e->MoveNext());
    EXPECT_EQ(e->GetCurrent(), &c);

    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(Enumerate(list).empty());
}

TEST(RingList, ClearAndFreeMemReleasesEveryItemOnceAndPlainClearNone) {
    TCounted::Released = 0;
    TZ5RingList list;
    list.Clear();
    for (int i = 0; i < 3; ++i)
        list.Add(new TCounted);
    list.ClearAndFreeMem<TCounted>();
    EXPECT_EQ(TCounted::Released, 3);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(Enumerate(list).empty());

    TCounted kept;
    list.Insert(&kept);
    list.Clear();
    EXPECT_EQ(TCounted::Released, 3);
}
