#include "core/events/MessageLog.h"

#include "core/base/PrivateFile.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <system_error>

namespace pellar {

namespace {

constexpr std::string_view kMagic = "pellar-messages 1\n";

} // namespace

std::filesystem::path MessageLog::FileFor(const std::filesystem::path& dir, std::string_view profile)
{
    // FNV-1a: stable between runs and builds, unlike std::hash.
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : profile) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char name[32];
    std::snprintf(name, sizeof name, "%016llx.log", static_cast<unsigned long long>(hash));
    return dir / name;
}

std::string MessageLog::Serialize(const std::deque<std::string>& entries)
{
    std::string out(kMagic);
    for (const std::string& entry : entries)
        out.append(std::to_string(entry.size())).append("\n").append(entry).append("\n");
    return out;
}

std::optional<std::deque<std::string>> MessageLog::Parse(std::string_view bytes)
{
    if (bytes.substr(0, kMagic.size()) != kMagic)
        return std::nullopt;
    std::string_view rest = bytes.substr(kMagic.size());
    std::deque<std::string> entries;
    while (!rest.empty()) {
        const size_t eol = rest.find('\n');
        size_t size = 0;
        const char* end = rest.data() + (eol == std::string_view::npos ? 0 : eol);
        const auto [ptr, ec] = std::from_chars(rest.data(), end, size);
        // A torn write at the end leaves the entries before it.
        if (eol == std::string_view::npos || ec != std::errc() || ptr != end || eol == 0)
            break;
        rest.remove_prefix(eol + 1);
        if (size >= rest.size() || rest[size] != '\n')
            break;
        entries.emplace_back(rest.substr(0, size));
        rest.remove_prefix(size + 1);
    }
    while (entries.size() > kMaxEntries)
        entries.pop_front();
    return entries;
}

void MessageLog::Load()
{
    entries_.clear();
    if (auto bytes = ReadSmallFile(file_, kMaxFileBytes))
        if (auto entries = Parse(*bytes))
            entries_ = std::move(*entries);
}

bool MessageLog::Append(std::string entry, std::string* error)
{
    entries_.push_back(std::move(entry));
    while (entries_.size() > kMaxEntries)
        entries_.pop_front();
    return WritePrivateFile(file_, Serialize(entries_), error);
}

void MessageLog::Clear()
{
    entries_.clear();
    std::error_code ec;
    std::filesystem::remove(file_, ec);
}

} // namespace pellar
