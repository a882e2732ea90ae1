// Whole-file reads and writes for the small files the program keeps for the
// user (drafts, the messages log): written to a temporary file and renamed,
// so a crash leaves the old or the new content, never half of one; mode 0600.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pellar {

// Creates the folder (0700) when missing, writes bytes to a 0600 temporary
// file next to target, syncs it and renames it over target.
bool WritePrivateFile(const std::filesystem::path& target, std::string_view bytes, std::string* error = nullptr);

// Appends bytes to an existing file in one write (O_APPEND, no sync: a crash
// of the program loses nothing written, and a torn end is for the reader to
// drop). False when the file is missing or the write fell short.
bool AppendPrivateFile(const std::filesystem::path& target, std::string_view bytes, std::string* error = nullptr);

// The file's bytes; none when it is missing, unreadable or larger than
// maxBytes (a damaged or foreign file must not make us allocate without bound).
std::optional<std::string> ReadSmallFile(const std::filesystem::path& file, size_t maxBytes);

} // namespace pellar
