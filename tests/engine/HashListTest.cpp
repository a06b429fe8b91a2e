#include "lib/Z5CRCUnit.h"
#include "lib/Z5HashListUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

TEST(CRC, GivesTheStandardCheckValues) {
    EXPECT_EQ(CRC().Calc("123456789"), 0xCBF43926u);
    EXPECT_EQ(CRC().Calc(""), 0u);
    EXPECT_EQ(CRC().Calc("abc"), 0x352441C2u);
    EXPECT_EQ(CRC().Value(), 0x352441C2u);
    EXPECT_EQ(TZ5HashList(257).BucketOf("abc"), 112);
}

TEST(HashList, HasAtLeastOneBucket) {
    EXPECT_EQ(TZ5HashList(0).BucketCount(), 1);
    EXPECT_EQ(TZ5HashList(-3).BucketCount(), 1);
}

TEST(HashList, ALaterAddShadowsAnEarlierOneAndIterationVisitsBothNewestFirst) {
    TZ5HashList list(257);
    TZ5HashItem* first = list.Add("bgm");
    TZ5HashItem* second = list.Add("bgm");
    EXPECT_EQ(first->Kind, hkText);
    EXPECT_EQ(list.Find("bgm"), second);
    EXPECT_EQ(first->Prev, second);
    EXPECT_EQ(second->Next, first);

    const std::vector<std::string> others = {"game", "title", "se01", "se02", "abc"};
    for (const std::string& key : others)
        list.SetInt(key, 1);
    std::vector<TZ5HashItem*> visited;
    list.First();
    while (list.Next())
        visited.push_back(list.CursorItem());
    EXPECT_FALSE(list.Next());
    ASSERT_EQ(visited.size(), others.size() + 2);
    EXPECT_TRUE(std::is_sorted(visited.begin(), visited.end(), [&](TZ5HashItem* a, TZ5HashItem* b) {
        return list.BucketOf(a->Key) < list.BucketOf(b->Key);
    }));
    const auto at = std::find(visited.begin(), visited.end(), second);
    ASSERT_NE(at, visited.end());
    EXPECT_EQ(*(at + 1), first);

    list.Clear();
    EXPECT_EQ(list.Find("bgm"), nullptr);
    list.First();
    EXPECT_FALSE(list.Next());
}

TEST(HashList, IterationVisitsTheFirstBucketToo) {
    // The sound manager frees its sounds by this walk: a bucket left out
    // would leave its sounds behind.
    TZ5HashList single(1);
    single.SetInt("every key lives in bucket 0", 1);
    single.First();
    ASSERT_TRUE(single.Next());
    EXPECT_EQ(single.CursorItem()->Key, "every key lives in bucket 0");

    TZ5HashList list(257);
    std::string firstBucketKey;
    for (int i = 0; firstBucketKey.empty() && i < 100000; ++i)
        if (list.BucketOf("sound" + std::to_string(i)) == 0)
            firstBucketKey = "sound" + std::to_string(i);
    ASSERT_FALSE(firstBucketKey.empty());
    list.SetInt("abc", 1); // bucket 112
    list.SetInt(firstBucketKey, 2);
    list.First();
    ASSERT_TRUE(list.Next());
    EXPECT_EQ(list.CursorItem()->Key, firstBucketKey) << "bucket 0 comes first";
    ASSERT_TRUE(list.Next());
    EXPECT_EQ(list.CursorItem()->Key, "abc");
    EXPECT_FALSE(list.Next());
}

TEST(HashList, TypedValuesConvertOrGiveTheDefault) {
    TZ5HashList list(257);
    list.SetFloat("a", 2.5);
    list.SetFloat("b", 3.5);
    list.SetFloat("c", -2.5);
    list.SetFloat("huge", 1e12);
    list.SetText("t", "12x");
    list.SetText("n", "-42");
    list.SetInt("i", 7);
    int object = 0;
    list.SetPointer("p", &object);
    EXPECT_EQ(list.GetInt("a", -1), 2);
    EXPECT_EQ(list.GetInt("b", -1), 4);
    EXPECT_EQ(list.GetInt("c", -1), -2);
    EXPECT_EQ(list.GetInt("huge", -1), -1);
    EXPECT_EQ(list.GetInt("t", -1), -1);
    EXPECT_EQ(list.GetInt("n", -1), -42);
    EXPECT_EQ(list.GetInt("p", -1), -1);
    EXPECT_EQ(list.GetInt("absent", -1), -1);
    EXPECT_EQ(list.GetPointer("p"), &object);
    EXPECT_EQ(list.GetPointer("i"), nullptr);
    EXPECT_EQ(list.GetFloat("i", 0), 7.0);
    EXPECT_EQ(list.GetFloat("t", 0.5), 0.5);
    EXPECT_EQ(list.GetText("a", ""), "2.5");
    EXPECT_EQ(list.GetText("i", ""), "7");

    list.SetInt("t", 3); // overwrites in place, no second entry
    EXPECT_EQ(list.GetInt("t", -1), 3);
    TZ5HashItem* copy = list.Add("copy");
    list.SetItem("copy", *list.Find("b"));
    EXPECT_EQ(copy->Kind, hkFloat);
    EXPECT_EQ(copy->ToFloat(0), 3.5);
}

TEST(HashList, FindCheckedNamesTheUnknownKey) {
    TZ5HashList list(257);
    EXPECT_EQ(list.FindChecked("missing"), nullptr);
    list.RaiseOnUnknown = true;
    try {
        list.FindChecked("missing");
        FAIL() << "no exception";
    } catch (const EUnregisteredKeywordErrorForZ5HashList& error) {
        EXPECT_STREQ(error.what(), "登録されていないキー(missing)の内容を参照しようとしました");
    }
}
