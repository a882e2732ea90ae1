// Puts the article layout's styled runs into a text pane. Run text is
// inserted as plain characters through QTextCursor, never parsed as markup.
#pragma once

#include "core/reading/ArticleLayout.h"

#include <QFont>

#include <string>
#include <vector>

class QTextEdit;

namespace pellar {

class ArticleRenderer {
public:
    // The Qt font for a font description string. Families this system lacks
    // fall back by kind (fixed pitch for the body's typewriter faces), so the
    // default strings read well everywhere.
    static QFont FontFromString(const std::string& fontString);

    // Appends the runs at the end of the pane; "\r" starts a new line.
    static void AppendRuns(QTextEdit& pane, const std::vector<StyledRun>& runs);
};

} // namespace pellar
