// One text as the reading window draws it, made ready off the GUI thread:
// its layout for the article pane and the commented-text pane, who wrote it
// and whom it was sent to with their names, what it comments and which
// footnotes and comments it has, and whether its author wants a read
// confirmation from the reader. The window only draws it; it never walks
// misc-info or asks the caches.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/base/LocalePort.h"
#include "core/reading/ArticleLayout.h"

namespace pellar {

class TextSource;

// A person or conference an article names.
struct ArticleParty {
    int32_t number = 0;
    std::string name;
    // False when the name could not be had ("*Unknown*" is shown then).
    bool resolved = true;

    bool operator==(const ArticleParty&) const = default;
};

struct PreparedArticle {
    int32_t text = 0;
    // Body and status could be had; otherwise only missing is set.
    bool available = false;
    // Why the text is not shown, in the user's words.
    std::string missing;
    ArticleResult result;
    // The first line of the text.
    std::string subject;
    ArticleParty author;
    // Recipients and carbon copies, in misc-info order.
    std::vector<ArticleParty> recipients;
    // Comment-to and footnote-to texts, in misc-info order: what the
    // commented-text pane shows.
    std::vector<int32_t> commented;
    std::vector<int32_t> footnotes;
    std::vector<int32_t> comments;
    // The article pane's runs.
    std::vector<StyledRun> runs;
    // The commented-text pane's runs (the compact form of each commented
    // text); empty unless they were asked for.
    std::vector<StyledRun> commentedRuns;
    // The person who asked for a read confirmation the reader has not given.
    std::optional<ArticleParty> confirmationWanted;
    // Names that could not be resolved anywhere in the article.
    int unresolvedNames = 0;
};

struct ArticleOptions {
    ArticleFonts fonts;
    bool reformat = false;
    // Fill commentedRuns.
    bool withCommented = false;
    // The person reading: a confirmation they gave is not asked again.
    int32_t reader = 0;
};

// Fetches through source whatever the text needs (this may wait for the
// server: call it on a worker) and lays it out. Each name is looked up once.
PreparedArticle PrepareArticle(TextSource& source, const ArticleOptions& options, const LocalePort& locale,
                               int32_t text);

} // namespace pellar
