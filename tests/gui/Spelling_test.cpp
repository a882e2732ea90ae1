// Spell checking in the editors on their own: the underlines in text edits
// and line edits, the context menu's suggestions, "Add to dictionary" and
// "Ignore", no dictionary at all, and the settings dialog's Spelling page.
#include "gui/common/SpellAttachment.h"
#include "gui/common/SpellHighlighter.h"
#include "gui/common/SpellLineMarks.h"
#include "gui/common/SpellService.h"
#include "gui/config/ConfigForm.h"

#include "core/config/ConfigKeys.h"
#include "core/config/MemoryRegistryBackend.h"
#include "core/config/TMiravoConfiguration.h"
#include "support/TempDir.h"
#include "support/gui/ContextMenus.h"
#include "support/gui/SpellDictionaryFiles.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>

#include <map>
#include <memory>

using namespace pellar;
using pellar::test::CharPos;
using pellar::test::Entry;
using pellar::test::OpenMenu;

namespace {

using Ranges = std::vector<std::pair<int, int>>;

// The spell-check underlines a block shows: (start, length) each.
Ranges Underlined(const QTextBlock& block)
{
    Ranges out;
    for (const QTextLayout::FormatRange& range : block.layout()->formats())
        if (range.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline &&
            range.format.underlineColor() == QColor(Qt::red))
            out.emplace_back(range.start, range.length);
    return out;
}

Ranges Underlined(QTextDocument* document, int blockNumber)
{
    return Underlined(document->findBlockByNumber(blockNumber));
}

Ranges Marked(QLineEdit* edit)
{
    Ranges out;
    auto* marks = edit->findChild<SpellLineMarks*>();
    if (marks)
        for (const SpellWordRange& r : marks->Marked())
            out.emplace_back(int(r.start), int(r.length));
    return out;
}

// Red pixels (the underline's colour, softened by anti-aliasing) in the
// part of the picture between x0 and x1.
int RedPixels(const QImage& image, int x0, int x1)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = std::max(0, x0); x < std::min(image.width(), x1); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.red() - c.green() > 80 && c.red() - c.blue() > 80)
                ++count;
        }
    return count;
}


// A service over one folder of dictionaries and settings held in a map.
struct Spelling {
    explicit Spelling(const std::filesystem::path& folder, const std::filesystem::path& personal)
        : service([this](std::string_view key, std::string_view def) {
                      const auto it = settings.find(std::string(key));
                      return it == settings.end() ? std::string(def) : it->second;
                  },
                  {folder}, personal)
    {
        settings[std::string(ConfigKeys::SpellLanguage)] = "xx_XX";
    }
    bool Ready()
    {
        service.Want();
        return QTest::qWaitFor([this] { return service.Checker() != nullptr; }, 5000);
    }
    std::map<std::string, std::string> settings;
    SpellService service;
};

} // namespace

class SpellingTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> dir_;
    std::filesystem::path folder_;
    std::filesystem::path personal_;

private slots:
    void init()
    {
        dir_ = std::make_unique<test::TempDir>("spelling-gui");
        folder_ = dir_->path() / "dicts";
        personal_ = dir_->path() / "data" / "spelling-words";
        test::WriteSpellDictionary(folder_, "xx_XX");
    }
    void cleanup() { dir_.reset(); }

    void underlinesMisspeltWordsButNotQuotesAddressesOrNumbers()
    {
        Spelling spelling(folder_, personal_);
        QTextEdit edit;
        QPlainTextEdit plain;
        SpellAttachment::Attach(&edit, &spelling.service);
        SpellAttachment::Attach(&plain, &spelling.service);
        const QString text = QStringLiteral("the wrold is not here\n> quoted wrold\nsee http://wrold.org and "
                                            "<123> wrold\nmail anna@wrold.org, Größe");
        edit.setPlainText(text);
        plain.setPlainText(text);
        QVERIFY(spelling.Ready());
        for (QTextDocument* document : {edit.document(), plain.document()}) {
            QTRY_COMPARE(Underlined(document, 0), (Ranges{{4, 5}}));
            QCOMPARE(Underlined(document, 1), Ranges{});
            QCOMPARE(Underlined(document, 2), (Ranges{{31, 5}}));
            QCOMPARE(Underlined(document, 3), (Ranges{{21, 5}}));
        }
        // Typing checks the changed line again.
        QTextCursor cursor(edit.document()->findBlockByNumber(1));
        cursor.movePosition(QTextCursor::EndOfBlock);
        cursor.insertText(QStringLiteral("\nnew lnie"));
        QCOMPARE(Underlined(edit.document(), 2), (Ranges{{4, 4}}));
        // The underline is a format only: the text is what was typed.
        QVERIFY(edit.toPlainText().startsWith(QStringLiteral("the wrold is")));
    }

    void aWholeTextIsCheckedAgainASliceOfLinesATurn()
    {
        Spelling spelling(folder_, personal_);
        QVERIFY(spelling.Ready());
        QPlainTextEdit edit;
        SpellAttachment::Attach(&edit, &spelling.service);
        const int lines = 3 * SpellHighlighter::kBlocksPerTurn + 5;
        edit.setPlainText(QStringLiteral("the zorbl\n").repeated(lines));
        QCOMPARE(Underlined(edit.document(), 0), (Ranges{{4, 5}}));
        QCOMPARE(Underlined(edit.document(), lines - 1), (Ranges{{4, 5}}));

        auto* highlighter = edit.document()->findChild<SpellHighlighter*>();
        QVERIFY(highlighter);
        spelling.service.Checker()->Ignore(u"zorbl");
        highlighter->CheckAll();
        // The first slice at once, the rest on later turns.
        QCOMPARE(Underlined(edit.document(), 0), Ranges{});
        QCOMPARE(Underlined(edit.document(), SpellHighlighter::kBlocksPerTurn - 1), Ranges{});
        QCOMPARE(Underlined(edit.document(), lines - 1), (Ranges{{4, 5}}));
        QVERIFY(highlighter->Checking());
        // Typing meanwhile is checked at once, as always.
        QTextCursor cursor(edit.document()->findBlockByNumber(lines - 1));
        cursor.insertText(QStringLiteral("wrold "));
        QCOMPARE(Underlined(edit.document(), lines - 1), (Ranges{{0, 5}}));
        QTRY_VERIFY(!highlighter->Checking());
        QCOMPARE(Underlined(edit.document(), lines - 2), Ranges{});
        QCOMPARE(Underlined(edit.document(), lines - 1), (Ranges{{0, 5}}));
    }

    void lineEditMarksFollowTheTextAndLeaveCaretSelectionAndUndo()
    {
        Spelling spelling(folder_, personal_);
        QLineEdit edit;
        edit.resize(300, edit.sizeHint().height());
        SpellAttachment::Attach(&edit, &spelling.service);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        QVERIFY(spelling.Ready());
        edit.setText(QStringLiteral("hello wrold"));
        edit.setSelection(0, 5);
        QTRY_COMPARE(Marked(&edit), (Ranges{{6, 5}}));
        QCOMPARE(edit.selectedText(), QStringLiteral("hello"));
        QCOMPARE(edit.text(), QStringLiteral("hello wrold"));
        // The underline is drawn, in red, below the misspelt word only.
        const int wordLeft = edit.fontMetrics().horizontalAdvance(QStringLiteral("hello "));
        const int wordRight = edit.fontMetrics().horizontalAdvance(QStringLiteral("hello wrold"));
        edit.deselect();
        QTRY_VERIFY(RedPixels(edit.grab().toImage(), wordLeft, wordRight + 8) > 3);
        QCOMPARE(RedPixels(edit.grab().toImage(), 0, wordLeft - 2), 0);

        edit.end(false);
        QTest::keyClicks(&edit, QStringLiteral(" zorbl"));
        QTRY_COMPARE(Marked(&edit), (Ranges{{6, 5}, {12, 5}}));
        edit.undo();
        QCOMPARE(edit.text(), QStringLiteral("hello wrold"));
        QTRY_COMPARE(Marked(&edit), (Ranges{{6, 5}}));
        edit.setText(QStringLiteral("hello world"));
        QTRY_COMPARE(Marked(&edit), Ranges{});
        QTRY_COMPARE(RedPixels(edit.grab().toImage(), 0, edit.width()), 0);
    }

    void marksWaitWhileTheInputMethodComposes()
    {
        Spelling spelling(folder_, personal_);
        QLineEdit edit;
        SpellAttachment::Attach(&edit, &spelling.service);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        QVERIFY(spelling.Ready());
        edit.setText(QStringLiteral("the wrold"));
        QTRY_COMPARE(Marked(&edit), (Ranges{{4, 5}}));
        // A character being composed: new marks would end the composition.
        QInputMethodEvent composing(QStringLiteral("x"), {});
        QCoreApplication::sendEvent(&edit, &composing);
        spelling.service.Ignore(u"wrold");
        QTest::qWait(20);
        QCOMPARE(Marked(&edit), (Ranges{{4, 5}}));
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral(" zorbl"));
        QCoreApplication::sendEvent(&edit, &commit);
        QCOMPARE(edit.text(), QStringLiteral("the wrold zorbl"));
        QTRY_COMPARE(Marked(&edit), (Ranges{{10, 5}}));
    }

    void theDictionaryIsReadOnlyOnceAnEditorTakesTheFocus()
    {
        Spelling spelling(folder_, personal_);
        QPlainTextEdit edit;
        SpellAttachment::Attach(&edit, &spelling.service);
        edit.setPlainText(QStringLiteral("the wrold"));
        // Opening a window with an editor only reads the settings.
        spelling.service.Refresh();
        QCOMPARE(spelling.service.Language(), QStringLiteral("xx_XX"));
        QVERIFY(!spelling.service.Loading());
        QVERIFY(!spelling.service.Checker());
        QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(&edit, &focus);
        QVERIFY(spelling.service.InUse());
        QTRY_VERIFY(spelling.service.Checker());
        QTRY_COMPARE(Underlined(edit.document(), 0), (Ranges{{4, 5}}));
        // Once in use, a changed setting loads the other dictionary at once.
        std::ofstream(folder_ / "yy_YY.aff") << "SET UTF-8\n";
        std::ofstream(folder_ / "yy_YY.dic") << "2\nwrold\nthe\n";
        spelling.settings[std::string(ConfigKeys::SpellLanguage)] = "yy_YY";
        spelling.service.Refresh();
        QVERIFY(spelling.service.Loading());
        QTRY_VERIFY(spelling.service.Checker() && spelling.service.Checker()->Language() == "yy_YY");
    }

    void aLoadingCheckerLooksUpTheWordsOfOpenTexts()
    {
        Spelling spelling(folder_, personal_);
        QPlainTextEdit edit;
        SpellAttachment::Attach(&edit, &spelling.service);
        edit.setPlainText(QStringLiteral("the wrold is here\nzorbl the wrold"));
        size_t lookupsOnArrival = 0;
        connect(&spelling.service, &SpellService::CheckerChanged, this,
                [&] { lookupsOnArrival = spelling.service.Checker()->DictionaryLookups(); });
        QVERIFY(spelling.Ready());
        // Five distinct words, asked while loading; the editor's pass then
        // finds every verdict kept.
        QCOMPARE(lookupsOnArrival, size_t(5));
        QTRY_COMPARE(Underlined(edit.document(), 1), (Ranges{{0, 5}, {10, 5}}));
        QCOMPARE(spelling.service.Checker()->DictionaryLookups(), size_t(5));
    }

    void menuOffersSuggestionsAboveTheEditorsOwnEntries()
    {
        Spelling spelling(folder_, personal_);
        QTextEdit edit;
        edit.resize(400, 200);
        SpellAttachment::Attach(&edit, &spelling.service);
        edit.setPlainText(QStringLiteral("the wrold is here"));
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        QVERIFY(spelling.Ready());
        QTRY_COMPARE(Underlined(edit.document(), 0), (Ranges{{4, 5}}));

        QMenu* menu = OpenMenu(edit.viewport(), CharPos(&edit, 6));
        QVERIFY(menu);
        const QList<QAction*> actions = menu->actions();
        QCOMPARE(actions.first()->text(), QStringLiteral("world"));
        QVERIFY(Entry(menu, QStringLiteral("SpellAddToDictionary")));
        QVERIFY(Entry(menu, QStringLiteral("SpellIgnore")));
        // The editor's own entries follow.
        const bool hasCopy = std::any_of(actions.begin(), actions.end(), [](QAction* a) {
            return a->text().remove(u'&').startsWith(QStringLiteral("Copy"));
        });
        QVERIFY(hasCopy);
        Entry(menu, QStringLiteral("SpellSuggestion"), QStringLiteral("world"))->trigger();
        menu->close();
        QCOMPARE(edit.toPlainText(), QStringLiteral("the world is here"));
        QTRY_COMPARE(Underlined(edit.document(), 0), Ranges{});
        // The replacement is one step to undo.
        edit.undo();
        QCOMPARE(edit.toPlainText(), QStringLiteral("the wrold is here"));

    }

    void addToDictionaryIsKeptPrivatelyForTheNextCheckerAndIgnoreIsNot()
    {
        QLineEdit subject;
        QPlainTextEdit other;
        {
            Spelling spelling(folder_, personal_);
            SpellAttachment::Attach(&subject, &spelling.service);
            SpellAttachment::Attach(&other, &spelling.service);
            subject.show();
            QVERIFY(QTest::qWaitForWindowExposed(&subject));
            QVERIFY(spelling.Ready());
            subject.setText(QStringLiteral("Pellar zorbl"));
            other.setPlainText(QStringLiteral("zorbl and Pellar"));
            QTRY_COMPARE(Marked(&subject), (Ranges{{0, 6}, {7, 5}}));
            QTRY_COMPARE(Underlined(other.document(), 0), (Ranges{{0, 5}, {10, 6}}));

            // By keyboard the menu is for the word at the caret.
            subject.setCursorPosition(2);
            QMenu* menu = OpenMenu(&subject, subject.rect().center(), QContextMenuEvent::Keyboard);
            QVERIFY(menu);
            Entry(menu, QStringLiteral("SpellAddToDictionary"))->trigger();
            menu->close();
            subject.setCursorPosition(9);
            menu = OpenMenu(&subject, subject.rect().center(), QContextMenuEvent::Keyboard);
            QVERIFY(menu);
            Entry(menu, QStringLiteral("SpellIgnore"))->trigger();
            menu->close();
            // Every editor takes the answers at once.
            QTRY_COMPARE(Marked(&subject), Ranges{});
            QTRY_COMPARE(Underlined(other.document(), 0), Ranges{});
            QCOMPARE(subject.text(), QStringLiteral("Pellar zorbl"));
        }
        QCOMPARE(test::FileMode(personal_), 0600u);
        QCOMPARE(test::ReadFile(personal_), std::string("Pellar\n"));
        Spelling next(folder_, personal_);
        QVERIFY(next.Ready());
        QVERIFY(next.service.Checker()->IsCorrect(u"Pellar"));
        QVERIFY(!next.service.Checker()->IsCorrect(u"zorbl"));
    }

    void withoutADictionaryOrTurnedOffNothingIsUnderlined()
    {
        Spelling spelling(dir_->path() / "no-dictionaries", personal_);
        QPlainTextEdit edit;
        SpellAttachment::Attach(&edit, &spelling.service);
        edit.setPlainText(QStringLiteral("the wrold"));
        spelling.service.Want();
        QVERIFY(!spelling.service.Loading());
        QVERIFY(!spelling.service.Checker());
        QCOMPARE(spelling.service.Language(), QString());
        QCOMPARE(Underlined(edit.document(), 0), Ranges{});

        Spelling off(folder_, personal_);
        QPlainTextEdit second;
        SpellAttachment::Attach(&second, &off.service);
        second.setPlainText(QStringLiteral("the wrold"));
        QVERIFY(off.Ready());
        QTRY_COMPARE(Underlined(second.document(), 0), (Ranges{{4, 5}}));
        off.settings[std::string(ConfigKeys::SpellCheck)] = "0";
        off.service.Refresh();
        QVERIFY(!off.service.Checker());
        QTRY_COMPARE(Underlined(second.document(), 0), Ranges{});
    }

    void anotherLanguageIsLoadedWhenTheSettingChanges()
    {
        std::ofstream(folder_ / "yy_YY.aff") << "SET UTF-8\n";
        std::ofstream(folder_ / "yy_YY.dic") << "2\nwrold\nthe\n";
        Spelling spelling(folder_, personal_);
        QPlainTextEdit edit;
        SpellAttachment::Attach(&edit, &spelling.service);
        edit.setPlainText(QStringLiteral("the wrold"));
        QVERIFY(spelling.Ready());
        QTRY_COMPARE(Underlined(edit.document(), 0), (Ranges{{4, 5}}));
        spelling.settings[std::string(ConfigKeys::SpellLanguage)] = "yy_YY";
        spelling.service.Refresh();
        QCOMPARE(spelling.service.Language(), QStringLiteral("yy_YY"));
        QTRY_VERIFY(spelling.service.Checker() && spelling.service.Checker()->Language() == "yy_YY");
        QTRY_COMPARE(Underlined(edit.document(), 0), Ranges{});
    }

    void aChoiceMadeWhileADictionaryLoadsWins()
    {
        std::ofstream(folder_ / "yy_YY.aff") << "SET UTF-8\n";
        std::ofstream(folder_ / "yy_YY.dic") << "2\nwrold\nthe\n";
        Spelling spelling(folder_, personal_);
        int changes = 0;
        connect(&spelling.service, &SpellService::CheckerChanged, this, [&changes] { ++changes; });
        spelling.service.Want();
        QVERIFY(spelling.service.Loading());
        spelling.settings[std::string(ConfigKeys::SpellLanguage)] = "yy_YY";
        spelling.service.Refresh();
        QTRY_VERIFY(spelling.service.Checker() && !spelling.service.Loading());
        QCOMPARE(spelling.service.Checker()->Language(), std::string("yy_YY"));
        // The stale dictionary was never handed to the editors.
        QCOMPARE(changes, 1);
    }

    void settingsPageListsTheDictionariesAndSavesOnlyAChange()
    {
        std::ofstream(folder_ / "yy_YY.aff") << "SET UTF-8\n";
        std::ofstream(folder_ / "yy_YY.dic") << "1\nword\n";
        std::ofstream(folder_ / "de_DE.aff") << "SET UTF-8\n";
        std::ofstream(folder_ / "de_DE.dic") << "1\nWort\n";
        auto backend = std::make_shared<MemoryRegistryBackend>();
        TMiravoConfiguration config(backend, "anna");
        config.SetProfile(TMiravoConfiguration::kRootPath);
        TConfigForm form;
        form.SetConfiguration(&config);
        form.SetDictionaryFolders({folder_});
        int applied = 0;
        WindowSettingsHooks hooks;
        hooks.applySpelling = [&applied] { ++applied; };
        form.SetWindowSettingsHooks(hooks);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        QComboBox* languages = form.SpellLanguageComboBox();
        QCOMPARE(languages->count(), 4);
        QVERIFY(languages->itemText(0).startsWith(QStringLiteral("As the locale says (")));
        QCOMPARE(languages->itemData(1).toString(), QStringLiteral("de_DE"));
        QCOMPARE(languages->itemText(1), QStringLiteral("de_DE (German, Germany)"));
        QCOMPARE(languages->itemData(2).toString(), QStringLiteral("xx_XX"));
        QCOMPARE(languages->itemText(2), QStringLiteral("xx_XX"));
        QCOMPARE(languages->itemData(3).toString(), QStringLiteral("yy_YY"));
        QCOMPARE(languages->currentIndex(), 0);
        QVERIFY(form.SpellCheckBox()->isChecked());
        QVERIFY(form.SpellNoteLabel()->isHidden());

        // Nothing changed: nothing is written, and the locale still decides.
        form.Save();
        QCOMPARE(applied, 1);
        QVERIFY(!backend->ReadValue(std::string(TMiravoConfiguration::kRootPath), "SpellLanguage"));
        QVERIFY(!backend->ReadValue(std::string(TMiravoConfiguration::kRootPath), "SpellCheck"));

        languages->setCurrentIndex(3);
        form.SpellCheckBox()->setChecked(false);
        form.Save();
        QCOMPARE(config.ReadString(ConfigKeys::SpellLanguage, ""), std::string("yy_YY"));
        QCOMPARE(config.ReadString(ConfigKeys::SpellCheck, ""), std::string("0"));
    }

    void settingsPageSaysSoWhenNoDictionaryIsInstalled()
    {
        auto backend = std::make_shared<MemoryRegistryBackend>();
        TMiravoConfiguration config(backend, "anna");
        config.SetProfile(TMiravoConfiguration::kRootPath);
        config.WriteString(ConfigKeys::SpellLanguage, "de_CH");
        TConfigForm form;
        form.SetConfiguration(&config);
        form.SetDictionaryFolders({dir_->path() / "no-dictionaries"});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(!form.SpellNoteLabel()->isHidden());
        QVERIFY(form.SpellNoteLabel()->text().contains(QStringLiteral("No spelling dictionary is installed")));
        QVERIFY(!form.SpellLanguageComboBox()->isEnabled());
        QVERIFY(!form.SpellCheckBox()->isEnabled());
        // A choice whose dictionary is gone is kept, and shown as such.
        QCOMPARE(form.SpellLanguageComboBox()->currentText(), QStringLiteral("de_CH (not installed)"));
        form.Save();
        QCOMPARE(config.ReadString(ConfigKeys::SpellLanguage, ""), std::string("de_CH"));
    }
};

QTEST_MAIN(SpellingTest)
#include "Spelling_test.moc"
