// Help inside the program and commands that can be found: the help page
// comes from the resources with every link landing on a part of it, F1
// opens the part for the window in use, Quick help is in the Help menu, and
// the typed commands are listed with their keys.
#include "gui/dialogs/QuickHelpForm.h"
#include "gui/reading/TypedCommandsMenu.h"
#include "gui/shell/HelpWindow.h"
#include "gui/shell/MainForm.h"
#include "gui/shell/MainMenus.h"

#include "core/config/ShortcutMap.h"

#include "support/gui/GuiTestSupport.h"

#include <QAction>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QTest>
#include <QTextBrowser>

using namespace pellar;

namespace {

QString HelpPage()
{
    QFile file(QStringLiteral(":/help/index.html"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

QSet<QString> Captures(const QString& text, const QString& pattern)
{
    QSet<QString> found;
    QRegularExpressionMatchIterator it = QRegularExpression(pattern).globalMatch(text);
    while (it.hasNext())
        found.insert(it.next().captured(1));
    return found;
}

} // namespace

class HelpAndCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The resource is registered by the first help window.
        THelpWindow first;
        QVERIFY(!HelpPage().isEmpty());
    }

    void everyLinkOfThePageLandsOnAPartOfIt()
    {
        const QString page = HelpPage();
        const QSet<QString> ids = Captures(page, QStringLiteral("id=\"([^\"]+)\""));
        const QSet<QString> links = Captures(page, QStringLiteral("href=\"#([^\"]+)\""));
        QVERIFY(links.size() >= 6);
        for (const QString& link : links)
            QVERIFY2(ids.contains(link), qPrintable(QStringLiteral("no part \"%1\"").arg(link)));
        // And every part F1 may open.
        for (const char* name : {"ReadArticleForm", "WriteTextForm", "MessagesForm", "ActiveUsersForm",
                                 "FindTextForm", "ViewMarksForm", "ConfigForm"}) {
            QWidget window;
            window.setObjectName(QLatin1String(name));
            const QString topic = THelpWindow::TopicFor(&window);
            QVERIFY2(!topic.isEmpty() && ids.contains(topic), name);
        }
    }

    void linksAreFollowedInTheWindow()
    {
        THelpWindow help;
        help.resize(500, 300);
        help.ShowTopic(QString());
        QTextBrowser* browser = help.Browser();
        QTRY_VERIFY(browser->document()->toPlainText().contains(QStringLiteral("Reading keys")));
        QCOMPARE(browser->documentTitle(), QStringLiteral("Pellar help"));
        help.resize(720, 560);
        pellar::test::SaveScreenshot(&help, QStringLiteral("help-window"));
        help.resize(500, 300);
        QCOMPARE(browser->verticalScrollBar()->value(), 0);
        browser->setSource(QUrl(QStringLiteral("#settings")));
        QTRY_VERIFY(browser->verticalScrollBar()->value() > 0);
        QVERIFY(browser->isBackwardAvailable());
    }

    void helpMenuOpensTheIndexAndF1ThePartOfTheActiveWindow()
    {
        TMainForm main;
        main.resize(800, 600);
        main.show();
        TMainMenus* menus = main.Menus();
        QCOMPARE(menus->ContextHelpItem->shortcut(), QKeySequence(QKeySequence::HelpContents));
        QVERIFY(menus->QuickHelpItem->isVisible());

        menus->HelpIndexItem->trigger();
        QTRY_VERIFY(main.Help()->isVisible());
        QVERIFY(main.Help()->Browser()->source().fragment().isEmpty());

        auto* writing = new QWidget;
        writing->setObjectName(QStringLiteral("WriteTextForm"));
        auto* messages = new QWidget;
        messages->setObjectName(QStringLiteral("MessagesForm"));
        main.AddChildWindow(writing);
        QMdiSubWindow* messagesSub = main.AddChildWindow(messages);
        main.MdiArea()->setActiveSubWindow(messagesSub);
        main.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(&main));
        menus->ContextHelpItem->trigger();
        QCOMPARE(main.Help()->Browser()->source().fragment(), QStringLiteral("messages"));
        main.MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(writing->parentWidget()));
        main.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(&main));
        menus->ContextHelpItem->trigger();
        QCOMPARE(main.Help()->Browser()->source().fragment(), QStringLiteral("writing"));

        menus->QuickHelpItem->trigger();
        QTRY_VERIFY(main.QuickHelp()->isVisible());
    }

    void typedKeysReadAsText()
    {
        QCOMPARE(TTypedCommandsMenu::KeysText(" "), QStringLiteral("Space"));
        QCOMPARE(TTypedCommandsMenu::KeysText("t "), QStringLiteral("t Space"));
        QCOMPARE(TTypedCommandsMenu::KeysText("\xe5 "), QString::fromUtf8("\xc3\xa5 Space"));
        QCOMPARE(TTypedCommandsMenu::KeysText("\xe5k"), QString::fromUtf8("\xc3\xa5k"));
        QCOMPARE(TTypedCommandsMenu::KeysText(" x"), QStringLiteral("Space x"));
        QCOMPARE(TTypedCommandsMenu::KeysText("ccn"), QStringLiteral("ccn"));
    }

    void typedCommandsMenuFollowsTheMapAndRunsTheCommand()
    {
        std::vector<std::string> map = DefaultShortcutMap();
        std::vector<int> ran;
        TTypedCommandsMenu menu([&map] { return map; }, [&ran](int command) { ran.push_back(command); });
        const QList<QAction*> items = menu.actions();
        QCOMPARE(items.size(), static_cast<int>(map.size()));
        QAction* readNext = nullptr;
        for (QAction* item : items)
            if (item->text() == QStringLiteral("Read next unread text\tSpace"))
                readNext = item;
        QVERIFY2(readNext, qPrintable(items.first()->text()));
        readNext->trigger();
        QCOMPARE(ran, std::vector<int>{14});

        // A changed map shows the next time the menu opens; a binding to an
        // unknown command is left out.
        map = {MakeShortcutItem("xy", "writeletter"), MakeShortcutItem("q", "nosuchcommand")};
        emit menu.aboutToShow();
        QCOMPARE(menu.actions().size(), 1);
        QCOMPARE(menu.actions()[0]->text(), QStringLiteral("Write a new letter\txy"));
    }
};

QTEST_MAIN(HelpAndCommandsTest)
#include "HelpAndCommands_test.moc"
