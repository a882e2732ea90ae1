// Writing that is never lost: where the focus starts, the draft kept while
// typing and offered again after the next logon, the questions on closing a
// window or quitting with an unsent text, and the number a submission made.
#include "support/gui/AppDriving.h"
#include "support/gui/LiveSession.h"

#include "core/config/TMiravoConfiguration.h"
#include "core/writing/ClientWritingSession.h"
#include "gui/shell/AppWindows.h"
#include "gui/shell/TerminationSignals.h"
#include "gui/common/MainStatusBar.h"
#include "gui/writing/DraftKeeper.h"
#include "gui/writing/DraftOffers.h"
#include "gui/common/MiravoTextEdit.h"
#include "gui/writing/WriteTextForm.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <unistd.h>

#include <sys/stat.h>

using namespace pellar;
using pellar::test::AnswerDialog;

class DraftsTest : public QObject {
    Q_OBJECT

private:
    AppController& App() { return session_.App(); }
    std::string Profile() { return session_.ClientContext().Config().ProfilePath(); }
    std::vector<Draft> Kept() { return windows_->Drafts().Store().List(Profile()); }

    bool Reconnect()
    {
        App().Disconnect();
        return pellar::test::ConnectThroughLogin(App(), session_.ServerPort());
    }

    TWriteTextForm* NewText()
    {
        return windows_->OpenWriting(TextCompositionMode::NewText, session_.Number("General discussion"));
    }

    pellar::test::LiveSession session_;
    std::unique_ptr<AppWindows> windows_;

private slots:
    void initTestCase()
    {
        std::string error;
        QVERIFY2(session_.Start(&error, [this](AppController& app) { windows_ = std::make_unique<AppWindows>(app); }),
                 error.c_str());
        App().MainWindow().show();
    }

    void cleanupTestCase()
    {
        App().Disconnect();
        windows_.reset();
        session_.Stop();
    }

    void focusStartsWhereTheUserWrites()
    {
        TWriteTextForm* text = NewText();
        QVERIFY(text);
        QCOMPARE(text->focusWidget(), static_cast<QWidget*>(text->SubjectEdit()));
        QTest::keyClicks(text->focusWidget(), QStringLiteral("Typed first"));
        QCOMPARE(text->SubjectEdit()->text(), QStringLiteral("Typed first"));
        text->SetQuestionAnswerer([](const QString&) { return true; });
        text->TrashTextAction->trigger();
        QTRY_VERIFY(DraftOffers::OpenWritingWindows().isEmpty());

        const int32_t parent = 1;
        TWriteTextForm* comment = windows_->OpenWriting(TextCompositionMode::Comment, parent);
        QVERIFY(comment);
        QCOMPARE(comment->focusWidget(), static_cast<QWidget*>(comment->WriteTextEdit()));
        // The subject a comment opens with is not the user's text: no question.
        QTRY_VERIFY(!comment->Model().WorkerRunning());
        QVERIFY(!comment->HasUnsentText());
        comment->parentWidget()->close();
        QTRY_VERIFY(DraftOffers::OpenWritingWindows().isEmpty());
        QVERIFY(Kept().empty());
    }

    void aDraftSurvivesTheWindowAndIsOfferedAfterTheNextLogon()
    {
        TWriteTextForm* form = NewText();
        QVERIFY(form);
        QTRY_VERIFY(!form->Model().WorkerRunning());
        QTest::keyClicks(form->SubjectEdit(), QStringLiteral("Half written"));
        QTest::keyClicks(form->WriteTextEdit(), QStringLiteral("First paragraph"));
        form->NoCommentsAction->setChecked(true);
        // Typing is saved within a few seconds, without anything else.
        QTRY_VERIFY_WITH_TIMEOUT(!Kept().empty() && Kept()[0].body == "First paragraph",
                                 DraftKeeper::kSaveDelayMs + 3000);
        const std::string id = Kept()[0].id;
        struct stat info {};
        const auto file = windows_->Drafts().Store().Dir() / (id + ".draft");
        QCOMPARE(::stat(file.c_str(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u);

        // Gone without a close, as in a crash of the window's frame.
        delete form->parentWidget();
        QTRY_VERIFY(DraftOffers::OpenWritingWindows().isEmpty());
        QCOMPARE(Kept().size(), size_t{1});

        // The offer as the user sees it, answered with its Open button.
        QStringList offered;
        AnswerDialog<QMessageBox>([&](QMessageBox* box) {
            offered << box->text();
            pellar::test::SaveScreenshot(box, QStringLiteral("draft-offer"));
            for (QAbstractButton* button : box->buttons())
                if (button->text() == QStringLiteral("&Open"))
                    button->click();
        });
        QVERIFY(Reconnect());
        QTRY_COMPARE(offered.size(), 1);
        QVERIFY2(offered[0].contains(QStringLiteral("\"Half written\"")), qPrintable(offered[0]));
        // Where it was written is part of the offer.
        QVERIFY2(offered[0].contains(
                     QStringLiteral("Written as Demo User on 127.0.0.1, port %1.").arg(session_.ServerPort())),
                 qPrintable(offered[0]));
        QTRY_COMPARE(DraftOffers::OpenWritingWindows().size(), 1);
        TWriteTextForm* restored = DraftOffers::OpenWritingWindows()[0];
        QCOMPARE(restored->SubjectEdit()->text(), QStringLiteral("Half written"));
        QCOMPARE(restored->WriteTextEdit()->toPlainText(), QStringLiteral("First paragraph"));
        QVERIFY(restored->NoCommentsAction->isChecked());
        QTRY_VERIFY(!restored->Model().WorkerRunning());
        QCOMPARE(restored->Model().Links().Numbers(LinkKind::Recipient),
                 std::vector<int32_t>{session_.Number("General discussion")});
        // It goes on in the same draft, so one text never becomes two.
        QCOMPARE(restored->Drafts()->Id(), id);
        pellar::test::SaveScreenshot(&App().MainWindow(), QStringLiteral("draft-restored"));

        // Submitting removes the draft and says which text was made.
        QSignalSpy submitted(restored, &TWriteTextForm::Submitted);
        restored->SubmitTextAction->trigger();
        QCOMPARE(submitted.count(), 1);
        const int32_t number = submitted.at(0).at(0).value<int32_t>();
        QVERIFY(number > 0);
        QCOMPARE(App().MainWindow().StatusBar1()->Notice(), QStringLiteral("Text %1 created.").arg(number));
        QVERIFY(Kept().empty());
        QTRY_VERIFY(DraftOffers::OpenWritingWindows().isEmpty());
    }

    void closingAWindowWithAnUnsentTextAsks()
    {
        TWriteTextForm* form = NewText();
        QVERIFY(form);
        QTRY_VERIFY(!form->Model().WorkerRunning());
        QTest::keyClicks(form->WriteTextEdit(), QStringLiteral("Do not lose me"));
        QStringList asked;
        auto choice = TWriteTextForm::CloseChoice::Cancel;
        form->SetCloseAnswerer([&](const QString& q) {
            asked << q;
            return choice;
        });
        QVERIFY(!form->parentWidget()->close());
        QCOMPARE(asked.size(), 1);
        QVERIFY(form->isVisible());

        choice = TWriteTextForm::CloseChoice::Keep;
        QVERIFY(form->parentWidget()->close());
        QTRY_VERIFY(DraftOffers::OpenWritingWindows().isEmpty());
        QCOMPARE(asked.size(), 2);
        QCOMPARE(Kept().size(), size_t{1});
        QCOMPARE(Kept()[0].body, std::string("Do not lose me"));

        // Discard in a window of that draft removes it.
        TWriteTextForm* again = windows_->OpenDraft(Kept()[0]);
        QVERIFY(again);
        again->SetCloseAnswerer([](const QString&) { return TWriteTextForm::CloseChoice::Discard; });
        QVERIFY(again->parentWidget()->close());
        QTRY_VERIFY(DraftOffers::OpenWritingWindows().isEmpty());
        QVERIFY(Kept().empty());
    }

    void aDraftOfAnotherServerOrPersonIsNotOffered()
    {
        const DraftStore& store = windows_->Drafts().Store();
        const DraftPlace here = session_.App().WritingPort().Here();
        QVERIFY(here.Known());
        const auto keep = [&](const char* subject, DraftPlace place) {
            Draft d;
            d.id = store.NewId();
            d.profile = Profile();
            d.place = std::move(place);
            d.savedAt = 1700000000;
            d.subject = subject;
            d.links = {{LinkKind::Recipient, session_.Number("General discussion"), {}}};
            QVERIFY(store.Save(d));
        };
        keep("Another person's", DraftPlace{here.server, here.port, here.person + 1, "Someone Else"});
        keep("Another server's", DraftPlace{"elsewhere.example.org", here.port, here.person, "Demo User"});
        keep("Kept before places", DraftPlace{});

        QStringList offered;
        windows_->Drafts().SetOfferAnswerer([&](const QString& question) {
            offered << question;
            return DraftOffers::Offer::Later;
        });
        QVERIFY(Reconnect());
        QTRY_COMPARE(offered.size(), 1);
        QTest::qWait(200);
        QCOMPARE(offered.size(), 1);
        QVERIFY2(offered[0].contains(QStringLiteral("\"Kept before places\"")), qPrintable(offered[0]));
        QVERIFY2(offered[0].contains(QStringLiteral("Written where unknown")), qPrintable(offered[0]));
        windows_->Drafts().SetOfferAnswerer({});
        for (const Draft& d : Kept())
            store.Remove(d.id);
    }

    void quittingWithAnUnsentTextAsksAndCancelKeepsTheProgram()
    {
        TWriteTextForm* form = NewText();
        QVERIFY(form);
        QTRY_VERIFY(!form->Model().WorkerRunning());
        QTest::keyClicks(form->SubjectEdit(), QStringLiteral("Unsent at quit"));
        QStringList asked;
        windows_->Drafts().SetQuitAnswerer([&](const QString& q) {
            asked << q;
            return false;
        });
        QVERIFY(!App().MainWindow().close());
        QCOMPARE(asked.size(), 1);
        QVERIFY(App().MainWindow().isVisible());
        QVERIFY(App().MainWindow().IsOnline());
        QCOMPARE(DraftOffers::OpenWritingWindows().size(), 1);

        // Quit anyway: the text is kept at once, the window does not ask again.
        form->SetCloseAnswerer([](const QString&) {
            return TWriteTextForm::CloseChoice::Cancel;  // must not be asked
        });
        windows_->Drafts().SetQuitAnswerer([](const QString&) { return true; });
        QVERIFY(App().MainWindow().close());
        QCOMPARE(Kept().size(), size_t{1});
        QCOMPARE(Kept()[0].subject, std::string("Unsent at quit"));
        QVERIFY(form->parentWidget()->close());
    }

    // Last: it ends the event loop the way the program ends.
    void aTerminationSignalKeepsTheTextAndQuitsWithoutAsking()
    {
        QVERIFY(Reconnect());  // the last test quit, and that logged off
        for (const Draft& old : Kept())
            windows_->Drafts().Store().Remove(old.id);
        TWriteTextForm* form = NewText();
        QVERIFY(form);
        QTRY_VERIFY(!form->Model().WorkerRunning());
        QTest::keyClicks(form->SubjectEdit(), QStringLiteral("Unsent at log-out"));
        QStringList asked;
        windows_->Drafts().SetQuitAnswerer([&](const QString& q) {
            asked << q;
            return false;
        });
        form->SetCloseAnswerer([&](const QString& q) {
            asked << q;
            return TWriteTextForm::CloseChoice::Cancel;
        });

        TerminationSignals termination;
        App().QuitOnSignals(termination);
        bool timedOut = false;
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [&timedOut] {
            timedOut = true;
            QCoreApplication::exit(1);
        });
        guard.start(10000);
        QTimer::singleShot(0, [] { ::kill(::getpid(), SIGTERM); });
        QCoreApplication::exec();

        QVERIFY(!timedOut);
        QVERIFY2(asked.isEmpty(), qPrintable(asked.join(QLatin1Char('|'))));
        QCOMPARE(Kept().size(), size_t{1});
        QCOMPARE(Kept()[0].subject, std::string("Unsent at log-out"));
    }
};

QTEST_MAIN(DraftsTest)
#include "Drafts_test.moc"
