#include "gui/common/SpellAttachment.h"

#include "gui/common/SpellHighlighter.h"
#include "gui/common/SpellLineMarks.h"
#include "gui/common/SpellService.h"

#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

namespace pellar {

namespace {

std::u16string_view View(const QString& text)
{
    return {reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size())};
}

QString FromU16(const std::u16string& text)
{
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

} // namespace

SpellAttachment::SpellAttachment(QWidget* editor, SpellService* service)
    : QObject(editor), editor_(editor), service_(service)
{
    editor->installEventFilter(this);
    // A window opening is when a changed profile or dictionary shows.
    service->Refresh();
}

SpellAttachment* SpellAttachment::Attach(QTextEdit* edit, SpellService* service)
{
    auto* attachment = new SpellAttachment(edit, service);
    attachment->textEdit_ = edit;
    service->AddTextSource(edit, [edit] { return edit->toPlainText(); });
    // A mouse's context menu comes through the viewport, the keyboard's
    // through the editor.
    edit->viewport()->installEventFilter(attachment);
    new SpellHighlighter(edit->document(), service);
    return attachment;
}

SpellAttachment* SpellAttachment::Attach(QPlainTextEdit* edit, SpellService* service)
{
    auto* attachment = new SpellAttachment(edit, service);
    attachment->plainEdit_ = edit;
    service->AddTextSource(edit, [edit] { return edit->toPlainText(); });
    edit->viewport()->installEventFilter(attachment);
    new SpellHighlighter(edit->document(), service);
    return attachment;
}

SpellAttachment* SpellAttachment::Attach(QLineEdit* edit, SpellService* service)
{
    auto* attachment = new SpellAttachment(edit, service);
    attachment->lineEdit_ = edit;
    service->AddTextSource(edit, [edit] { return edit->text(); });
    new SpellLineMarks(edit, service);
    return attachment;
}

bool SpellAttachment::eventFilter(QObject* watched, QEvent* event)
{
    // Typing needs the focus: the dictionary is read when it first comes.
    if (event->type() == QEvent::FocusIn && service_ && !service_->InUse())
        service_->Want();
    if (event->type() != QEvent::ContextMenu || !service_ || !service_->Checker())
        return QObject::eventFilter(watched, event);
    const auto* menuEvent = static_cast<QContextMenuEvent*>(event);
    const std::optional<Spot> spot = SpotAt(watched, menuEvent);
    if (!spot || service_->Checker()->IsCorrect(View(spot->line).substr(spot->word.start, spot->word.length)))
        return QObject::eventFilter(watched, event);  // the editor's own menu
    QMenu* menu = StandardMenu(watched, menuEvent);
    AddEntries(menu, *spot);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(menuEvent->globalPos());
    return true;
}

std::optional<SpellAttachment::Spot> SpellAttachment::SpotAt(QObject* watched, const QContextMenuEvent* event) const
{
    const bool byKeyboard = event->reason() == QContextMenuEvent::Keyboard;
    Spot spot;
    int position = 0;
    if (lineEdit_) {
        spot.line = lineEdit_->text();
        position = byKeyboard ? lineEdit_->cursorPosition() : lineEdit_->cursorPositionAt(event->pos());
    } else {
        QPoint at = event->pos();
        QWidget* viewport = textEdit_ ? textEdit_->viewport() : plainEdit_->viewport();
        if (watched != viewport)
            at = viewport->mapFrom(editor_, at);
        QTextCursor cursor;
        if (textEdit_)
            cursor = byKeyboard ? textEdit_->textCursor() : textEdit_->cursorForPosition(at);
        else
            cursor = byKeyboard ? plainEdit_->textCursor() : plainEdit_->cursorForPosition(at);
        const QTextBlock block = cursor.block();
        spot.line = block.text();
        spot.lineStart = block.position();
        position = cursor.position() - block.position();
    }
    if (!SpellWordAt(View(spot.line), size_t(std::max(position, 0)), &spot.word))
        return std::nullopt;
    return spot;
}

QMenu* SpellAttachment::StandardMenu(QObject* watched, const QContextMenuEvent* event) const
{
    if (lineEdit_)
        return lineEdit_->createStandardContextMenu();
    if (textEdit_) {
        // The text edit wants the place in the document (for links).
        QPoint at = watched == textEdit_->viewport() ? event->pos() : textEdit_->viewport()->mapFrom(editor_, event->pos());
        at += QPoint(textEdit_->horizontalScrollBar()->value(), textEdit_->verticalScrollBar()->value());
        return textEdit_->createStandardContextMenu(at);
    }
    return plainEdit_->createStandardContextMenu(event->pos());
}

void SpellAttachment::AddEntries(QMenu* menu, const Spot& spot)
{
    QAction* first = menu->actions().value(0);
    const std::u16string word(View(spot.Word()));
    const std::vector<std::u16string> suggestions =
        service_->Checker()->Suggestions(word, size_t(kMostSuggestions));
    QList<QAction*> entries;
    for (const std::u16string& suggestion : suggestions) {
        auto* action = new QAction(FromU16(suggestion), menu);
        action->setObjectName(QStringLiteral("SpellSuggestion"));
        const QString with = FromU16(suggestion);
        connect(action, &QAction::triggered, this, [this, spot, with] { Replace(spot, with); });
        entries << action;
    }
    if (suggestions.empty()) {
        auto* none = new QAction(tr("No suggestions"), menu);
        none->setEnabled(false);
        entries << none;
    }
    auto* separator = new QAction(menu);
    separator->setSeparator(true);
    auto* add = new QAction(tr("Add to dictionary"), menu);
    add->setObjectName(QStringLiteral("SpellAddToDictionary"));
    connect(add, &QAction::triggered, this, [this, word] {
        if (service_)
            service_->AddToPersonal(word);
    });
    auto* ignore = new QAction(tr("Ignore"), menu);
    ignore->setObjectName(QStringLiteral("SpellIgnore"));
    connect(ignore, &QAction::triggered, this, [this, word] {
        if (service_)
            service_->Ignore(word);
    });
    auto* after = new QAction(menu);
    after->setSeparator(true);
    entries << separator << add << ignore << after;
    menu->insertActions(first, entries);
}

void SpellAttachment::Replace(const Spot& spot, const QString& with)
{
    const int start = spot.lineStart + int(spot.word.start);
    const int length = int(spot.word.length);
    if (lineEdit_) {
        // The line may have changed while the menu was open.
        if (lineEdit_->text().mid(start, length) != spot.Word())
            return;
        lineEdit_->setSelection(start, length);
        lineEdit_->insert(with);
        return;
    }
    QTextDocument* document = textEdit_ ? textEdit_->document() : plainEdit_->document();
    QTextCursor cursor(document);
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    if (cursor.selectedText() != spot.Word())
        return;
    cursor.insertText(with);
    if (textEdit_)
        textEdit_->setTextCursor(cursor);
    else
        plainEdit_->setTextCursor(cursor);
}

} // namespace pellar
