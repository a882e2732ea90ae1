// The demo system's seed: its persons' password is the public "demo", so
// their hashes are cheap to check, whatever strength the server was asked
// for (accounts made later get that strength from the server).
#include "server/DemoSeed.h"

#include <gtest/gtest.h>

#include "server/Model.h"
#include "server/PasswordHash.h"
#include "server/Store.h"

namespace miravod::test {
namespace {

std::string Iterations(const std::string& hash)
{
    // "pbkdf2-sha256$<iterations>$<salt>$<hash>"
    const size_t first = hash.find('$');
    const size_t second = hash.find('$', first + 1);
    return hash.substr(first + 1, second - first - 1);
}

TEST(DemoSeed, DemoPersonsGetACheapHashAndStillLogOnWithDemo)
{
    for (const auto& [asked, expected] : {std::pair{100000, "1000"}, std::pair{500, "500"}}) {
        Store store;
        std::string error;
        ASSERT_TRUE(store.Open("", &error)) << error;
        DemoSeed::Fill(store, asked);
        const Person* demo = store.Pers(10);  // "Demo User"
        ASSERT_NE(demo, nullptr);
        ASSERT_EQ(store.Conf(10)->name, "Demo User");
        EXPECT_EQ(Iterations(demo->passwordHash), expected) << "asked for " << asked;
        EXPECT_TRUE(PasswordHash::Verify("demo", demo->passwordHash));
        EXPECT_FALSE(PasswordHash::Verify("Demo", demo->passwordHash));
    }
}

} // namespace
} // namespace miravod::test
