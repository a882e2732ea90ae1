// The messages window's log kept between runs: the last entries of one
// profile in a private file of the data directory. Each entry is appended as
// it arrives, so a crash of the program loses nothing written; the file is
// rewritten whole (through a temporary file) once it holds kMaxEntries more
// than are kept, and after a write that failed. A flood of messages costs
// one short write each, not a rewrite of the whole log.
#pragma once

#include <cstddef>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pellar {

class MessageLog {
public:
    static constexpr size_t kMaxEntries = 1000;
    // A file larger than this is not ours (or damaged) and is not read.
    static constexpr size_t kMaxFileBytes = 32u << 20;

    explicit MessageLog(std::filesystem::path file) : file_(std::move(file)) {}

    // The file of profile's log in dir: profile paths hold characters no
    // file name should, so the name is derived from them.
    static std::filesystem::path FileFor(const std::filesystem::path& dir, std::string_view profile);

    const std::filesystem::path& File() const { return file_; }
    const std::deque<std::string>& Entries() const { return entries_; }

    // Reads the file; a missing or unreadable one is an empty log.
    void Load();
    // Adds an entry (the oldest go beyond kMaxEntries) and saves it.
    bool Append(std::string entry, std::string* error = nullptr);
    // Forgets every entry and removes the file.
    void Clear();

    static std::string Serialize(const std::deque<std::string>& entries);
    // One entry as the file holds it after the header.
    static std::string Record(std::string_view entry);
    // As many whole entries as the bytes hold; none when they are not a log.
    static std::optional<std::deque<std::string>> Parse(std::string_view bytes);

private:
    bool Rewrite(std::string* error);

    std::filesystem::path file_;
    std::deque<std::string> entries_;
    // The file holds the header and appended_ records past the kept entries'
    // first rewrite, fileBytes_ bytes in all; unknown until the first save.
    bool fileKnown_ = false;
    size_t appended_ = 0;
    size_t fileBytes_ = 0;
};

} // namespace pellar
