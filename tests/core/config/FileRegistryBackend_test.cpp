#include "core/config/FileRegistryBackend.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/TempDir.h"

namespace pellar {
namespace {

namespace fs = std::filesystem;

class FileRegistryBackendTest : public ::testing::Test {
protected:
    int TempFilesLeft() const
    {
        int n = 0;
        for (const auto& entry : fs::directory_iterator(file.parent_path()))
            if (entry.path().filename().string().find(".tmp.") != std::string::npos)
                ++n;
        return n;
    }

    test::TempDir dir{"cfg"};
    const fs::path file = dir / "sub" / "settings.ini";
};

TEST_F(FileRegistryBackendTest, SavedStoreLoadsBackWithKindsKeysAndAwkwardBytes)
{
    const std::string awkward = std::string("a=b;c[d]%e\n\r\tf\0g\x7f\xe5 ", 19);
    {
        FileRegistryBackend store(file);
        store.WriteString("Software\\P", "Server", "host");
        store.WriteNumber("Software\\P", "KeyShortcutCount", 18);
        store.WriteString("Software\\P", "Count as text", "18");
        store.WriteString("Software\\P\\Home", awkward, awkward);
        store.WriteString("Software\\P\\Home", "Empty", "");
        store.CreateKey("Software\\P\\Empty profile");
        ASSERT_TRUE(store.Save());
    }
    FileRegistryBackend loaded(file);
    EXPECT_EQ(loaded.ReadValue("Software\\P", "Server"), RegistryValue(std::string("host")));
    EXPECT_EQ(loaded.ReadValue("Software\\P", "KeyShortcutCount"), RegistryValue(std::uint32_t{18}));
    EXPECT_EQ(loaded.ReadValue("Software\\P", "Count as text"), RegistryValue(std::string("18")));
    EXPECT_EQ(loaded.ReadValue("Software\\P\\Home", awkward), RegistryValue(awkward));
    EXPECT_EQ(loaded.ReadValue("Software\\P\\Home", "Empty"), RegistryValue(std::string()));
    EXPECT_EQ(loaded.SubKeyNames("Software\\P"), (std::vector<std::string>{"Empty profile", "Home"}));
}

TEST_F(FileRegistryBackendTest, NothingReachesTheFileBeforeSave)
{
    FileRegistryBackend store(file);
    store.WriteString("K", "v", "1");
    ASSERT_TRUE(store.Save());
    store.WriteString("K", "v", "2");
    EXPECT_EQ(FileRegistryBackend(file).ReadValue("K", "v"), RegistryValue(std::string("1")));
}

TEST_F(FileRegistryBackendTest, FileIsPrivateToTheUser)
{
    FileRegistryBackend store(file);
    store.WriteString("K", "Pwd", "x");
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(test::FileMode(file), 0600u);
    EXPECT_EQ(TempFilesLeft(), 0);
}

TEST_F(FileRegistryBackendTest, DamagedLinesAreSkippedAndTheRestLoads)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << "stray=s:before any key\n"
                                             "[K]\r\n"
                                             "good=s:yes\r\n"
                                             "bad escape=s:%G1\n"
                                             "no kind=x\n"
                                             "n=n:12abc\n"
                                             "big=n:4294967296\n"
                                             "[unterminated\n"
                                             "lost=s:under a bad header\n"
                                             "[K\\L]\n"
                                             "last=n:7";
    FileRegistryBackend store(file);
    EXPECT_EQ(store.ValueNames("K"), std::vector<std::string>{"good"});
    EXPECT_EQ(store.ValueNames("K\\L"), std::vector<std::string>{"last"});
    EXPECT_TRUE(store.ValueNames("").empty());
    EXPECT_EQ(store.ReadValue("K\\L", "last"), RegistryValue(std::uint32_t{7}));
}

// A save that fails half-way (here: the disk fills up) reports failure and
// leaves the previous file exactly as it was, with no temporary behind it.
TEST_F(FileRegistryBackendTest, FailedSaveLeavesThePreviousFileIntact)
{
    {
        FileRegistryBackend store(file);
        store.WriteString("K", "v", "old");
        ASSERT_TRUE(store.Save());
    }
    const std::string before = test::ReadFile(file);

    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{16 * 1024, 16 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        FileRegistryBackend store(file);
        for (int i = 0; i < 100; ++i)
            store.WriteString("K", "v" + std::to_string(i), std::string(1000, 'n'));
        ::_exit(store.Save() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the save over the size limit claimed success";
    EXPECT_EQ(test::ReadFile(file), before);
    EXPECT_EQ(TempFilesLeft(), 0);
}

// Kill a process in the middle of saving, several times: the file must
// always hold one complete generation of the store, never a mix or a tear.
TEST_F(FileRegistryBackendTest, ProcessKilledWhileSavingLeavesAWholeStore)
{
    constexpr int kValues = 400;
    constexpr std::size_t kValueSize = 400;
    std::uintmax_t wholeSize = 0;
    {
        MemoryRegistryBackend sample;
        for (int i = 0; i < kValues; ++i)
            sample.WriteString("K\\Sub", "v" + std::to_string(i), std::string(kValueSize, 'a'));
        sample.WriteNumber("K", "generation", 1);
        wholeSize = FileRegistryBackend::Serialize(sample.Snapshot()).size();
    }
    for (int round = 0; round < 4; ++round) {
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(pipeFds[0]);
            FileRegistryBackend store(file);
            for (std::uint32_t generation = 1; generation < 100000; ++generation) {
                const std::string value(kValueSize, static_cast<char>('a' + generation % 26));
                for (int i = 0; i < kValues; ++i)
                    store.WriteString("K\\Sub", "v" + std::to_string(i), value);
                store.WriteNumber("K", "generation", generation);
                const char tick = 1;
                if (::write(pipeFds[1], &tick, 1) != 1)
                    ::_exit(2);
                store.Save();  // the parent kills us somewhere in here
            }
            ::_exit(0);
        }
        ::close(pipeFds[1]);
        // Let a few saves go through, then kill while a save is seen writing:
        // a temporary exists, or the file itself is shorter than a whole store.
        char tick = 0;
        for (int seen = 0; seen < round + 2; ++seen)
            ASSERT_EQ(::read(pipeFds[0], &tick, 1), 1);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            std::error_code ec;
            const auto size = fs::file_size(file, ec);
            if (TempFilesLeft() > 0 || (!ec && size < wholeSize))
                break;
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        ::close(pipeFds[0]);

        if (!fs::exists(file))
            continue;  // killed during the very first save: the old state, no file
        FileRegistryBackend loaded(file);
        const auto generation = loaded.ReadValue("K", "generation");
        ASSERT_TRUE(generation.has_value()) << "round " << round;
        const char expected = static_cast<char>('a' + std::get<std::uint32_t>(*generation) % 26);
        ASSERT_EQ(loaded.ValueNames("K\\Sub").size(), static_cast<std::size_t>(kValues)) << "round " << round;
        for (int i = 0; i < kValues; ++i)
            ASSERT_EQ(loaded.ReadValue("K\\Sub", "v" + std::to_string(i)),
                      RegistryValue(std::string(kValueSize, expected)))
                << "round " << round << " value " << i;
    }
    // Temporaries a killed save left behind do not disturb the next one.
    FileRegistryBackend store(file);
    store.WriteString("K", "after", "crash");
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(FileRegistryBackend(file).ReadValue("K", "after"), RegistryValue(std::string("crash")));
}

} // namespace
} // namespace pellar
