#include "core/protocol/TAsyncList.h"

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace pellar {
namespace {

TEST(TAsyncList, FifoOrder)
{
    TAsyncList list;
    EXPECT_EQ(list.Add("a"), 0);
    EXPECT_EQ(list.Add(std::string("b\0c", 3)), 1);
    EXPECT_EQ(list.Count(), 2);
    std::string out;
    ASSERT_TRUE(list.Pop(out));
    EXPECT_EQ(out, "a");
    ASSERT_TRUE(list.Pop(out));
    EXPECT_EQ(out, std::string("b\0c", 3)); // bytes, not C strings
    EXPECT_FALSE(list.Pop(out));
    EXPECT_EQ(out, "");
}

TEST(TAsyncList, WaitNotEmpty)
{
    TAsyncList list;
    EXPECT_FALSE(list.WaitNotEmpty(0));
    list.Add("x");
    EXPECT_TRUE(list.WaitNotEmpty(0));
}

TEST(TAsyncList, ProducerWakesConsumerAndNothingIsLost)
{
    TAsyncList list;
    constexpr int kCount = 2000;
    std::thread producer([&] {
        for (int i = 0; i < kCount; ++i)
            list.Add(std::to_string(i));
    });
    std::vector<std::string> got;
    std::string s;
    while (static_cast<int>(got.size()) < kCount && list.WaitNotEmpty(kInfinite)) {
        while (list.Pop(s))
            got.push_back(s);
    }
    producer.join();
    ASSERT_EQ(got.size(), static_cast<size_t>(kCount));
    for (int i = 0; i < kCount; ++i)
        ASSERT_EQ(got[i], std::to_string(i));
}

TEST(TAsyncList, InterruptReleasesWaiterUntilCleared)
{
    TAsyncList list;
    std::thread waiter([&] { EXPECT_FALSE(list.WaitNotEmpty(kInfinite)); });
    list.Interrupt();
    waiter.join();
    list.Add("y");
    EXPECT_FALSE(list.WaitNotEmpty(0));
    list.ClearInterrupt();
    EXPECT_TRUE(list.WaitNotEmpty(0));
}

} // namespace
} // namespace pellar
