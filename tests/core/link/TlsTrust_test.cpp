// Which certificates the client accepts: a pin decides alone, otherwise the
// CA store and host name check do; and fingerprints as users paste them.
#include "core/link/TlsStream.h"

#include <gtest/gtest.h>

namespace pellar {
namespace {

const std::string kFp = "00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF";
const std::string kOther = "FF:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF";

TlsPeer Peer(std::string problem)
{
    TlsPeer p;
    p.fingerprint = kFp;
    p.problem = std::move(problem);
    return p;
}

enum class Verdict { Accepted, Ask, Refused };

Verdict Judge(const TlsPeer& peer, const std::string& pin)
{
    try {
        CheckTrust(peer, pin);
        return Verdict::Accepted;
    } catch (const TTlsUntrusted& e) {
        return e.PinMismatch() ? Verdict::Refused : Verdict::Ask;
    }
}

TEST(CheckTrust, APinDecidesAloneAndOtherwiseTheCheckDoes)
{
    struct Row {
        const char* name;
        std::string problem;
        std::string pin;
        Verdict verdict;
    };
    const Row rows[] = {
        {"verified, no pin", "", "", Verdict::Accepted},
        {"failed check, no pin: the user is asked", "the certificate is self-signed", "", Verdict::Ask},
        {"failed check, pinned: accepted", "the certificate is self-signed", kFp, Verdict::Accepted},
        {"pin typed in lower case without colons", "x", "00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff",
         Verdict::Accepted},
        {"verified but another certificate is pinned", "", kOther, Verdict::Refused},
        {"failed check and another pinned", "expired", kOther, Verdict::Refused},
        {"an unreadable pin refuses rather than asks", "", "not a fingerprint", Verdict::Refused},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Judge(Peer(row.problem), row.pin), row.verdict) << row.name;
}

TEST(CheckTrust, TheRefusalSaysWhyAndShowsTheFingerprint)
{
    try {
        CheckTrust(Peer("the certificate has expired"), "");
        FAIL();
    } catch (const TTlsUntrusted& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("the certificate has expired"), std::string::npos) << text;
        EXPECT_NE(text.find(kFp), std::string::npos) << text;
    }
    try {
        CheckTrust(Peer(""), kOther);
        FAIL();
    } catch (const TTlsUntrusted& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("not the one trusted for this profile"), std::string::npos) << text;
        EXPECT_NE(text.find(kFp), std::string::npos) << "the new fingerprint, for comparing with the owner's";
    }
}

TEST(NormalizeFingerprint, AcceptsWhatUsersPasteAndRejectsTheRest)
{
    EXPECT_EQ(NormalizeFingerprint(kFp), kFp);
    EXPECT_EQ(NormalizeFingerprint("00 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff 00 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff"),
              kFp);
    EXPECT_EQ(NormalizeFingerprint(""), "");
    EXPECT_EQ(NormalizeFingerprint(kFp.substr(3)), "") << "one byte short";
    EXPECT_EQ(NormalizeFingerprint(kFp + ":00"), "") << "one byte long";
    EXPECT_EQ(NormalizeFingerprint("G" + kFp.substr(1)), "") << "not hex";
}

} // namespace
} // namespace pellar
