#include "core/config/PasswordObscuring.h"

#include <gtest/gtest.h>

namespace pellar {
namespace {

TEST(PasswordObscuring, RoundTripKeepsLengthAndHidesTheText)
{
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    for (const std::string& password : {std::string("secret"), std::string("aaaaaaaaaaaa"), all, std::string()}) {
        const auto stored = ObscurePassword(password, "anna");
        EXPECT_EQ(stored.size(), password.size());
        EXPECT_EQ(UnobscurePassword(stored, "anna"), password);
        if (password.size() > 3) {
            EXPECT_NE(stored, password);
        }
    }
}

TEST(PasswordObscuring, RepeatedCharactersDoNotShowAsARepeatedPattern)
{
    const auto stored = ObscurePassword("aaaaaaaa", "anna");
    EXPECT_NE(stored.substr(0, 4), stored.substr(4, 4));
}

TEST(PasswordObscuring, AnotherLoginNameDecodesEveryByteWrongly)
{
    const std::string password = "hemligt ord";
    const auto stored = ObscurePassword(password, "anna");
    for (const char* other : {"bertil", "Anna", "anna ", ""}) {
        const auto decoded = UnobscurePassword(stored, other);
        ASSERT_EQ(decoded.size(), password.size()) << other;
        for (std::size_t i = 0; i < password.size(); ++i)
            EXPECT_NE(decoded[i], password[i]) << other << " at " << i;
    }
}

TEST(PasswordObscuring, DependsOnTheLoginName)
{
    EXPECT_NE(ObscurePassword("secret", "anna"), ObscurePassword("secret", "bertil"));
}

} // namespace
} // namespace pellar
