#include "gui/common/SpellHighlighter.h"

#include "gui/common/SpellService.h"

#include <QTextBlock>
#include <QTimer>
#include <QTextDocument>
#include <QTextLayout>

namespace pellar {

QTextCharFormat MisspeltFormat()
{
    QTextCharFormat format;
    format.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    format.setUnderlineColor(Qt::red);
    return format;
}

std::vector<SpellWordRange> MisspeltWords(SpellChecker& checker, const QString& line)
{
    const std::u16string_view text(reinterpret_cast<const char16_t*>(line.utf16()), size_t(line.size()));
    std::vector<SpellWordRange> wrong;
    for (const SpellWordRange& word : SpellWords(text))
        if (!checker.IsCorrect(text.substr(word.start, word.length)))
            wrong.push_back(word);
    return wrong;
}

SpellHighlighter::SpellHighlighter(QTextDocument* document, SpellService* service)
    : QSyntaxHighlighter(document), service_(service), format_(MisspeltFormat())
{
    connect(service, &SpellService::CheckerChanged, this, &SpellHighlighter::CheckAll);
    connect(service, &SpellService::WordsChanged, this, &SpellHighlighter::CheckAll);
}

void SpellHighlighter::CheckAll()
{
    nextBlock_ = 0;
    CheckSlice();
}

void SpellHighlighter::CheckSlice()
{
    QTextDocument* doc = document();
    if (!doc || nextBlock_ < 0)
        return;
    SpellChecker* checker = service_ ? service_->Checker() : nullptr;
    int first = -1;
    int end = -1;
    QTextBlock block = doc->findBlockByNumber(nextBlock_);
    for (int n = 0; block.isValid() && n < kBlocksPerTurn; block = block.next(), ++n) {
        QList<QTextLayout::FormatRange> ranges;
        if (checker)
            for (const SpellWordRange& word : MisspeltWords(*checker, block.text()))
                ranges.append({int(word.start), int(word.length), format_});
        QTextLayout* layout = block.layout();
        if (!layout || layout->formats() == ranges)
            continue;
        // The same ranges highlightBlock gives, so Qt's own pass over a
        // changed block finds them as its own.
        layout->setFormats(ranges);
        if (first < 0)
            first = block.position();
        end = block.position() + block.length();
    }
    if (first >= 0)
        doc->markContentsDirty(first, end - first);
    nextBlock_ = block.isValid() ? block.blockNumber() : -1;
    if (nextBlock_ >= 0 && !sliceQueued_) {
        sliceQueued_ = true;
        QTimer::singleShot(0, this, [this] {
            sliceQueued_ = false;
            CheckSlice();
        });
    }
}

void SpellHighlighter::highlightBlock(const QString& text)
{
    SpellChecker* checker = service_ ? service_->Checker() : nullptr;
    if (!checker)
        return;
    for (const SpellWordRange& word : MisspeltWords(*checker, text))
        setFormat(int(word.start), int(word.length), format_);
}

} // namespace pellar
