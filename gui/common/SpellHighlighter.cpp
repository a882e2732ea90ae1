#include "gui/common/SpellHighlighter.h"

#include "gui/common/SpellService.h"

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
    connect(service, &SpellService::CheckerChanged, this, &QSyntaxHighlighter::rehighlight);
    connect(service, &SpellService::WordsChanged, this, &QSyntaxHighlighter::rehighlight);
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
