// The multi-line editor and viewer used for writing texts and showing
// articles and messages: plain text only, breaks lines at the 80-column
// margin while typing, and hands typed keys to its owner while read-only.
#pragma once

#include <QTextEdit>

namespace pellar {

class TMiravoTextEdit : public QTextEdit {
    Q_OBJECT
    Q_PROPERTY(bool AutoWrap READ AutoWrap WRITE SetAutoWrap)
    Q_PROPERTY(bool ShowLine READ ShowLine WRITE SetShowLine)

public:
    explicit TMiravoTextEdit(QWidget* parent = nullptr);

    bool AutoWrap() const { return autoWrap_; }
    void SetAutoWrap(bool on) { autoWrap_ = on; }
    // Kept with the window's layout; the margin line is drawn regardless.
    bool ShowLine() const { return showLine_; }
    void SetShowLine(bool on) { showLine_ = on; }

    // Caret, with nothing selected, at the very end of the text.
    void SelectEOT();

    // Width in pixels of "X" in the current font.
    int CharWidth() const;
    // Where the margin line is drawn, in viewport coordinates.
    int MarginLineX() const;

    // The column at which a line longer than the margin is broken.
    static constexpr int kWrapColumn = 79;
    static constexpr int kMarginColumns = 76;

signals:
    // A character typed while the control is read-only; nothing is inserted.
    void KeyPressed(QChar ch);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void WrapCurrentLine();
    void SelectWordAt(const QPoint& viewportPos);

    bool autoWrap_ = true;
    bool showLine_ = true;
    mutable int charWidth_ = -1;
};

} // namespace pellar
