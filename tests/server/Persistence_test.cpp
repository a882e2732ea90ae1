// Everything acknowledged survives a restart on the same database file, and
// passwords are stored only as salted hashes.
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "tests/server/RawClient.h"

namespace miravod::test {
namespace {

// A reply without its "=id".
std::string Body(const std::string& reply)
{
    return reply.substr(reply.find(' ') + 1);
}

class PersistenceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = std::filesystem::temp_directory_path() /
               ("miravod-test-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".db");
        std::filesystem::remove(path);
    }
    void TearDown() override
    {
        for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path.string() + suffix);
    }
    std::unique_ptr<Server> Start()
    {
        ServerOptions o;
        o.dbPath = path.string();
        return StartServer(o);
    }

    std::filesystem::path path;
};

TEST_F(PersistenceTest, RestartRestoresEveryAcknowledgedChange)
{
    std::string stat1, membership, conf, marks;
    {
        auto server = Start();
        RawClient c(server->Port());
        ASSERT_TRUE(c.Greet());
        ASSERT_EQ(c.Call("5 4HAnna 6Hsecret"), "=1 1");
        ASSERT_EQ(c.Call("62 1 6Hsecret 0"), "=2");
        ASSERT_EQ(c.Call("10 7HGeneral 00000000"), "=3 2");
        ASSERT_EQ(c.Call("14 2 1 150 0"), "=4");
        ASSERT_EQ(c.Call("86 8HFirst\nab 1 { 0 2 } 1 { 6 00000000 0 0H }"), "=5 1");
        ASSERT_EQ(c.Call("86 2Hc\n 3 { 2 1 0 2 1 1 } 0 *"), "=6 2");
        ASSERT_EQ(c.Call("86 2Hd\n 1 { 0 2 } 0 *"), "=7 3");
        ASSERT_EQ(c.Call("29 3"), "=8");
        ASSERT_EQ(c.Call("27 2 1 { 2 }"), "=9");
        ASSERT_EQ(c.Call("72 2 42"), "=10");
        ASSERT_EQ(c.Call("16 2 1"), "=11");
        stat1 = Body(c.Call("90 1"));
        membership = Body(c.Call("9 1 2"));
        conf = Body(c.Call("50 2"));
        marks = Body(c.Call("23"));
    }
    auto server = Start();
    RawClient c(server->Port());
    ASSERT_TRUE(c.Greet());
    EXPECT_EQ(c.Call("62 1 6Hwrong! 0"), "%1 4 0");
    ASSERT_EQ(c.Call("62 1 6Hsecret 0"), "=2");
    EXPECT_EQ(Body(c.Call("90 1")), stat1);
    EXPECT_EQ(Body(c.Call("9 1 2")), membership);
    EXPECT_EQ(Body(c.Call("50 2")), conf);
    EXPECT_EQ(Body(c.Call("23")), marks);
    EXPECT_EQ(c.Call("103 2 1 10"), "=7 1 4 0 1 1 3 { 1 2 0 }");
    EXPECT_EQ(c.Call("26 3"), "%8 14 3");
    // Numbers keep counting where they were.
    EXPECT_EQ(c.Call("86 2He\n 1 { 0 2 } 0 *"), "=9 4");
    EXPECT_EQ(c.Call("10 4HMore 00000000"), "=10 3");
}

TEST_F(PersistenceTest, PasswordsAreNeverStoredInClear)
{
    {
        auto server = Start();
        RawClient c(server->Port());
        ASSERT_TRUE(c.Greet());
        ASSERT_EQ(c.Call("5 4HAnna 13Hsupersecret12"), "=1 1");
        ASSERT_EQ(c.Call("5 4HBert 13Hsupersecret12"), "=2 2");
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.string().c_str(), &db), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT pwd FROM persons ORDER BY no", -1, &st, nullptr), SQLITE_OK);
    std::vector<std::string> hashes;
    while (sqlite3_step(st) == SQLITE_ROW) hashes.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(db);
    ASSERT_EQ(hashes.size(), 2u);
    for (const std::string& h : hashes) {
        EXPECT_EQ(h.find("supersecret"), std::string::npos);
        EXPECT_EQ(h.rfind("pbkdf2-sha256$", 0), 0u) << h;
    }
    EXPECT_NE(hashes[0], hashes[1]); // salted
}

// The mode bits of a file, or -1 when it does not exist.
int ModeOf(const std::string& file)
{
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 0777) : -1;
}

TEST_F(PersistenceTest, DatabaseAndSideFilesAreTheOwnersAloneWhateverTheUmask)
{
    const mode_t old = ::umask(022);
    {
        auto server = Start();
        RawClient c(server->Port());
        ASSERT_TRUE(c.Greet());
        ASSERT_EQ(c.Call("5 4HAnna 2Hpw"), "=1 1");
        for (const char* suffix : {"", "-wal", "-shm"}) EXPECT_EQ(ModeOf(path.string() + suffix), 0600) << suffix;
    }
    // A database an older run left readable to others is closed up too.
    for (const char* suffix : {"", "-wal", "-shm"}) ::chmod((path.string() + suffix).c_str(), 0644);
    {
        auto server = Start();
        RawClient c(server->Port());
        ASSERT_TRUE(c.Greet());
        ASSERT_EQ(c.Call("5 4HBert 2Hpw"), "=1 2");
        for (const char* suffix : {"", "-wal", "-shm"}) {
            const int mode = ModeOf(path.string() + suffix);
            EXPECT_TRUE(mode == 0600 || mode == -1) << suffix << " " << std::oct << mode;
        }
        EXPECT_EQ(ModeOf(path.string()), 0600);
    }
    ::umask(old);
}

TEST_F(PersistenceTest, DemoSeedIsWrittenOnceAndKept)
{
    ServerOptions o;
    o.dbPath = path.string();
    o.demo = true;
    std::string before;
    {
        auto server = StartServer(o);
        RawClient c(server->Port());
        ASSERT_TRUE(c.Greet());
        ASSERT_EQ(c.Call("76 9HDemo User 1 0"), "=1 1 { 9HDemo User 10010000 10 }");
        ASSERT_EQ(c.Call("62 10 4Hdemo 0"), "=2");
        before = Body(c.Call("46 10 0 65535 1"));
        ASSERT_EQ(c.Call("86 2Hx\n 1 { 0 5 } 0 *").substr(0, 3), "=4 ");
    }
    auto server = StartServer(o);
    RawClient c(server->Port());
    ASSERT_TRUE(c.Greet());
    ASSERT_EQ(c.Call("62 10 4Hdemo 0"), "=1");
    EXPECT_EQ(Body(c.Call("46 10 0 65535 1")), before);
    EXPECT_EQ(c.Call("76 7HGeneral 0 1"), "=3 1 { 18HGeneral discussion 00000000 5 }");
}

} // namespace
} // namespace miravod::test
