#include "core/writing/SpellDictionaries.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <system_error>

namespace pellar {

namespace fs = std::filesystem;

namespace {

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::vector<std::string> SplitColons(const std::string& text)
{
    std::vector<std::string> parts;
    size_t begin = 0;
    while (begin <= text.size()) {
        size_t end = text.find(':', begin);
        if (end == std::string::npos)
            end = text.size();
        if (end > begin)
            parts.push_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
    return parts;
}

std::string_view LanguageOf(std::string_view name)
{
    const size_t cut = name.find_first_of("_-");
    return cut == std::string_view::npos ? name : name.substr(0, cut);
}

} // namespace

std::vector<fs::path> SpellDictionaryFolders()
{
    std::vector<fs::path> folders;
    for (const std::string& dir : SplitColons(Env("DICPATH")))
        folders.emplace_back(dir);
    const std::string dataHome = Env("XDG_DATA_HOME");
    const std::string home = Env("HOME");
    if (!dataHome.empty())
        folders.push_back(fs::path(dataHome) / "hunspell");
    else if (!home.empty())
        folders.push_back(fs::path(home) / ".local/share/hunspell");
    std::string dataDirs = Env("XDG_DATA_DIRS");
    if (dataDirs.empty())
        dataDirs = "/usr/local/share:/usr/share";
    for (const std::string& dir : SplitColons(dataDirs))
        for (const char* below : {"hunspell", "myspell", "myspell/dicts"})
            folders.push_back(fs::path(dir) / below);
    return folders;
}

std::vector<SpellDictionary> FindSpellDictionaries(const std::vector<fs::path>& folders)
{
    std::map<std::string, SpellDictionary> found;
    for (const fs::path& folder : folders) {
        std::error_code error;
        fs::directory_iterator it(folder, error);
        if (error)
            continue;
        for (const fs::directory_entry& entry : it) {
            const fs::path& dic = entry.path();
            if (dic.extension() != ".dic")
                continue;
            fs::path aff = dic;
            aff.replace_extension(".aff");
            std::error_code statError;
            if (!fs::is_regular_file(dic, statError) || !fs::is_regular_file(aff, statError))
                continue;
            const std::string name = dic.stem().string();
            found.emplace(name, SpellDictionary{name, aff, dic});  // an earlier folder's stays
        }
    }
    std::vector<SpellDictionary> list;
    for (auto& [name, dictionary] : found)
        list.push_back(std::move(dictionary));
    return list;
}

std::string LocaleLanguage()
{
    std::string value;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        value = Env(name);
        if (!value.empty())
            break;
    }
    const size_t cut = value.find_first_of(".@");
    if (cut != std::string::npos)
        value.resize(cut);
    if (value == "C" || value == "POSIX")
        return {};
    return value;
}

std::optional<SpellDictionary> ChooseSpellDictionary(const std::vector<SpellDictionary>& installed,
                                                     std::string_view chosen, std::string_view locale)
{
    auto named = [&](std::string_view name) -> const SpellDictionary* {
        for (const SpellDictionary& d : installed)
            if (d.language == name)
                return &d;
        return nullptr;
    };
    auto sameLanguage = [&](std::string_view name) -> const SpellDictionary* {
        if (name.empty())
            return nullptr;
        for (const SpellDictionary& d : installed)
            if (LanguageOf(d.language) == LanguageOf(name))
                return &d;
        return nullptr;
    };
    for (const SpellDictionary* d : {chosen.empty() ? nullptr : named(chosen), locale.empty() ? nullptr : named(locale),
                                     sameLanguage(locale), named("en_US"), sameLanguage("en")})
        if (d)
            return *d;
    if (!installed.empty())
        return installed.front();
    return std::nullopt;
}

} // namespace pellar
