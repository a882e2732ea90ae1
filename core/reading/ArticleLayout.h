// Lays one text out for reading as a list of styled runs (text, font string,
// bold), in the full form of the article pane or the compact form of the
// commented-text pane and inline footnotes. Server text is only ever copied
// into runs, never interpreted; line breaks in runs are "\r".
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/wire/DateTime.h"
#include "core/session/TextSource.h"

namespace pellar {

class MVCache;
class TextStatType;
class TMiravoConfiguration;
class TMiravoText;

struct StyledRun {
    std::string text;
    std::string font;  // a font description string
    bool bold = false;

    bool operator==(const StyledRun&) const = default;
};

struct ArticleFonts {
    static constexpr std::string_view kDefaultHeader = "MS Sans Serif;11;$80000008;";
    static constexpr std::string_view kDefaultBody = "Courier New;10;$80000008;";

    std::string header{kDefaultHeader};
    std::string body{kDefaultBody};

    // "HeaderFont" and "BodyFont" of the current profile.
    static ArticleFonts FromConfig(const TMiravoConfiguration& config);
};

enum class ArticleMode { Full, Compact };

struct ArticleResult {
    bool shown = false;       // text and status could be had
    bool isComment = false;   // the text carries a comment-to link
    bool hasComments = false; // the text carries a comment-in link
};

class ArticleLayout {
public:
    // Times are written as locale writes them (the user's, from the client).
    ArticleLayout(TextSource& source, ArticleFonts fonts, bool reformat,
                  const LocalePort& locale = PlainLocalePort());

    // Appends the text's layout to runs; nothing is appended when its body
    // or status cannot be had.
    ArticleResult Format(int32_t text, ArticleMode mode, std::vector<StyledRun>& runs);

    // Joins soft line breaks: a line break followed by an ordinary character
    // becomes a blank; blank lines and lines starting with a quote, list or
    // indentation character stay.
    static std::string ReformatBody(std::string body);
    // The body as shown: optionally reformatted (ending in "\r"), NULs as
    // blanks, line feeds removed.
    static std::string PrepareBody(std::string body, bool reformat);
    // "Marked by one person\r", "Marked by 7 persons\r"; empty for no marks.
    static std::string MarksLine(int32_t marks);
    // How times appear in articles.
    std::string FormatTime(TDateTime t) const;
    // A fixed label ("Subject:", "By") in the user's language.
    std::string Label(std::string_view english) const;

private:
    void Append(std::vector<StyledRun>& runs, std::string text, const std::string& font, bool bold);
    std::string RecipientBlock(const TextStatType& stat, ArticleResult& result);
    void AppendTrailer(const TextStatType& stat, std::vector<StyledRun>& runs, ArticleResult& result);

    TextSource& source_;
    ArticleFonts fonts_;
    bool reformat_;
    const LocalePort& locale_;
};

} // namespace pellar
