// The windows in another language: the compiled-in German translation is
// found by its code and by a regional variant, the main menus and the login
// dialog speak it, Qt's own dialog texts follow it, English (asked for, or a
// language without a translation) leaves the texts as written, and switching
// back takes the translation away again. The main window shown in German
// keeps no English text in its menus, tool bars, status bar and the
// conference list's headers; the texts core writes are shown in German where
// the windows show them, and as core wrote them in English.
#include "support/gui/AppDriving.h"

#include <QLocale>
#include <QScopeGuard>

#include "core/config/SettingsPages.h"
#include "core/events/AutoReplyThrottle.h"
#include "core/events/ClientEventsSession.h"
#include "core/events/TAsyncMsgThread.h"
#include "core/commands/MiravoTables.h"
#include "core/reading/ConfListModel.h"
#include "core/reading/ClientReadingServices.h"
#include "core/reading/ConfListRefresh.h"
#include "core/search/TTextSearchThread.h"
#include "core/session/ConnectErrors.h"
#include "core/writing/ClientArticlePane.h"
#include "core/writing/ClientWritingSession.h"
#include "core/link/Sockets.h"
#include "core/link/TMVCommunicationThread.h"
#include "gui/common/CoreTexts.h"
#include "gui/common/MainStatusBar.h"
#include "gui/common/MiravoTextEdit.h"
#include "gui/common/QtCancellableGuiThread.h"
#include "gui/common/QtLocalePort.h"
#include "gui/common/WireCodec.h"
#include "gui/config/ConfigForm.h"
#include "core/session/Client.h"
#include "gui/dialogs/AboutBox.h"
#include "gui/dialogs/StatisticsForm.h"
#include "gui/dialogs/ViewMarksForm.h"
#include "gui/events/ActiveUsersForm.h"
#include "gui/reading/ArticleViewForm.h"
#include "gui/search/FindTextForm.h"
#include "gui/writing/WriteTextForm.h"
#include "gui/dialogs/ChangePasswordForm.h"
#include "gui/dialogs/ConfMemberForm.h"
#include "gui/dialogs/CreateConfForm.h"
#include "gui/dialogs/GetNameForm.h"
#include "gui/dialogs/LoginForm.h"
#include "gui/dialogs/NewUserForm.h"
#include "gui/dialogs/NoPresentationForm.h"
#include "gui/dialogs/NoteOnDoorForm.h"
#include "gui/dialogs/OfflineMessageForm.h"
#include "gui/dialogs/QuickHelpForm.h"
#include "gui/reading/FindDialog.h"
#include "gui/reading/ConfListView.h"
#include "gui/reading/ReadArticleActions.h"
#include "gui/reading/ReadArticleForm.h"
#include "gui/shell/AppController.h"
#include "gui/shell/AppWindows.h"
#include "gui/shell/MainForm.h"
#include "gui/shell/MainMenus.h"
#include "gui/shell/Translations.h"
#include "tests/support/SessionClient.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QTabWidget>
#include <QLineEdit>
#include <QTreeWidget>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QToolBar>
#include <QFormLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMap>

#include <functional>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace pellar;

namespace {

// Every text of the main window a user reads or hears, with where it is, in
// the order the window holds them: the same walk in two languages pairs the
// texts up.
using Texts = std::vector<std::pair<QString, QString>>;

void AddText(Texts& texts, const QString& where, const QString& text)
{
    if (!text.isEmpty())
        texts.emplace_back(where, text);
}

void WalkMenu(Texts& texts, const QString& where, const QList<QAction*>& actions)
{
    for (QAction* action : actions) {
        if (action->isSeparator())
            continue;
        const QString at = where + QLatin1Char('/') + action->objectName();
        AddText(texts, at + QStringLiteral(" text"), action->text());
        AddText(texts, at + QStringLiteral(" status tip"), action->statusTip());
        AddText(texts, at + QStringLiteral(" what's this"), action->whatsThis());
        if (action->menu()) {
            AddText(texts, at + QStringLiteral(" menu title"), action->menu()->title());
            WalkMenu(texts, at, action->menu()->actions());
        }
    }
}

bool SameInGerman(const QString& text);

// The texts of a window and everything in it: its title, its labels,
// buttons, group boxes, tabs, column headers, actions and what a screen
// reader hears.
Texts WidgetTexts(QWidget& root)
{
    Texts texts;
    AddText(texts, QStringLiteral("title"), root.windowTitle());
    QList<QWidget*> widgets = root.findChildren<QWidget*>();
    widgets.prepend(&root);
    for (QWidget* widget : widgets) {
        const QString at = widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                                          : widget->objectName();
        AddText(texts, at + QStringLiteral(" accessible name"), widget->accessibleName());
        AddText(texts, at + QStringLiteral(" accessible description"), widget->accessibleDescription());
        AddText(texts, at + QStringLiteral(" tool tip"), widget->toolTip());
        if (auto* label = qobject_cast<QLabel*>(widget))
            AddText(texts, at + QStringLiteral(" label"), label->text());
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            AddText(texts, at + QStringLiteral(" button"), button->text());
        if (auto* group = qobject_cast<QGroupBox*>(widget))
            AddText(texts, at + QStringLiteral(" group"), group->title());
        if (auto* tabs = qobject_cast<QTabWidget*>(widget))
            for (int i = 0; i < tabs->count(); ++i)
                AddText(texts, at + QStringLiteral(" tab %1").arg(i), tabs->tabText(i));
        if (auto* view = qobject_cast<QAbstractItemView*>(widget); view && view->model())
            for (int column = 0; column < view->model()->columnCount(); ++column)
                AddText(texts, at + QStringLiteral(" column %1").arg(column),
                        view->model()->headerData(column, Qt::Horizontal).toString());
        WalkMenu(texts, at, widget->actions());
    }
    return texts;
}

// The texts that read the same in German as in English and should not: the
// window made in each language, the texts paired up by where they are.
QStringList LeftInEnglish(const std::function<Texts()>& make)
{
    InstallTranslations(QStringLiteral("en"));
    const Texts english = make();
    InstallTranslations(QStringLiteral("de"));
    const Texts german = make();
    QStringList left;
    if (german.size() != english.size())
        return {QStringLiteral("not the same widgets in both languages")};
    for (size_t i = 0; i < english.size(); ++i)
        if (german[i].second == english[i].second && !SameInGerman(english[i].second))
            left << english[i].first + QStringLiteral(": ") + english[i].second;
    return left;
}

using Views = std::vector<std::pair<const char*, std::function<Texts()>>>;

// Each view's texts left in English, named by the view; a view that shows
// (almost) no text is named too, as nothing would be compared for it.
QStringList LeftInEnglishIn(const Views& views)
{
    QStringList left;
    for (const auto& [name, make] : views) {
        const QString view = QString::fromLatin1(name) + QStringLiteral(": ");
        if (make().size() <= 1)
            left << view + QStringLiteral("no texts to compare");
        for (const QString& text : LeftInEnglish(make))
            left << view + text;
    }
    return left;
}

Texts MainWindowTexts()
{
    TMainForm form;
    // The status bar on a plain link and on an encrypted one.
    Texts texts;
    TMainStatusBar* bar = form.StatusBar1();
    bar->SetLinkSecurity(true, QString());
    AddText(texts, QStringLiteral("encryption"), bar->EncryptionPanel()->text());
    AddText(texts, QStringLiteral("encryption tip"), bar->EncryptionPanel()->toolTip());
    bar->SetLinkSecurity(true, QStringLiteral("TLSv1.3"));
    AddText(texts, QStringLiteral("encrypted"), bar->EncryptionPanel()->text());
    AddText(texts, QStringLiteral("encrypted tip"), bar->EncryptionPanel()->toolTip());
    WalkMenu(texts, QStringLiteral("menu bar"), form.menuBar()->actions());
    for (QToolBar* tools : form.findChildren<QToolBar*>()) {
        AddText(texts, tools->objectName() + QStringLiteral(" title"), tools->windowTitle());
        WalkMenu(texts, tools->objectName(), tools->actions());
    }
    for (QWidget* widget : form.findChildren<QWidget*>()) {
        const QString at = widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                                          : widget->objectName();
        AddText(texts, at + QStringLiteral(" accessible name"), widget->accessibleName());
        AddText(texts, at + QStringLiteral(" accessible description"), widget->accessibleDescription());
        AddText(texts, at + QStringLiteral(" tool tip"), widget->toolTip());
        if (auto* label = qobject_cast<QLabel*>(widget))
            AddText(texts, at + QStringLiteral(" label"), label->text());
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            AddText(texts, at + QStringLiteral(" button"), button->text());
    }
    // The reading window's conference list: its column headers.
    test::SessionClient session;
    ConfListModel list(session.client.Cache());
    TConfListView view(list);
    for (int column = 0; column < view.model()->columnCount(); ++column)
        AddText(texts, QStringLiteral("conference list column %1").arg(column),
                view.model()->headerData(column, Qt::Horizontal).toString());
    return texts;
}

// The same in both languages, and rightly: the program's name, words German
// took from English ("Ident": the name the ident service gives), and texts
// without words.
bool SameInGerman(const QString& text)
{
    static const QStringList kSame{QStringLiteral("Pellar"), QStringLiteral("Name"), QStringLiteral("Text"),
                                   QStringLiteral("Server"), QStringLiteral("Filter"), QStringLiteral("OK"),
                                   QStringLiteral("Navigation"), QStringLiteral("Online"),
                                   QStringLiteral("Port"), QStringLiteral("Ident")};
    QString bare = QString(text).remove(QLatin1Char('&'));
    if (bare.endsWith(QLatin1Char(':')))
        bare.chop(1);
    if (kSame.contains(bare))
        return true;
    return !text.contains(QRegularExpression(QStringLiteral("[A-Za-z]{2}")));
}

// The keys of a menu's items (the letters after "&") used twice in it.
QStringList KeysUsedTwice(const QList<QAction*>& actions, const QString& where)
{
    QStringList twice;
    QMap<QChar, QString> seen;
    for (QAction* action : actions) {
        if (action->isSeparator())
            continue;
        const QString text = action->text();
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        if (at >= 0 && at + 1 < text.size() && text[at + 1] != QLatin1Char('&')) {
            const QChar key = text[at + 1].toLower();
            if (seen.contains(key))
                twice << where + QStringLiteral(": ") + seen[key] + QStringLiteral(" / ") + text;
            seen[key] = text;
        }
        if (action->menu())
            twice << KeysUsedTwice(action->menu()->actions(), where + QLatin1Char('/') + text);
    }
    return twice;
}

QStringList MenuTitles(QMainWindow& window)
{
    QStringList titles;
    for (QAction* action : window.menuBar()->actions())
        titles << action->text();
    return titles;
}

} // namespace

class TranslationsTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { InstallTranslations(QStringLiteral("en")); }

    void theMainWindowsMenusInGerman()
    {
        QVERIFY(TranslatedLanguages().contains(QStringLiteral("de")));
        QCOMPARE(InstallTranslations(QStringLiteral("de")), QStringLiteral("de"));
        QMainWindow window;
        TMainMenus menus(&window);
        QCOMPARE(MenuTitles(window), (QStringList{QStringLiteral("&Sitzung"), QStringLiteral("O&nline"),
                                                 QStringLiteral("&Optionen"), QStringLiteral("&Fenster"),
                                                 QStringLiteral("&Hilfe")}));
        QCOMPARE(menus.SessionConnectAction->text(), QStringLiteral("&Verbinden"));
        QCOMPARE(menus.SessionConnectAction->statusTip(), QStringLiteral("Mit einem Server verbinden"));
        // Qt's own buttons speak the same language.
        QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Abbrechen"));
    }

    // The first window a new user meets: its title, its fields' labels and
    // their keys.
    void theLoginDialogInGerman()
    {
        InstallTranslations(QStringLiteral("de"));
        TLoginForm login;
        QCOMPARE(login.windowTitle(), QStringLiteral("Anmelden"));
        QStringList labels;
        for (QLabel* label : login.findChildren<QLabel*>())
            labels << label->text();
        for (const char* expected : {"Profil:", "&Rechner:", "P&ort:", "&Passwort:"})
            QVERIFY2(labels.contains(QString::fromUtf8(expected)), qPrintable(labels.join(QLatin1Char('|'))));
        QPushButton* create = login.findChild<QPushButton*>(QStringLiteral("CreateAccountButton"));
        QVERIFY(create);
        QCOMPARE(create->text(), QStringLiteral("&Konto anlegen..."));
    }

    void aRegionalVariantFindsTheLanguage()
    {
        QCOMPARE(InstallTranslations(QStringLiteral("de_AT")), QStringLiteral("de"));
        QMainWindow window;
        TMainMenus menus(&window);
        QCOMPARE(menus.ExitItem->text(), QStringLiteral("&Beenden"));
    }

    // A text the windows show that was not put through the translation
    // reads the same in German as in English: each one found is named.
    void theMainWindowInGermanHasNoEnglishTextLeft()
    {
        InstallTranslations(QStringLiteral("en"));
        const Texts english = MainWindowTexts();
        QVERIFY(english.size() > 60);
        QCOMPARE(InstallTranslations(QStringLiteral("de")), QStringLiteral("de"));
        const Texts german = MainWindowTexts();
        QCOMPARE(german.size(), english.size());
        QStringList untranslated;
        for (size_t i = 0; i < english.size(); ++i) {
            QCOMPARE(german[i].first, english[i].first);
            if (german[i].second == english[i].second && !SameInGerman(english[i].second))
                untranslated << english[i].first + QStringLiteral(": ") + english[i].second;
        }
        QVERIFY2(untranslated.isEmpty(), qPrintable(untranslated.join(QLatin1Char('\n'))));
        // Each menu's keys stay apart in German.
        {
            TMainForm form;
            const QStringList twice = KeysUsedTwice(form.menuBar()->actions(), QStringLiteral("menu bar"));
            QVERIFY2(twice.isEmpty(), qPrintable(twice.join(QLatin1Char('\n'))));
        }
        // The encryption panel is as wide as its German text (it was laid
        // out for the English one, and cut the German off).
        InstallTranslations(QStringLiteral("de"));
        TMainForm form;
        QLabel* panel = form.StatusBar1()->EncryptionPanel();
        for (const QString& encryption : {QString(), QStringLiteral("TLSv1.3, TLS_AES_256_GCM_SHA384")}) {
            form.StatusBar1()->SetLinkSecurity(true, encryption);
            QVERIFY2(panel->contentsRect().width() >= panel->fontMetrics().horizontalAdvance(panel->text()),
                     qPrintable(panel->text()));
        }
        // Spot checks that the walk sees what a user sees.
        const auto has = [&german](const char* text) {
            return std::any_of(german.begin(), german.end(),
                               [text](const auto& t) { return t.second == QString::fromUtf8(text); });
        };
        QVERIFY(has("Ungelesen"));
        QVERIFY(has("Nicht verschlüsselt"));
        QVERIFY(has("&Sitzung"));
    }

    // The dialogs in German keep no English text either.
    void theDialogsInGermanHaveNoEnglishTextLeft()
    {
        const Views dialogs{
            {"settings", [] { TConfigForm form; return WidgetTexts(form); }},
            {"login", [] { TLoginForm form; return WidgetTexts(form); }},
            {"new account", [] { TNewUserForm form; return WidgetTexts(form); }},
            {"create conference", [] { TCreateConfForm form; return WidgetTexts(form); }},
            {"no presentation", [] { TNoPresentationForm form; return WidgetTexts(form); }},
            {"note on the door", [] { TNoteOnDoorForm form; return WidgetTexts(form); }},
            {"offline message", [] { TOfflineMessageForm form; return WidgetTexts(form); }},
            {"find", [] { TFindDialog form; return WidgetTexts(form); }},
            {"about", [] { TAboutBox form; return WidgetTexts(form); }},
            {"quick help", [] { TQuickHelpForm form; return WidgetTexts(form); }},
            {"change password", [] { TChangePasswordForm form(nullptr); return WidgetTexts(form); }},
            {"choose name", [] { TGetNameForm form(nullptr); return WidgetTexts(form); }},
            {"conference member", [] { TConfMemberForm form(nullptr); return WidgetTexts(form); }},
        };
        const QStringList left = LeftInEnglishIn(dialogs);
        QVERIFY2(left.isEmpty(), qPrintable(left.join(QLatin1Char('\n'))));
    }

    // The windows over a session, made offline: their menus, tool bars,
    // labels and columns in German.
    void theWindowsInGermanHaveNoEnglishTextLeft()
    {
        Client offline(test::QuietClientOptions());
        ClientWritingSession offlineWriting(offline);
        ClientEventsSession offlineEvents(offline);
        const Views windows{
            {"writing", [&] { TWriteTextForm form(offlineWriting, nullptr, nullptr); return WidgetTexts(form); }},
            {"search", [&] { TFindTextForm form(offline.Cache(), nullptr); return WidgetTexts(form); }},
            {"who is on", [&] { TActiveUsersForm form(offlineEvents, nullptr); return WidgetTexts(form); }},
            {"statistics", [&] { TStatisticsForm form([] { return StatisticsFields{}; }); return WidgetTexts(form); }},
            {"marked texts",
             [&] {
                 TViewMarksForm form(std::make_unique<ClientReadingServices>(offline));
                 return WidgetTexts(form);
             }},
            {"article",
             [&] {
                 ClientArticlePane pane(offline, std::make_unique<QtCancellableGuiThread>(nullptr));
                 TArticleViewForm form(pane);
                 return WidgetTexts(form);
             }},
        };
        const QStringList left = LeftInEnglishIn(windows);
        QVERIFY2(left.isEmpty(), qPrintable(left.join(QLatin1Char('\n'))));
    }

    // What core writes, as the windows show it in German: fixed texts, texts
    // with parts that vary (themselves translated where they are core's own
    // words), counts in the right plural form, several lines, a user
    // message's kind character left out. The English comes from core's own
    // functions, so a change of wording there shows here.
    void coreTextsInGerman()
    {
        InstallTranslations(QStringLiteral("de"));
        QCOMPARE(CoreText(QStringLiteral("Connecting...")), QStringLiteral("Verbinden..."));
        QCOMPARE(CoreText(QString::fromStdString(ConfListProgressText(3, 1200))),
                 QStringLiteral("Konferenzen werden geladen: 3 von 1,200"));
        QCOMPARE(CoreText(QString::fromStdString(TTextSearchThread::Summary(0, 0, false))),
                 QStringLiteral("Keine Texte gefunden"));
        QCOMPARE(CoreText(QString::fromStdString(TTextSearchThread::Summary(1, 0, false))),
                 QStringLiteral("1 Text gefunden"));
        QCOMPARE(CoreText(QString::fromStdString(TTextSearchThread::Summary(7, 0, true))),
                 QStringLiteral("Angehalten: 7 Texte gefunden"));
        QCOMPARE(CoreText(QString::fromStdString(TTextSearchThread::Summary(2, 1, false))),
                 QString::fromUtf8("2 Texte gefunden. 1 Text war zu lang oder zu verwickelt, um ihn mit diesem "
                                   "Muster zu durchsuchen"));
        DroppedMessages dropped;
        dropped.broadcast = 1;
        dropped.personal = 4;
        const std::vector<std::string> notices = DroppedMessagesNotices("Anna", dropped);
        QCOMPARE(notices.size(), size_t(2));
        QCOMPARE(CoreText(QString::fromStdString(notices[0])),
                 QStringLiteral("*** 1 Nachricht von Anna an alle wurde verworfen: sie kamen schneller, als sie "
                                "angezeigt werden konnten."));
        QCOMPARE(CoreText(QString::fromStdString(notices[1])),
                 QStringLiteral("*** 4 Nachrichten von Anna wurden verworfen: sie kamen schneller, als sie "
                                "angezeigt werden konnten."));
        // Two lines, the reason inside the first one core's own words.
        const std::string failure =
            ConnectFailureText("example.org", "4894", ProxySettings{}, TWinsockException(99999));
        QCOMPARE(CoreText(QString::fromStdString(failure)),
                 QStringLiteral("Keine Verbindung zu example.org, Port 4894: die Verbindung ist fehlgeschlagen."
                                "\r\nUnbekannter Fehler (99999)"));
        const std::string refused = ConnectFailureText("h", "1", ProxySettings{}, TWinsockException(10061));
        QVERIFY(CoreText(QString::fromStdString(refused))
                    .startsWith(QStringLiteral("Keine Verbindung zu h, Port 1: auf diesem Port nimmt niemand")));
        QCOMPARE(CoreText(QString::fromStdString(GreetingTimeoutText("h", "1"))).count(QStringLiteral("Port 1")), 1);
        QVERIFY(!CoreText(QString::fromStdString(GreetingTimeoutText("h", "1"))).contains(QStringLiteral("timeout")));
        QCOMPARE(CoreUserMessageText("!No matching names found"), QStringLiteral("Keine passenden Namen gefunden"));
        // The words core writes among server text: the article's labels, the
        // messages window's entries.
        const QtLocalePort words;
        QCOMPARE(words.Label("Subject:"), ToWire(QStringLiteral("Betreff:")));
        QCOMPARE(words.Label("Marked by 7 persons"), ToWire(QStringLiteral("Von 7 Personen markiert")));
        const QString entry = FromWire(ReceivedMessageEntry("t", "alle", "Anna", "Hallo", words));
        QVERIFY2(entry.contains(QStringLiteral("\rNachricht vom t an alle\rvon Anna:\r")), qPrintable(entry));
        QCOMPARE(CoreText(std::string_view(MiravoErrorText(4))), QStringLiteral("Falsches oder ungültiges Passwort"));
        for (const auto choice : {PrefetchChoice::Always, PrefetchChoice::NextOnly, PrefetchChoice::Automatic,
                                  PrefetchChoice::AsDefaultProfile}) {
            const QString english = QString::fromStdString(PrefetchChoiceCaption(choice));
            QVERIFY2(CoreText(english) != english, qPrintable(english));
        }
        for (bool answers : {false, true})
            for (const auto place : {TMiravoConfiguration::PasswordPlace::Keyring,
                                     TMiravoConfiguration::PasswordPlace::SettingsFile,
                                     TMiravoConfiguration::PasswordPlace::Nowhere}) {
                const QString english = QString::fromStdString(PasswordPlaceNote(place, answers));
                QVERIFY2(CoreText(english) != english, qPrintable(english));
            }
        // What the table does not know is shown as written; so is a name
        // that happens to look like a known text's part.
        QCOMPARE(CoreText(QStringLiteral("Something new from the server")),
                 QStringLiteral("Something new from the server"));
        QCOMPARE(CoreText(QStringLiteral("Anna %2 logged in.")), QStringLiteral("Anna %2 hat sich angemeldet."));
    }

    // The keyboard page lists the commands keys bind to in German, and a key
    // bound through the German name binds the command itself.
    void theKeyboardCommandsInGerman()
    {
        InstallTranslations(QStringLiteral("de"));
        TConfigForm form;
        QComboBox* commands = form.KeyboardCmdComboBox();
        QCOMPARE(commands->count(), 26);
        QVERIFY(commands->findText(QString::fromUtf8("Nächsten ungelesenen Text lesen")) >= 0);
        QCOMPARE(commands->findText(QStringLiteral("Read next unread text")), -1);
        const int before = form.KeyMapListView()->topLevelItemCount();
        form.NewKeymapEdit()->setText(QStringLiteral("x"));
        commands->setCurrentText(QStringLiteral("Zu einer Konferenz gehen"));
        QTest::mouseClick(form.AddKeyButton(), Qt::LeftButton);
        QCOMPARE(form.KeyMapListView()->topLevelItemCount(), before + 1);
        QTreeWidgetItem* added = form.KeyMapListView()->topLevelItem(before);
        QCOMPARE(added->text(1), QStringLiteral("Zu einer Konferenz gehen"));
        QCOMPARE(added->data(1, Qt::UserRole).toString(), QStringLiteral("gotoconf"));
    }

    // The article's labels are remembered once looked up; a change of
    // language forgets them, both ways.
    void labelsFollowAChangeOfLanguage()
    {
        const QtLocalePort words;
        InstallTranslations(QStringLiteral("de"));
        QCOMPARE(words.Label("Subject:"), ToWire(QStringLiteral("Betreff:")));
        QCOMPARE(words.Label("Subject:"), ToWire(QStringLiteral("Betreff:")));
        InstallTranslations(QStringLiteral("en"));
        QCOMPARE(words.Label("Subject:"), std::string("Subject:"));
        InstallTranslations(QStringLiteral("de"));
        QCOMPARE(words.Label("Subject:"), ToWire(QStringLiteral("Betreff:")));
    }

    // Without a translation core's texts stay exactly as core wrote them:
    // the English plural, not the translation's "(s)" form.
    void coreTextsInEnglishAsWritten()
    {
        InstallTranslations(QStringLiteral("en"));
        for (const std::string& english :
             {TTextSearchThread::Summary(7, 2, true), TTextSearchThread::Summary(1, 1, false),
              ConfListProgressText(5, 9), std::string("Connecting...")}) {
            QCOMPARE(CoreText(QString::fromStdString(english)), QString::fromStdString(english));
        }
        QCOMPARE(CoreUserMessageText("iSuccess!"), QStringLiteral("Success!"));
    }

    // The whole program in German on its demo server, logged on and a text
    // read: the conference list's headers, the reading window's title and
    // the status bar's texts are German. With PELLAR_SCREENSHOT_DIR set, the
    // main window is saved as main-de.png.
    void theDemoInGerman()
    {
        QCOMPARE(InstallTranslations(QStringLiteral("de")), QStringLiteral("de"));
        // Dates as a German desktop writes them, as a user there sees it.
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const auto restore = qScopeGuard([&] { QLocale::setDefault(before); });
        QTemporaryDir state;
        AppController app(test::QuietAppOptionsWithGreetingTimeout(state));
        AppWindows windows(app);
        app.MainWindow().resize(1180, 820);
        app.MainWindow().show();
        std::string error;
        QVERIFY2(app.StartDemo({}, &error, 1000), error.c_str());
        QTRY_VERIFY_WITH_TIMEOUT(app.MainWindow().IsOnline(), 20000);
        TReadArticleForm* reading = windows.Reading();
        QVERIFY(reading);
        QSignalSpy shown(reading, &TReadArticleForm::TextShown);
        QTRY_VERIFY(reading->Actions()->ReadNextAction()->isEnabled());
        reading->ReadNext();
        QTRY_COMPARE(shown.count(), 1);
        QTRY_COMPARE(reading->BusyCount(), 0);
        QCOMPARE(reading->windowTitle(), QStringLiteral("Texte lesen"));
        // The article's own words are German, the server's text as written.
        const QString article = reading->ArticleView()->MainEdit()->toPlainText();
        QVERIFY2(article.contains(QStringLiteral("Betreff: ")) && !article.contains(QStringLiteral("Subject: ")),
                 qPrintable(article));
        QVERIFY2(article.contains(QString::fromUtf8("Empfänger: [")), qPrintable(article));
        QAbstractItemModel* conferences = reading->ConfListView()->model();
        QCOMPARE(conferences->headerData(TConfListView::UnreadColumn, Qt::Horizontal).toString(),
                 QStringLiteral("Ungelesen"));
        QCOMPARE(conferences->headerData(TConfListView::PriorityColumn, Qt::Horizontal).toString(),
                 QString::fromUtf8("Priorität"));
        // The demo links by TLS.
        QVERIFY2(app.MainWindow().StatusBar1()->EncryptionPanel()->text().startsWith(QString::fromUtf8("Verschlüsselt (")),
                 qPrintable(app.MainWindow().StatusBar1()->EncryptionPanel()->text()));
        for (QAction* menu : app.MainWindow().menuBar()->actions())
            QVERIFY2(!QStringList({QStringLiteral("&Session"), QStringLiteral("&Options"), QStringLiteral("&Window"),
                                   QStringLiteral("&Help")})
                          .contains(menu->text()),
                     qPrintable(menu->text()));
        app.MainWindow().resize(1180, 820);
        QTest::qWait(100);
        test::SaveScreenshot(&app.MainWindow(), QStringLiteral("main-de"));
        app.Disconnect();
    }

    void englishAndLanguagesWithoutATranslationKeepTheTextsAsWritten()
    {
        for (const char* code : {"en", "en_GB", "ja", "fr_FR"}) {
            // From German each time: the last translation must go.
            InstallTranslations(QStringLiteral("de"));
            QCOMPARE(InstallTranslations(QString::fromLatin1(code)), QStringLiteral("en"));
            QMainWindow window;
            TMainMenus menus(&window);
            QCOMPARE(MenuTitles(window).first(), QStringLiteral("&Session"));
            QDialogButtonBox buttons(QDialogButtonBox::Cancel);
            QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancel"));
        }
    }
};

QTEST_MAIN(TranslationsTest)
#include "Translations_test.moc"
