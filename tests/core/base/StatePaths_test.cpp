#include "core/base/StatePaths.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellar {
namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

class StatePathsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root_ = std::filesystem::temp_directory_path() / ("pellar-paths-" + std::to_string(::getpid()));
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_);
    }
    void TearDown() override { std::filesystem::remove_all(root_); }

    static unsigned Mode(const std::filesystem::path& p)
    {
        struct stat st{};
        return ::stat(p.c_str(), &st) == 0 ? (st.st_mode & 0777) : 01000;
    }

    std::filesystem::path root_;
};

TEST_F(StatePathsTest, UsesXdgStateHome)
{
    ScopedEnv env("XDG_STATE_HOME", (root_ / "state").c_str());
    const auto dir = PerUserStateDir();
    EXPECT_EQ(dir, root_ / "state" / "pellar");
    EXPECT_TRUE(std::filesystem::is_directory(dir));
    EXPECT_EQ(Mode(dir), 0700u);
}

TEST_F(StatePathsTest, FallsBackToHome)
{
    ScopedEnv state("XDG_STATE_HOME", nullptr);
    ScopedEnv data("XDG_DATA_HOME", "relative/is/ignored");
    ScopedEnv home("HOME", root_.c_str());
    EXPECT_EQ(PerUserStateDir(), root_ / ".local/state/pellar");
    EXPECT_EQ(PerUserDataDir(), root_ / ".local/share/pellar");
    EXPECT_EQ(Mode(root_ / ".local/share/pellar"), 0700u);
}

TEST_F(StatePathsTest, TightensAnExistingFolder)
{
    ScopedEnv env("XDG_DATA_HOME", root_.c_str());
    std::filesystem::create_directories(root_ / "pellar");
    ::chmod((root_ / "pellar").c_str(), 0755);
    PerUserDataDir();
    EXPECT_EQ(Mode(root_ / "pellar"), 0700u);
}

} // namespace
} // namespace pellar
