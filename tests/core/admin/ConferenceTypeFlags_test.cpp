#include "core/admin/ConferenceTypeFlags.h"

#include <gtest/gtest.h>

namespace pellar {
namespace {

TEST(ConferenceTypeFlags, ChecksFollowTheirFlags)
{
    const auto plain = ConferenceTypeFlags::ToChecks("00000000");
    EXPECT_EQ(plain, (ConferenceTypeChecks{true, true, false, false}));
    const auto closed = ConferenceTypeFlags::ToChecks("11101000");
    EXPECT_EQ(closed, (ConferenceTypeChecks{false, false, true, true}));
    // The letterbox flag (3) has no box.
    EXPECT_EQ(ConferenceTypeFlags::ToChecks("00010000"), plain);
}

TEST(ConferenceTypeFlags, ShortTypeReadsMissingFlagsAsZero)
{
    EXPECT_EQ(ConferenceTypeFlags::ToChecks("001"), (ConferenceTypeChecks{true, true, true, false}));
    EXPECT_EQ(ConferenceTypeFlags::ToChecks(""), (ConferenceTypeChecks{}));
}

TEST(ConferenceTypeFlags, SavingBuildsEightFlagsAndRoundTrips)
{
    EXPECT_EQ(ConferenceTypeFlags::FromChecks({true, true, false, false}), "00000000");
    EXPECT_EQ(ConferenceTypeFlags::FromChecks({false, false, true, true}), "11101000");
    for (int bits = 0; bits < 16; ++bits) {
        const ConferenceTypeChecks c{(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0, (bits & 8) != 0};
        EXPECT_EQ(ConferenceTypeFlags::ToChecks(ConferenceTypeFlags::FromChecks(c)), c) << bits;
    }
}

} // namespace
} // namespace pellar
