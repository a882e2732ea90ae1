// The windows in another language: the compiled-in German translation is
// found by its code and by a regional variant, the main menus and the login
// dialog speak it, Qt's own dialog texts follow it, English (asked for, or a
// language without a translation) leaves the texts as written, and switching
// back takes the translation away again.
#include "gui/dialogs/LoginForm.h"
#include "gui/shell/MainMenus.h"
#include "gui/shell/Translations.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

using namespace pellar;

namespace {

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
