#include "core/base/ProgramVersion.h"

#include <gtest/gtest.h>

namespace pellar {

// Checked against the version text the project was configured with (not the
// numbers the code joins): "1.4.2" shows as "1" and "42 (build N)".
TEST(ProgramVersion, PartsFollowTheConfiguredVersion)
{
    const std::string text = PELLAR_VERSION_TEXT;
    const size_t first = text.find('.');
    const size_t second = text.find('.', first + 1);
    ASSERT_NE(second, std::string::npos) << text;
    EXPECT_EQ(ProgramMajorVersion(), text.substr(0, first));
    const std::string minor = ProgramMinorVersion();
    const std::string joined = text.substr(first + 1, second - first - 1) + text.substr(second + 1);
    EXPECT_EQ(minor.substr(0, joined.size() + 8), joined + " (build ") << minor;
    ASSERT_EQ(minor.back(), ')') << minor;
    const std::string build = minor.substr(joined.size() + 8, minor.size() - joined.size() - 9);
    EXPECT_FALSE(build.empty()) << minor;
    EXPECT_EQ(build.find_first_not_of("0123456789"), std::string::npos) << minor;
}

} // namespace pellar
