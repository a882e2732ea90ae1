#include "core/config/FileRegistryBackend.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace pellar {

namespace {

bool NeedsEscape(unsigned char c)
{
    return c < 0x20 || c == 0x7f || c == '%' || c == '=' || c == '[' || c == ']' || c == ';';
}

std::string Escape(std::string_view text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (NeedsEscape(c)) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0xf];
        } else {
            out += ch;
        }
    }
    return out;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::optional<std::string> Unescape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        const int high = HexDigit(text[i + 1]);
        const int low = HexDigit(text[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

void ParseValueLine(std::string_view line, const std::string& key, RegistryBackend& into)
{
    const auto eq = line.find('=');
    if (eq == std::string_view::npos || line.size() < eq + 3 || line[eq + 2] != ':')
        return;
    const auto name = Unescape(line.substr(0, eq));
    const char kind = line[eq + 1];
    const std::string_view body = line.substr(eq + 3);
    if (!name)
        return;
    if (kind == 's') {
        if (const auto text = Unescape(body))
            into.WriteValue(key, *name, RegistryValue(*text));
    } else if (kind == 'n') {
        std::uint32_t number = 0;
        const auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), number);
        if (ec == std::errc() && end == body.data() + body.size())
            into.WriteValue(key, *name, RegistryValue(number));
    }
}

bool WriteAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The rename is only durable once the folder entry is on disk too.
void SyncDirectory(const std::filesystem::path& dir)
{
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

FileRegistryBackend::FileRegistryBackend(std::filesystem::path file) : file_(std::move(file))
{
    std::ifstream in(file_, std::ios::binary);
    if (!in)
        return;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Parse(text, memory_);
}

std::string FileRegistryBackend::Serialize(const std::vector<RegistryKeySnapshot>& keys)
{
    std::string out = "; Pellar settings\n";
    for (const auto& key : keys) {
        out += '[';
        out += Escape(key.path);
        out += "]\n";
        for (const auto& [name, value] : key.values) {
            out += Escape(name);
            if (const auto* text = std::get_if<std::string>(&value)) {
                out += "=s:";
                out += Escape(*text);
            } else {
                out += "=n:";
                out += std::to_string(std::get<std::uint32_t>(value));
            }
            out += '\n';
        }
    }
    return out;
}

void FileRegistryBackend::Parse(std::string_view text, RegistryBackend& into)
{
    std::optional<std::string> key;  // none until the first header
    while (!text.empty()) {
        auto eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            key.reset();
            if (line.back() != ']')
                continue;
            if (auto path = Unescape(line.substr(1, line.size() - 2))) {
                key = NormalizeRegistryPath(*path);
                into.CreateKey(*key);
            }
            continue;
        }
        if (key)
            ParseValueLine(line, *key, into);
    }
}

std::optional<RegistryValue> FileRegistryBackend::ReadValue(std::string_view keyPath, std::string_view name) const
{
    return memory_.ReadValue(keyPath, name);
}

bool FileRegistryBackend::WriteValue(std::string_view keyPath, std::string_view name, const RegistryValue& value)
{
    return memory_.WriteValue(keyPath, name, value);
}

bool FileRegistryBackend::DeleteValue(std::string_view keyPath, std::string_view name)
{
    return memory_.DeleteValue(keyPath, name);
}

bool FileRegistryBackend::KeyExists(std::string_view keyPath) const
{
    return memory_.KeyExists(keyPath);
}

bool FileRegistryBackend::CreateKey(std::string_view keyPath)
{
    return memory_.CreateKey(keyPath);
}

std::vector<std::string> FileRegistryBackend::SubKeyNames(std::string_view keyPath) const
{
    return memory_.SubKeyNames(keyPath);
}

std::vector<std::string> FileRegistryBackend::ValueNames(std::string_view keyPath) const
{
    return memory_.ValueNames(keyPath);
}

bool FileRegistryBackend::DeleteKey(std::string_view keyPath)
{
    return memory_.DeleteKey(keyPath);
}

bool FileRegistryBackend::Save()
{
    std::lock_guard lock(saveMutex_);
    const std::string text = Serialize(memory_.Snapshot());

    std::error_code ec;
    const auto dir = file_.has_parent_path() ? file_.parent_path() : std::filesystem::path(".");
    std::filesystem::create_directories(dir, ec);

    // A unique temporary in the same folder (rename is atomic only within
    // one file system); mkstemp creates it 0600, fitting a file that holds
    // the obscured password.
    std::string temp = file_.string() + ".tmp.XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, text) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok)
        ok = ::rename(temp.c_str(), file_.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    SyncDirectory(dir);
    return true;
}

} // namespace pellar
