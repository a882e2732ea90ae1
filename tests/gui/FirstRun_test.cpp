// A new person's first hour on a server that holds nothing yet: the login
// dialog's "Create account..." makes the account without a mistyped name,
// the dialog and the default profile remember the server, port and person,
// and writing a text where no conference exists offers to create one.
#include "core/config/ConfigKeys.h"
#include "core/config/TMiravoConfiguration.h"
#include "core/session/Client.h"
#include "gui/dialogs/CreateConfForm.h"
#include "gui/dialogs/GetNameForm.h"
#include "gui/dialogs/LoginForm.h"
#include "gui/dialogs/NewUserForm.h"
#include "gui/shell/AppController.h"
#include "gui/shell/AppWindows.h"
#include "gui/shell/MainForm.h"
#include "gui/shell/ConnectingForm.h"
#include "gui/shell/MainMenus.h"
#include "gui/shell/QtSessionUi.h"
#include "gui/reading/ReadArticleForm.h"
#include "gui/reading/ReadingCommands.h"
#include "gui/writing/DraftOffers.h"
#include "gui/writing/WriteTextForm.h"
#include "server/Server.h"

#include "support/gui/AppDriving.h"

#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace pellar;
using pellar::test::AnswerDialog;

namespace {

constexpr int kTestIterations = 1000;

// Clicks the button of a message box whose caption starts with start.
void ClickButton(QMessageBox* box, const QString& start)
{
    for (QAbstractButton* button : box->buttons())
        if (button->text().remove(QLatin1Char('&')).startsWith(start)) {
            button->click();
            return;
        }
    QFAIL(qPrintable(QStringLiteral("no button %1 in: %2").arg(start, box->text())));
}

} // namespace

class FirstRunTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir state_;
    std::unique_ptr<miravod::Server> server_;

private slots:
    void initTestCase()
    {
        miravod::ServerOptions options;  // no demo data: nobody and nothing there
        options.passwordIterations = kTestIterations;
        server_ = std::make_unique<miravod::Server>(options);
        std::string error;
        QVERIFY2(server_->Start(&error), error.c_str());
    }

    void cleanupTestCase() { server_.reset(); }

    void aNewPersonCreatesAnAccountAndAConferenceToWriteIn()
    {
        auto app = std::make_unique<AppController>(test::QuietAppOptionsWithGreetingTimeout(state_));
        auto windows = std::make_unique<AppWindows>(*app);
        app->MainWindow().show();
        const QString port = QString::number(server_->Port());

        QStringList questions;
        bool nameFocused = false;
        AnswerDialog<TLoginForm>([&](TLoginForm* login) {
            // A first start: no name yet, and that is where typing begins.
            nameFocused = login->focusWidget() == login->UserEdit();
            login->HostEdit()->setText(QStringLiteral("127.0.0.1"));
            login->PortEdit()->setText(port);
            QVERIFY(!login->CreateAccountButton()->isEnabled());  // a name first
            login->UserEdit()->setText(QStringLiteral("Nora Newcomer"));
            QVERIFY(login->CreateAccountButton()->isEnabled());
            pellar::test::SaveScreenshot(login, QStringLiteral("first-run-create-account"));
            AnswerDialog<TNewUserForm>([&](TNewUserForm* account) {
                QCOMPARE(account->UserEdit()->text(), QStringLiteral("Nora Newcomer"));
                account->PwdEdit()->setText(QStringLiteral("fresh"));
                account->ConfirmPwdEdit()->setText(QStringLiteral("fresh"));
                // Then the question about a presentation: not now.
                AnswerDialog<QMessageBox>([&](QMessageBox* box) {
                    questions << box->text();
                    box->button(QMessageBox::No)->click();
                });
                account->OkButton()->click();
            });
            login->CreateAccountButton()->click();
        });
        app->MainWindow().Menus()->SessionConnectAction->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(app->MainWindow().IsOnline(), 20000);
        QVERIFY(nameFocused);
        // Only the presentation was asked about: not whether to create what
        // the user asked for.
        QCOMPARE(questions.size(), 1);
        QVERIFY2(questions[0].contains(QStringLiteral("presentation")), qPrintable(questions[0]));
        QVERIFY(app->ClientContext().CurrentPerson() > 0);
        // The conference list was loaded under the logon's box, which
        // counted its conferences to the end.
        const QString lastStep = app->Ui().LastProgressStep();
        const QRegularExpression counted(QStringLiteral("^Loading conferences: (\\d+) of (\\d+)$"));
        const QRegularExpressionMatch count = counted.match(lastStep);
        QVERIFY2(count.hasMatch(), qPrintable(lastStep));
        QCOMPARE(count.captured(1), count.captured(2));
        QVERIFY(count.captured(2).toInt() > 0);  // her letter box at least
        QVERIFY(!app->Ui().ProgressWindow());

        // The default profile, chosen in the dialog, remembers where and who.
        TMiravoConfiguration& config = app->ClientContext().Config();
        QCOMPARE(config.ProfilePath(), std::string(TMiravoConfiguration::kRootPath));
        QCOMPARE(config.ReadString(ConfigKeys::Server, ""), std::string("127.0.0.1"));
        QCOMPARE(config.ReadString(ConfigKeys::Port, ""), port.toStdString());
        QCOMPARE(config.ReadString(ConfigKeys::User, ""), std::string("Nora Newcomer"));

        // Writing a text where there is no conference: said, and one is made.
        QString noConference;
        AnswerDialog<TGetNameForm>([&](TGetNameForm* prompt) {
            prompt->NameEdit()->setText(QStringLiteral("Gardening"));
            AnswerDialog<QMessageBox>([&](QMessageBox* box) {
                noConference = box->text();
                AnswerDialog<TCreateConfForm>([&](TCreateConfForm* create) {
                    QCOMPARE(create->NameEdit()->text(), QStringLiteral("Gardening"));
                    create->OkButton()->click();
                });
                ClickButton(box, QStringLiteral("Create conference"));
            });
            prompt->OkButton()->click();
        });
        // "Write new text" of the reading window, as the menu runs it.
        QVERIFY(windows->Reading());
        windows->Reading()->Commands()->WriteNewText();
        QVERIFY2(noConference.startsWith(QStringLiteral("No conference matches \"Gardening\"")),
                 qPrintable(noConference));
        QTRY_COMPARE(DraftOffers::OpenWritingWindows().size(), 1);
        TWriteTextForm* form = DraftOffers::OpenWritingWindows()[0];
        QTRY_VERIFY(!form->Model().WorkerRunning());
        const std::vector<int32_t> recipients = form->Model().Links().Numbers(LinkKind::Recipient);
        QCOMPARE(recipients.size(), size_t{1});
        QVERIFY(recipients[0] > 0);
        form->SetCloseAnswerer([](const QString&) { return TWriteTextForm::CloseChoice::Discard; });
        form->close();
        app->Disconnect();

        // The next login dialog shows what worked.
        QString shownUser, shownPort;
        AnswerDialog<TLoginForm>([&](TLoginForm* login) {
            shownUser = login->UserEdit()->text();
            shownPort = login->PortEdit()->text();
            login->reject();
        });
        app->MainWindow().Menus()->SessionConnectAction->trigger();
        QCOMPARE(shownUser, QStringLiteral("Nora Newcomer"));
        QCOMPARE(shownPort, port);
        windows.reset();
    }
};

QTEST_MAIN(FirstRunTest)
#include "FirstRun_test.moc"
