#include "support/DemoServer.h"

#include <atomic>
#include <unistd.h>

#include "core/link/MVRequests.h"
#include "core/session/Client.h"
#include "server/PasswordHash.h"

namespace pellar::test {

namespace {

// Memory-backed when the system has it: the server commits every changing
// request, and syncing to a disk would dominate the run time.
std::filesystem::path ScratchDir()
{
    std::error_code ec;
    if (std::filesystem::is_directory("/dev/shm", ec))
        return "/dev/shm";
    return std::filesystem::temp_directory_path();
}

} // namespace

std::unique_ptr<miravod::Server> StartDemoServer(std::string* why, miravod::ServerOptions options)
{
    options.demo = true;
    options.demoCompanion = false;
    auto server = std::make_unique<miravod::Server>(options);
    if (!server->Start(why))
        return nullptr;
    return server;
}

std::unique_ptr<miravod::Server> StartQuickDemoServer(std::string* why, WireCharset charset)
{
    miravod::ServerOptions options;
    options.charset = charset;
    options.passwordIterations = 1000;
    return StartDemoServer(why, options);
}

void RemoveDatabase(const std::string& path)
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        std::filesystem::remove(path + suffix);
}

SeedDatabase::SeedDatabase() : now(NowLocal())
{
    static std::atomic<int> counter{0};
    path_ = ScratchDir() / ("pellar-seed-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".db");
    RemoveDatabase(path_.string());
    std::string error;
    if (!store.Open(path_.string(), &error))
        ADD_FAILURE() << error;
}

SeedDatabase::~SeedDatabase()
{
    if (!handedOver_)
        RemoveDatabase(path_.string());
}

int32_t SeedDatabase::Person(const std::string& name)
{
    return store.CreatePerson(name, miravod::PasswordHash::Make(kSeedPassword, 1000), now);
}

int32_t SeedDatabase::Conf(const std::string& name, const std::string& type, int32_t superConf)
{
    const int32_t n = store.CreateConference(name, type, 0, now);
    store.EditConf(n).superConf = superConf;
    return n;
}

int32_t SeedDatabase::Text(int32_t author, const std::string& subject, const std::vector<int32_t>& to,
                           int32_t commentTo, int32_t footnoteTo)
{
    miravod::Text& t = store.NewText(author, now);
    t.body = subject + "\nSome words.";
    const int32_t n = t.number;
    for (int32_t conf : to)
        AddRecipient(n, conf);
    if (commentTo)
        Link(n, commentTo, false);
    if (footnoteTo)
        Link(n, footnoteTo, true);
    return n;
}

int32_t SeedDatabase::AddMisc(int32_t text, int32_t conf, bool carbonCopy, int32_t sentBy)
{
    miravod::MiscItem m;
    m.kind = carbonCopy ? miravod::MiscKind::CarbonCopy : miravod::MiscKind::Recipient;
    m.number = conf;
    m.local = store.AppendToConference(conf, text, now);
    m.received = now;
    m.sentBy = sentBy;
    m.sentAt = sentBy ? now : 0;
    store.EditText(text).misc.push_back(m);
    return m.local;
}

int32_t SeedDatabase::AddRecipient(int32_t text, int32_t conf, int32_t sentBy)
{
    return AddMisc(text, conf, false, sentBy);
}

int32_t SeedDatabase::AddCarbonCopy(int32_t text, int32_t conf)
{
    return AddMisc(text, conf, true, 0);
}

void SeedDatabase::Link(int32_t child, int32_t parent, bool footnote)
{
    using K = miravod::MiscKind;
    miravod::MiscItem up;
    up.kind = footnote ? K::FootnoteTo : K::CommentTo;
    up.number = parent;
    store.EditText(child).misc.push_back(up);
    miravod::MiscItem down;
    down.kind = footnote ? K::FootnoteIn : K::CommentIn;
    down.number = child;
    store.EditText(parent).misc.push_back(down);
}

int32_t SeedDatabase::LocalIn(int32_t text, int32_t conf)
{
    for (const auto& m : store.GetText(text)->misc)
        if (m.IsRecipient() && m.number == conf)
            return m.local;
    return 0;
}

void SeedDatabase::MarkReadOnServer(int32_t person, int32_t conf, int32_t local)
{
    store.EditMembership(person, conf).readTexts.insert(local);
}

std::string SeedDatabase::Finish()
{
    handedOver_ = true;
    std::string error;
    if (!store.Commit(&error))
        ADD_FAILURE() << error;
    return path_.string();
}

::testing::AssertionResult SeededServer::Start(SeedDatabase& seed, miravod::ServerOptions options)
{
    Stop();
    dbPath_ = seed.Finish();
    options.dbPath = dbPath_;
    options.demo = false;
    options.demoCompanion = false;
    server_ = std::make_unique<miravod::Server>(options);
    std::string error;
    if (!server_->Start(&error)) {
        server_.reset();
        return ::testing::AssertionFailure() << error;
    }
    return ::testing::AssertionSuccess();
}

void SeededServer::Stop()
{
    server_.reset();
    if (!dbPath_.empty())
        RemoveDatabase(dbPath_);
    dbPath_.clear();
}

::testing::AssertionResult LogOnByRequests(Client& client, int port, int32_t person, const std::string& password,
                                           int protocolVersion)
{
    try {
        client.ComThread().Connect("127.0.0.1", std::to_string(port));
    } catch (const std::exception& e) {
        return ::testing::AssertionFailure() << e.what();
    }
    if (client.ConnectedEvent().WaitFor(5000) != WaitResult::Signaled)
        return ::testing::AssertionFailure() << "no greeting";
    client.SetServerVersionInfo(ServerVersionInfoRec{protocolVersion, "miravod", ""});
    TLogonTrans logon(client.Protocol(), person, password, false);
    if (!client.Transactions().ExecuteAndWait(logon))
        return ::testing::AssertionFailure() << "logon refused: " << logon.ErrorText();
    client.SetCurrentPerson(person);
    return ::testing::AssertionSuccess();
}

} // namespace pellar::test
