// A directory of its own for each test that writes files, removed with all in
// it afterwards, and the small file helpers those tests share.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace pellar::test {

// Made fresh and empty on construction, named after the process, the tag and
// the running test so that parallel runs never meet.
class TempDir {
public:
    explicit TempDir(std::string_view tag);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    operator const std::filesystem::path&() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// The file's bytes; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& file);
// Replaces the file's content.
void WriteFile(const std::filesystem::path& file, std::string_view content);
// The permission bits; 01000 when the file is missing.
unsigned FileMode(const std::filesystem::path& file);

} // namespace pellar::test
