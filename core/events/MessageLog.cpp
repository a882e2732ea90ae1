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

std::string MessageLog::Record(std::string_view entry)
{
    std::string out = std::to_string(entry.size());
    out.append("\n").append(entry).append("\n");
    return out;
}

std::string MessageLog::Serialize(const std::deque<std::string>& entries)
{
    std::string out(kMagic);
    for (const std::string& entry : entries)
        out += Record(entry);
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
    const std::string record = Record(entry);
    entries_.push_back(std::move(entry));
    while (entries_.size() > kMaxEntries)
        entries_.pop_front();
    // Appended while the file stays well within what Load reads back; the
    // reader keeps the newest kMaxEntries of what it finds.
    if (fileKnown_ && appended_ < kMaxEntries && fileBytes_ + record.size() <= kMaxFileBytes / 2) {
        if (AppendPrivateFile(file_, record, error)) {
            ++appended_;
            fileBytes_ += record.size();
            return true;
        }
        // A torn end would hide what comes after it, and a file removed
        // under us takes no appends: written whole instead.
    }
    return Rewrite(error);
}

bool MessageLog::Rewrite(std::string* error)
{
    const std::string bytes = Serialize(entries_);
    fileKnown_ = WritePrivateFile(file_, bytes, error);
    appended_ = 0;
    fileBytes_ = bytes.size();
    return fileKnown_;
}

void MessageLog::Clear()
{
    entries_.clear();
    fileKnown_ = false;
    std::error_code ec;
    std::filesystem::remove(file_, ec);
}

} // namespace pellar
