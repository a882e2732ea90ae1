#include "core/base/LocalUserName.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

namespace pellar {
namespace {

TEST(LocalUserName, MatchesThePasswordDatabase)
{
    const passwd* pw = ::getpwuid(::geteuid());
    if (!pw)
        GTEST_SKIP() << "no password entry for this user";
    EXPECT_EQ(LocalUserName(), pw->pw_name);
}

} // namespace
} // namespace pellar
