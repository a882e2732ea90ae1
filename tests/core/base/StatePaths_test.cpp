#include "core/base/StatePaths.h"

#include <filesystem>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace pellar {
namespace {

using test::FileMode;
using test::ScopedEnv;

class StatePathsTest : public ::testing::Test
{
protected:
    test::TempDir root_{"paths"};
};

TEST_F(StatePathsTest, UsesXdgStateHome)
{
    ScopedEnv env("XDG_STATE_HOME", (root_ / "state").c_str());
    const auto dir = PerUserStateDir();
    EXPECT_EQ(dir, root_ / "state" / "pellar");
    EXPECT_TRUE(std::filesystem::is_directory(dir));
    EXPECT_EQ(FileMode(dir), 0700u);
}

TEST_F(StatePathsTest, FallsBackToHome)
{
    ScopedEnv state("XDG_STATE_HOME", nullptr);
    ScopedEnv data("XDG_DATA_HOME", "relative/is/ignored");
    ScopedEnv home("HOME", root_.path().c_str());
    EXPECT_EQ(PerUserStateDir(), root_ / ".local/state/pellar");
    EXPECT_EQ(PerUserDataDir(), root_ / ".local/share/pellar");
    EXPECT_EQ(FileMode(root_ / ".local/share/pellar"), 0700u);
}

TEST_F(StatePathsTest, TightensAnExistingFolder)
{
    ScopedEnv env("XDG_DATA_HOME", root_.path().c_str());
    std::filesystem::create_directories(root_ / "pellar");
    ::chmod((root_ / "pellar").c_str(), 0755);
    PerUserDataDir();
    EXPECT_EQ(FileMode(root_ / "pellar"), 0700u);
}

} // namespace
} // namespace pellar
