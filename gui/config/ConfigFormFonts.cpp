// The configuration dialog's Fonts page: a sample of an article and a
// message whose three regions take their own font and colour.
#include "gui/config/ConfigForm.h"

#include "gui/common/ArticleRenderer.h"
#include "gui/common/QtLocalePort.h"
#include "gui/common/WireCodec.h"

#include <QDateTime>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

namespace pellar {

namespace {

// Lines of the font sample: an article header (0-2), an article body (3-8)
// and, after the "=" line, a message (9 on), as the article view and the
// messages window lay them out (the words translated as theirs are).
const char* const kSampleLines[] = {
    QT_TRANSLATE_NOOP("pellar::TConfigForm", "4711 %1, By [6] Anna Berg"),
    QT_TRANSLATE_NOOP("pellar::TConfigForm", "Recipient: [12] Pellar (test) (311)"),
    QT_TRANSLATE_NOOP("pellar::TConfigForm", "Comment to: 4700 by [9] Erik Lund"),
    QT_TRANSLATE_NOOP("pellar::TConfigForm", "Subject: What the texts look like"),
    "",
    QT_TRANSLATE_NOOP("pellar::TConfigForm", "This is the body of a text, in the body font."),
    QT_TRANSLATE_NOOP("pellar::TConfigForm", "Lines keep the width they were written with."),
    "--- 4711 ---",
    "",
    "========================================",
    QT_TRANSLATE_NOOP("pellar::TConfigForm", "Personal message from Erik Lund (10:20):"),
    QT_TRANSLATE_NOOP("pellar::TConfigForm", "Lunch at twelve?"),
};
constexpr int kFirstBodyLine = 3;
constexpr int kFirstMessageLine = 9;
const char* const kRegionNames[] = {"header", "body", "message"};

uint32_t ColorValue(const QColor& color)
{
    return static_cast<uint32_t>(color.red()) | static_cast<uint32_t>(color.green()) << 8 |
           static_cast<uint32_t>(color.blue()) << 16;
}

} // namespace

QWidget* TConfigForm::BuildFontsPage()
{
    auto* page = new QWidget(this);
    fontSampleRichEdit_ = new QTextEdit(page);
    fontSampleRichEdit_->setObjectName(QStringLiteral("FontSampleRichEdit"));
    fontSampleRichEdit_->setAccessibleName(tr("Font sample"));
    fontSampleRichEdit_->setReadOnly(true);
    // Read-only, but with a caret: the menu and the keys act on its line.
    fontSampleRichEdit_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    fontSampleRichEdit_->setLineWrapMode(QTextEdit::NoWrap);
    fontSampleRichEdit_->setContextMenuPolicy(Qt::CustomContextMenu);
    fontSampleRichEdit_->installEventFilter(this);
    fontSampleRichEdit_->viewport()->installEventFilter(this);

    fontPopupMenu_ = new QMenu(fontSampleRichEdit_);
    fontPopupMenu_->setObjectName(QStringLiteral("FontPopupMenu"));
    QAction* changeFont = fontPopupMenu_->addAction(tr("Change &font"));
    QAction* customColor = fontPopupMenu_->addAction(tr("Custom &color"));
    QAction* defaults = fontPopupMenu_->addAction(tr("&Default"));
    connect(changeFont, &QAction::triggered, this, &TConfigForm::ChangeFontClick);
    connect(customColor, &QAction::triggered, this, &TConfigForm::CustomColorClick);
    connect(defaults, &QAction::triggered, this, &TConfigForm::DefaultFontsClick);
    connect(fontSampleRichEdit_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        fontPopupMenu_->popup(fontSampleRichEdit_->viewport()->mapToGlobal(pos));
    });

    auto* hint = new QLabel(tr("Right-click a part of the sample for the menu, or put the caret in it "
                                           "and press F to change the font or C to set a custom colour."),
                            page);
    hint->setWordWrap(true);
    fontSampleRichEdit_->setAccessibleDescription(hint->text());

    fontColourNote_ = new QLabel(page);
    fontColourNote_->setObjectName(QStringLiteral("FontColourNote"));
    fontColourNote_->setWordWrap(true);
    fontColourNote_->hide();

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(hint);
    layout->addWidget(fontSampleRichEdit_, 1);
    layout->addWidget(fontColourNote_);
    return page;
}

int TConfigForm::RegionOfLine(int line)
{
    if (line < kFirstBodyLine)
        return 0;
    if (line < kFirstMessageLine)
        return 1;
    return 2;
}

void TConfigForm::ApplyRegionFonts()
{
    QTextEdit* edit = fontSampleRichEdit_;
    const int caret = edit->textCursor().position();
    edit->clear();
    QTextCursor cursor(edit->document());
    int line = 0;
    for (const char* text : kSampleLines) {
        const FontDesc& desc = regionFonts_[RegionOfLine(line)];
        QTextCharFormat format;
        QFont font = ArticleRenderer::FontFromString(FontToString(desc));
        // The article view adds bold to the header line and the subject.
        if (line == 0 || line == kFirstBodyLine)
            font.setBold(true);
        format.setFont(font);
        // As the article view and the messages window will draw it.
        format.setForeground(ArticleRenderer::ReadableColor(desc, edit->palette()));
        if (line > 0)
            cursor.insertBlock(QTextBlockFormat(), format);
        cursor.setBlockCharFormat(format);
        // In the windows' language, as the article and the messages will be.
        QString shown = *text ? tr(text) : QString();
        if (line == 0)  // the date as articles show it
            shown = shown.arg(QtLocalePort::DateTimeText(QDateTime(QDate(2026, 12, 6), QTime(10, 15, 2))));
        cursor.insertText(shown, format);
        ++line;
    }
    ShowColourNote();
    QTextCursor restore(edit->document());
    restore.setPosition(qMin(caret, edit->document()->characterCount() - 1));
    edit->setTextCursor(restore);
}

void TConfigForm::ShowColourNote()
{
    // A colour too close to the background is drawn in the theme's text
    // colour (the sample above already shows it so); say why the colour
    // chosen does not appear.
    const QPalette& palette = fontSampleRichEdit_->palette();
    QStringList replaced;
    for (int i = 0; i < kFontRegionCount; ++i) {
        const FontDesc& desc = regionFonts_[i];
        if (ArticleRenderer::ColorOf(desc, palette) != ArticleRenderer::ReadableColor(desc, palette))
            replaced << QString::fromLatin1(kRegionNames[i]);
    }
    if (replaced.isEmpty()) {
        fontColourNote_->clear();
        fontColourNote_->hide();
        return;
    }
    const QString parts =
        replaced.size() == 1
            ? replaced[0]
            : tr("%1 and %2").arg(replaced.mid(0, replaced.size() - 1).join(tr(", ")), replaced.back());
    fontColourNote_->setText(
        tr("The colour chosen for the %1 text is hard to read on this theme's background, so the "
                       "sample and the windows show the theme's text colour instead.")
            .arg(parts));
    fontColourNote_->show();
}

int TConfigForm::CaretRegion() const
{
    return RegionOfLine(fontSampleRichEdit_->textCursor().blockNumber());
}

void TConfigForm::ChangeFontClick()
{
    const int region = CaretRegion();
    FontDesc& desc = regionFonts_[region];
    const auto chosen = fontChooser_(this, ArticleRenderer::FontFromString(FontToString(desc)));
    if (!chosen)
        return;
    desc.name = ToWire(chosen->family());
    if (chosen->pointSize() > 0)
        desc.size = chosen->pointSize();
    desc.bold = chosen->bold();
    desc.italic = chosen->italic();
    desc.underline = chosen->underline();
    desc.strikeOut = chosen->strikeOut();
    ApplyRegionFonts();
}

void TConfigForm::CustomColorClick()
{
    FontDesc& desc = regionFonts_[CaretRegion()];
    const auto chosen = colorChooser_(this, ArticleRenderer::ColorOf(desc, fontSampleRichEdit_->palette()));
    if (!chosen || !chosen->isValid())
        return;
    desc.color = ColorValue(*chosen);
    ApplyRegionFonts();
}

void TConfigForm::DefaultFontsClick()
{
    for (int i = 0; i < kFontRegionCount; ++i)
        regionFonts_[i] = ParseFontString(DefaultRegionFonts()[i]);
    ApplyRegionFonts();
}

bool TConfigForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == fontSampleRichEdit_->viewport() && event->type() == QEvent::MouseButtonPress) {
        // Any button first moves the caret to the character under the
        // pointer, so that the menu acts on the part clicked.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        fontSampleRichEdit_->setTextCursor(fontSampleRichEdit_->cursorForPosition(mouse->position().toPoint()));
    } else if (watched == fontSampleRichEdit_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const auto modifiers = key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
        if (modifiers == Qt::NoModifier && key->key() == Qt::Key_F) {
            ChangeFontClick();
            return true;
        }
        if (modifiers == Qt::NoModifier && key->key() == Qt::Key_C) {
            CustomColorClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace pellar
