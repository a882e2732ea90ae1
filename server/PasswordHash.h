// Salted slow password hashes (PBKDF2-HMAC-SHA256). Only the hash is stored.
#pragma once

#include <string>
#include <string_view>

namespace miravod {

class PasswordHash {
public:
    static constexpr int kDefaultIterations = 100000;

    // "pbkdf2-sha256$<iterations>$<salt hex>$<hash hex>"
    static std::string Make(std::string_view password, int iterations = kDefaultIterations);
    static bool Verify(std::string_view password, std::string_view stored);
};

} // namespace miravod
