// The spelling dictionaries installed on this machine (an .aff and a .dic
// file of one name, such as en_US) and which one a profile uses: its own
// choice, else the one of the user's locale.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellar {

struct SpellDictionary {
    std::string language;  // the files' name: "en_US", "de_DE", "de_DE_frami"
    std::filesystem::path aff;
    std::filesystem::path dic;
};

// Where dictionaries are looked for, in order: each folder of $DICPATH, the
// user's own ($XDG_DATA_HOME/hunspell, else ~/.local/share/hunspell), then
// hunspell/, myspell/ and myspell/dicts/ below each folder of $XDG_DATA_DIRS
// (/usr/local/share and /usr/share when unset).
std::vector<std::filesystem::path> SpellDictionaryFolders();

// Every dictionary in the folders, sorted by language; of two with the same
// name the one in the earlier folder wins. Hyphenation and thesaurus files
// (a .dic without its .aff) are no dictionaries.
std::vector<SpellDictionary> FindSpellDictionaries(const std::vector<std::filesystem::path>& folders);

// The user's language from the locale variables (LC_ALL, LC_MESSAGES, LANG,
// the first one set): "de_DE" for "de_DE.UTF-8@euro"; "" for C or POSIX.
std::string LocaleLanguage();

// The dictionary for a profile: the chosen language when installed, else the
// locale's (the same name, or one of the same language: "de_AT" finds
// "de_DE"), else American English, else the first one; none when nothing is
// installed.
std::optional<SpellDictionary> ChooseSpellDictionary(const std::vector<SpellDictionary>& installed,
                                                     std::string_view chosen, std::string_view locale);

} // namespace pellar
