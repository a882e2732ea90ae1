#include "core/base/TSortedList.h"

#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace pellar {
namespace {

struct Item {
    int key;
    int payload = 0;
    int Compare(const Item& other) const { return key < other.key ? -1 : (key > other.key ? 1 : 0); }
};

std::shared_ptr<Item> Make(int key, int payload = 0)
{
    return std::make_shared<Item>(Item{key, payload});
}

TEST(TSortedList, KeepsOrderAndRejectsEqual)
{
    TSortedList<Item> list;
    EXPECT_EQ(list.Add(Make(5)), 0);
    EXPECT_EQ(list.Add(Make(1)), 0);
    EXPECT_EQ(list.Add(Make(9)), 2);
    EXPECT_EQ(list.Add(Make(7)), 2);
    EXPECT_EQ(list.Add(Make(5, 42)), -1);
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Get(0)->key, 1);
    EXPECT_EQ(list.Get(1)->key, 5);
    EXPECT_EQ(list.Get(1)->payload, 0); // the first one stays
    EXPECT_EQ(list.Get(3)->key, 9);
    EXPECT_EQ(list.Get(4), nullptr);
    EXPECT_EQ(list.Get(-1), nullptr);
}

TEST(TSortedList, FindRemoveDelete)
{
    TSortedList<Item> list;
    for (int k : {10, 20, 30})
        list.Add(Make(k));
    int index = -1;
    EXPECT_TRUE(list.Find(Item{20}, index));
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(list.Find(Item{25}, index));
    EXPECT_EQ(index, 2);
    EXPECT_FALSE(list.Find(Item{35}, index));
    EXPECT_EQ(index, 3);
    EXPECT_EQ(list.Remove(Item{25}), -1);
    EXPECT_EQ(list.Remove(Item{20}), 1);
    list.Delete(5);
    EXPECT_EQ(list.Count(), 2);
    list.Delete(0);
    EXPECT_EQ(list.Get(0)->key, 30);
}

TEST(TSortedList, ElementOutlivesRemoval)
{
    TSortedList<Item> list;
    auto held = Make(3, 33);
    list.Add(held);
    list.Remove(Item{3});
    EXPECT_EQ(held.use_count(), 1);
    EXPECT_EQ(held->payload, 33);
}

TEST(TSortedList, ThreadSafeListTakesConcurrentAdds)
{
    TSortedList<Item> list(true);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&list, t] {
            for (int i = 0; i < 500; ++i)
                list.Add(Make(i * 4 + t));
        });
    for (auto& th : threads)
        th.join();
    ASSERT_EQ(list.Count(), 2000);
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(list.Get(i)->key, i);
}

} // namespace
} // namespace pellar
