// Spell checking for one editor: the underlines (a highlighter on a text
// edit's document, marks on a line edit) and, when the context menu opens on
// a misspelt word, its suggestions, "Add to dictionary" and "Ignore" above
// the editor's own entries.
#pragma once

#include "core/writing/SpellWords.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

class QContextMenuEvent;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QTextEdit;
class QWidget;

namespace pellar {

class SpellService;

class SpellAttachment : public QObject {
    Q_OBJECT

public:
    // The attachment lives as long as the editor. The service must outlive it
    // or tell it nothing more (it is held weakly). Attach to a text editor
    // while it is empty: text already there is checked by Qt's own first
    // pass, which is slow for a long text.
    static SpellAttachment* Attach(QTextEdit* edit, SpellService* service);
    static SpellAttachment* Attach(QPlainTextEdit* edit, SpellService* service);
    static SpellAttachment* Attach(QLineEdit* edit, SpellService* service);

    // Most suggestions the menu offers.
    static constexpr int kMostSuggestions = 6;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A word of the editor: its line, where the line starts in the text, and
    // the word's place in the line.
    struct Spot {
        QString line;
        int lineStart = 0;
        SpellWordRange word;
        QString Word() const { return line.mid(int(word.start), int(word.length)); }
    };

    SpellAttachment(QWidget* editor, SpellService* service);
    std::optional<Spot> SpotAt(QObject* watched, const QContextMenuEvent* event) const;
    QMenu* StandardMenu(QObject* watched, const QContextMenuEvent* event) const;
    void AddEntries(QMenu* menu, const Spot& spot);
    void Replace(const Spot& spot, const QString& with);

    QWidget* editor_;
    QTextEdit* textEdit_ = nullptr;
    QPlainTextEdit* plainEdit_ = nullptr;
    QLineEdit* lineEdit_ = nullptr;
    QPointer<SpellService> service_;
};

} // namespace pellar
