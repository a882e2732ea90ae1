// The text-search worker against an in-process server: it walks a real
// conference's text map through the caches.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/link/MVRequests.h"
#include "core/wire/TMiravoMembership.h"
#include "core/search/TTextSearchThread.h"
#include "core/session/Client.h"
#include "core/base/GuiThread.h"
#include "server/PasswordHash.h"
#include "server/Server.h"
#include "server/Store.h"
#include "support/ClientHarness.h"

namespace pellar {
namespace {

constexpr const char* kPassword = "secret";

class Results : public FindTextResults {
public:
    std::vector<int32_t> texts;
    std::vector<std::string> authors, subjects;
    std::vector<int> progress;
    int finished = 0;
    std::function<void()> onResult;

    void AddResult(int32_t text, const std::string& author, const std::string& subject) override
    {
        texts.push_back(text);
        authors.push_back(author);
        subjects.push_back(subject);
        if (onResult)
            onResult();
    }
    void Progress(int percent) override { progress.push_back(percent); }
    void Finished() override { ++finished; }
};

class SearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("pellar-search-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".db");
        std::filesystem::remove(path_);
        std::string error;
        ASSERT_TRUE(store_.Open(path_.string(), &error)) << error;
        const TDateTime now = NowLocal();
        alice = store_.CreatePerson("Alice", miravod::PasswordHash::Make(kPassword, 1000), now);
        bob = store_.CreatePerson("Bob", miravod::PasswordHash::Make(kPassword, 1000), now);
        conf = store_.CreateConference("Releases", "00000000", 0, now);
        store_.AddMember(alice, conf, 100);
        const char* subjects[] = {"Release 1.2 is out", "release notes", "Lunch", "Version 2.0 plans", "Nothing"};
        for (int i = 0; i < 40; ++i) {
            miravod::Text& t = store_.NewText(i % 2 ? bob : alice, now);
            t.body = std::string(subjects[i % 5]) + "\nBody of text " + std::to_string(i);
            const int32_t n = t.number;
            miravod::MiscItem m;
            m.kind = miravod::MiscKind::Recipient;
            m.number = conf;
            m.local = store_.AppendToConference(conf, n, now);
            m.received = now;
            store_.EditText(n).misc.push_back(m);
            byLocal.push_back(n);
        }
        ASSERT_TRUE(store_.Commit(&error)) << error;

        miravod::ServerOptions options;
        options.dbPath = path_.string();
        options.demoCompanion = false;
        server = std::make_unique<miravod::Server>(options);
        ASSERT_TRUE(server->Start(&error)) << error;
        ASSERT_TRUE(LogOn(alice));
    }

    void TearDown() override
    {
        worker.reset();
        std::filesystem::remove(path_);
    }

    ::testing::AssertionResult LogOn(int32_t person)
    {
        try {
            client.ComThread().Connect("127.0.0.1", std::to_string(server->Port()));
        } catch (const std::exception& e) {
            return ::testing::AssertionFailure() << e.what();
        }
        if (client.ConnectedEvent().WaitFor(5000) != WaitResult::Signaled)
            return ::testing::AssertionFailure() << "no greeting";
        client.SetServerVersionInfo(ServerVersionInfoRec{10, "miravod", ""});
        TLogonTrans logon(client.Protocol(), person, kPassword, false);
        if (!client.Transactions().ExecuteAndWait(logon))
            return ::testing::AssertionFailure() << "logon refused";
        client.SetCurrentPerson(person);
        std::vector<std::shared_ptr<TMiravoMembership>> memberships;
        TGetMembershipTrans request(client.Protocol(), person, memberships, &client.Cache());
        if (!client.Transactions().ExecuteAndWait(request))
            return ::testing::AssertionFailure() << "no memberships";
        for (auto& m : memberships)
            client.Cache().PutMembership(m);
        return ::testing::AssertionSuccess();
    }

    FindTextParams Params()
    {
        FindTextParams p;
        p.conference = client.Cache().GetConference(conf);
        p.membership = client.Cache().GetMembership(conf);
        return p;
    }

    void Run(const FindTextParams& params)
    {
        worker = std::make_unique<TTextSearchThread>(params, source, results, gui);
        worker->Start();
        worker->Join();
    }

    miravod::Store store_;
    std::filesystem::path path_;
    int32_t alice = 0, bob = 0, conf = 0;
    std::vector<int32_t> byLocal;  // global numbers, local 1 first
    std::unique_ptr<miravod::Server> server;
    Client client{test::QuietClientOptions()};
    CacheTextSource source{client.Cache()};
    Results results;
    InlineGuiThread gui;
    std::unique_ptr<TTextSearchThread> worker;
};

TEST_F(SearchTest, ByAuthorListsExactlyThatPersonsTexts)
{
    auto params = Params();
    ASSERT_TRUE(params.membership);
    params.author = bob;
    Run(params);
    std::vector<int32_t> expected;
    for (size_t i = 1; i < byLocal.size(); i += 2)
        expected.push_back(byLocal[i]);
    EXPECT_EQ(results.texts, expected);
    EXPECT_EQ(results.authors.front(), "Bob");
    EXPECT_EQ(results.finished, 1);
    EXPECT_EQ(results.progress.back(), 100);
}

TEST_F(SearchTest, ByPatternAndBySubstringInTheLastTexts)
{
    auto params = Params();
    params.subjectPattern = "[0-9]+\\.[0-9]";
    params.usePatterns = true;
    Run(params);
    ASSERT_EQ(results.texts.size(), 16u);  // "Release 1.2" and "Version 2.0", 8 of each
    EXPECT_EQ(results.subjects[0], "Release 1.2 is out");
    EXPECT_EQ(results.subjects[1], "Version 2.0 plans");

    results = Results{};
    params = Params();
    params.subjectPattern = "RELEASE";
    params.lastN = 9;  // locals 31..40
    Run(params);
    EXPECT_EQ(results.texts, (std::vector<int32_t>{byLocal[30], byLocal[31], byLocal[35], byLocal[36]}));
    EXPECT_EQ(worker->Examined(), 10);
}

TEST_F(SearchTest, StopsWhenAsked)
{
    auto params = Params();
    params.bodyPattern = "body";
    results.onResult = [this] {
        if (results.texts.size() == 3)
            worker->Stop();
    };
    Run(params);
    EXPECT_EQ(results.texts.size(), 3u);
    EXPECT_EQ(results.finished, 1);
    EXPECT_FALSE(worker->Running());
}

} // namespace
} // namespace pellar
