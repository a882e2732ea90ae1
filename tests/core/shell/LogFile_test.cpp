#include "core/shell/LogFile.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellar {
namespace {

class LogFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir_ = std::filesystem::temp_directory_path() /
               ("pellar-log-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    static std::string Read(const std::filesystem::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::filesystem::path dir_;
};

TEST_F(LogFileTest, WritesTaggedLines)
{
    const auto path = dir_ / "debug.log";
    LogFile log(path);
    ASSERT_TRUE(log.IsOpen());
    log.Log("X", "y");
    log.Log("ComThread.Send", "12 62 5 4Hpass\n"); // the line as sent ends in LF
    EXPECT_EQ(Read(path), "[X] y\n[ComThread.Send] 12 62 5 4Hpass\n");
}

TEST_F(LogFileTest, EachRunStartsEmpty)
{
    const auto path = dir_ / "debug.log";
    {
        LogFile first(path);
        first.Log("run", "one");
    }
    LogFile second(path);
    second.Log("run", "two");
    EXPECT_EQ(Read(path), "[run] two\n");
}

TEST_F(LogFileTest, OnlyTheUserMayReadIt)
{
    const auto path = dir_ / "debug.log";
    {
        std::ofstream old(path);
        old << "old";
    }
    ::chmod(path.c_str(), 0644);
    LogFile log(path);
    struct stat st{};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(LogFileTest, OneCallIsOneLine)
{
    const auto path = dir_ / "debug.log";
    LogFile log(path);
    log.Log("ComThread.TryReceive", std::string("=1 2\n:3 4\r\n\x01", 12));
    EXPECT_EQ(Read(path), "[ComThread.TryReceive] =1 2\\n:3 4\\r\\n\\x01\n");
}

TEST_F(LogFileTest, ConcurrentLinesDoNotMix)
{
    const auto path = dir_ / "debug.log";
    LogFile log(path);
    std::vector<std::thread> threads;
    const std::string payload(200, 'a');
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i)
                log.Log("T" + std::to_string(t), payload);
        });
    for (auto& th : threads)
        th.join();
    std::istringstream in(Read(path));
    std::string line;
    int lines = 0;
    while (std::getline(in, line)) {
        ++lines;
        ASSERT_EQ(line.size(), 5u + payload.size()) << line;
        ASSERT_EQ(line.substr(4), " " + payload);
    }
    EXPECT_EQ(lines, 800);
}

TEST_F(LogFileTest, UnwritablePlaceIsSkippedQuietly)
{
    LogFile log(dir_ / "missing-dir" / "debug.log");
    EXPECT_FALSE(log.IsOpen());
    log.Log("X", "y"); // must not throw or crash
    LogFile none("");
    none.Log("X", "y");
}

TEST_F(LogFileTest, DoesNotFollowAPlantedLink)
{
    const auto target = dir_ / "elsewhere";
    {
        std::ofstream t(target);
        t << "keep";
    }
    const auto path = dir_ / "debug.log";
    std::filesystem::create_symlink(target, path);
    LogFile log(path);
    log.Log("X", "y");
    EXPECT_EQ(Read(target), "keep");
}

} // namespace
} // namespace pellar
