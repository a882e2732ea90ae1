#include "core/base/LogFile.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <csignal>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/TempDir.h"

namespace pellar {
namespace {

using test::FileMode;
using test::ReadFile;

class LogFileTest : public ::testing::Test
{
protected:
    // Runs body in a child process and returns its wait status; the child
    // ends inside body (exit, abort, a fatal signal) or with status 0.
    template <typename Body>
    static int InChild(Body body)
    {
        const pid_t pid = ::fork();
        if (pid == 0) {
            body();
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return status;
    }

    test::TempDir dir_{"log"};
    const std::filesystem::path path = dir_ / "debug.log";
};

TEST_F(LogFileTest, WritesTaggedLines)
{
    LogFile log(path);
    ASSERT_TRUE(log.IsOpen());
    log.Log("X", "y");
    log.Log("ComThread.Send", "12 62 5 4Hpass\n"); // the line as sent ends in LF
    log.Flush();
    EXPECT_EQ(ReadFile(path), "[X] y\n[ComThread.Send] 12 62 5 4Hpass\n");
}

TEST_F(LogFileTest, EachRunStartsEmpty)
{
    {
        LogFile first(path);
        first.Log("run", "one");
    }
    LogFile second(path);
    second.Log("run", "two");
    second.Flush();
    EXPECT_EQ(ReadFile(path), "[run] two\n");
}

TEST_F(LogFileTest, OnlyTheUserMayReadIt)
{
    test::WriteFile(path, "old");
    ::chmod(path.c_str(), 0644);
    LogFile log(path);
    EXPECT_EQ(FileMode(path), 0600u);
}

TEST_F(LogFileTest, OneCallIsOneLine)
{
    LogFile log(path);
    log.Log("ComThread.TryReceive", std::string("=1 2\n:3 4\r\n\x01", 12));
    log.Flush();
    EXPECT_EQ(ReadFile(path), "[ComThread.TryReceive] =1 2\\n:3 4\\r\\n\\x01\n");
}

TEST_F(LogFileTest, ConcurrentLinesDoNotMix)
{
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
    log.Flush();
    std::istringstream in(ReadFile(path));
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
    test::WriteFile(target, "keep");
    std::filesystem::create_symlink(target, path);
    LogFile log(path);
    log.Log("X", "y");
    EXPECT_EQ(ReadFile(target), "keep");
}

TEST_F(LogFileTest, LinesReachTheFileWithoutAFlushFromTheCaller)
{
    LogFile log(path);
    log.Log("X", "by the writer");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (ReadFile(path).empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(ReadFile(path), "[X] by the writer\n");
}

// After a quiet spell the writer does not look at the buffer only now and
// then: the next line is in the file at once, written by the writer.
TEST_F(LogFileTest, ALineAfterAQuietSpellReachesTheFileSoon)
{
    const auto waitFor = [&](const std::string& want, std::chrono::milliseconds limit) {
        const auto start = std::chrono::steady_clock::now();
        while (ReadFile(path) != want && std::chrono::steady_clock::now() - start < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    };
    LogFile log(path);
    log.Log("X", "first");
    waitFor("[X] first\n", std::chrono::seconds(5));
    ASSERT_EQ(ReadFile(path), "[X] first\n");
    // Long enough for a writer that slows down while idle to look only every
    // second or so, and to be between two looks.
    std::this_thread::sleep_for(std::chrono::milliseconds(2200));

    log.Log("X", "after the quiet spell");
    const auto took = waitFor("[X] first\n[X] after the quiet spell\n", std::chrono::seconds(5));
    EXPECT_EQ(ReadFile(path), "[X] first\n[X] after the quiet spell\n");
    EXPECT_LT(took, std::chrono::milliseconds(500));
    EXPECT_EQ(log.WritesOffTheWriter(), 0u);

    // A caller that writes the file itself is told apart from the writer
    // (unless the writer came first, which a few tries rule out).
    for (int i = 0; i < 20 && log.WritesOffTheWriter() == 0; ++i) {
        log.Log("X", "flushed by the caller");
        log.Flush();
    }
    EXPECT_GT(log.WritesOffTheWriter(), 0u);
}

// More than the buffer holds, from two threads, with a line longer than any
// shown in between: nothing dropped, each thread's lines in their order.
TEST_F(LogFileTest, LoggingFasterThanTheDiskKeepsEveryLineInOrder)
{
    const std::string payload(300, 'p');
    const std::string huge(LogFile::kBufferSize, 'h');
    {
        LogFile log(path);
        std::vector<std::thread> threads;
        for (int t = 0; t < 2; ++t)
            threads.emplace_back([&, t] {
                for (int i = 0; i < 5000; ++i) {
                    log.Log("T" + std::to_string(t), std::to_string(i) + " " + payload);
                    if (t == 0 && i == 2500)
                        log.Log("H", huge);
                }
            });
        for (auto& th : threads)
            th.join();
    }
    std::istringstream in(ReadFile(path));
    std::string line;
    int next[2] = {0, 0};
    int huges = 0;
    while (std::getline(in, line)) {
        if (line.rfind("[H] ", 0) == 0) {
            ++huges;
            ASSERT_EQ(line, "[H] " + huge.substr(0, LogFile::kMaxLineBytes) + " ... [" +
                                std::to_string(huge.size() - LogFile::kMaxLineBytes) + " more bytes]");
            EXPECT_EQ(next[0], 2501) << "the big line left its place";
            continue;
        }
        ASSERT_EQ(line.substr(0, 2), "[T") << line.substr(0, 40);
        const int t = line[2] - '0';
        ASSERT_EQ(line, "[T" + std::to_string(t) + "] " + std::to_string(next[t]) + " " + payload);
        ++next[t];
    }
    EXPECT_EQ(next[0], 5000);
    EXPECT_EQ(next[1], 5000);
    EXPECT_EQ(huges, 1);
}

// The last lines before the end of the process are in the file however the
// process ends: exit() without the log being destroyed, abort(), a crash.
TEST_F(LogFileTest, ExitAbortAndCrashLeaveTheLastLinesInTheFile)
{
    const auto exited = dir_ / "exit.log";
    int status = InChild([&] {
        auto log = std::make_unique<LogFile>(exited);
        log->Log("last", "before exit");
        std::exit(3);
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_EQ(ReadFile(exited), "[last] before exit\n");

    const auto aborted = dir_ / "abort.log";
    status = InChild([&] {
        LogFile log(aborted);
        log.Log("last", "before abort");
        std::abort();
    });
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT) << status;
    EXPECT_EQ(ReadFile(aborted), "[last] before abort\n");

    const auto crashed = dir_ / "crash.log";
    status = InChild([&] {
        LogFile log(crashed);
        for (int i = 0; i < 3; ++i)
            log.Log("line", std::to_string(i));
        ::raise(SIGSEGV);
    });
    // Still a failure, told by the default action or a sanitizer's report.
    EXPECT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) != 0)) << status;
    EXPECT_EQ(ReadFile(crashed), "[line] 0\n[line] 1\n[line] 2\n");
}

// A server can send a line of any length; the log shows a bounded part of it
// and says how much it left out.
TEST_F(LogFileTest, AHugeLineIsCutAndTheRestCounted)
{
    LogFile log(path);
    log.Log("ComThread.TryReceive", std::string(200000, 'a'));
    log.Append(":" + std::string(100000, 'b') + "\n");
    log.Append(":short\n");
    log.Flush();
    const std::string shown(LogFile::kMaxLineBytes, 'a');
    const std::string traced = ":" + std::string(LogFile::kMaxLineBytes - 1, 'b');
    EXPECT_EQ(ReadFile(path), "[ComThread.TryReceive] " + shown + " ... [" +
                              std::to_string(200000 - LogFile::kMaxLineBytes) + " more bytes]\n" + traced +
                              " ... [" + std::to_string(100001 - LogFile::kMaxLineBytes) + " more bytes]\n:short\n");
}

TEST_F(LogFileTest, AFullFileIsMovedAsideKeepingOnePreviousFile)
{
    test::WriteFile(dir_ / "debug.log.1", "from an earlier run\n");
    constexpr uint64_t kLimit = 1000;
    LogFile log(path, kLimit);
    EXPECT_FALSE(std::filesystem::exists(log.PreviousPath()));
    std::vector<std::string> lines;
    for (int i = 0; i < 60; ++i) {
        lines.push_back("[n] " + std::to_string(i) + std::string(60, '.') + "\n");
        log.Log("n", std::to_string(i) + std::string(60, '.'));
        if (i % 3 == 2)
            log.Flush();
    }
    log.Flush();
    const std::string current = ReadFile(path);
    const std::string previous = ReadFile(log.PreviousPath());
    // Each file past the limit by at most what one write-out added, and no
    // line split between the two.
    EXPECT_GE(previous.size(), kLimit);
    EXPECT_LT(previous.size(), kLimit + 4 * lines[0].size());
    EXPECT_LT(current.size(), kLimit + 4 * lines[0].size());
    const std::string both = previous + current;
    std::string expectedTail;
    for (const auto& l : lines)
        expectedTail += l;
    ASSERT_LE(both.size(), expectedTail.size());
    EXPECT_EQ(both, expectedTail.substr(expectedTail.size() - both.size()));
    EXPECT_EQ(previous.find("[n]"), 0u);
    EXPECT_EQ(current.find("[n]"), 0u);
    // Older files are gone: less than everything is kept.
    EXPECT_LT(both.size(), expectedTail.size());
    EXPECT_EQ(FileMode(path), 0600u);
    EXPECT_EQ(FileMode(log.PreviousPath()), 0600u);
}

} // namespace
} // namespace pellar
