// Checks words against one spelling dictionary and the user's own word list.
// Words come and go as UTF-16 (the editors' text); the dictionary may work in
// another encoding (its .aff file's SET line), into which each word is
// converted, and a word the encoding cannot hold is simply not in it.
// Verdicts are kept, so a repeated word costs one look-up. One checker is
// for one thread at a time; checkers may be made and dropped on any thread.
#pragma once

#include "core/writing/SpellDictionaries.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class Hunspell;

namespace pellar {

class SpellChecker {
public:
    // Loads the dictionary and the personal list (one word a line, UTF-8;
    // missing is empty). Null, with the reason in error, when the dictionary
    // cannot be read.
    static std::unique_ptr<SpellChecker> Open(const SpellDictionary& dictionary, std::filesystem::path personalFile,
                                              std::string* error = nullptr);
    ~SpellChecker();

    SpellChecker(const SpellChecker&) = delete;
    SpellChecker& operator=(const SpellChecker&) = delete;

    const std::string& Language() const { return language_; }
    // The dictionary's own encoding, as its .aff file names it.
    const std::string& Encoding() const { return encoding_; }

    bool IsCorrect(std::u16string_view word);
    // At most max replacements, best first.
    std::vector<std::u16string> Suggestions(std::u16string_view word, size_t max = 8);

    // Adds the word to the personal list and writes the list (0600); false
    // when it could not be written (the word is still accepted this run).
    bool AddToPersonal(std::u16string_view word, std::string* error = nullptr);
    // Accepts the word until the program ends.
    void Ignore(std::u16string_view word);
    const std::unordered_set<std::u16string>& Ignored() const { return ignored_; }

    // How many words were asked of the dictionary itself (the rest came from
    // the kept verdicts).
    size_t DictionaryLookups() const { return lookups_; }

    // The dictionary's bytes for a word; none when its encoding cannot hold it.
    std::optional<std::string> ToDictionary(std::u16string_view word) const;
    std::u16string FromDictionary(std::string_view bytes) const;

private:
    class Converter;

    SpellChecker();
    void LoadPersonal();

    std::unique_ptr<Hunspell> hunspell_;
    std::string language_;
    std::string encoding_;
    bool utf8_ = true;
    std::unique_ptr<Converter> toDictionary_;
    std::unique_ptr<Converter> fromDictionary_;
    std::filesystem::path personalFile_;
    std::vector<std::u16string> personal_;
    std::unordered_set<std::u16string> accepted_;  // personal and ignored
    std::unordered_set<std::u16string> ignored_;
    std::unordered_map<std::u16string, bool> verdicts_;
    size_t lookups_ = 0;
};

// UTF-16 to UTF-8 and back; none for a lone surrogate.
std::optional<std::string> Utf16ToUtf8(std::u16string_view text);
// Invalid bytes become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

} // namespace pellar
