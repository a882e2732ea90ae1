#include "gui/reading/ArticleRenderer.h"

#include "core/protocol/WireTokens.h"
#include "gui/shell/WireCodec.h"

#include <QFontDatabase>
#include <QTextCursor>
#include <QTextCharFormat>
#include <QTextEdit>

namespace pellar {

namespace {

bool LooksFixedPitch(const QString& family)
{
    const QString f = family.toLower();
    return f.contains(QLatin1String("courier")) || f.contains(QLatin1String("mono")) ||
           f.contains(QLatin1String("fixed")) || f.contains(QLatin1String("consol")) ||
           f.contains(QLatin1String("terminal"));
}

} // namespace

QFont ArticleRenderer::FontFromString(const std::string& fontString)
{
    const FontDesc desc = ParseFontString(fontString);
    const QString family = FromWire(desc.name);
    QFont font;
    if (!family.isEmpty() && QFontDatabase::hasFamily(family)) {
        font.setFamily(family);
    } else if (LooksFixedPitch(family)) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    } else {
        font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    }
    // Sizes are points; a broken string must not give an unreadable pane.
    font.setPointSize(desc.size >= 4 && desc.size <= 72 ? desc.size : 10);
    font.setBold(desc.bold);
    font.setItalic(desc.italic);
    font.setUnderline(desc.underline);
    font.setStrikeOut(desc.strikeOut);
    return font;
}

void ArticleRenderer::AppendRuns(QTextEdit& pane, const std::vector<StyledRun>& runs)
{
    QTextCursor cursor(pane.document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    for (const StyledRun& run : runs) {
        QTextCharFormat format;
        QFont font = FontFromString(run.font);
        if (run.bold)
            font.setBold(true);
        format.setFont(font);
        // Colours in font strings are system colours; the pane's own text
        // colour keeps the article readable in any theme.
        format.setForeground(pane.palette().text());
        QString text = FromWire(run.text);
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        cursor.insertText(text, format);
    }
    cursor.endEditBlock();
}

} // namespace pellar
