// Underlines misspelt words in a text document as the platform does (the
// spell-check underline in red), block by block: Qt checks again only the
// blocks that changed, and the checker keeps its verdicts, so typing costs
// the words of one line. When the checker or its words change, the whole
// text is checked again a slice of lines per turn of the event loop.
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

    // Checks every block again, from the first, kBlocksPerTurn blocks now
    // and as many on each later turn of the event loop: laying out the lines
    // whose underlines changed is what costs (far more than the checking),
    // and a long text must not hold up typing meanwhile. Each slice marks the
    // text changed once, from its first changed block to its last (Qt's own
    // rehighlight lays the document out anew for every block it changes).
    void CheckAll();
    // A pass of CheckAll is not finished yet.
    bool Checking() const { return nextBlock_ >= 0; }

    static constexpr int kBlocksPerTurn = 30;

protected:
    void highlightBlock(const QString& text) override;

private:
    void CheckSlice();

    QPointer<SpellService> service_;
    int nextBlock_ = -1;
    bool sliceQueued_ = false;
    QTextCharFormat format_;
};

} // namespace pellar
