#include "core/base/LocalUserName.h"

#include <cstdlib>
#include <optional>
#include <string>

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

namespace pellar {
namespace {

// Sets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        ::setenv(name, value, 1);
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
