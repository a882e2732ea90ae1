#include "core/link/UserMessageQueue.h"

#include <set>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace pellar {
namespace {

TEST(UserMessageQueue, MessagesFromManyThreadsAllArriveInPostingOrderPerThread)
{
    UserMessageQueue queue;
    UserMessageSink& sink = queue;
    std::vector<std::thread> posters;
    for (int t = 0; t < 4; ++t)
        posters.emplace_back([&sink, t] {
            for (int i = 0; i < 250; ++i)
                sink.PostUserMessage("i" + std::to_string(t) + ":" + std::to_string(i));
        });
    for (auto& p : posters)
        p.join();
    ASSERT_EQ(queue.Count(), 1000);
    std::vector<int> last(4, -1);
    std::string text;
    while (queue.Pop(text)) {
        ASSERT_EQ(text[0], 'i');
        const int t = text[1] - '0';
        const int i = std::stoi(text.substr(3));
        EXPECT_EQ(i, last[t] + 1) << "thread " << t << " out of order";
        last[t] = i;
    }
    EXPECT_EQ(last, std::vector<int>(4, 249));
}

TEST(UserMessageQueue, EmptyTextHasNoKindAndIsDropped)
{
    UserMessageQueue queue;
    queue.PostUserMessage("");
    queue.PostUserMessage("!Command failed");
    std::string text;
    ASSERT_TRUE(queue.Pop(text));
    EXPECT_EQ(text, "!Command failed");
    EXPECT_FALSE(queue.Pop(text));
}

} // namespace
} // namespace pellar
