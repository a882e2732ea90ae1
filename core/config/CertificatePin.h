// The certificate a profile trusts for its server: the fingerprint the user
// accepted and the server it was accepted for, kept together in one value so
// that a pin inherited from the default profile or left behind by a changed
// host never stands in for another server's.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pellar {

struct CertificatePin {
    std::string fingerprint;  // "AB:CD:..." SHA-256
    std::string server;       // "host:port" it was trusted for

    bool operator==(const CertificatePin&) const = default;
};

// "<fingerprint> <host:port>"; nothing for an empty or unreadable value.
std::optional<CertificatePin> ParseCertificatePin(std::string_view value);
std::string FormatCertificatePin(const CertificatePin& pin);

// The fingerprint pinned for this server, empty when none applies to it.
std::string PinnedFingerprintFor(std::string_view value, const std::string& host, const std::string& port);

} // namespace pellar
