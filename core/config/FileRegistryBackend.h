// The registry as one plain text file, for running without Qt. Reads and
// writes work on a copy in memory; Save writes the whole file to a fresh
// temporary next to it and renames it over the old one, so a crash at any
// moment leaves either the old file or the new one.
//
// Format, one line each:   [Key\Path]      a key (also an empty one)
//                          name=s:text     a string value
//                          name=n:18       a number value
// Lines starting with ";" are comments. In paths, names and texts the bytes
// "%", "=", "[", "]", ";" and the control characters are written as %XX.
#pragma once

#include "core/config/MemoryRegistryBackend.h"

#include <filesystem>
#include <mutex>

namespace pellar {

class FileRegistryBackend : public RegistryBackend {
public:
    // Loads the file if it exists; a missing file is an empty store. The file
    // and its folder are created by the first Save.
    explicit FileRegistryBackend(std::filesystem::path file);

    std::optional<RegistryValue> ReadValue(std::string_view keyPath, std::string_view name) const override;
    bool WriteValue(std::string_view keyPath, std::string_view name, const RegistryValue& value) override;
    bool DeleteValue(std::string_view keyPath, std::string_view name) override;
    bool KeyExists(std::string_view keyPath) const override;
    bool CreateKey(std::string_view keyPath) override;
    std::vector<std::string> SubKeyNames(std::string_view keyPath) const override;
    std::vector<std::string> ValueNames(std::string_view keyPath) const override;
    bool DeleteKey(std::string_view keyPath) override;
    bool Save() override;

    const std::filesystem::path& File() const { return file_; }

    // The text Save writes for the given keys, and its inverse; lines that do
    // not parse are skipped.
    static std::string Serialize(const std::vector<RegistryKeySnapshot>& keys);
    static void Parse(std::string_view text, RegistryBackend& into);

private:
    std::filesystem::path file_;
    MemoryRegistryBackend memory_;
    std::mutex saveMutex_;  // one Save at a time, so an older snapshot never lands last
};

} // namespace pellar
