#include "server/PasswordHash.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <stdexcept>
#include <vector>

namespace miravod {

namespace {

constexpr size_t kSaltBytes = 16;
constexpr size_t kHashBytes = 32;

std::string Hex(const unsigned char* p, size_t n)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        out += digits[p[i] >> 4];
        out += digits[p[i] & 15];
    }
    return out;
}

bool Unhex(std::string_view s, std::vector<unsigned char>& out)
{
    if (s.size() % 2) return false;
    auto val = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    out.clear();
    for (size_t i = 0; i < s.size(); i += 2) {
        const int hi = val(s[i]), lo = val(s[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out.push_back(static_cast<unsigned char>(hi * 16 + lo));
    }
    return true;
}

bool Derive(std::string_view password, const unsigned char* salt, size_t saltLen, int iterations,
            unsigned char* out)
{
    return PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt, static_cast<int>(saltLen),
                             iterations, EVP_sha256(), static_cast<int>(kHashBytes), out) == 1;
}

} // namespace

std::string PasswordHash::Make(std::string_view password, int iterations)
{
    unsigned char salt[kSaltBytes];
    unsigned char hash[kHashBytes];
    if (RAND_bytes(salt, sizeof salt) != 1 || !Derive(password, salt, sizeof salt, iterations, hash))
        throw std::runtime_error("password hashing failed");
    return "pbkdf2-sha256$" + std::to_string(iterations) + "$" + Hex(salt, sizeof salt) + "$" +
           Hex(hash, sizeof hash);
}

bool PasswordHash::Verify(std::string_view password, std::string_view stored)
{
    const std::string_view prefix = "pbkdf2-sha256$";
    if (stored.substr(0, prefix.size()) != prefix) return false;
    stored.remove_prefix(prefix.size());
    const size_t a = stored.find('$');
    const size_t b = a == std::string_view::npos ? a : stored.find('$', a + 1);
    if (b == std::string_view::npos) return false;
    int iterations = 0;
    for (char c : stored.substr(0, a)) {
        if (c < '0' || c > '9' || iterations > 10000000) return false;
        iterations = iterations * 10 + (c - '0');
    }
    std::vector<unsigned char> salt, expected;
    if (iterations < 1 || !Unhex(stored.substr(a + 1, b - a - 1), salt) || !Unhex(stored.substr(b + 1), expected) ||
        expected.size() != kHashBytes)
        return false;
    unsigned char hash[kHashBytes];
    if (!Derive(password, salt.data(), salt.size(), iterations, hash)) return false;
    return CRYPTO_memcmp(hash, expected.data(), kHashBytes) == 0;
}

} // namespace miravod
