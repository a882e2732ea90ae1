#include "core/config/CertificatePin.h"

#include <algorithm>
#include <cctype>

#include "core/link/TlsStream.h"

namespace pellar {

namespace {

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

} // namespace

std::optional<CertificatePin> ParseCertificatePin(std::string_view value)
{
    const size_t blank = value.find(' ');
    if (blank == std::string_view::npos)
        return std::nullopt;
    CertificatePin pin;
    pin.fingerprint = NormalizeFingerprint(std::string(value.substr(0, blank)));
    pin.server = std::string(value.substr(blank + 1));
    if (pin.fingerprint.empty() || pin.server.empty())
        return std::nullopt;
    return pin;
}

std::string FormatCertificatePin(const CertificatePin& pin)
{
    return pin.fingerprint + " " + pin.server;
}

std::string PinnedFingerprintFor(std::string_view value, const std::string& host, const std::string& port)
{
    const auto pin = ParseCertificatePin(value);
    // Host names are case-blind; the port is compared as typed.
    if (!pin || Lower(pin->server) != Lower(host + ":" + port))
        return {};
    return pin->fingerprint;
}

} // namespace pellar
