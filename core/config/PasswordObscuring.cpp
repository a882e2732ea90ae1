#include "core/config/PasswordObscuring.h"

#include <array>
#include <cstdint>

namespace pellar {

namespace {

constexpr std::uint8_t kSeed = 0x5c;

// Bit i of the key moves to bit kBitPermutation[i].
constexpr std::array<int, 8> kBitPermutation = {5, 0, 7, 2, 6, 1, 3, 4};

std::uint8_t StartKey(std::string_view loginName)
{
    // FNV-1a over the name, folded to one byte.
    std::uint32_t hash = 2166136261u;
    for (const char c : loginName) {
        hash ^= static_cast<std::uint8_t>(c);
        hash *= 16777619u;
    }
    const auto folded = static_cast<std::uint8_t>(hash ^ (hash >> 8) ^ (hash >> 16) ^ (hash >> 24));
    return static_cast<std::uint8_t>(folded ^ kSeed);
}

std::uint8_t Permute(std::uint8_t key)
{
    std::uint8_t out = 0;
    for (int i = 0; i < 8; ++i)
        if (key & (1u << i))
            out = static_cast<std::uint8_t>(out | (1u << kBitPermutation[static_cast<std::size_t>(i)]));
    return out;
}

} // namespace

std::string ObscurePassword(std::string_view password, std::string_view loginName)
{
    std::string out;
    out.reserve(password.size());
    std::uint8_t key = StartKey(loginName);
    for (const char c : password) {
        const auto stored = static_cast<std::uint8_t>(static_cast<std::uint8_t>(c) ^ key);
        out += static_cast<char>(stored);
        key = Permute(static_cast<std::uint8_t>(key ^ stored));
    }
    return out;
}

std::string UnobscurePassword(std::string_view stored, std::string_view loginName)
{
    std::string out;
    out.reserve(stored.size());
    std::uint8_t key = StartKey(loginName);
    for (const char c : stored) {
        const auto byte = static_cast<std::uint8_t>(c);
        out += static_cast<char>(byte ^ key);
        key = Permute(static_cast<std::uint8_t>(key ^ byte));
    }
    return out;
}

} // namespace pellar
