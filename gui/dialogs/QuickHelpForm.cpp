#include "gui/dialogs/QuickHelpForm.h"

#include "gui/common/MiravoTextEdit.h"

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QVBoxLayout>

#include <cstring>

namespace pellar {

namespace {

enum class Style { Heading, SubHeading, Normal };

struct HelpLine {
    Style style;
    const char* text;
};

constexpr HelpLine kHelpLines[] = {
    {Style::Heading, QT_TRANSLATE_NOOP("pellar::TQuickHelpForm", "Server settings")},
    {Style::Normal, ""},
    {Style::Normal, QT_TRANSLATE_NOOP("pellar::TQuickHelpForm",
                                       "Save read texts\tReports read texts to the server if checked.")},
    {Style::Normal, QT_TRANSLATE_NOOP("pellar::TQuickHelpForm",
                                       "Override\tThe action \"Override\" is the only activity shown, "
                                       "if it is a non empty string.")},
    {Style::Normal, ""},
    {Style::Heading, QT_TRANSLATE_NOOP("pellar::TQuickHelpForm", "Special keys")},
    {Style::SubHeading, ""},
    {Style::SubHeading, QT_TRANSLATE_NOOP("pellar::TQuickHelpForm", "Pellar specific")},
    {Style::Normal, QT_TRANSLATE_NOOP("pellar::TQuickHelpForm", "Ctrl-K\tCompletion of conference or user name.")},
    {Style::Normal, QT_TRANSLATE_NOOP("pellar::TQuickHelpForm",
                                       "\tThe name is underlined in the control if it is verified to be correct.")},
    {Style::Normal, QT_TRANSLATE_NOOP("pellar::TQuickHelpForm", "Ctrl-N\tConference or user number lookup.")},
    {Style::Normal, QT_TRANSLATE_NOOP("pellar::TQuickHelpForm",
                                       "\tThe name for the conference is shown and underlined if it is verified to be correct.")},
    {Style::SubHeading, ""},
    {Style::SubHeading, QT_TRANSLATE_NOOP("pellar::TQuickHelpForm", "Windows shortcuts (works with all programs)")},
    {Style::Normal, QT_TRANSLATE_NOOP("pellar::TQuickHelpForm",
                                       "Ctrl-C\tCopy selected text to clipboard. Ctrl-Ins does the same thing.")},
    {Style::Normal, QT_TRANSLATE_NOOP("pellar::TQuickHelpForm",
                                       "Ctrl-V\tPaste clipboard content to active control. Shift-Ins does the same thing.")},
    {Style::Normal, ""},
    {Style::Normal, QT_TRANSLATE_NOOP("pellar::TQuickHelpForm",
                                       "Alt+Char\tShortcut to field or menu. \"Char\" is the underlined character.")},
    {Style::Normal, QT_TRANSLATE_NOOP("pellar::TQuickHelpForm",
                                       "TAB\tSwitch between fields or controls in dialogs and windows.")},
    {Style::Normal, QT_TRANSLATE_NOOP("pellar::TQuickHelpForm",
                                       "Ctrl-TAB\tSwitch between read, write, messages and active user windows.")},
    {Style::Normal, QT_TRANSLATE_NOOP("pellar::TQuickHelpForm",
                                       "Ctrl-F4\tClose MDI-child window (like the write text window).")},
    {Style::Normal, QT_TRANSLATE_NOOP("pellar::TQuickHelpForm", "Alt-F4\tClose (terminate) program.")},
    {Style::Normal, QT_TRANSLATE_NOOP("pellar::TQuickHelpForm", "F10\tAccess main menu.")},
    {Style::Normal, QT_TRANSLATE_NOOP("pellar::TQuickHelpForm", "Alt-TAB\tSwitch active program.")},
};

QTextCharFormat FormatFor(Style style, const QColor& windowText)
{
    QTextCharFormat format;
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    switch (style) {
    case Style::Heading:
    case Style::SubHeading:
        font.setPointSize(style == Style::Heading ? 14 : 11);
        font.setBold(true);
        font.setUnderline(true);
        format.setForeground(QColor(0, 0, 128));
        break;
    case Style::Normal:
        font.setPointSize(10);
        format.setForeground(windowText);
        break;
    }
    format.setFont(font);
    return format;
}

} // namespace

TQuickHelpForm::TQuickHelpForm(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(tr("Quick help"));
    textEdit_ = new TMiravoTextEdit(this);
    textEdit_->setObjectName(QStringLiteral("HelpEdit"));
    textEdit_->setReadOnly(true);
    textEdit_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    textEdit_->setAccessibleName(tr("Quick help"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(textEdit_);
    resize(760, 560);
}

void TQuickHelpForm::Rebuild()
{
    textEdit_->clear();
    QTextBlockFormat block;
    const qreal tabPixels = 170.0 * textEdit_->logicalDpiX() / 72.0;
    block.setTabPositions({QTextOption::Tab(tabPixels, QTextOption::LeftTab)});
    // Long explanations wrap back to the explanation column, not to the key's.
    QTextBlockFormat keyLine = block;
    keyLine.setLeftMargin(tabPixels);
    keyLine.setTextIndent(-tabPixels);
    const QColor windowText = palette().color(QPalette::WindowText);

    QTextCursor cursor(textEdit_->document());
    bool first = true;
    for (const HelpLine& line : kHelpLines) {
        const QTextCharFormat format = FormatFor(line.style, windowText);
        const QTextBlockFormat& blockFormat = std::strchr(line.text, '\t') ? keyLine : block;
        if (first)
            cursor.setBlockFormat(blockFormat);
        else
            cursor.insertBlock(blockFormat);
        // The block's own format sizes an empty line like its neighbours.
        cursor.setBlockCharFormat(format);
        cursor.insertText(*line.text ? tr(line.text) : QString(), format);
        first = false;
    }
    textEdit_->moveCursor(QTextCursor::Start);
}

void TQuickHelpForm::showEvent(QShowEvent* event)
{
    Rebuild();
    QWidget::showEvent(event);
}

} // namespace pellar
