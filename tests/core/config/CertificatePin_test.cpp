// A pin is for the server it was made for: another server, or the same
// profile pointed elsewhere, finds no pin and is checked afresh.
#include "core/config/CertificatePin.h"

#include <gtest/gtest.h>

namespace pellar {
namespace {

const std::string kFp = "00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF";

TEST(CertificatePin, RoundTripsThroughItsStoredForm)
{
    const CertificatePin pin{kFp, "miravo.example.org:4896"};
    EXPECT_EQ(ParseCertificatePin(FormatCertificatePin(pin)), pin);
}

TEST(CertificatePin, AppliesOnlyToTheServerItWasMadeFor)
{
    const std::string stored = FormatCertificatePin({kFp, "Miravo.Example.org:4896"});
    EXPECT_EQ(PinnedFingerprintFor(stored, "miravo.example.org", "4896"), kFp) << "host names are case-blind";
    EXPECT_EQ(PinnedFingerprintFor(stored, "miravo.example.org", "4897"), "");
    EXPECT_EQ(PinnedFingerprintFor(stored, "other.example.org", "4896"), "");
    EXPECT_EQ(PinnedFingerprintFor("", "miravo.example.org", "4896"), "");
}

TEST(CertificatePin, UnreadableValuesPinNothing)
{
    for (const char* value : {"", "garbage", "AB:CD miravo:1", " miravo:1"}) {
        EXPECT_FALSE(ParseCertificatePin(value)) << value;
        EXPECT_EQ(PinnedFingerprintFor(value, "miravo", "1"), "") << value;
    }
}

} // namespace
} // namespace pellar
