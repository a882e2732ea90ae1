#include "core/writing/DraftStore.h"

#include "core/base/PrivateFile.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <functional>
#include <random>
#include <system_error>

#include <unistd.h>

namespace pellar {

namespace {

constexpr std::string_view kMagic = "pellar-draft 1\n";
constexpr std::string_view kSuffix = ".draft";

void PutBlock(std::string& out, std::string_view key, std::string_view bytes)
{
    out.append(key).append(" ").append(std::to_string(bytes.size())).append("\n");
    out.append(bytes).append("\n");
}

template <typename T>
bool ToNumber(std::string_view text, T& value)
{
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

// Reads the draft format one line or block at a time, never past the end.
class Reader {
public:
    explicit Reader(std::string_view bytes) : rest_(bytes) {}

    bool AtEnd() const { return rest_.empty(); }

    std::optional<std::string_view> Line()
    {
        const size_t eol = rest_.find('\n');
        if (eol == std::string_view::npos)
            return std::nullopt;
        std::string_view line = rest_.substr(0, eol);
        rest_.remove_prefix(eol + 1);
        return line;
    }

    // size bytes and the line break after them.
    std::optional<std::string_view> Block(size_t size)
    {
        if (size >= rest_.size() || rest_[size] != '\n')
            return std::nullopt;
        std::string_view block = rest_.substr(0, size);
        rest_.remove_prefix(size + 1);
        return block;
    }

private:
    std::string_view rest_;
};

bool IsSafeId(std::string_view id)
{
    return !id.empty() && id.size() <= 64 &&
           std::all_of(id.begin(), id.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-'; });
}

} // namespace

std::string DraftStore::Serialize(const Draft& draft)
{
    std::string out(kMagic);
    PutBlock(out, "profile", draft.profile);
    if (draft.place.Known()) {
        PutBlock(out, "server", draft.place.server);
        PutBlock(out, "port", draft.place.port);
        out.append("person ").append(std::to_string(draft.place.person)).append("\n");
        PutBlock(out, "name", draft.place.personName);
    }
    out.append("saved ").append(std::to_string(draft.savedAt)).append("\n");
    out.append("checks ")
        .append(draft.checks.readConfirmation ? "1" : "0")
        .append(draft.checks.noComments ? "1" : "0")
        .append(draft.checks.personalComments ? "1" : "0")
        .append("\n");
    for (const LinkRow& row : draft.links)
        out.append("link ")
            .append(std::to_string(static_cast<int>(row.kind)))
            .append(" ")
            .append(std::to_string(row.number))
            .append("\n");
    PutBlock(out, "subject", draft.subject);
    PutBlock(out, "body", draft.body);
    out.append("end\n");
    return out;
}

std::optional<Draft> DraftStore::Parse(std::string_view bytes)
{
    if (bytes.substr(0, kMagic.size()) != kMagic)
        return std::nullopt;
    Reader in(bytes.substr(kMagic.size()));
    Draft draft;
    while (auto line = in.Line()) {
        if (*line == "end")
            return in.AtEnd() ? std::optional<Draft>(std::move(draft)) : std::nullopt;
        const size_t space = line->find(' ');
        if (space == std::string_view::npos)
            return std::nullopt;
        const std::string_view key = line->substr(0, space);
        const std::string_view value = line->substr(space + 1);
        std::string* text = key == "profile" ? &draft.profile
                            : key == "subject" ? &draft.subject
                            : key == "body"    ? &draft.body
                            : key == "server"  ? &draft.place.server
                            : key == "port"    ? &draft.place.port
                            : key == "name"    ? &draft.place.personName
                                               : nullptr;
        if (text) {
            size_t size = 0;
            if (!ToNumber(value, size))
                return std::nullopt;
            auto block = in.Block(size);
            if (!block)
                return std::nullopt;
            *text = std::string(*block);
        } else if (key == "person") {
            if (!ToNumber(value, draft.place.person) || draft.place.person <= 0)
                return std::nullopt;
        } else if (key == "saved") {
            if (!ToNumber(value, draft.savedAt))
                return std::nullopt;
        } else if (key == "checks") {
            if (value.size() != 3 || value.find_first_not_of("01") != std::string_view::npos)
                return std::nullopt;
            draft.checks = AuxChecks{value[0] == '1', value[1] == '1', value[2] == '1'};
        } else if (key == "link") {
            const size_t gap = value.find(' ');
            int kind = -1;
            int32_t number = 0;
            if (gap == std::string_view::npos || !ToNumber(value.substr(0, gap), kind) ||
                !ToNumber(value.substr(gap + 1), number) || kind < 0 ||
                kind > static_cast<int>(LinkKind::MotdFor) || number <= 0)
                return std::nullopt;
            draft.links.push_back(LinkRow{static_cast<LinkKind>(kind), number, {}});
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;  // no "end": cut short
}

std::filesystem::path DraftStore::FileOf(std::string_view id) const
{
    return dir_ / (std::string(id) + std::string(kSuffix));
}

std::string DraftStore::NewId() const
{
    // Time, process and a random part: two windows opened in the same
    // millisecond, or two programs on the same folder, get different files.
    std::random_device random;
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    for (;;) {
        const std::string id = std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()) +
                               "-" + std::to_string(::getpid()) + "-" + std::to_string(random() % 1000000u);
        std::error_code ec;
        if (!std::filesystem::exists(FileOf(id), ec))
            return id;
    }
}

bool DraftStore::Save(const Draft& draft, std::string* error) const
{
    if (!IsSafeId(draft.id)) {
        if (error)
            *error = "invalid draft id";
        return false;
    }
    return WritePrivateFile(FileOf(draft.id), Serialize(draft), error);
}

void DraftStore::Remove(std::string_view id) const
{
    if (!IsSafeId(id))
        return;
    std::error_code ec;
    std::filesystem::remove(FileOf(id), ec);
}

std::optional<Draft> DraftStore::Load(std::string_view id) const
{
    if (!IsSafeId(id))
        return std::nullopt;
    auto bytes = ReadSmallFile(FileOf(id), kMaxDraftBytes);
    if (!bytes)
        return std::nullopt;
    auto draft = Parse(*bytes);
    if (draft)
        draft->id = std::string(id);
    return draft;
}

namespace {

bool SameHost(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

bool DraftStore::Belongs(const Draft& draft, std::string_view profile, const DraftPlace& here)
{
    const DraftPlace& written = draft.place;
    if (!written.Known())
        return draft.profile == profile;
    return here.Known() && written.person == here.person && SameHost(written.server, here.server) &&
           (written.port == here.port || draft.profile == profile);
}

std::vector<Draft> DraftStore::List(std::string_view profile) const
{
    return Select([&](const Draft& draft) { return draft.profile == profile; });
}

std::vector<Draft> DraftStore::ListFor(std::string_view profile, const DraftPlace& here) const
{
    return Select([&](const Draft& draft) { return Belongs(draft, profile, here); });
}

std::vector<Draft> DraftStore::Select(const std::function<bool(const Draft&)>& wanted) const
{
    std::vector<Draft> drafts;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir_, ec)) {
        const std::filesystem::path& file = entry.path();
        if (file.extension() != kSuffix)
            continue;
        auto draft = Load(file.stem().string());
        if (draft && !draft->Empty() && wanted(*draft))
            drafts.push_back(std::move(*draft));
    }
    std::sort(drafts.begin(), drafts.end(), [](const Draft& a, const Draft& b) {
        return a.savedAt != b.savedAt ? a.savedAt > b.savedAt : a.id > b.id;
    });
    return drafts;
}

} // namespace pellar
