// Composition, submission and link editing against an in-process server: what
// the writing window sends must arrive as the right text with the right links.
#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/link/MVRequests.h"
#include "core/wire/TMiravoConferenceBase.h"
#include "core/wire/TMiravoMembership.h"
#include "core/wire/TextStatType.h"
#include "core/wire/WireTokens.h"
#include "core/admin/StatisticsFormat.h"
#include "core/reading/ArticleLayout.h"
#include "core/reading/ContextWords.h"
#include "core/session/Client.h"
#include "core/base/CancellableGuiThread.h"
#include "core/writing/ClientWritingServices.h"
#include "core/writing/TextComposition.h"
#include "core/writing/TextRcptEditor.h"
#include "server/PasswordHash.h"
#include "server/Server.h"
#include "server/Store.h"
#include "support/ClientHarness.h"
#include "support/DemoServer.h"
#include "support/ScriptedWritingUi.h"

namespace pellar {
namespace {

struct Recipients {
    std::vector<int32_t> to, cc, commentTo, footnoteTo;
};

class WritingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        alice = seed.Person("Alice");
        bob = seed.Person("Bob");
        talk = seed.Conf("Talk");
        other = seed.Conf("Other");
        forward = seed.Conf("Forward to talk", "01000000", talk);
        for (int32_t p : {alice, bob})
            for (int32_t c : {talk, other, forward})
                seed.store.AddMember(p, c, 100);
        seed.store.EditConf(talk).supervisor = alice;
        bobsText = seed.Text(bob, "Bob asks", {talk});
        seed.AddCarbonCopy(bobsText, other);
        forwardText = seed.Text(bob, "In forward", {forward});
    }

    void StartServer(bool oldProtocol = false)
    {
        miravod::ServerOptions options;
        options.oldProtocol = oldProtocol;
        ASSERT_TRUE(server.Start(seed, options));
    }

    ::testing::AssertionResult LogOn(int32_t person, int32_t protocolVersion = 10)
    {
        return test::LogOnByRequests(client, server.Port(), person, test::kSeedPassword, protocolVersion);
    }

    // The text's links as the server has them now.
    Recipients OnServer(int32_t text)
    {
        client.Cache().ForgetTextStat(text);
        Recipients r;
        auto stat = client.Cache().GetTextStat(text);
        if (!stat) {
            ADD_FAILURE() << "no status for text " << text;
            return r;
        }
        for (const auto& item : stat->MiscInfos()) {
            if (auto* cc = dynamic_cast<const TMiscInfoCC*>(item.get()))
                r.cc.push_back(cc->confNo);
            else if (auto* to = dynamic_cast<const TMiscInfoRcpt*>(item.get()))
                r.to.push_back(to->confNo);
            else if (auto* comm = dynamic_cast<const TMiscInfoCommTo*>(item.get()))
                r.commentTo.push_back(comm->textNo);
            else if (auto* foot = dynamic_cast<const TMiscInfoFootTo*>(item.get()))
                r.footnoteTo.push_back(foot->textNo);
        }
        return r;
    }

    std::vector<std::string> Messages()
    {
        std::vector<std::string> all;
        std::string text;
        while (client.UserMessages().Pop(text))
            all.push_back(text);
        return all;
    }

    test::SeedDatabase seed;
    int32_t alice = 0, bob = 0, talk = 0, other = 0, forward = 0, bobsText = 0, forwardText = 0;
    test::SeededServer server;
    Client client{test::QuietClientOptions()};
    ClientWritingServices services{client};
    test::ScriptedWritingUi ui;
};

TEST_F(WritingTest, CommentReachesServerWithTheCommentedTextsRecipients)
{
    StartServer();
    ASSERT_TRUE(LogOn(alice));
    TextComposition composition(services, ui, CancellableGuiThread::Inline());
    ASSERT_TRUE(composition.PrefillComment(bobsText));
    composition.Start();
    composition.WaitForWorker();
    EXPECT_EQ(composition.Subject(), "Bob asks");
    composition.SetBody("I agree.\r\n\r\n");
    const SubmitResult result = composition.Submit();
    ASSERT_EQ(result.outcome, SubmitOutcome::Submitted) << ::testing::PrintToString(Messages());
    EXPECT_TRUE(ui.closed);

    const Recipients r = OnServer(result.text);
    EXPECT_EQ(r.to, std::vector<int32_t>{talk});
    EXPECT_TRUE(r.cc.empty());  // carbon copies of the commented text are not copied
    EXPECT_EQ(r.commentTo, std::vector<int32_t>{bobsText});
    auto body = client.Cache().GetText(result.text);
    ASSERT_TRUE(body);
    EXPECT_EQ(body->Subject(), "Bob asks");
    EXPECT_EQ(body->Body(), "I agree.\r\n");  // no trailing empty lines reached the server
    auto stat = client.Cache().GetTextStat(result.text);
    ASSERT_TRUE(stat);
    ASSERT_GE(stat->AuxItemCount(), 1);
    EXPECT_EQ(stat->AuxItem(0)->tag, 15);

    // The reader sees it as a comment, with its links and the parent's
    // comments-in line naming it.
    CacheTextSource source(client.Cache());
    ArticleLayout layout(source, ArticleFonts{}, false);
    std::vector<StyledRun> runs;
    const ArticleResult shown = layout.Format(result.text, ArticleMode::Full, runs);
    EXPECT_TRUE(shown.isComment);
    std::string all;
    for (const auto& run : runs)
        all += run.text;
    EXPECT_NE(all.find("Recipient: [" + std::to_string(talk) + "] Talk ("), std::string::npos) << all;
    EXPECT_NE(all.find("Comment to: " + std::to_string(bobsText) + " by [" + std::to_string(bob) + "] Bob\r"),
              std::string::npos)
        << all;
    client.Cache().ForgetTextStat(bobsText);
    runs.clear();
    EXPECT_TRUE(layout.Format(bobsText, ArticleMode::Full, runs).hasComments);

    // And the context menu offers the text commands on its number.
    CacheContextWordSource words(client.Cache());
    EXPECT_TRUE(ContextWords::Offer("(" + std::to_string(result.text) + "),", words).textCommands);
    EXPECT_TRUE(ContextWords::Offer(std::to_string(talk), words).presentation);
}

TEST_F(WritingTest, StatisticsBeforeAnyLookUpShowEmptyHitRates)
{
    const StatisticsFields fields = StatisticsFormat::Collect(client, 0);
    EXPECT_EQ(fields.nameHitRate, "(0/0) 0%");
    EXPECT_EQ(fields.textStatHitRate, "(0/0) 0%");
    EXPECT_EQ(fields.textBodyHitRate, "(0/0) 0%");
    EXPECT_EQ(fields.bytesSent, "0 Bytes");
    EXPECT_EQ(fields.transactions, "0");
}

TEST_F(WritingTest, CommentInAForwardingConferenceGoesToItsSuperConference)
{
    StartServer();
    ASSERT_TRUE(LogOn(alice));
    TextComposition composition(services, ui, CancellableGuiThread::Inline());
    ASSERT_TRUE(composition.PrefillComment(forwardText));
    composition.Start();
    composition.WaitForWorker();
    const SubmitResult result = composition.Submit();
    ASSERT_EQ(result.outcome, SubmitOutcome::Submitted) << ::testing::PrintToString(Messages());
    EXPECT_EQ(OnServer(result.text).to, std::vector<int32_t>{talk});
}

TEST_F(WritingTest, FootnoteToSomeoneElsesTextIsRefusedOwnIsSent)
{
    StartServer();
    ASSERT_TRUE(LogOn(alice));
    TextComposition refused(services, ui, CancellableGuiThread::Inline());
    EXPECT_FALSE(refused.PrefillFootnote(bobsText));
    EXPECT_EQ(Messages(),
              std::vector<std::string>{"!Footnotes to texts can only be added by the author of the original message"});

    TextComposition own(services, ui, CancellableGuiThread::Inline());
    own.PrefillNewText(talk);
    own.Start();
    own.WaitForWorker();
    own.SetSubject("Mine");
    const int32_t mine = own.Submit().text;
    ASSERT_GT(mine, 0);

    TextComposition footnote(services, ui, CancellableGuiThread::Inline());
    ASSERT_TRUE(footnote.PrefillFootnote(mine));
    footnote.Start();
    footnote.WaitForWorker();
    const int32_t note = footnote.Submit().text;
    ASSERT_GT(note, 0) << ::testing::PrintToString(Messages());
    const Recipients r = OnServer(note);
    EXPECT_EQ(r.footnoteTo, std::vector<int32_t>{mine});
    EXPECT_EQ(r.to, std::vector<int32_t>{talk});
}

TEST_F(WritingTest, OnlyCarbonCopiesAsksTheNoRecipientsQuestion)
{
    StartServer();
    ASSERT_TRUE(LogOn(alice));
    TextComposition composition(services, ui, CancellableGuiThread::Inline());
    composition.Start();
    ASSERT_TRUE(composition.AddRecipient(other, true));
    composition.SetSubject("Just a copy");
    ui.answers = {false};
    EXPECT_EQ(composition.Submit().outcome, SubmitOutcome::Declined);
    EXPECT_EQ(ui.questions, std::vector<std::string>{"No recipients! Do you really want to submit this message?"});
    EXPECT_FALSE(ui.closed);

    ui.answers = {true};
    const SubmitResult result = composition.Submit();
    ASSERT_EQ(result.outcome, SubmitOutcome::Submitted);
    EXPECT_EQ(ui.questions.size(), 2u);
    EXPECT_EQ(OnServer(result.text).cc, std::vector<int32_t>{other});
}

TEST_F(WritingTest, OlderServerGetsTheOlderFormWithoutAuxItems)
{
    StartServer(true);
    ASSERT_TRUE(LogOn(alice, 9));
    TextComposition composition(services, ui, CancellableGuiThread::Inline());
    composition.PrefillNewText(talk);
    composition.Start();
    composition.WaitForWorker();
    composition.SetSubject("Old style");
    composition.Checks().noComments = true;
    const SubmitResult result = composition.Submit();
    ASSERT_EQ(result.outcome, SubmitOutcome::Submitted) << ::testing::PrintToString(Messages());
    EXPECT_EQ(OnServer(result.text).to, std::vector<int32_t>{talk});
    auto stat = client.Cache().GetTextStat(result.text);
    ASSERT_TRUE(stat);
    EXPECT_EQ(stat->AuxItemCount(), 0);
}

TEST_F(WritingTest, PresentationIsSetAfterCreation)
{
    StartServer();
    ASSERT_TRUE(LogOn(alice));  // supervises Talk
    TextComposition composition(services, ui, CancellableGuiThread::Inline());
    composition.PrefillPresentation(talk, false);
    composition.Start();
    composition.WaitForWorker();
    EXPECT_EQ(composition.Subject(), "Talk");
    EXPECT_EQ(composition.Body(), TextComposition::PresentationTemplate("en", WireCharset::Latin1));
    ui.answers = {true};  // the presentation conference may be unset: no recipients
    const SubmitResult result = composition.Submit();
    ASSERT_EQ(result.outcome, SubmitOutcome::Submitted) << ::testing::PrintToString(Messages());
    TMiravoConferenceBase fresh(talk);
    TGetConfStatTrans stat(client.Protocol(), fresh, talk);
    ASSERT_TRUE(client.Transactions().ExecuteAndWait(stat));
    EXPECT_EQ(fresh.Snapshot().presentation, result.text) << ::testing::PrintToString(Messages());
}

TEST_F(WritingTest, RefusedPresentationStillCreatesTheTextAndSaysSo)
{
    StartServer();
    ASSERT_TRUE(LogOn(bob));  // supervises nothing
    TextComposition composition(services, ui, CancellableGuiThread::Inline());
    composition.PrefillPresentation(other, false);
    composition.Start();
    composition.WaitForWorker();
    ui.answers = {true};
    const SubmitResult result = composition.Submit();
    ASSERT_EQ(result.outcome, SubmitOutcome::Submitted);
    EXPECT_TRUE(ui.closed);
    const auto messages = Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), "!An error occurred while adding text as presentation to conference.");
    EXPECT_TRUE(client.Cache().GetText(result.text));
}

TEST_F(WritingTest, LinkEditorChangesTheServersText)
{
    StartServer();
    ASSERT_TRUE(LogOn(bob));
    TextRcptEditor editor(services, bobsText);
    ASSERT_TRUE(editor.Show());
    EXPECT_EQ(editor.Caption(), "Text properties for text " + std::to_string(bobsText) + " by [" +
                                    std::to_string(bob) + "] Bob");
    ASSERT_EQ(editor.CarbonCopies().size(), 1u);

    ASSERT_TRUE(editor.AddRecipient(forward, true));
    EXPECT_EQ(OnServer(bobsText).cc, (std::vector<int32_t>{other, forward}));
    EXPECT_EQ(editor.CarbonCopies().size(), 2u);

    ASSERT_TRUE(editor.RemoveRecipient(std::to_string(other)));
    EXPECT_EQ(OnServer(bobsText).cc, std::vector<int32_t>{forward});

    ASSERT_TRUE(editor.AddLink(std::to_string(forwardText), false));
    EXPECT_EQ(OnServer(bobsText).commentTo, std::vector<int32_t>{forwardText});
    ASSERT_EQ(editor.CommentTo().size(), 1u);
    EXPECT_EQ(editor.CommentTo()[0].name, "Bob");

    ASSERT_TRUE(editor.RemoveLink(std::to_string(forwardText), false));
    EXPECT_TRUE(OnServer(bobsText).commentTo.empty());
    EXPECT_TRUE(editor.CommentTo().empty());

    // A refused change leaves the lists as they were.
    EXPECT_FALSE(editor.RemoveRecipient("99999"));
    EXPECT_EQ(editor.CarbonCopies().size(), 1u);
}

} // namespace
} // namespace pellar
