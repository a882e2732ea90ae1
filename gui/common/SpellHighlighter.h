// Underlines misspelt words in a text document as the platform does (the
// spell-check underline in red), block by block: Qt checks again only the
// blocks that changed, and the checker keeps its verdicts, so typing costs
// the words of one line.
#pragma once

#include "core/writing/SpellWords.h"

#include <QPointer>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

#include <vector>

namespace pellar {

class SpellChecker;
class SpellService;

// The format of a misspelt word.
QTextCharFormat MisspeltFormat();
// The words of a line the checker does not accept.
std::vector<SpellWordRange> MisspeltWords(SpellChecker& checker, const QString& line);

class SpellHighlighter : public QSyntaxHighlighter {
    Q_OBJECT

public:
    SpellHighlighter(QTextDocument* document, SpellService* service);

protected:
    void highlightBlock(const QString& text) override;

private:
    QPointer<SpellService> service_;
    QTextCharFormat format_;
};

} // namespace pellar
