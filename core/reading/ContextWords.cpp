#include "core/reading/ContextWords.h"

#include <cctype>
#include <charconv>

#include "core/session/MVCache.h"

namespace pellar {

namespace {

constexpr std::string_view kTrimmed = " (),.:;<>[]{}";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// One "%S" field: leading blanks and tabs skipped, then characters up to a
// stop character or the end.
std::string_view ScanField(std::string_view s, size_t& pos, bool stopAtColon)
{
    while (pos < s.size() && IsBlank(s[pos]))
        ++pos;
    const size_t start = pos;
    while (pos < s.size() && !IsBlank(s[pos]) && !(stopAtColon && s[pos] == ':'))
        ++pos;
    return s.substr(start, pos - start);
}

} // namespace

bool CacheContextWordSource::HasName(int32_t number)
{
    try {
        cache_.GetNameOrFail(number);
        return true;
    } catch (const NoSuchConferenceException&) {
        return false;
    }
}

bool CacheContextWordSource::HasTextStat(int32_t number)
{
    return cache_.GetTextStat(number) != nullptr;
}

std::string ContextWords::Trim(std::string_view word)
{
    const size_t first = word.find_first_not_of(kTrimmed);
    if (first == std::string_view::npos)
        return {};
    const size_t last = word.find_last_not_of(kTrimmed);
    return std::string(word.substr(first, last - first + 1));
}

std::optional<int32_t> ContextWords::Number(std::string_view word)
{
    if (!word.empty() && word.front() == '+')
        word.remove_prefix(1);
    if (word.empty() || word.front() == '+')
        return std::nullopt;
    int32_t value = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec != std::errc() || end != word.data() + word.size())
        return std::nullopt;
    return value;
}

bool ContextWords::LooksLikeUrl(std::string_view word)
{
    size_t pos = 0;
    if (ScanField(word, pos, true).empty())
        return false;
    if (pos >= word.size() || word[pos] != ':')
        return false;
    ++pos;
    return !ScanField(word, pos, false).empty();
}

std::string ContextWords::UrlToOpen(std::string_view word)
{
    if (word.size() >= 4) {
        std::string head(word.substr(0, 4));
        for (char& c : head)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (head == "URL:")
            word.remove_prefix(4);
    }
    return std::string(word);
}

ContextMenuOffer ContextWords::Offer(std::string_view rawWord, ContextWordSource& source)
{
    ContextMenuOffer offer;
    const std::string word = Trim(rawWord);
    // Nothing is numbered 0 or below: no need to ask the server.
    const auto number = Number(word);
    if (number && *number > 0) {
        offer.presentation = *number <= kHighestConfNo && source.HasName(*number);
        offer.textCommands = source.HasTextStat(*number);
    }
    offer.openUrl = LooksLikeUrl(word);
    // Only a number can fail to be a text or conference; a plain word or an
    // address offers what it offers, or no menu at all.
    offer.noSuchText = number && !offer.presentation && !offer.textCommands;
    return offer;
}

} // namespace pellar
