#include "gui/dialogs/ChangePasswordForm.h"
#include "gui/dialogs/ChooseNameForm.h"
#include "gui/dialogs/ConfMemberForm.h"
#include "gui/dialogs/GetNameForm.h"
#include "gui/common/GuiServices.h"
#include "gui/common/MiravoCompletionEdit.h"
#include "tests/gui/ScriptedLookup.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace pellar;

class NameDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        lookup_ = std::make_unique<test::ScriptedLookup>();
        messages_.clear();
        presented_.clear();
        services_ = std::make_unique<GuiServices>();
        services_->names = lookup_.get();
        services_->postUserMessage = [this](const std::string& m) { messages_.push_back(m); };
        services_->showPresentation = [this](int32_t n) { presented_.push_back(n); };
    }

    void NamePromptRefusesEmptyAndUnknownNames()
    {
        TGetNameForm form(services_.get());
        form.Prepare(QStringLiteral("Write letter"), QString(), TMVConfType::ctUsers);
        form.open();
        QCOMPARE(form.windowTitle(), QStringLiteral("Write letter"));

        QTest::mouseClick(form.OkButton(), Qt::LeftButton);
        QVERIFY(form.isVisible());
        QVERIFY(messages_.empty());
        QVERIFY(lookup_->calls.empty());

        form.NameEdit()->SetText(QStringLiteral("ghost"));
        QTest::mouseClick(form.OkButton(), Qt::LeftButton);
        QVERIFY(form.isVisible());
        QCOMPARE(messages_, std::vector<std::string>{"!No matching names found"});
        QVERIFY(lookup_->calls.front().persons && !lookup_->calls.front().conferences);
    }

    // A look-up whose reply could not be read says so, and no dialog then
    // claims that the name does not exist.
    void FailedLookupsAreNotReportedAsUnknownNames()
    {
        const std::string unreadable = "The server's reply could not be read";
        lookup_->failures["Eva"] = unreadable;
        TGetNameForm prompt(services_.get());
        prompt.Prepare(QStringLiteral("Write letter"), QStringLiteral("Eva"), TMVConfType::ctUsers);
        prompt.open();
        QTest::mouseClick(prompt.OkButton(), Qt::LeftButton);
        QVERIFY(prompt.isVisible());
        QCOMPARE(messages_, std::vector<std::string>{"!" + unreadable});
        QVERIFY(prompt.NameEdit()->LookupFailed());

        messages_.clear();
        TConfMemberForm member(services_.get());
        member.Prepare(QStringLiteral("Add member to conference"));
        member.open();
        member.UserEdit()->SetText(QStringLiteral("Eva"));
        QTest::mouseClick(member.OkButton(), Qt::LeftButton);
        QCOMPARE(messages_, std::vector<std::string>{"!" + unreadable});

        messages_.clear();
        TChangePasswordForm password(services_.get());
        password.Prepare(QStringLiteral("Eva"));
        password.open();
        QTest::mouseClick(password.OkButton(), Qt::LeftButton);
        QCOMPARE(messages_, std::vector<std::string>{"!" + unreadable});

        // Once the server answers, an unknown name reads as unknown again.
        lookup_->failures.clear();
        messages_.clear();
        QTest::mouseClick(prompt.OkButton(), Qt::LeftButton);
        QCOMPARE(messages_, std::vector<std::string>{"!No matching names found"});
        QVERIFY(!prompt.NameEdit()->LookupFailed());
    }

    void NamePromptReturnsTheResolvedNumber()
    {
        lookup_->Add("Inl", "Inl\xE4gg om allt", 6, "conference");
        TGetNameForm form(services_.get());
        form.Prepare(QStringLiteral("Write new text"), QStringLiteral("Inl"), TMVConfType::ctConferences);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTRY_VERIFY(form.NameEdit()->hasFocus());
        QVERIFY(!form.NameEdit()->IsOK()); // the default name is not verified yet
        test::SaveScreenshot(&form, QStringLiteral("name-prompt"));
        QTest::mouseClick(form.OkButton(), Qt::LeftButton);
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(form.Number(), 6);
        QVERIFY(messages_.empty());
    }

    void ChooserFiltersWithoutRegardToCase()
    {
        TChooseNameForm form(services_.get());
        form.SetMatches({{"Joanna", "person", 1}, {"anna berg", "person", 2}, {"naan", "person", 3},
                         {"Bo", "person", 4}});
        QCOMPARE(form.NameListBox()->count(), 4);
        QCOMPARE(form.NameListBox()->item(0)->text(), QStringLiteral("anna berg")); // sorted

        form.FilterEdit()->setText(QStringLiteral("ANNA"));
        QCOMPARE(form.NameListBox()->count(), 2);
        QCOMPARE(form.NameListBox()->item(0)->text(), QStringLiteral("anna berg"));
        QCOMPARE(form.NameListBox()->item(1)->text(), QStringLiteral("Joanna"));
        QCOMPARE(form.NameListBox()->currentRow(), 0); // the first entry is selected after a refill
        QCOMPARE(form.ChosenNumber(), std::optional<int32_t>(2));

        form.NameListBox()->setCurrentRow(1);
        QCOMPARE(form.ChosenNumber(), std::optional<int32_t>(1));
        test::SaveScreenshot(&form, QStringLiteral("choose-name"));

        form.FilterEdit()->clear();
        QCOMPARE(form.NameListBox()->count(), 4);
    }

    void ChooserOkNeedsAnEntry()
    {
        TChooseNameForm form(services_.get());
        form.SetMatches({{"Anna", "person", 1}});
        QVERIFY(form.OkButton()->isEnabled());
        form.FilterEdit()->setText(QStringLiteral("zzz"));
        QVERIFY(!form.OkButton()->isEnabled());
        QCOMPARE(form.ChosenNumber(), std::nullopt);
        form.FilterEdit()->setText(QStringLiteral("n"));
        QVERIFY(form.OkButton()->isEnabled());
    }

    void ChooserDoubleClickChooses()
    {
        TChooseNameForm form(services_.get());
        form.SetMatches({{"Anna", "person", 1}, {"Bo", "person", 2}});
        form.open();
        QListWidget* list = form.NameListBox();
        const QRect second = list->visualItemRect(list->item(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(form.ChosenNumber(), std::optional<int32_t>(2));
    }

    void ChooserPresentationShowsTheSelectedEntry()
    {
        TChooseNameForm form(services_.get());
        form.SetMatches({{"Anna", "person", 11}, {"Bo", "person", 12}});
        QSignalSpy spy(&form, &TChooseNameForm::PresentationRequested);
        form.NameListBox()->setCurrentRow(1);
        QTest::mouseClick(form.PresentationButton(), Qt::LeftButton);
        QCOMPARE(presented_, std::vector<int32_t>{12});
        QCOMPARE(spy.size(), 1);

        form.FilterEdit()->setText(QStringLiteral("nobody")); // nothing selected: only a beep
        QTest::mouseClick(form.PresentationButton(), Qt::LeftButton);
        QCOMPARE(presented_.size(), size_t(1));
    }

    void MemberDialogChecksTheUserFirst()
    {
        lookup_->Add("Eva", "Eva", 21);
        lookup_->Add("Kaffe", "Kaffe", 31, "conference");
        TConfMemberForm form(services_.get());
        form.Prepare(QStringLiteral("Add member to conference"));
        form.open();
        QCOMPARE(form.windowTitle(), QStringLiteral("Add member to conference"));

        form.ConfEdit()->SetText(QStringLiteral("Te"));
        form.UserEdit()->SetText(QStringLiteral("Nobody"));
        QTest::mouseClick(form.OkButton(), Qt::LeftButton);
        QVERIFY(form.isVisible());
        QCOMPARE(messages_, std::vector<std::string>{"!Invalid user"});
        QCOMPARE(lookup_->calls.size(), size_t(1)); // the conference was not looked at
        QVERIFY(lookup_->calls[0].persons && !lookup_->calls[0].conferences);

        form.UserEdit()->SetText(QStringLiteral("Eva"));
        QTest::mouseClick(form.OkButton(), Qt::LeftButton);
        QVERIFY(form.isVisible());
        QCOMPARE(messages_.back(), std::string("!Invalid conference"));
        QVERIFY(!lookup_->calls.back().persons && lookup_->calls.back().conferences);

        form.ConfEdit()->SetText(QStringLiteral("Kaffe"));
        QTest::mouseClick(form.OkButton(), Qt::LeftButton);
        test::SaveScreenshot(&form, QStringLiteral("conference-member"));
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(form.PersonNumber(), 21);
        QCOMPARE(form.ConferenceNumber(), 31);

        form.Prepare(QStringLiteral("Remove member from conference"));
        QVERIFY(form.ConfEdit()->text().isEmpty());
        QVERIFY(form.UserEdit()->text().isEmpty());
    }

    void ChangePasswordNeedsAKnownPerson()
    {
        lookup_->Add("Eva", "Eva", 21);
        TChangePasswordForm form(services_.get());
        form.Prepare(QStringLiteral("Evert"));
        form.open();
        form.OldPwdEdit()->setText(QStringLiteral("old"));
        form.PwdEdit()->setText(QStringLiteral("new"));
        form.ConfirmPwdEdit()->setText(QStringLiteral("new"));
        QTest::mouseClick(form.OkButton(), Qt::LeftButton);
        QVERIFY(form.isVisible());
        QCOMPARE(messages_, std::vector<std::string>{"!Invalid user name"});

        form.UserEdit()->SetText(QStringLiteral("Eva"));
        QTest::mouseClick(form.OkButton(), Qt::LeftButton);
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(form.PersonNumber(), 21);
        test::SaveScreenshot(&form, QStringLiteral("change-password"));
        QCOMPARE(form.OldPassword(), QStringLiteral("old"));
        QCOMPARE(form.NewPassword(), QStringLiteral("new"));
        QCOMPARE(form.ConfirmPassword(), QStringLiteral("new"));
        for (QLineEdit* pwd : {form.OldPwdEdit(), form.PwdEdit(), form.ConfirmPwdEdit()})
            QCOMPARE(pwd->echoMode(), QLineEdit::Password);

        form.Prepare(QStringLiteral("Eva"));
        QVERIFY(form.OldPwdEdit()->text().isEmpty() && form.PwdEdit()->text().isEmpty());
    }

private:
    std::unique_ptr<test::ScriptedLookup> lookup_;
    std::unique_ptr<GuiServices> services_;
    std::vector<std::string> messages_;
    std::vector<int32_t> presented_;
};

QTEST_MAIN(NameDialogsTest)
#include "NameDialogs_test.moc"
