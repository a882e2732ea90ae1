#include "core/base/LocalUserName.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include "support/ScopedEnv.h"

namespace pellar {
namespace {

using test::ScopedEnv;

// The name goes into the handshake and keys the stored password, so a $USER
// changed by a shell or sudo must not change it.
TEST(LocalUserName, ThePasswordDatabaseWinsOverTheEnvironment)
{
    const passwd* pw = ::getpwuid(::geteuid());
    if (!pw || !pw->pw_name || !*pw->pw_name)
        GTEST_SKIP() << "no password entry for this user";
    ScopedEnv user("USER", "somebody-else");
    EXPECT_EQ(LocalUserName(), pw->pw_name);
}

} // namespace
} // namespace pellar
