#include "core/writing/TextComposition.h"

#include <deque>

#include <gtest/gtest.h>

#include "core/base/CancellableGuiThread.h"
#include "support/QueuedGuiThread.h"
#include "support/FakeWritingServices.h"
#include "support/ScriptedWritingUi.h"

namespace pellar {
namespace {

using test::FakeWritingServices;
using FakeUi = test::ScriptedWritingUi;

std::vector<std::pair<LinkKind, int32_t>> Rows(const TextComposition& c)
{
    std::vector<std::pair<LinkKind, int32_t>> out;
    for (const auto& r : c.Links().Rows())
        out.emplace_back(r.kind, r.number);
    return out;
}

class TextCompositionTest : public ::testing::Test {
protected:
    TextCompositionTest()
    {
        services.names = {{6, "Me"}, {7, "Other"}};
        services.AddConference(20, "Talk", "00000000");
        services.AddConference(21, "Quiet", "01000000", 22);
        services.AddConference(22, "Quiet talk", "00000000");
        services.AddConference(6, "Me", "00010000");
        services.AddConference(7, "Other", "00010000");
        auto stat = services.AddText(100, 7, "Original subject\r\nbody\r\n");
        FakeWritingServices::AddRecipient(*stat, 20);
        FakeWritingServices::AddRecipient(*stat, 21);
        FakeWritingServices::AddRecipient(*stat, 30, true);
    }

    void StartAndWait()
    {
        composition.Start();
        composition.WaitForWorker();
    }

    FakeWritingServices services;
    FakeUi ui;
    TextComposition composition{services, ui, CancellableGuiThread::Inline()};
};

TEST_F(TextCompositionTest, CommentCopiesRecipientsNotCarbonCopiesAndTheSubject)
{
    ASSERT_TRUE(composition.PrefillComment(100));
    EXPECT_EQ(composition.PendingLists().recipients, (std::vector<int32_t>{20, 21}));
    EXPECT_EQ(composition.PendingLists().commentTo, std::vector<int32_t>{100});
    EXPECT_EQ(services.activities, std::vector<std::string>{"writecomment"});
    StartAndWait();
    EXPECT_TRUE(composition.IsComment());
    // 21 sends comments on to its super-conference 22.
    EXPECT_EQ(Rows(composition), (std::vector<std::pair<LinkKind, int32_t>>{
                                     {LinkKind::CommentTo, 100}, {LinkKind::Recipient, 20}, {LinkKind::Recipient, 22}}));
    EXPECT_EQ(composition.Links().Rows()[0].name, "Other");  // the commented text's author
    EXPECT_EQ(ui.subject, "Original subject");
    EXPECT_TRUE(ui.focused);
    EXPECT_FALSE(composition.WorkerRunning());
    EXPECT_TRUE(composition.PendingRecipients().empty());
}

// The window goes while the recipients worker waits for the GUI thread:
// stopping must release the worker, not wait for a hand-over nobody runs.
TEST_F(TextCompositionTest, StoppingReleasesAWorkerThatWaitsForTheGuiThread)
{
    test::QueuedGuiThread gui;
    auto held = std::make_unique<TextComposition>(services, ui, gui.HandOver());
    ASSERT_TRUE(held->PrefillComment(100));
    held->Start();
    ASSERT_TRUE(gui.WaitForPending());
    const auto before = Rows(*held);
    test::QueuedGuiThread::ReturnsUnpumped([&] { held->StopWorker(); });
    EXPECT_FALSE(held->WorkerRunning());
    // The recipient row in flight was dropped; the hand-over left queued
    // does nothing once run.
    while (gui.RunOne()) {
    }
    EXPECT_EQ(Rows(*held), before);
    EXPECT_EQ(before, (std::vector<std::pair<LinkKind, int32_t>>{{LinkKind::CommentTo, 100}}));
    // Going without a stop does the same.
    auto other = std::make_unique<TextComposition>(services, ui, gui.HandOver());
    ASSERT_TRUE(other->PrefillComment(100));
    other->Start();
    ASSERT_TRUE(gui.WaitForPending());
    test::QueuedGuiThread::ReturnsUnpumped([&] { other.reset(); });
}

TEST_F(TextCompositionTest, NewTextKeepsConferenceThatSendsCommentsOn)
{
    composition.PrefillNewText(21);
    StartAndWait();
    EXPECT_EQ(Rows(composition), (std::vector<std::pair<LinkKind, int32_t>>{{LinkKind::Recipient, 21}}));
    EXPECT_TRUE(ui.subject.empty());
    EXPECT_EQ(services.activities, std::vector<std::string>{"write"});
}

TEST_F(TextCompositionTest, FootnoteToSomeoneElsesTextIsRefused)
{
    EXPECT_FALSE(composition.PrefillFootnote(100));
    EXPECT_EQ(services.messages,
              std::vector<std::string>{"!Footnotes to texts can only be added by the author of the original message"});
    EXPECT_TRUE(composition.PendingLists().recipients.empty());

    services.currentPerson = 7;
    EXPECT_TRUE(composition.PrefillFootnote(100));
    EXPECT_EQ(composition.PendingLists().footnoteTo, std::vector<int32_t>{100});
}

TEST_F(TextCompositionTest, RepliesNeedACurrentText)
{
    EXPECT_FALSE(composition.PrefillComment(0));
    EXPECT_FALSE(composition.PrefillPersonalReply(999));
    EXPECT_EQ(services.messages, (std::vector<std::string>(2, "!No current article available")));
}

TEST_F(TextCompositionTest, PersonalReplyGoesToAuthorAndMe)
{
    ASSERT_TRUE(composition.PrefillPersonalReply(100));
    EXPECT_EQ(composition.PendingLists().recipients, (std::vector<int32_t>{7, 6}));
    StartAndWait();
    EXPECT_EQ(composition.Links().Numbers(LinkKind::Recipient), (std::vector<int32_t>{7, 6}));
}

TEST_F(TextCompositionTest, PersonalReplyToOwnTextNamesMeOnce)
{
    services.AddText(101, 6, "mine\nx");
    ASSERT_TRUE(composition.PrefillPersonalReply(101));
    StartAndWait();
    EXPECT_EQ(composition.Links().Numbers(LinkKind::Recipient), std::vector<int32_t>{6});
}

TEST_F(TextCompositionTest, LetterGoesToMeThenThePerson)
{
    composition.PrefillLetter(7);
    EXPECT_EQ(composition.PendingLists().recipients, (std::vector<int32_t>{6, 7}));
}

TEST_F(TextCompositionTest, UnknownRecipientIsDroppedAndMotdShowsNote)
{
    services.AddConference(23, "Door", "00000000", 0, 555);
    composition.PrefillNewText(999);
    composition.PrefillNewText(23);
    StartAndWait();
    EXPECT_EQ(composition.Links().Numbers(LinkKind::Recipient), std::vector<int32_t>{23});
    EXPECT_EQ(ui.notes, std::vector<int32_t>{555});
}

TEST_F(TextCompositionTest, PresentationEditsTheExistingOne)
{
    services.AddConference(24, "Club", "00000000", 0, 0, 300);
    services.AddText(300, 7, "Club presentation\r\nWe meet on Fridays\r\n");
    composition.PrefillPresentation(24, false);
    EXPECT_EQ(composition.PendingLists().recipients, std::vector<int32_t>{1});
    StartAndWait();
    EXPECT_EQ(ui.subject, "Club presentation");
    EXPECT_EQ(ui.body, "We meet on Fridays\r\n");
    EXPECT_EQ(composition.Links().Numbers(LinkKind::PresentationFor), std::vector<int32_t>{24});
}

TEST_F(TextCompositionTest, PresentationTemplateWhenThereIsNoneOrItIsGone)
{
    services.AddConference(25, "Gone", "00000000", 0, 0, 301);  // text 301 does not exist
    TextComposition person(services, ui, CancellableGuiThread::Inline());
    person.PrefillPresentation(7, true);
    EXPECT_EQ(person.PendingLists().recipients, std::vector<int32_t>{2});
    person.Start();
    person.WaitForWorker();
    EXPECT_EQ(ui.body, TextComposition::PresentationTemplate("en", WireCharset::Latin1));
    EXPECT_EQ(ui.subject, "Other");

    composition.PrefillPresentation(25, false);
    StartAndWait();
    EXPECT_EQ(ui.subject, "Gone");
    EXPECT_EQ(ui.body, TextComposition::PresentationTemplate("en", WireCharset::Latin1));
}

TEST(PresentationTemplate, InTheUsersLanguageAndTheProfilesCharacterSet)
{
    EXPECT_EQ(TextComposition::PresentationTemplate("en_GB", WireCharset::Latin1),
              "Name: \r\nAddress: \r\nEmail: \r\nWeb page: \r\nPhone: \r\nFax: \r\nOther: ");
    EXPECT_EQ(TextComposition::PresentationTemplate("C", WireCharset::Utf8),
              TextComposition::PresentationTemplate("de_DE", WireCharset::Latin1));
    EXPECT_EQ(TextComposition::PresentationTemplate("sv_SE", WireCharset::Latin1),
              "Namn: \r\nAdress: \r\nEmail: \r\nHemsida: \r\nTelefonnr: \r\nFax: \r\n\xd6vrigt: ");
    // In UTF-8 the letter is two bytes, not a byte that shows as a question mark.
    const std::string utf8 = TextComposition::PresentationTemplate("sv", WireCharset::Utf8);
    EXPECT_EQ(utf8.substr(utf8.size() - 9), "\xc3\x96vrigt: ");
}

TEST_F(TextCompositionTest, SubmitNewerFormWithAuxItemsAndFollowUps)
{
    services.replies[86] = {true, " 4711"};
    services.AddConference(3, "Notices", "00000000");
    composition.PrefillMotd(20);
    StartAndWait();
    composition.SetBody("hello\r\n\r\n");
    composition.Checks().noComments = true;
    const SubmitResult r = composition.Submit();
    EXPECT_EQ(r.outcome, SubmitOutcome::Submitted);
    EXPECT_EQ(r.text, 4711);
    ASSERT_EQ(services.sent.size(), 2u);
    EXPECT_EQ(services.sent[0].number, 86);
    EXPECT_EQ(services.sent[0].label, "Submit text");
    EXPECT_EQ(services.sent[0].args.rfind("10HTalk\nhello 1 { 0 3 } 2 { 15 00000000 0 ", 0), 0u);
    EXPECT_NE(services.sent[0].args.find(" 4 00000000 0 0H }"), std::string::npos);
    EXPECT_EQ(services.sent[1].number, 17);
    EXPECT_EQ(services.sent[1].args, "20 4711");
    EXPECT_TRUE(ui.closed);
    EXPECT_EQ(services.activities.back(), "wait");
    EXPECT_EQ(ui.enabled.front(), false);
    EXPECT_EQ(ui.enabled.back(), true);
}

TEST_F(TextCompositionTest, SubmitOlderFormSendsNoAuxItems)
{
    services.protocolVersion = 9;
    services.replies[28] = {true, " 12"};
    composition.PrefillNewText(20);
    StartAndWait();
    composition.SetSubject("s");
    composition.Checks().readConfirmation = true;
    EXPECT_EQ(composition.Submit().text, 12);
    ASSERT_EQ(services.sent.size(), 1u);
    EXPECT_EQ(services.sent[0].number, 28);
    EXPECT_EQ(services.sent[0].args, "1Hs 1 { 0 20 }");
}

TEST_F(TextCompositionTest, FailedSubmissionKeepsWindowAndReenables)
{
    services.replies[86] = {false, ""};
    composition.PrefillNewText(20);
    StartAndWait();
    EXPECT_EQ(composition.Submit().outcome, SubmitOutcome::Failed);
    EXPECT_EQ(services.messages.back(), "!An error occurred. The message was not submitted.");
    EXPECT_FALSE(ui.closed);
    EXPECT_EQ(ui.enabled.back(), true);

    services.replies[86] = {true, " 0"};  // success without a usable number
    EXPECT_EQ(composition.Submit().outcome, SubmitOutcome::Failed);
}

TEST_F(TextCompositionTest, OnlyCarbonCopiesAsksTheNoRecipientsQuestion)
{
    ASSERT_TRUE(composition.AddRecipient(20, true));
    ui.answers = {false};
    EXPECT_EQ(composition.Submit().outcome, SubmitOutcome::Declined);
    EXPECT_EQ(ui.questions, std::vector<std::string>{"No recipients! Do you really want to submit this message?"});
    EXPECT_TRUE(services.sent.empty());
    EXPECT_EQ(ui.enabled.back(), true);
}

TEST_F(TextCompositionTest, CommentChecksAskAboutAuthorsWishes)
{
    auto stat = services.stats[100];
    FakeWritingServices::AddAux(*stat, 4, 7);
    FakeWritingServices::AddAux(*stat, 5, 7);
    ASSERT_TRUE(composition.PrefillComment(100));
    ui.answers = {true, false};  // the worker's final checks: yes to the first, no to the second
    StartAndWait();
    ASSERT_EQ(ui.questions.size(), 2u);
    EXPECT_EQ(ui.questions[0], "User [7] Other does not want comments to the text\r\nContinue?");
    EXPECT_EQ(ui.questions[1], "User [7] Other want only personal comments to the text\r\nContinue?");
    EXPECT_TRUE(ui.trashPosted);

    // Declining the trash question keeps the window.
    ui.answers = {false};
    EXPECT_FALSE(composition.ConfirmTrash());
    EXPECT_FALSE(ui.closed);
}

TEST_F(TextCompositionTest, PersonalCommentsWishDoesNotApplyToLetterboxes)
{
    FakeWritingServices::AddAux(*services.stats[100], 5, 7);
    ASSERT_TRUE(composition.PrefillPersonalReply(100));
    StartAndWait();
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_FALSE(ui.trashPosted);
}

TEST_F(TextCompositionTest, AddCommentToNeedsANumberAndDeleteAsks)
{
    EXPECT_FALSE(composition.AddCommentTo("abc"));
    EXPECT_EQ(services.messages.back(), "!Not a valid text number");
    EXPECT_TRUE(composition.AddCommentTo("100"));
    ui.answers = {false, true};
    EXPECT_FALSE(composition.DeleteRow(0));
    EXPECT_TRUE(composition.DeleteRow(0));
    EXPECT_EQ(ui.questions.back(), "Really delete this entry?");
    EXPECT_TRUE(composition.Links().Rows().empty());
}

TEST_F(TextCompositionTest, InitialSubjectLosesLineBreaks)
{
    services.AddText(102, 7, "two\r\rparts\nbody");  // CR inside the first line
    ASSERT_TRUE(composition.PrefillComment(102));
    StartAndWait();
    EXPECT_EQ(ui.subject, "twoparts");
}

} // namespace
} // namespace pellar
