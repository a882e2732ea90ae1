#include "core/base/ProgramVersion.h"

#include "ProgramVersionNumbers.h"

#include <gtest/gtest.h>

namespace pellar {

TEST(ProgramVersion, MinorPartJoinsMinorAndReleaseAndNamesTheBuild)
{
    const std::string expected = std::to_string(PELLAR_VERSION_MINOR) + std::to_string(PELLAR_VERSION_RELEASE) +
                                 " (build " + std::to_string(PELLAR_VERSION_BUILD) + ")";
    EXPECT_EQ(ProgramMinorVersion(), expected);
    EXPECT_EQ(ProgramMajorVersion(), std::to_string(PELLAR_VERSION_MAJOR));
}

} // namespace pellar
