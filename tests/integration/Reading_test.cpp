// The reading order, marking, the subject tree and the marks loader against
// an in-process server seeded with comment trees.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>
#include <thread>
#include <vector>

#include "core/link/MVRequests.h"
#include "core/wire/TMiravoMembership.h"
#include "core/wire/TextStatLookups.h"
#include "core/wire/WireTokens.h"
#include "core/reading/ClientReadingServices.h"
#include "core/reading/ConferenceCommands.h"
#include "core/reading/NextUnread.h"
#include "core/reading/TReadNextTextThread.h"
#include "core/reading/SubjectTreeAsyncThread.h"
#include "core/reading/SubjectTreeModel.h"
#include "core/reading/TAsyncUpdateMarkedTextsThread.h"
#include "core/reading/TCurrentReadStatus.h"
#include "core/session/Client.h"
#include "core/base/GuiThread.h"
#include "server/PasswordHash.h"
#include "server/Server.h"
#include "server/Store.h"
#include "support/ClientHarness.h"
#include "support/DemoServer.h"
#include "support/ReadNextPorts.h"

namespace pellar {
namespace {

using test::FakeHost;
using test::FakeList;
using test::WaitUntil;

class ReadingTest : public ::testing::Test {
protected:
    void StartServer(test::SeedDatabase& seed, int replyDelayMs = 0)
    {
        miravod::ServerOptions options;
        options.replyDelayMs = replyDelayMs;
        ASSERT_TRUE(server.Start(seed, options));
    }

    // Logs on by the requests themselves and fills the membership cache.
    ::testing::AssertionResult LogOn(int32_t person)
    {
        if (auto r = test::LogOnByRequests(client, server.Port(), person); !r)
            return r;
        client.Cache().ResumeMarkRead("127.0.0.1:" + std::to_string(server.Port()), person);
        TGenericTrans info(client.Protocol(), "Get server info", requests::GetServerInfo());
        if (client.Transactions().ExecuteAndWait(info)) {
            size_t pos = 0;
            ServerInfoRec rec;
            rec.Version = ReadInt(info.ReplyLine(), pos);
            rec.ConfPresentationConf = ReadInt(info.ReplyLine(), pos);
            rec.PersonPresentationConf = ReadInt(info.ReplyLine(), pos);
            rec.MotdConf = ReadInt(info.ReplyLine(), pos);
            client.SetServerInfo(rec);
        }
        std::vector<std::shared_ptr<TMiravoMembership>> memberships;
        TGetMembershipTrans request(client.Protocol(), person, memberships, &client.Cache());
        if (!client.Transactions().ExecuteAndWait(request))
            return ::testing::AssertionFailure() << "no memberships";
        for (auto& m : memberships) {
            m->SetMayHaveUnread(true);
            client.Cache().PutMembership(m);
        }
        return ::testing::AssertionSuccess();
    }

    // The conference list as the reading window shows it by default.
    void FillListByPriority()
    {
        std::vector<int32_t> confs;
        client.Cache().ListMemberConferences(confs);
        std::stable_sort(confs.begin(), confs.end(), [&](int32_t a, int32_t b) {
            return client.Cache().GetMembership(a)->Priority() > client.Cache().GetMembership(b)->Priority();
        });
        list.rows = confs;
    }

    // Read-next steps until one shows nothing.
    void ReadAll()
    {
        for (int guard = 0; guard < 200; ++guard) {
            const size_t before = host.shown.size();
            TReadNextTextThread step(services, gui, list, host, *status);
            step.Start();
            step.Join();
            if (host.shown.size() == before)
                return;
        }
        FAIL() << "reading never ran out";
    }

    // The membership as the server has it now.
    std::shared_ptr<TMiravoMembership> ServerMembership(int32_t person, int32_t conf)
    {
        client.Cache().FlushMarkRead(true);
        auto m = std::make_shared<TMiravoMembership>(conf, nullptr);
        TQueryReadTextsTrans query(client.Protocol(), *m, person, conf);
        EXPECT_TRUE(client.Transactions().ExecuteAndWait(query));
        return m;
    }

    test::SeededServer server;
    Client client{test::QuietClientOptions()};
    ClientReadingServices services{client};
    InlineGuiThread gui;
    FakeList list;
    FakeHost host;
    std::unique_ptr<TCurrentReadStatus> status = std::make_unique<TCurrentReadStatus>();
};

// The conference commands' dialogs answered from a script; what they were
// asked and what they showed is kept.
struct ScriptedCommandUi : ConferenceCommandUi {
    std::vector<int32_t> choices;  // answered in order, -1 when used up
    std::optional<std::string> answer;
    std::vector<std::string> titles, presets, boxes;
    std::vector<int32_t> shown;
    struct Opened {
        PresentationKind kind;
        int32_t target, recipient;
        std::string subject;
    };
    std::vector<Opened> opened;
    int32_t ChooseName(std::string_view title, std::string_view preset, NameKind) override
    {
        titles.emplace_back(title);
        presets.emplace_back(preset);
        if (choices.empty())
            return -1;
        const int32_t c = choices.front();
        choices.erase(choices.begin());
        return c;
    }
    std::optional<std::string> AskString(std::string_view, std::string_view) override { return answer; }
    void ShowMessageBox(std::string_view text) override { boxes.emplace_back(text); }
    void ShowTextInReadingWindow(int32_t text) override { shown.push_back(text); }
    void OpenComposition(PresentationKind kind, int32_t target, int32_t recipient, const std::string& subject) override
    {
        opened.push_back({kind, target, recipient, subject});
    }
};

// Alpha (priority 200): r1 with footnote f1 and comments c1 (with c1a) and
// c2, a deleted text, r2, x (also in Beta, already read in Alpha) and y
// (read in Alpha, added to Beta by someone else). Beta (priority 100): b1
// with comment b2, x, y.
class ReadingOrderTest : public ReadingTest {
protected:
    void SetUp() override
    {
        test::SeedDatabase seed;
        reader = seed.Person("Rita Reader");
        writer = seed.Person("Walt Writer");
        adder = seed.Person("Ada Adder");
        alpha = seed.Conf("Alpha");
        beta = seed.Conf("Beta");
        seed.store.AddMember(reader, alpha, 200);
        seed.store.AddMember(reader, beta, 100);
        r1 = seed.Text(writer, "Coffee", {alpha});
        f1 = seed.Text(writer, "Coffee footnote", {alpha}, 0, r1);
        c1 = seed.Text(writer, "Re: Coffee", {alpha}, r1);
        c2 = seed.Text(writer, "Re: Coffee again", {alpha}, r1);
        c1a = seed.Text(writer, "Re: Re: Coffee", {alpha}, c1);
        const int32_t deleted = seed.Text(writer, "Gone", {alpha});
        deletedLocal = seed.LocalIn(deleted, alpha);
        seed.store.DeleteText(deleted);
        r2 = seed.Text(writer, "Tea", {alpha});
        b1 = seed.Text(writer, "Beta root", {beta});
        x = seed.Text(writer, "In both", {alpha, beta});
        seed.MarkReadOnServer(reader, alpha, seed.LocalIn(x, alpha));
        b2 = seed.Text(writer, "Re: Beta root", {beta}, b1);
        y = seed.Text(writer, "Added to beta", {alpha});
        seed.AddRecipient(y, beta, adder);
        seed.MarkReadOnServer(reader, alpha, seed.LocalIn(y, alpha));
        StartServer(seed);
        ASSERT_TRUE(LogOn(reader));
        FillListByPriority();
    }
    int32_t reader = 0, writer = 0, adder = 0, alpha = 0, beta = 0;
    int32_t r1 = 0, f1 = 0, c1 = 0, c2 = 0, c1a = 0, r2 = 0, b1 = 0, b2 = 0, x = 0, y = 0, deletedLocal = 0;
};

TEST_F(ReadingOrderTest, ReadsTreeByTreeThenTheNextConferenceAndMarksEverythingOnTheServer)
{
    ReadAll();
    // f1 is shown with r1 and marked with it; y is filtered out of Beta.
    EXPECT_EQ(host.shown, (std::vector<int32_t>{r1, c1, c1a, c2, r2, b1, b2, x}));
    EXPECT_EQ(host.disconnects, 0);
    ASSERT_FALSE(host.info.empty());
    EXPECT_EQ(host.info.back().rfind("The time is now 2", 0), 0u) << host.info.back();
    EXPECT_EQ(list.selected, -1);
    EXPECT_EQ(status->Conference(), 0);

    const auto alphaOnServer = ServerMembership(reader, alpha);
    const auto betaOnServer = ServerMembership(reader, beta);
    for (int32_t t : {r1, f1, c1, c2, c1a, r2, x, y})
        EXPECT_TRUE(alphaOnServer->IsRead(LocalNumberIn(client.Cache(), alpha, t))) << t;
    EXPECT_TRUE(alphaOnServer->IsRead(deletedLocal));
    for (int32_t t : {b1, b2, x, y})
        EXPECT_TRUE(betaOnServer->IsRead(LocalNumberIn(client.Cache(), beta, t))) << t;
}

TEST_F(ReadingOrderTest, WithTheFilterOffAnAddedTextIsOffered)
{
    client.Config().WriteString("FilterAddedTexts", "0");
    ReadAll();
    EXPECT_EQ(host.shown, (std::vector<int32_t>{r1, c1, c1a, c2, r2, b1, b2, x, y}));
}

TEST_F(ReadingOrderTest, TheWalkTakesFootnotesBeforeCommentsWhenTheyAreStillUnread)
{
    status->SetConference(alpha);
    std::vector<int32_t> order;
    const auto membership = client.Cache().GetMembership(alpha);
    for (int32_t t; (t = GetNextUnread(services, *status, membership.get(), nullptr)) != -1;) {
        order.push_back(t);
        status->SetCurrentText(t);
        MarkTextRead(services, t, false);
        ASSERT_LT(order.size(), 20u);
    }
    EXPECT_EQ(order, (std::vector<int32_t>{r1, f1, c1, c1a, c2, r2}));
}

TEST_F(ReadingOrderTest, MarkTreeReadReachesTheServer)
{
    MarkTreeRead(services, r1);
    const auto onServer = ServerMembership(reader, alpha);
    for (int32_t t : {r1, f1, c1, c2, c1a})
        EXPECT_TRUE(onServer->IsRead(LocalNumberIn(client.Cache(), alpha, t))) << t;
    EXPECT_FALSE(onServer->IsRead(LocalNumberIn(client.Cache(), alpha, r2)));
    EXPECT_EQ(FindRootText(services, c1a), r1);
    EXPECT_EQ(FindRootText(services, f1), r1);
}

TEST_F(ReadingOrderTest, SetUnreadInConferenceReloadsTheMembership)
{
    ScriptedCommandUi ui;
    ui.choices = {alpha, alpha, writer};  // writer: not a member there
    ui.answer = "2";
    SetUnreadInConference(client, ui, alpha);
    EXPECT_EQ(ui.presets, std::vector<std::string>{"Alpha"});
    const auto m = client.Cache().GetMembership(alpha);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->UnreadCount(), 2);
    EXPECT_TRUE(m->Changed());

    ui.answer = "many";
    SetUnreadInConference(client, ui, alpha);
    SetUnreadInConference(client, ui, -1);
    EXPECT_TRUE(ui.choices.empty());
    std::vector<std::string> messages;
    for (std::string text; client.UserMessages().Pop(text);)
        messages.push_back(text);
    EXPECT_NE(std::find(messages.begin(), messages.end(), "!Not a valid number"), messages.end());
    EXPECT_NE(std::find(messages.begin(), messages.end(), "iYou are not a member of that conference"),
              messages.end());
}

// p and q comment each other: a cycle a server may well present.
TEST_F(ReadingTest, LinkCyclesEndInReadingMarkingAndFindingTheRoot)
{
    test::SeedDatabase seed;
    const int32_t reader = seed.Person("Rita Reader");
    const int32_t conf = seed.Conf("Loops");
    seed.store.AddMember(reader, conf, 200);
    const int32_t p = seed.Text(reader, "P", {conf});
    const int32_t q = seed.Text(reader, "Q", {conf}, p);
    seed.Link(p, q, false);
    StartServer(seed);
    ASSERT_TRUE(LogOn(reader));
    FillListByPriority();

    const int32_t root = FindRootText(services, q);
    EXPECT_TRUE(root == p || root == q);
    ReadAll();
    EXPECT_EQ(host.shown, (std::vector<int32_t>{p, q}));
    MarkTreeRead(services, q);
    SUCCEED();
}

// A comment chain deeper than the text stack is read completely, in order.
TEST_F(ReadingTest, AChainDeeperThanTheStackIsReadCompletely)
{
    test::SeedDatabase seed;
    const int32_t reader = seed.Person("Rita Reader");
    const int32_t conf = seed.Conf("Deep");
    seed.store.AddMember(reader, conf, 200);
    std::vector<int32_t> chain{seed.Text(reader, "Start", {conf})};
    for (int i = 0; i < TCurrentReadStatus::kStackSize + 20; ++i)
        chain.push_back(seed.Text(reader, "Deeper", {conf}, chain.back()));
    chain.push_back(seed.Text(reader, "Second answer", {conf}, chain.front()));
    StartServer(seed);
    ASSERT_TRUE(LogOn(reader));

    // Every status asked for at once, so that the walk below waits only for
    // the text map.
    auto sync = std::make_shared<TSyncronizer>();
    std::vector<std::shared_ptr<TextStatType>> stats;
    std::vector<std::unique_ptr<TGetTextStatTrans>> requests;
    for (int32_t t : chain) {
        stats.push_back(std::make_shared<TextStatType>());
        requests.push_back(std::make_unique<TGetTextStatTrans>(client.Protocol(), t, *stats.back()));
        sync->Acquire();
        client.Transactions().Execute(*requests.back(), sync);
    }
    ASSERT_EQ(sync->WaitFor(20000), WaitResult::Signaled);
    for (size_t i = 0; i < chain.size(); ++i) {
        ASSERT_TRUE(requests[i]->Success());
        client.Cache().PutTextStat(chain[i], stats[i]);
    }

    status->SetConference(conf);
    const auto membership = client.Cache().GetMembership(conf);
    std::vector<int32_t> order;
    for (int32_t t; (t = GetNextUnread(services, *status, membership.get(), nullptr)) != -1;) {
        order.push_back(t);
        status->SetCurrentText(t);
        MarkTextRead(services, t, false);
        ASSERT_LE(order.size(), chain.size());
    }
    EXPECT_EQ(order, chain);
    const auto onServer = ServerMembership(reader, conf);
    EXPECT_EQ(onServer->LastTextRead(), static_cast<int32_t>(chain.size()));
    EXPECT_EQ(status->Count(), 0);
}

// Tree: "Coffee": r1 (c1 (both), both), r3; "Tea": r2. Both comments c1 and
// r1, so when it comes up both are in the tree. Marks on r1 and c1.
class TreeTest : public ReadingTest {
protected:
    void SetUp() override
    {
        test::SeedDatabase seed;
        reader = seed.Person("Rita Reader");
        alpha = seed.Conf("Alpha");
        seed.store.AddMember(reader, alpha, 200);
        r1 = seed.Text(reader, "Coffee", {alpha});
        c1 = seed.Text(reader, "Milk?", {alpha}, r1);
        r2 = seed.Text(reader, "Tea", {alpha});
        r3 = seed.Text(reader, "Coffee", {alpha});
        both = seed.Text(reader, "Both then", {alpha}, c1);
        seed.Link(both, r1, false);
        seed.store.EditInfo().confPresentationConf = alpha;
        seed.store.EditInfo().personPresentationConf = alpha;
        seed.store.EditInfo().motdConf = alpha;
        seed.store.SetMark(reader, r1, 100);
        seed.store.SetMark(reader, c1, 7);
        StartServer(seed, ReplyDelayMs());
        ASSERT_TRUE(LogOn(reader));
    }
    virtual int ReplyDelayMs() const { return 0; }
    int32_t reader = 0, alpha = 0, r1 = 0, c1 = 0, r2 = 0, r3 = 0, both = 0;
};

// The same over a link with long round trips.
class SlowLinkTreeTest : public TreeTest {
protected:
    static constexpr int kDelayMs = 200;
    int ReplyDelayMs() const override { return kDelayMs; }
};

TEST_F(SlowLinkTreeTest, FetchTogetherHasEveryRequestInFlightAtOnceAndFillsTheCaches)
{
    const std::vector<int32_t> texts{r1, c1, r2, r3, both, 999999};
    FetchList list;
    list.stats = texts;
    list.texts = texts;
    list.texts.push_back(r1);  // asked twice, fetched once
    list.names = {reader, alpha};
    const uint64_t before = client.Counters().requestsSent;
    int inFlight = -1;
    const auto start = std::chrono::steady_clock::now();
    services.FetchTogether(list, kDelayMs / 4, [&] { inFlight = client.Transactions().ActiveCount(); });
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const auto sent = static_cast<int>(client.Counters().requestsSent - before);
    EXPECT_GE(sent, 12);
    EXPECT_EQ(inFlight, sent) << "every request out before the first answer";
    EXPECT_LT(elapsed, std::chrono::milliseconds(kDelayMs * 3)) << "one round trip, not " << sent;

    const uint64_t fetched = client.Counters().requestsSent;
    for (int32_t t : {r1, c1, r2, r3, both})
        EXPECT_TRUE(client.Cache().IsTextStatCached(t)) << t;
    EXPECT_EQ(client.Cache().GetText(r2)->Subject(), "Tea");
    EXPECT_EQ(client.Cache().GetText(c1)->Subject(), "Milk?");
    EXPECT_EQ(client.Cache().GetText(999999), nullptr) << "the refusal is remembered";
    EXPECT_EQ(client.Cache().GetName(reader), "Rita Reader");
    EXPECT_EQ(client.Counters().requestsSent, fetched) << "all from the caches";
}

TEST_F(SlowLinkTreeTest, TheBuilderShowsTheTreeInAFewRoundTrips)
{
    SubjectTreeModel tree;
    const auto start = std::chrono::steady_clock::now();
    {
        SubjectTreeAsyncThread builder(services, tree);
        builder.RequestConference(alpha);
        builder.Resume();
        ASSERT_TRUE(builder.WaitUntilDrained(30000));
        builder.Pause();
    }
    const auto trips = (std::chrono::steady_clock::now() - start) / std::chrono::milliseconds(kDelayMs);
    EXPECT_EQ(tree.TextsInTreeOrder(), (std::vector<int32_t>{r1, c1, both, both, r3, r2}));
    // The conference's statuses, its text map, then the window's statuses
    // and the bodies and names together: four. One text at a time took two
    // or more per text, twelve or more here; the margin above four is for a
    // loaded machine, where the work between the round trips takes its time.
    EXPECT_LE(trips, 8);
}

// A conference of many texts with bodies longer than a subject fetch, each
// root with a comment, over a link whose replies take kDelayMs; one root's
// subject is longer than the part of a text that an outline asks for.
class BusyConferenceTest : public ReadingTest {
protected:
    static constexpr int kDelayMs = 60;
    static constexpr int kRoots = 700;
    void SetUp() override
    {
        test::SeedDatabase seed;
        reader = seed.Person("Rita Reader");
        writer = seed.Person("Walt Writer");
        busy = seed.Conf("Busy");
        seed.store.AddMember(reader, busy, 200);
        const std::string words(300, 'w');
        auto text = [&](const std::string& subject, int32_t parent) {
            miravod::Text& t = seed.store.NewText(writer, seed.now);
            t.body = subject + "\n" + words;
            const int32_t n = t.number;
            seed.AddRecipient(n, busy);
            if (parent)
                seed.Link(n, parent, false);
            texts.push_back(n);
            return n;
        };
        longSubject = std::string(3 * ClientReadingServices::kSubjectBytes, 's') + " end";
        longText = text(longSubject, 0);
        veryLongSubject = std::string(ClientReadingServices::kLongSubjectBytes + 100, 'v') + " end";
        veryLongText = text(veryLongSubject, 0);
        for (int i = 0; i < kRoots; ++i)
            text("Re: " + std::to_string(i), text("Root " + std::to_string(i), 0));
        StartServer(seed, kDelayMs);
        ASSERT_TRUE(LogOn(reader));
        client.Transactions().ResetPeakOutstanding();
    }
    int32_t reader = 0, writer = 0, busy = 0, longText = 0, veryLongText = 0;
    std::string longSubject, veryLongSubject;
    std::vector<int32_t> texts;
};

TEST_F(BusyConferenceTest, TheOutlineBringsStatusesAndSubjectsManyAtATimeButNotTheBodies)
{
    size_t landed = 0;
    const auto start = std::chrono::steady_clock::now();
    services.FetchOutline(texts, {}, [&](const std::vector<int32_t>& part) { landed += part.size(); });
    const auto trips = (std::chrono::steady_clock::now() - start) / std::chrono::milliseconds(kDelayMs);
    EXPECT_EQ(landed, texts.size());
    // Two parts of statuses and subjects travel together, then the next
    // ones, the author's name and the long subjects' second and third asks:
    // some eight round trips (more on a slow machine or under a sanitizer),
    // where one text at a time took two per text, some 2,800.
    EXPECT_LE(trips, 20);
    EXPECT_GE(client.Transactions().PeakOutstanding(), static_cast<int>(2 * ClientReadingServices::kOutlinePart));

    const uint64_t fetched = client.Counters().requestsSent;
    for (int32_t t : texts)
        ASSERT_TRUE(client.Cache().IsTextStatCached(t)) << t;
    EXPECT_EQ(services.Subject(texts[2]), "Root 0");
    EXPECT_EQ(services.Subject(texts[3]), "Re: 0");
    EXPECT_EQ(services.Subject(longText), longSubject) << "a subject longer than the range comes whole";
    EXPECT_EQ(services.Subject(veryLongText), veryLongSubject) << "and one longer than the second range too";
    EXPECT_EQ(services.GetName(writer), "Walt Writer");
    EXPECT_EQ(client.Counters().requestsSent, fetched) << "subjects and names from the caches";

    // The subject line is not the text: reading it fetches the rest.
    EXPECT_FALSE(client.Cache().IsTextCached(texts[2]));
    const auto body = client.Cache().GetText(texts[2]);
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->Body(), std::string(300, 'w') + "\r\n");
    EXPECT_EQ(client.Counters().requestsSent, fetched + 1);
    EXPECT_TRUE(client.Cache().IsTextCached(texts[2]));
    EXPECT_EQ(services.Subject(texts[2]), "Root 0");
}

TEST_F(BusyConferenceTest, AUserRequestDuringTheFillWaitsForNoPrefetchSentAfterIt)
{
    std::atomic<bool> stop{false};
    std::thread fill([&] { services.FetchOutline(texts, [&] { return stop.load(); }, {}); });
    // Once the first two parts are out and waited for, the user asks for
    // something else.
    const int bothParts = static_cast<int>(4 * ClientReadingServices::kOutlinePart) - 8;
    for (int i = 0; i < 5000 && client.Transactions().PeakOutstanding() < bothParts; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    // Both parts wholly sent (on a busy machine the last lines may still be
    // on their way): nothing goes out for a while, as the fill waits.
    uint64_t before = client.Counters().requestsSent;
    for (int i = 0; i < 500; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const uint64_t now = client.Counters().requestsSent;
        if (now == before)
            break;
        before = now;
    }
    // What went out is counted when the reply arrives, while the request is
    // still outstanding: once it is answered the fill may go on at once.
    struct CountedAtReply : TGenericTrans {
        CountedAtReply(Client& c) : TGenericTrans(c.Protocol(), "Get the time", requests::GetTime()), client(c) {}
        void ParseReply() override
        {
            TGenericTrans::ParseReply();
            sentAtReply = client.Counters().requestsSent;
        }
        Client& client;
        uint64_t sentAtReply = 0;
    };
    const auto start = std::chrono::steady_clock::now();
    CountedAtReply time(client);
    EXPECT_TRUE(client.Transactions().ExecuteAndWait(time));
    const auto waited = std::chrono::steady_clock::now() - start;
    const uint64_t sentMeanwhile = time.sentAtReply - before;
    stop = true;
    fill.join();
    EXPECT_FALSE(time.Background());
    // Answered as what was sent before it is, not after further parts (a hang
    // guard only: the count below is what says it).
    EXPECT_LT(waited, std::chrono::milliseconds(10 * kDelayMs));
    // No part starts while the user waits (without holding back, the next
    // two parts, some 1,000 requests, went out meanwhile).
    // At most the request itself (counted once its line is out).
    EXPECT_LE(sentMeanwhile, 1u);
    EXPECT_EQ(client.Transactions().ForegroundOutstanding(), 0);
}

TEST_F(BusyConferenceTest, TheBuilderListsTheWholeTreeWithoutFetchingBodiesBeyondTheReadAhead)
{
    SubjectTreeModel tree;
    const uint64_t before = client.Counters().bytesReceived;
    {
        SubjectTreeAsyncThread builder(services, tree);
        builder.RequestConference(busy);
        builder.Resume();
        ASSERT_TRUE(builder.WaitUntilDrained(60000));
        EXPECT_EQ(builder.TextsAfter(0, 3), (std::vector<int32_t>{texts[0], texts[1], texts[2]}));
        EXPECT_EQ(builder.TextsAfter(texts[2], 1), std::vector<int32_t>{texts[3]});
        builder.Pause();
    }
    EXPECT_EQ(tree.TextsInTreeOrder(), texts);
    ASSERT_FALSE(tree.TopLevel().empty());
    EXPECT_EQ(tree.At(tree.TopLevel()[0]).caption, longSubject);
    EXPECT_EQ(tree.At(tree.TopLevel()[1]).caption, veryLongSubject);
    // The read-ahead fetched the first texts whole, nothing further.
    EXPECT_TRUE(client.Cache().IsTextCached(texts[0]));
    EXPECT_FALSE(client.Cache().IsTextCached(texts.back()));
    const uint64_t received = client.Counters().bytesReceived - before;
    EXPECT_LT(received, texts.size() * 300) << "no body of every text";
}

TEST_F(TreeTest, TheBuilderPlacesCommentsUnderTheirParentsAndMarksNothing)
{
    SubjectTreeModel tree;
    {
        SubjectTreeAsyncThread builder(services, tree);
        builder.RequestConference(alpha);
        builder.Resume();
        ASSERT_TRUE(builder.WaitUntilDrained(10000));
        builder.Pause();
    }
    EXPECT_EQ(tree.TextsInTreeOrder(), (std::vector<int32_t>{r1, c1, both, both, r3, r2}));
    ASSERT_EQ(tree.TopLevel().size(), 2u);
    EXPECT_EQ(tree.At(tree.TopLevel()[0]).caption, "Coffee");
    EXPECT_EQ(tree.At(tree.TopLevel()[1]).caption, "Tea");
    EXPECT_EQ(tree.At(tree.NodesOfText(r1).at(0)).caption, "Rita Reader");
    const auto onServer = ServerMembership(reader, alpha);
    EXPECT_EQ(onServer->LastTextRead(), 0);
    EXPECT_EQ(onServer->ReadTextCount(), 0);
    EXPECT_EQ(client.Cache().GetMembership(alpha)->UnreadCount(), 5);
}

TEST_F(TreeTest, AfterThePrefetchReadingNeedsNoServerRoundTrips)
{
    SubjectTreeModel tree;
    SubjectTreeAsyncThread builder(services, tree);
    builder.Enqueue(SubjectTreeAsyncThread::PrefetchOrder(services));
    builder.Resume();
    ASSERT_TRUE(builder.WaitUntilDrained(10000));
    builder.Pause();
    FillListByPriority();
    const uint64_t before = client.Counters().requestsSent;
    TReadNextTextThread step(services, gui, list, host, *status);
    step.Run();
    EXPECT_EQ(host.shown, std::vector<int32_t>{r1});
    EXPECT_EQ(client.Counters().requestsSent, before);
}

TEST_F(TreeTest, TheMarksLoaderListsTheMarksWithTheirSubjects)
{
    struct View : MarkedTextsView {
        std::vector<std::vector<std::string>> rows;
        bool done = false;
        void SetWorkingLabel(const std::string&) override {}
        void AddMarkRow(const std::string& t, const std::string& type, const std::string& s) override
        {
            rows.push_back({t, type, s});
        }
        void LoaderFinished() override { done = true; }
    } view;
    TAsyncUpdateMarkedTextsThread loader(services, gui, view);
    loader.Start();
    loader.Join();
    EXPECT_TRUE(view.done);
    EXPECT_EQ(view.rows, (std::vector<std::vector<std::string>>{{std::to_string(r1), "100", "Coffee"},
                                                                 {std::to_string(c1), "7", "Milk?"}}));
}

TEST_F(TreeTest, PresentationTextIsNoneForAConferenceWithoutOneAndForNoConference)
{
    EXPECT_EQ(PresentationText(client, 0), 0);
    EXPECT_EQ(PresentationText(client, -3), 0);
    EXPECT_EQ(PresentationText(client, alpha), 0);  // Alpha has none: the window says "No such text"
    EXPECT_EQ(PresentationText(client, 987654), 0);
}

TEST_F(TreeTest, PresentationAndNoticeCommandsOpenTheComposerOrSetTheNotice)
{
    ScriptedCommandUi ui;
    ui.choices = {alpha, reader, alpha, -1};
    ChangePresentation(client, ui, false);
    ChangePresentation(client, ui, true);
    ChangeNotice(client, ui);
    ChangeNotice(client, ui);  // cancelled
    ASSERT_EQ(ui.opened.size(), 3u);
    EXPECT_EQ(ui.opened[0].kind, PresentationKind::Conference);
    EXPECT_EQ(ui.opened[0].target, alpha);
    EXPECT_EQ(ui.opened[0].recipient, alpha);
    EXPECT_EQ(ui.opened[0].subject, "Alpha");
    EXPECT_EQ(ui.opened[1].kind, PresentationKind::Person);
    EXPECT_EQ(ui.opened[1].subject, "Rita Reader");
    EXPECT_EQ(ui.opened[2].kind, PresentationKind::Notice);
    EXPECT_EQ(ui.titles, (std::vector<std::string>{"Change presentation", "Change presentation",
                                                   "Change Message Of The Day", "Change Message Of The Day"}));

    // Alpha has no supervisor the reader could be; the reader's own letterbox does.
    ui.choices = {alpha, reader};
    RemoveNotice(client, ui);
    RemoveNotice(client, ui);
    std::vector<std::string> messages;
    for (std::string text; client.UserMessages().Pop(text);)
        messages.push_back(text);
    EXPECT_EQ(std::count(messages.begin(), messages.end(),
                         "!An error occurred while adding text as Message Of The Day."),
              1);
}

} // namespace
} // namespace pellar
