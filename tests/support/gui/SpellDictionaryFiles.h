// A small spelling dictionary written for a test, so that what is misspelt
// and what is suggested does not depend on the dictionaries installed.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace pellar::test {

inline constexpr const char* kSpellWords[] = {
    "the", "quick", "brown", "fox", "jumps", "over", "lazy", "dog", "hello", "world", "is", "not", "here",
    "see", "and", "we", "meet", "at", "noon", "by", "river", "a", "text", "about", "spelling", "this",
    "that", "with", "words", "Monday", "tomorrow", "write", "more", "soon", "house", "friend", "word", "mail", "new"};

// <folder>/<language>.aff and .dic, in UTF-8.
inline void WriteSpellDictionary(const std::filesystem::path& folder, std::string_view language)
{
    std::filesystem::create_directories(folder);
    std::ofstream(folder / (std::string(language) + ".aff")) << "SET UTF-8\nTRY esianrtolcdugmphbyfvkwzqxj\n";
    std::ofstream dic(folder / (std::string(language) + ".dic"));
    dic << std::size(kSpellWords) << "\n";
    for (const char* word : kSpellWords)
        dic << word << "\n";
}

} // namespace pellar::test
