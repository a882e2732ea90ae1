// The rules behind the article pane's context menu: which commands a word
// under the caret offers (a conference or person number, a text number, a web
// address), and how the word is cleaned up before a command uses it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace pellar {

class MVCache;

// What the rules need to know about a number.
class ContextWordSource {
public:
    virtual ~ContextWordSource() = default;
    // A name can be had for the number (from the cache or the server).
    virtual bool HasName(int32_t number) = 0;
    // A text status exists for the number.
    virtual bool HasTextStat(int32_t number) = 0;
};

class CacheContextWordSource : public ContextWordSource {
public:
    explicit CacheContextWordSource(MVCache& cache) : cache_(cache) {}
    bool HasName(int32_t number) override;
    bool HasTextStat(int32_t number) override;

private:
    MVCache& cache_;
};

// Which parts of the menu are visible.
struct ContextMenuOffer {
    bool presentation = false;  // "Read &presentation"
    bool textCommands = false;  // read, delete, mark, properties and both separators
    bool openUrl = false;       // "Open &URL"
    bool noSuchText = false;    // the disabled "No such text of conference"
    // Whether the menu has anything to show.
    bool Any() const { return presentation || textCommands || openUrl || noSuchText; }
};

class ContextWords {
public:
    // Conference and person numbers go no higher than this.
    static constexpr int32_t kHighestConfNo = 65535;

    // The word without the blanks, brackets and punctuation around it.
    static std::string Trim(std::string_view word);
    // A whole decimal integer (optional sign); none for anything else,
    // including numbers that do not fit.
    static std::optional<int32_t> Number(std::string_view word);
    // Text on both sides of a colon, as "%S:%S" reads it.
    static bool LooksLikeUrl(std::string_view word);
    // What to open: the word without a leading "URL:" in any case.
    static std::string UrlToOpen(std::string_view word);

    // The menu for the (untrimmed) word at the caret.
    static ContextMenuOffer Offer(std::string_view word, ContextWordSource& source);
};

} // namespace pellar
