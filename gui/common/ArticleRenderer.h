// Puts the article layout's styled runs into a text pane. Run text is
// inserted as plain characters through QTextCursor, never parsed as markup.
#pragma once

#include "core/wire/WireTokens.h"
#include "core/reading/ArticleLayout.h"

#include <QColor>
#include <QFont>

#include <string>
#include <vector>

class QPalette;
class QTextEdit;

namespace pellar {

class ArticleRenderer {
public:
    // The Qt font for a font description string. Families this system lacks
    // fall back by kind (fixed pitch for the body's typewriter faces), so the
    // default strings read well everywhere. GUI thread only.
    static QFont FontFromString(const std::string& fontString);

    // A font string's colour as stored: a system colour (top byte set) is
    // the palette's text colour, anything else 0x00BBGGRR.
    static QColor ColorOf(const FontDesc& font, const QPalette& palette);
    // The colour text in this font is drawn in: its own, unless it would not
    // stand out from the palette's background (a colour chosen under a light
    // theme, read under a dark one); then the palette's text colour.
    static QColor ReadableColor(const FontDesc& font, const QPalette& palette);
    static QColor ReadableColor(const std::string& fontString, const QPalette& palette);

    // Appends the runs at the end of the pane; "\r" starts a new line.
    static void AppendRuns(QTextEdit& pane, const std::vector<StyledRun>& runs);
};

} // namespace pellar
