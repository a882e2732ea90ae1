// The article pane's port against the reference server: its mark and delete
// commands go out from a worker, in order, and come back done on the test's
// thread; a refusal is told to the user; a pane that goes sends nothing more.
#include "core/writing/ClientArticlePane.h"

#include <algorithm>

#include "core/wire/RequestCatalogue.h"
#include "core/wire/TextStatType.h"
#include "core/session/MVCache.h"
#include "support/QueuedGuiThread.h"
#include "support/SessionFixture.h"

namespace pellar::test {
namespace {

class ClientArticlePaneTest : public SessionFixture {
protected:
    void SetUp() override
    {
        StartServer();
        ASSERT_TRUE(LogOn(me));
        std::vector<int32_t> confs;
        me.client.Cache().ListMemberConferences(confs);
        ASSERT_FALSE(confs.empty());
        conf = confs.back();
        pane = std::make_unique<ClientArticlePane>(me.client, loop.HandOver());
    }

    bool Done() { return loop.RunUntil([this] { return pane->Pending() == 0; }); }

    QueuedGuiThread loop;
    SessionClient me;
    int32_t conf = 0;
    std::unique_ptr<ClientArticlePane> pane;
};

TEST_F(ClientArticlePaneTest, MarkThenDeleteGoOutInOrderFromTheWorker)
{
    const int32_t text = me.CreateText(conf, "Pane", "Marked, then gone");
    ASSERT_GT(text, 0);
    relay->ClearSent();
    pane->MarkText(text);
    pane->DeleteText(text);
    ASSERT_TRUE(Done());
    const auto numbers = SentRequestNumbers();
    const auto mark = std::find(numbers.begin(), numbers.end(), static_cast<int>(RequestNumber::MarkText));
    const auto del = std::find(numbers.begin(), numbers.end(), static_cast<int>(RequestNumber::DeleteText));
    ASSERT_NE(mark, numbers.end());
    ASSERT_NE(del, numbers.end());
    EXPECT_LT(mark, del);
    // The cached copy went with the text.
    EXPECT_EQ(me.client.Cache().GetText(text), nullptr);
    EXPECT_TRUE(pane->IsConnected());
}

TEST_F(ClientArticlePaneTest, ARefusedDeleteIsToldAndAStoppedPaneSendsNothingMore)
{
    std::string line;
    while (me.client.UserMessages().Pop(line)) {
    }
    pane->DeleteText(987654);
    ASSERT_TRUE(Done());
    ASSERT_TRUE(me.client.UserMessages().Pop(line));
    EXPECT_EQ(line.front(), '!');

    pane->Stop();
    relay->ClearSent();
    pane->MarkText(1);
    EXPECT_EQ(pane->Pending(), 0u);
    loop.RunPending();
    for (const int number : SentRequestNumbers())
        EXPECT_NE(number, static_cast<int>(RequestNumber::MarkText));
}

} // namespace
} // namespace pellar::test
