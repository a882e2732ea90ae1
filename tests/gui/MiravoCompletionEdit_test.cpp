#include "gui/dialogs/ChooseNameForm.h"
#include "gui/common/GuiServices.h"
#include "gui/common/MiravoCompletionEdit.h"
#include "tests/gui/ScriptedLookup.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

using namespace pellar;

class MiravoCompletionEditTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        lookup_ = std::make_unique<test::ScriptedLookup>();
        services_ = std::make_unique<GuiServices>();
        services_->names = lookup_.get();
        edit_ = std::make_unique<TMiravoCompletionEdit>();
        edit_->SetServices(services_.get());
        lookup_->watched = edit_.get();
    }
    void cleanup()
    {
        edit_.reset();
        services_.reset();
        lookup_.reset();
    }

    void CtrlKWithOneMatchVerifiesTheName()
    {
        lookup_->Add("ann", "Anna Berg, ACME", 42);
        edit_->SetConfTypes(TMVConfType::ctUsers);
        QTest::keyClicks(edit_.get(), QStringLiteral("ann"));
        QTest::keyClick(edit_.get(), Qt::Key_K, Qt::ControlModifier);

        QCOMPARE(lookup_->calls.size(), size_t(1));
        const auto& call = lookup_->calls.front();
        QCOMPARE(call.prefix, std::string("ann"));
        QVERIFY(call.persons);
        QVERIFY(!call.conferences);
        QCOMPARE(call.shownMeanwhile, QStringLiteral("***working***"));

        QCOMPARE(edit_->text(), QStringLiteral("Anna Berg, ACME"));
        QVERIFY(edit_->IsOK());
        QVERIFY(edit_->font().underline());
        QCOMPARE(edit_->ConferenceNumber(), 42);
        QCOMPARE(lookup_->calls.size(), size_t(1)); // verified: no second look-up
    }

    void NoMatchRestoresTheTypedText()
    {
        edit_->SetConfTypes(TMVConfType::ctConferences);
        QTest::keyClicks(edit_.get(), QStringLiteral("nobody"));
        QTest::keyClick(edit_.get(), Qt::Key_K, Qt::ControlModifier);
        QCOMPARE(edit_->text(), QStringLiteral("nobody"));
        QVERIFY(!edit_->IsOK());
        QVERIFY(!edit_->font().underline());
        QVERIFY(!lookup_->calls.front().persons);
        QVERIFY(lookup_->calls.front().conferences);
        // Reading the number of an unverified entry looks it up again.
        QCOMPARE(edit_->ConferenceNumber(), -1);
        QCOMPARE(lookup_->calls.size(), size_t(2));
    }

    void SeveralMatchesAskTheChooser()
    {
        lookup_->Add("a", "Anna", 1);
        lookup_->Add("a", "Axel", 2);
        lookup_->Add("a", "Arne", 3);
        std::optional<int32_t> answer = 3;
        size_t offered = 0;
        services_->chooseName = [&](const std::vector<NameMatch>& matches, QWidget*) {
            offered = matches.size();
            return answer;
        };
        edit_->SetText(QStringLiteral("a"));
        edit_->Complete();
        QCOMPARE(offered, size_t(3));
        QCOMPARE(edit_->text(), QStringLiteral("Arne"));
        QCOMPARE(edit_->ConferenceNumber(), 3);

        answer.reset(); // cancelled
        edit_->SetText(QStringLiteral("a"));
        edit_->Complete();
        QCOMPARE(edit_->text(), QStringLiteral("a"));
        QVERIFY(!edit_->IsOK());
    }

    void CancellingTheRealChooserRestoresThePrefix()
    {
        lookup_->Add("a", "Anna", 1);
        lookup_->Add("a", "Axel", 2);
        services_->chooseName = DialogNameChooser(services_.get());
        edit_->SetText(QStringLiteral("a"));
        int listed = -1;
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, this, [&] {
            if (auto* chooser = qobject_cast<TChooseNameForm*>(QApplication::activeModalWidget())) {
                listed = chooser->NameListBox()->count();
                chooser->reject();
            }
        });
        poll.start();
        edit_->Complete();
        QCOMPARE(listed, 2);
        QCOMPARE(edit_->text(), QStringLiteral("a"));
        QVERIFY(!edit_->IsOK());
    }

    void WithoutAChooserSeveralMatchesStayUnchosenAndNoDialogOpens()
    {
        lookup_->Add("a", "Anna", 1);
        lookup_->Add("a", "Axel", 2);
        bool dialogShown = false;
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, this, [&] {
            if (auto* dialog = QApplication::activeModalWidget()) {
                dialogShown = true;
                dialog->close();
            }
        });
        poll.start();
        edit_->SetText(QStringLiteral("a"));
        edit_->Complete();
        QVERIFY(!dialogShown);
        QCOMPARE(edit_->text(), QStringLiteral("a"));
        QVERIFY(!edit_->IsOK());
        QVERIFY(!ChooseName(nullptr, {{"Anna", "person", 1}, {"Axel", "person", 2}}, nullptr).has_value());
    }

    void TypingAfterCompletionMakesItUnverified()
    {
        lookup_->Add("ann", "Anna", 42);
        lookup_->Add("Annax", "Annax", 43);
        QTest::keyClicks(edit_.get(), QStringLiteral("ann"));
        QTest::keyClick(edit_.get(), Qt::Key_K, Qt::ControlModifier);
        QVERIFY(edit_->IsOK());
        edit_->end(false);
        QTest::keyClicks(edit_.get(), QStringLiteral("x"));
        QVERIFY(!edit_->IsOK());
        QVERIFY(!edit_->font().underline());
        QCOMPARE(edit_->ConferenceNumber(), 43);
        QCOMPARE(lookup_->calls.back().prefix, std::string("Annax"));
    }

    void CtrlNShowsTheNameOfANumber()
    {
        lookup_->names[7] = "Person 7 (does not exist)";
        QTest::keyClicks(edit_.get(), QStringLiteral("7"));
        QTest::keyClick(edit_.get(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(edit_->text(), QStringLiteral("Person 7 (does not exist)"));
        QVERIFY(edit_->IsOK());
        QVERIFY(edit_->font().underline());
        QCOMPARE(edit_->ConferenceNumber(), 7);
        QVERIFY(lookup_->calls.empty()); // no name search for a number
    }

    void CtrlNOnTextThatIsNoNumberKeepsIt()
    {
        QTest::keyClicks(edit_.get(), QStringLiteral("12ab"));
        QTest::keyClick(edit_.get(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(edit_->text(), QStringLiteral("12ab"));
        QVERIFY(!edit_->IsOK());
        QVERIFY(lookup_->nameQueries.empty());
    }

    void CommandKeysInsertNothingAndShiftDisablesThem()
    {
        QTest::keyClicks(edit_.get(), QStringLiteral("zz"));
        QTest::keyClick(edit_.get(), Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(edit_.get(), Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(lookup_->calls.empty());
        QVERIFY(lookup_->nameQueries.empty());
        QTest::keyClick(edit_.get(), Qt::Key_K, Qt::ControlModifier);
        QCOMPARE(edit_->text(), QStringLiteral("zz"));
    }

    void CommandKeysAreNotTakenByAWindowShortcut()
    {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* edit = new TMiravoCompletionEdit(&window);
        edit->SetServices(services_.get());
        layout->addWidget(edit);
        auto* action = new QAction(&window);
        action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
        window.addAction(action);
        QSignalSpy fired(action, &QAction::triggered);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        edit->setFocus();
        QTRY_VERIFY(edit->hasFocus());
        lookup_->names[5] = "Eva";
        edit->SetText(QStringLiteral("5"));
        QTest::keyClick(edit, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(fired.size(), 0);
        QCOMPARE(edit->text(), QStringLiteral("Eva"));
    }

    void NamesTravelAsLatin1Bytes()
    {
        lookup_->Add("\xC5sa", "\xC5sa \xD6" "berg", 9);
        edit_->SetText(QStringLiteral("Åsa"));
        edit_->Complete();
        QCOMPARE(edit_->text(), QStringLiteral("Åsa Öberg"));
        QCOMPARE(edit_->ConferenceNumber(), 9);
    }

    void SettingANumberShowsItsNameVerified()
    {
        lookup_->names[5] = "Eva";
        edit_->SetConferenceNumber(5);
        QCOMPARE(edit_->text(), QStringLiteral("Eva"));
        QVERIFY(edit_->IsOK());
        QCOMPARE(edit_->ConferenceNumber(), 5);
        edit_->SetText(QStringLiteral("Eva"));
        QVERIFY(!edit_->IsOK());
        QVERIFY(!edit_->font().underline());
    }

    void AnEmptyEntryIsNotLookedUp()
    {
        lookup_->Add("", "Everyone", 1);
        edit_->SetText(QStringLiteral("  "));
        QCOMPARE(edit_->ConferenceNumber(), -1);
        QVERIFY(lookup_->calls.empty());
        QCOMPARE(edit_->text(), QStringLiteral("  "));
    }

    void WithoutALookupNothingResolves()
    {
        TMiravoCompletionEdit bare;
        bare.SetText(QStringLiteral("x"));
        QCOMPARE(bare.ConferenceNumber(), -1);
        QCOMPARE(bare.text(), QStringLiteral("x"));
    }

private:
    std::unique_ptr<test::ScriptedLookup> lookup_;
    std::unique_ptr<GuiServices> services_;
    std::unique_ptr<TMiravoCompletionEdit> edit_;
};

QTEST_MAIN(MiravoCompletionEditTest)
#include "MiravoCompletionEdit_test.moc"
