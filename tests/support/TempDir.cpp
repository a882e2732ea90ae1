#include "support/TempDir.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellar::test {

TempDir::TempDir(std::string_view tag)
{
    std::string name = "pellar-" + std::string(tag) + "-" + std::to_string(::getpid());
    if (const auto* info = ::testing::UnitTest::GetInstance()->current_test_info())
        name += std::string("-") + info->name();
    std::replace(name.begin(), name.end(), '/', '_'); // parameterised tests' names hold one
    path_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::filesystem::path& file, std::string_view content)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << content;
}

unsigned FileMode(const std::filesystem::path& file)
{
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 ? (st.st_mode & 0777) : 01000;
}

} // namespace pellar::test
