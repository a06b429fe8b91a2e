#include "lib/Z5ArrayListUnit.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TZ5ArrayList::TItem Item(std::uintptr_t value) {
    return reinterpret_cast<TZ5ArrayList::TItem>(value);
}

std::vector<std::uintptr_t> Contents(const TZ5ArrayList& list) {
    std::vector<std::uintptr_t> values;
    for (std::int32_t i = 0; i < list.Count(); ++i)
        values.push_back(reinterpret_cast<std::uintptr_t>(list.GetItem(i)));
    return values;
}

std::unique_ptr<TZ5ArrayList> MakeList(std::initializer_list<std::uintptr_t> values) {
    auto list = std::make_unique<TZ5ArrayList>(0);
    for (std::uintptr_t v : values)
        list->Add(Item(v));
    return list;
}

struct Counted {
    static inline int Destroyed = 0;
    ~Counted() { ++Destroyed; }
};

} // namespace

TEST(ArrayList, GrowsInStepsOf64AndNeverShrinksButOnClear) {
    TZ5ArrayList list(-5);
    EXPECT_EQ(list.Capacity(), 0);
    EXPECT_EQ(list.Add(Item(1)), 0);
    EXPECT_EQ(list.Capacity(), 64);
    for (std::uintptr_t i = 2; i <= 65; ++i)
        list.Add(Item(i));
    EXPECT_EQ(list.Count(), 65);
    EXPECT_EQ(list.Capacity(), 128);
    list.ClearCount();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 128);
    list.Clear();
    EXPECT_EQ(list.Capacity(), 0);
}

TEST(ArrayList, InsertClampsItsIndexAndShiftsUp) {
    const auto owner = MakeList({1, 2, 3});
    TZ5ArrayList& list = *owner;
    list.Insert(10, Item(4));
    EXPECT_EQ(Contents(list), (std::vector<std::uintptr_t>{1, 2, 3, 4}));
    list.Insert(-3, Item(0));
    list.Insert(2, Item(9));
    EXPECT_EQ(Contents(list), (std::vector<std::uintptr_t>{0, 1, 9, 2, 3, 4}));
    list.AddFirst(Item(7));
    EXPECT_EQ(Contents(list).front(), 7u);
}

TEST(ArrayList, MoveDeleteAndExchangeIgnoreBadIndices) {
    const auto owner = MakeList({10, 20, 30});
    TZ5ArrayList& list = *owner;
    list.Move(0, 2);
    EXPECT_EQ(Contents(list), (std::vector<std::uintptr_t>{30, 10, 20}));
    list.Move(0, 3);
    list.Exchange(-1, 0);
    list.Delete(3);
    EXPECT_EQ(Contents(list), (std::vector<std::uintptr_t>{30, 10, 20}));
    list.Exchange(0, 2);
    EXPECT_EQ(Contents(list), (std::vector<std::uintptr_t>{20, 10, 30}));

    const auto pairOwner = MakeList({1, 2});
    TZ5ArrayList& pair = *pairOwner;
    pair.Delete(0);
    EXPECT_EQ(Contents(pair), (std::vector<std::uintptr_t>{2}));
    EXPECT_TRUE(pair.IsNil(1)) << "the slot that fell free holds nil";
    EXPECT_EQ(pair.GetItem(-1), nullptr);
    EXPECT_EQ(pair.GetItem(pair.Count()), nullptr);
}

TEST(ArrayList, FindIndexAssignAndClone) {
    const auto owner = MakeList({5, 6, 7, 6});
    TZ5ArrayList& list = *owner;
    EXPECT_EQ(list.FindIndex([](TZ5ArrayList::TItem item) { return item == Item(6); }), 1);
    EXPECT_EQ(list.FindIndex([](TZ5ArrayList::TItem) { return false; }), -1);
    EXPECT_EQ(TZ5ArrayList(0).FindIndex([](TZ5ArrayList::TItem) { return true; }), -1);

    const auto copy = list.Clone();
    EXPECT_EQ(Contents(*copy), Contents(list));
    EXPECT_EQ(copy->Capacity(), list.Capacity());
    list.Delete(0);
    EXPECT_EQ(copy->Count(), 4) << "a clone has storage of its own";
}

TEST(ArrayList, FreeObjectsDestroysNonNilItemsAndEmptiesTheList) {
    Counted::Destroyed = 0;
    TZ5ArrayList list(0);
    list.Add(new Counted);
    list.Add(nullptr);
    list.Add(new Counted);
    list.FreeObjects<Counted>();
    EXPECT_EQ(Counted::Destroyed, 2);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 64);
    EXPECT_TRUE(list.IsNil(0) && list.IsNil(2));
}
