#include "gui/common/MiravoTextEdit.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>

namespace pellar {

namespace {

bool IsBlank(QChar ch)
{
    return ch == u' ' || ch == u'\t';
}

// Columns count characters: one outside the basic plane is two UTF-16
// units in a QString but one column.
int ColumnAt(const QString& line, int index)
{
    int column = 0;
    for (int i = 0; i < index && i < line.size(); ++i)
        column += line.at(i).isLowSurrogate() ? 0 : 1;
    return column;
}

int IndexOfColumn(const QString& line, int column)
{
    int seen = 0;
    for (int i = 0; i < line.size(); ++i) {
        if (line.at(i).isLowSurrogate())
            continue;
        if (seen++ == column)
            return i;
    }
    return static_cast<int>(line.size());
}

// The longest line the wrap looks at, as the editor's line buffer allows.
constexpr int kMaxLineLength = 1024;

} // namespace

TMiravoTextEdit::TMiravoTextEdit(QWidget* parent) : QTextEdit(parent)
{
    // Server text is never markup: no rich paste, no rich-text detection.
    setAcceptRichText(false);
    setAutoFormatting(QTextEdit::AutoNone);
    setTabChangesFocus(false);
}

void TMiravoTextEdit::SelectEOT()
{
    QTextCursor cursor = textCursor();
    cursor.movePosition(QTextCursor::End);
    setTextCursor(cursor);
    ensureCursorVisible();
}

int TMiravoTextEdit::CharWidth() const
{
    if (charWidth_ < 0)
        charWidth_ = fontMetrics().horizontalAdvance(QLatin1Char('X'));
    return charWidth_;
}

int TMiravoTextEdit::MarginLineX() const
{
    const int inset = static_cast<int>(document()->documentMargin());
    return inset + kMarginColumns * CharWidth() - horizontalScrollBar()->value();
}

void TMiravoTextEdit::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    const bool control = event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
    const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (isReadOnly()) {
        // Ctrl combinations stay with the control so that copying still works.
        if (!text.isEmpty() && !control && !tab) {
            for (QChar ch : text)
                emit KeyPressed(ch);
            // Escape still belongs to the window too, so that dialogs close.
            if (event->key() == Qt::Key_Escape)
                event->ignore();
            else
                event->accept();
            return;
        }
        QTextEdit::keyPressEvent(event);
        return;
    }
    QTextEdit::keyPressEvent(event);
    if (autoWrap_ && !text.isEmpty() && !control && (text.front().isPrint() || text.front().isHighSurrogate()))
        WrapCurrentLine();
}

void TMiravoTextEdit::WrapCurrentLine()
{
    const QTextCursor caret = textCursor();
    const QTextBlock block = caret.block();
    const int column = ColumnAt(block.text(), caret.position() - block.position());
    if (column <= kWrapColumn - 1)
        return;
    const QString line = block.text().left(kMaxLineLength);
    int at = std::min<int>(IndexOfColumn(line, kWrapColumn), static_cast<int>(line.size()) - 1);
    while (at >= 0 && !IsBlank(line.at(at)))
        --at;
    // A blank at the start of the line would only leave an empty line behind.
    if (at <= 0)
        return;
    const int position = caret.position();
    QTextCursor edit(document());
    edit.beginEditBlock();
    edit.setPosition(block.position() + at);
    edit.setPosition(block.position() + at + 1, QTextCursor::KeepAnchor);
    edit.insertText(QStringLiteral("\n"));
    edit.endEditBlock();
    // The break replaced one character, so the caret's offset is unchanged.
    QTextCursor restored = textCursor();
    restored.setPosition(position);
    setTextCursor(restored);
}

void TMiravoTextEdit::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton && !textCursor().hasSelection())
        SelectWordAt(event->position().toPoint());
    QTextEdit::mousePressEvent(event);
}

void TMiravoTextEdit::SelectWordAt(const QPoint& viewportPos)
{
    const QTextCursor hit = cursorForPosition(viewportPos);
    const QTextBlock block = hit.block();
    const QString line = block.text().left(kMaxLineLength);
    const int index = hit.position() - block.position();
    int start = std::min<int>(index, static_cast<int>(line.size()));
    int end = start;
    while (start > 0 && !IsBlank(line.at(start - 1)))
        --start;
    while (end < line.size() && !IsBlank(line.at(end)))
        ++end;
    QTextCursor selection(document());
    selection.setPosition(block.position() + start);
    selection.setPosition(block.position() + end, QTextCursor::KeepAnchor);
    setTextCursor(selection);
}

void TMiravoTextEdit::paintEvent(QPaintEvent* event)
{
    QTextEdit::paintEvent(event);
    if (isReadOnly())
        return;
    const QColor window = palette().color(QPalette::Base);
    const QColor pen(window.red() ^ 64, window.green() ^ 32, window.blue() ^ 64);
    QPainter painter(viewport());
    painter.setPen(pen);
    const int x = MarginLineX();
    painter.drawLine(x, 2, x, viewport()->height() - 2);
}

void TMiravoTextEdit::changeEvent(QEvent* event)
{
    // A new font means a new character width and so a new margin position.
    if (event->type() == QEvent::FontChange)
        charWidth_ = -1;
    QTextEdit::changeEvent(event);
}

} // namespace pellar
