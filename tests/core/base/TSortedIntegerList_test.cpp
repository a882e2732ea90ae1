#include "core/base/TSortedIntegerList.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace pellar {
namespace {

std::vector<int32_t> Keys(const TSortedIntegerList<>& list)
{
    std::vector<int32_t> keys;
    for (int i = 0; i < list.Count(); ++i)
        keys.push_back(list.Key(i));
    return keys;
}

TEST(TSortedIntegerList, DescendingAddsEndAscending)
{
    TSortedIntegerList<> list;
    for (int32_t k = 10; k >= -10; k -= 2)
        EXPECT_EQ(list.Add(k), 0) << k;
    std::vector<int32_t> expected;
    for (int32_t k = -10; k <= 10; k += 2)
        expected.push_back(k);
    EXPECT_EQ(Keys(list), expected);
    EXPECT_EQ(list.FirstKey(), -10);
    EXPECT_EQ(list.LastKey(), 10);
}

TEST(TSortedIntegerList, DuplicateAddReturnsMinusOneAndKeepsObject)
{
    TSortedIntegerList<std::string> list;
    list.SetObject(list.Add(3), "three");
    list.Add(1);
    list.Add(7);
    EXPECT_EQ(list.Add(3), -1);
    EXPECT_EQ(list.Add(7), -1);
    EXPECT_EQ(list.Count(), 3);
    int index;
    ASSERT_TRUE(list.Find(3, index));
    EXPECT_EQ(list.Object(index), "three");
    EXPECT_EQ(list.Object(0), ""); // a new entry has no object
}

// The hand-rolled search must agree with the standard one for every key
// around every list size from empty up, hits and insertion points alike.
TEST(TSortedIntegerList, FindAgreesWithLowerBound)
{
    std::mt19937 rng(7);
    for (int n = 0; n <= 40; ++n) {
        std::vector<int32_t> keys;
        TSortedIntegerList<> list;
        while (static_cast<int>(keys.size()) < n) {
            const int32_t k = static_cast<int32_t>(rng() % 200) * 2;
            if (list.Add(k) >= 0)
                keys.push_back(k);
        }
        std::sort(keys.begin(), keys.end());
        ASSERT_EQ(Keys(list), keys);
        for (int32_t probe = -3; probe <= 403; ++probe) {
            int index = -1;
            const bool found = list.Find(probe, index);
            const auto it = std::lower_bound(keys.begin(), keys.end(), probe);
            EXPECT_EQ(found, it != keys.end() && *it == probe) << "n=" << n << " probe=" << probe;
            EXPECT_EQ(index, it - keys.begin()) << "n=" << n << " probe=" << probe;
        }
    }
}

TEST(TSortedIntegerList, ExtremeKeys)
{
    TSortedIntegerList<> list;
    list.Add(INT32_MAX);
    list.Add(INT32_MIN);
    list.Add(0);
    EXPECT_EQ(Keys(list), (std::vector<int32_t>{INT32_MIN, 0, INT32_MAX}));
    int index;
    EXPECT_TRUE(list.Find(INT32_MAX, index));
    EXPECT_EQ(index, 2);
}

TEST(TSortedIntegerList, DeleteAndRemoveKey)
{
    TSortedIntegerList<int> list;
    for (int32_t k : {5, 1, 9})
        list.SetObject(list.Add(k), k * 10);
    list.Delete(-1);
    list.Delete(3);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.RemoveKey(4), -1);
    EXPECT_EQ(list.RemoveKey(5), 1);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Object(1), 90);
    list.Delete(0);
    EXPECT_EQ(list.FirstKey(), 9);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(TSortedIntegerList, MoveOnlyObjects)
{
    TSortedIntegerList<std::unique_ptr<int>> list;
    list.SetObject(list.Add(2), std::make_unique<int>(20));
    list.SetObject(list.Add(1), std::make_unique<int>(10));
    EXPECT_EQ(*list.Object(0), 10);
    EXPECT_EQ(*list.Object(1), 20);
}

} // namespace
} // namespace pellar
