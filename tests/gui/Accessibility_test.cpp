// Every window the program can open, as a screen reader and a keyboard user
// meet it: each control that takes focus says what it is (an accessible
// name), Tab follows the layout and focus is drawn wherever it lands, the
// reading window's panes lie on the tab chain in order, label mnemonics reach
// their fields, and the read-only text views let the keyboard caret walk them.
#include "support/gui/GuiTestSupport.h"
#include "support/gui/PreparedArticles.h"
#include "support/gui/LiveSession.h"

#include "core/config/TMiravoConfiguration.h"
#include "core/session/MVCache.h"
#include "gui/common/GuiServices.h"
#include "gui/common/MiravoCompletionEdit.h"
#include "gui/common/MiravoTextEdit.h"
#include "gui/config/ConfigForm.h"
#include "gui/config/ConfigListForm.h"
#include "gui/dialogs/AboutBox.h"
#include "gui/dialogs/ChangePasswordForm.h"
#include "gui/dialogs/ChooseNameForm.h"
#include "gui/dialogs/ConfMemberForm.h"
#include "gui/dialogs/ConferenceAttributesForm.h"
#include "gui/dialogs/CreateConfForm.h"
#include "gui/dialogs/GetNameForm.h"
#include "gui/dialogs/LoginForm.h"
#include "gui/dialogs/NewUserForm.h"
#include "gui/dialogs/NoPresentationForm.h"
#include "gui/dialogs/NoteOnDoorForm.h"
#include "gui/dialogs/OfflineMessageForm.h"
#include "gui/dialogs/QuickHelpForm.h"
#include "gui/dialogs/StatisticsForm.h"
#include "gui/dialogs/ViewMarksForm.h"
#include "gui/events/ActiveUsersForm.h"
#include "gui/events/EventsController.h"
#include "gui/events/MessagesForm.h"
#include "gui/reading/ArticleViewForm.h"
#include "gui/reading/ConfListView.h"
#include "gui/reading/FindDialog.h"
#include "gui/reading/ReadArticleForm.h"
#include "gui/reading/SubjectTreeView.h"
#include "gui/search/FindTextForm.h"
#include "gui/shell/AppWindows.h"
#include "gui/shell/ConnectingForm.h"
#include "gui/shell/HelpWindow.h"
#include "gui/shell/WaitForm.h"
#include "gui/writing/TextRcptEditForm.h"
#include "gui/writing/WriteTextForm.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>
#include <functional>
#include <memory>

using namespace pellar;

namespace {

// A control the user can reach: it takes focus (itself, not through a proxy),
// or it is a button, and it is shown, or would be once its page of a tab or
// stack is chosen. Widgets of other windows (menus, pop-ups, dialogs owned by
// this one) are walked with their own window.
bool Reachable(QWidget* w, QWidget* root)
{
    const bool focusable = w->focusPolicy() != Qt::NoFocus && !w->focusProxy();
    if (!(focusable || qobject_cast<QAbstractButton*>(w)) || w->window() != root->window())
        return false;
    for (QWidget* a = w; a && a != root; a = a->parentWidget())
        if (a->isHidden() && !qobject_cast<QStackedWidget*>(a->parentWidget()))
            return false;
    return true;
}

QString Describe(QWidget* w)
{
    QString what = QString::fromLatin1(w->metaObject()->className());
    if (!w->objectName().isEmpty())
        what += QStringLiteral(" '%1'").arg(w->objectName());
    // Where it sits: the nearest named ancestors.
    QStringList path;
    for (QWidget* a = w->parentWidget(); a && path.size() < 3; a = a->parentWidget())
        if (!a->objectName().isEmpty() && !a->objectName().startsWith(QLatin1String("qt_")))
            path.prepend(a->objectName());
    if (!path.isEmpty())
        what += QStringLiteral(" in ") + path.join(u'/');
    return what;
}

QString AccessibleName(QWidget* w)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
    if (!face)
        return QString();
    // A combo box reports its current entry as its name; what it is for comes
    // from its own name or the label that names it.
    if (qobject_cast<QComboBox*>(w))
        return !w->accessibleName().trimmed().isEmpty() || !face->relations(QAccessible::Label).isEmpty()
                   ? QStringLiteral("labelled")
                   : QString();
    return face->text(QAccessible::Name).trimmed();
}

// A read-only text view the keyboard cannot walk.
bool CaretCannotWalk(QWidget* w)
{
    if (auto* edit = qobject_cast<QTextEdit*>(w))
        return edit->isReadOnly() && !(edit->textInteractionFlags() & Qt::TextSelectableByKeyboard);
    if (auto* edit = qobject_cast<QPlainTextEdit*>(w))
        return edit->isReadOnly() && !(edit->textInteractionFlags() & Qt::TextSelectableByKeyboard);
    return false;
}

QMdiSubWindow* FrameOf(QWidget* w)
{
    for (QWidget* a = w; a; a = a->parentWidget())
        if (auto* frame = qobject_cast<QMdiSubWindow*>(a))
            return frame;
    return nullptr;
}

// A tool bar, or a tool button standing in for one above a window's panes:
// Qt puts them after the panes, so the window opens on its first pane.
bool InToolBar(QWidget* w)
{
    if (qobject_cast<QToolButton*>(w))
        return true;
    for (QWidget* a = w; a; a = a->parentWidget())
        if (qobject_cast<QToolBar*>(a))
            return true;
    return false;
}

// The controls under root that Tab visits, in the order it visits them, as
// Qt walks the focus chain: shown and taking Tab themselves; disabled ones
// too, as they are visited once enabled.
QList<QWidget*> FocusChain(QWidget* root)
{
    QList<QWidget*> chain;
    QWidget* w = root;
    for (int i = 0; i < 1000; ++i) {
        w = w->nextInFocusChain();
        if (w == root)
            break;
        if (root->isAncestorOf(w) && w->window() == root->window() &&
            (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && w->isVisible() && !w->focusProxy())
            chain << w;
    }
    return chain;
}

// Where Tab goes against the way the window reads: back up to a control that
// is not in a column further right, or left along the same row. Tool bars and
// steps between two framed windows are left out.
QStringList TabJumps(QWidget* root)
{
    QStringList jumps;
    const QList<QWidget*> chain = FocusChain(root);
    for (qsizetype i = 0; i + 1 < chain.size(); ++i) {
        QWidget* a = chain[i];
        QWidget* b = chain[i + 1];
        if (InToolBar(a) || InToolBar(b) || FrameOf(a) != FrameOf(b))
            continue;
        const QRect ra(a->mapTo(a->window(), QPoint(0, 0)), a->size());
        const QRect rb(b->mapTo(b->window(), QPoint(0, 0)), b->size());
        const bool above = rb.bottom() < ra.top();
        const bool sameRow = rb.top() <= ra.bottom() && ra.top() <= rb.bottom();
        const bool columnToTheRight = rb.left() > ra.right();
        const bool leftOnTheRow = sameRow && rb.right() < ra.left();
        if ((above && !columnToTheRight) || leftOnTheRow)
            jumps << Describe(a) + QStringLiteral(" -> ") + Describe(b);
    }
    return jumps;
}

QWidget* FocusAfterTab(QWidget* from, bool backwards = false)
{
    QTest::keyClick(from, backwards ? Qt::Key_Backtab : Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
    return QApplication::focusWidget();
}

// The widgets Tab visits from start on, until it comes back (or 40 steps).
QList<QWidget*> TabChain(QWidget* start, bool backwards = false)
{
    QList<QWidget*> chain{start};
    for (int i = 0; i < 40; ++i) {
        QWidget* next = FocusAfterTab(chain.last(), backwards);
        if (!next || next == start || chain.contains(next))
            break;
        chain << next;
    }
    return chain;
}

QString DescribeChain(const QList<QWidget*>& chain)
{
    QStringList names;
    for (QWidget* w : chain)
        names << Describe(w);
    return names.join(QStringLiteral(" -> "));
}

// What the widget looks like now, caret and focus frame included.
QImage Picture(QWidget* w)
{
    QApplication::processEvents();
    return w->grab().toImage();
}

bool GiveFocus(QWidget* w)
{
    w->setFocus(Qt::TabFocusReason);
    return QTest::qWaitFor([w] { return w->hasFocus(); }, 2000);
}

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private:
    AppController& App() { return session_.App(); }

    // Collects the reachable controls of the window under root that have no
    // name and the read-only views the caret cannot enter (a control counted
    // once, with the first window it was met in), the steps of Tab against
    // the layout, and the controls that show no focus.
    void Walk(const QString& window, QWidget* root)
    {
        ++windowsWalked_;
        QList<QWidget*> widgets = root->findChildren<QWidget*>();
        widgets.prepend(root);
        for (QWidget* w : widgets) {
            if (!Reachable(w, root) || seen_.contains(w))
                continue;
            seen_.insert(w);
            ++reachable_;
            if (AccessibleName(w).isEmpty())
                unnamed_ << window + QStringLiteral(": ") + Describe(w);
            if (CaretCannotWalk(w))
                noCaret_ << window + QStringLiteral(": ") + Describe(w);
        }
        for (const QString& jump : TabJumps(root))
            jumps_ << window + QStringLiteral(": ") + jump;
        CheckFocusDrawn(window, root);
    }

    // Every control Tab reaches here looks different with focus than without,
    // as a keyboard user sees it: styles draw some focus frames only once
    // focus moved by key, which the window remembers.
    void CheckFocusDrawn(const QString& window, QWidget* root)
    {
        QWidget* top = root->window();
        top->activateWindow();
        if (!QTest::qWaitForWindowActive(top, 2000)) {
            focusHidden_ << window + QStringLiteral(": window not active");
            return;
        }
        if (QMdiSubWindow* frame = FrameOf(root))
            frame->mdiArea()->setActiveSubWindow(frame);
        top->setAttribute(Qt::WA_KeyboardFocusChange);
        const QList<QWidget*> chain = FocusChain(root);
        for (QWidget* w : chain) {
            // Framed windows are walked on their own.
            if (!w->isEnabled() || FrameOf(w) != FrameOf(root) || focusChecked_.contains(w))
                continue;
            focusChecked_.insert(w);
            if (QWidget* focused = QApplication::focusWidget())
                focused->clearFocus();
            QApplication::processEvents();
            // A window that puts focus back at once: move it to another control.
            if (w->hasFocus())
                for (QWidget* other : chain)
                    if (other != w && other->isEnabled() && GiveFocus(other))
                        break;
            // The style draws the default button as it draws a focused one.
            if (auto* button = qobject_cast<QPushButton*>(w); button && button->isDefault())
                continue;
            // An item view shows focus on its current row; an empty one has
            // none to show (left to the style).
            if (auto* view = qobject_cast<QAbstractItemView*>(w); view && view->model()->rowCount() == 0)
                continue;
            const QImage without = Picture(w);
            if (!GiveFocus(w)) {
                focusHidden_ << window + QStringLiteral(": takes no focus: ") + Describe(w);
                continue;
            }
            if (Picture(w) == without) {
                focusHidden_ << window + QStringLiteral(": ") + Describe(w);
                pellar::test::SaveScreenshot(w, QStringLiteral("nofocus-%1").arg(focusHidden_.size()));
            }
        }
    }

    template <typename T>
    void WalkNew(const QString& window, std::function<T*()> make)
    {
        std::unique_ptr<T> dialog(make());
        dialog->show();
        Walk(window, dialog.get());
    }

    void CloseInFrame(QWidget* window)
    {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget()))
            sub->close();
        else
            window->close();
    }

    int32_t SomeText()
    {
        MVCache& cache = session_.ClientContext().Cache();
        for (int32_t n = 1; n < 400; ++n)
            if (cache.GetTextStat(n))
                return n;
        return 0;
    }

    pellar::test::LiveSession session_;
    std::unique_ptr<AppWindows> windows_;
    QSet<QWidget*> seen_;
    QStringList unnamed_;
    QStringList noCaret_;
    QStringList jumps_;
    QStringList focusHidden_;
    QSet<QWidget*> focusChecked_;
    int reachable_ = 0;
    int windowsWalked_ = 0;

private slots:
    void initTestCase()
    {
        std::string error;
        QVERIFY2(session_.Start(&error, [this](AppController& app) { windows_ = std::make_unique<AppWindows>(app); }),
                 error.c_str());
        App().MainWindow().show();
        QVERIFY(QTest::qWaitForWindowExposed(&App().MainWindow()));
    }

    void cleanupTestCase()
    {
        App().Disconnect();
        windows_.reset();
        session_.Stop();
    }

    void everyReachableControlOfEveryWindowHasAName()
    {
        // The main window with its standing windows in the frame.
        TReadArticleForm* reading = windows_->Reading();
        QVERIFY(test::ShowAndWait(*reading, SomeText()));
        EventsController& events = windows_->Events();
        events.ShowWindow(events.MainMessages());
        events.ShowWindow(events.ActiveUsers());
        Walk(QStringLiteral("main window"), &App().MainWindow());
        Walk(QStringLiteral("reading window"), reading);
        Walk(QStringLiteral("messages"), events.MainMessages());
        Walk(QStringLiteral("who is on"), events.ActiveUsers());
        if (TMessagesForm* chat = events.OpenChat(session_.ClientContext().CurrentPerson())) {
            Walk(QStringLiteral("chat"), chat);
            CloseInFrame(chat);
        }

        const int32_t general = session_.Number("General discussion");
        QVERIFY(general > 0);
        TWriteTextForm* writing = windows_->OpenWriting(TextCompositionMode::NewText, general);
        QVERIFY(writing);
        QTRY_VERIFY(!writing->Model().WorkerRunning());
        Walk(QStringLiteral("writing window"), writing);
        writing->SetCloseAnswerer([](const QString&) { return TWriteTextForm::CloseChoice::Discard; });
        CloseInFrame(writing);

        const int32_t text = SomeText();
        QVERIFY(text > 0);
        TTextRcptEditForm* properties = windows_->OpenTextProperties(text);
        QVERIFY(properties);
        Walk(QStringLiteral("text properties"), properties);
        CloseInFrame(properties);

        TFindTextForm* find = windows_->OpenFindText();
        QVERIFY(find);
        Walk(QStringLiteral("find texts"), find);
        CloseInFrame(find);

        TViewMarksForm* marks = windows_->OpenMarkedTexts();
        QVERIFY(marks);
        Walk(QStringLiteral("marked texts"), marks);
        CloseInFrame(marks);

        TConferenceAttributesForm* confProperties = windows_->OpenConferenceProperties(general);
        QVERIFY(confProperties);
        Walk(QStringLiteral("conference properties"), confProperties);
        CloseInFrame(confProperties);

        TStatisticsForm* statistics = windows_->OpenStatistics();
        QVERIFY(statistics);
        Walk(QStringLiteral("statistics"), statistics);
        CloseInFrame(statistics);

        // The settings dialog, every page of it.
        int pages = 0;
        pellar::test::AnswerDialog<TConfigForm>([this, &pages](TConfigForm* form) {
            pages = form->Pages()->count();
            for (int page = 0; page < pages; ++page) {
                form->Pages()->setCurrentIndex(page);
                Walk(QStringLiteral("settings, ") + form->Pages()->tabText(page), form);
            }
            form->CancelButton()->click();
        });
        windows_->OpenSettings();
        QVERIFY(pages >= 7);
        bool profilesWalked = false;
        pellar::test::AnswerDialog<TConfigListForm>([this, &profilesWalked](TConfigListForm* list) {
            Walk(QStringLiteral("profiles"), list);
            profilesWalked = true;
            list->DoneButton()->click();
        });
        windows_->OpenProfiles();
        QVERIFY(profilesWalked);

        WalkNew<TFindDialog>(QStringLiteral("find in text"), [reading] { return new TFindDialog(reading); });
        GuiServices services;
        WalkNew<TLoginForm>(QStringLiteral("login"), [] { return new TLoginForm; });
        WalkNew<TNewUserForm>(QStringLiteral("new account"), [] { return new TNewUserForm; });
        WalkNew<TAboutBox>(QStringLiteral("about"), [] { return new TAboutBox; });
        WalkNew<TQuickHelpForm>(QStringLiteral("quick help"), [] { return new TQuickHelpForm; });
        WalkNew<TChangePasswordForm>(QStringLiteral("change password"),
                                     [&services] { return new TChangePasswordForm(&services); });
        WalkNew<TChooseNameForm>(QStringLiteral("choose name"), [&services] { return new TChooseNameForm(&services); });
        WalkNew<TConfMemberForm>(QStringLiteral("member"), [&services] { return new TConfMemberForm(&services); });
        WalkNew<TGetNameForm>(QStringLiteral("get name"), [&services] { return new TGetNameForm(&services); });
        WalkNew<TCreateConfForm>(QStringLiteral("create conference"), [] { return new TCreateConfForm; });
        WalkNew<TNoPresentationForm>(QStringLiteral("no presentation"), [] { return new TNoPresentationForm; });
        WalkNew<TNoteOnDoorForm>(QStringLiteral("note on the door"), [] { return new TNoteOnDoorForm; });
        WalkNew<TOfflineMessageForm>(QStringLiteral("offline message"), [] { return new TOfflineMessageForm; });
        WalkNew<THelpWindow>(QStringLiteral("help"), [] { return new THelpWindow; });
        WalkNew<TConnectingForm>(QStringLiteral("connecting"), [] { return new TConnectingForm; });
        WalkNew<TWaitForm>(QStringLiteral("wait"), [] { return new TWaitForm(QStringLiteral("Working"), true); });

        qInfo("%d windows, %d reachable controls, %d without a name, %d read-only views the caret cannot walk",
              windowsWalked_, reachable_, int(unnamed_.size()), int(noCaret_.size()));
        for (const QString& line : unnamed_)
            qInfo("no name: %s", qPrintable(line));
        for (const QString& line : noCaret_)
            qInfo("no keyboard caret: %s", qPrintable(line));
        for (const QString& line : jumps_)
            qInfo("tab jumps: %s", qPrintable(line));
        for (const QString& line : focusHidden_)
            qInfo("no focus shown: %s", qPrintable(line));
        // The walk met the controls it is about.
        QVERIFY(seen_.contains(reading->ConfListView()));
        QVERIFY(seen_.contains(reading->ArticleView()->MainEdit()));
        QVERIFY(reachable_ > 100);
        QVERIFY2(unnamed_.isEmpty(), qPrintable(unnamed_.join(u'\n')));
        QVERIFY2(noCaret_.isEmpty(), qPrintable(noCaret_.join(u'\n')));
    }

    // Focus is drawn on every control Tab reaches, in every window the walk
    // above opened.
    void focusIsDrawnOnEveryControlTabReaches()
    {
        qInfo("%d controls checked, %d show no focus", int(focusChecked_.size()), int(focusHidden_.size()));
        QVERIFY(focusChecked_.size() > 100);
        QVERIFY2(focusHidden_.isEmpty(), qPrintable(focusHidden_.join(u'\n')));
    }

    // Tab follows the layout of every window: no step back up into the same
    // column, none leftwards along a row.
    void tabFollowsTheLayoutOfEveryWindow()
    {
        qInfo("%d steps of Tab against the layout", int(jumps_.size()));
        QVERIFY(windowsWalked_ > 20);
        QVERIFY2(jumps_.isEmpty(), qPrintable(jumps_.join(u'\n')));
    }

    // Tab walks the reading window's panes in the order they are laid out,
    // Shift+Tab walks back the same way, and neither leaves a pane out.
    void tabWalksTheReadingPanesInOrder()
    {
        TReadArticleForm* reading = windows_->Reading();
        windows_->ShowReading();
        QVERIFY(test::ShowAndWait(*reading, SomeText()));
        App().MainWindow().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&App().MainWindow()));
        QWidget* confs = reading->ConfListView();
        QWidget* subjects = reading->SubjectTreeView();
        QWidget* article = reading->ArticleView()->MainEdit();
        for (QWidget* pane : {confs, subjects, article})
            QVERIFY2(pane->focusPolicy() & Qt::TabFocus, qPrintable(Describe(pane)));
        QVERIFY(GiveFocus(confs));

        const QList<QWidget*> forward = TabChain(confs);
        const QString seen = DescribeChain(forward);
        QVERIFY2(forward.indexOf(subjects) == 1, qPrintable(seen));
        QVERIFY2(forward.indexOf(article) > forward.indexOf(subjects), qPrintable(seen));
        if (reading->CommentedEdit()->isVisible()) {
            const int commented = forward.indexOf(reading->CommentedEdit());
            QVERIFY2(commented > 1 && commented < forward.indexOf(article), qPrintable(seen));
        }
        // Back from where forward ended: the same widgets in reverse.
        QVERIFY(GiveFocus(forward.last()));
        QList<QWidget*> backward = TabChain(forward.last(), true);
        std::reverse(backward.begin(), backward.end());
        QVERIFY2(backward == forward, qPrintable(seen + QStringLiteral("\n back: ") + DescribeChain(backward)));
    }

    // The style shows which pane has the keyboard: each looks different with
    // focus than without.
    void focusIsDrawnOnTheReadingPanes()
    {
        TReadArticleForm* reading = windows_->Reading();
        windows_->ShowReading();
        QVERIFY(test::ShowAndWait(*reading, SomeText()));
        App().MainWindow().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&App().MainWindow()));
        QWidget* confs = reading->ConfListView();
        QWidget* subjects = reading->SubjectTreeView();
        QWidget* article = reading->ArticleView()->MainEdit();
        for (QWidget* pane : {confs, subjects, article}) {
            QWidget* elsewhere = pane == confs ? subjects : confs;
            QVERIFY(GiveFocus(elsewhere));
            const QImage without = Picture(pane);
            QVERIFY(GiveFocus(pane));
            QVERIFY2(Picture(pane) != without, qPrintable(Describe(pane)));
        }
    }

    // In the read-only views the arrow keys move a caret and Shift with them
    // selects: what a screen reader follows line by line.
    void theCaretWalksTheReadOnlyTexts()
    {
        TReadArticleForm* reading = windows_->Reading();
        windows_->ShowReading();
        QVERIFY(test::ShowAndWait(*reading, SomeText()));
        App().MainWindow().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&App().MainWindow()));
        TQuickHelpForm help;
        help.show();
        QVERIFY(QTest::qWaitForWindowActive(&help));
        for (QTextEdit* view : {static_cast<QTextEdit*>(help.TextEdit()),
                                static_cast<QTextEdit*>(reading->ArticleView()->MainEdit())}) {
            view->window()->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(view->window()));
            QVERIFY2(view->document()->blockCount() > 2, qPrintable(Describe(view)));
            QVERIFY(GiveFocus(view));
            view->moveCursor(QTextCursor::Start);
            QTest::keyClick(view, Qt::Key_Down);
            QTest::keyClick(view, Qt::Key_Down);
            QVERIFY2(view->textCursor().blockNumber() >= 1, qPrintable(Describe(view)));
            QVERIFY(!view->textCursor().hasSelection());
            QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);
            QVERIFY2(view->textCursor().hasSelection(), qPrintable(Describe(view)));
        }
    }

    // The writing window's text takes Tab as a character, so Tab does not
    // leave it; Shift+Tab does, back to the subject, and Tab leads from the
    // recipients through the subject into the text.
    void shiftTabLeavesTheTextBeingWritten()
    {
        const int32_t general = session_.Number("General discussion");
        TWriteTextForm* writing = windows_->OpenWriting(TextCompositionMode::NewText, general);
        QVERIFY(writing);
        QTRY_VERIFY(!writing->Model().WorkerRunning());
        App().MainWindow().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&App().MainWindow()));
        QVERIFY(GiveFocus(writing->ListView()));
        QCOMPARE(FocusAfterTab(writing->ListView()), static_cast<QWidget*>(writing->SubjectEdit()));
        QCOMPARE(FocusAfterTab(writing->SubjectEdit()), static_cast<QWidget*>(writing->WriteTextEdit()));
        QCOMPARE(FocusAfterTab(writing->WriteTextEdit(), true), static_cast<QWidget*>(writing->SubjectEdit()));
        writing->SetCloseAnswerer([](const QString&) { return TWriteTextForm::CloseChoice::Discard; });
        CloseInFrame(writing);
    }

    // The message log, the message being written, its recipient and the
    // who-is-on list all take focus from the keyboard.
    void theEventsWindowsTakeTheKeyboard()
    {
        EventsController& events = windows_->Events();
        TMessagesForm* messages = events.MainMessages();
        for (QWidget* w : {static_cast<QWidget*>(messages->IncomingEdit()), static_cast<QWidget*>(messages->TargetEdit()),
                           static_cast<QWidget*>(messages->WriteMsgMemo()),
                           static_cast<QWidget*>(events.ActiveUsers()->ListView())})
            QVERIFY2((w->focusPolicy() & Qt::TabFocus) && !AccessibleName(w).isEmpty(), qPrintable(Describe(w)));
    }

    // What the new-account dialog shows beside the field with focus, in a
    // pane the keyboard cannot reach, is the field's description.
    void theNewAccountHintsAreTheFieldsDescriptions()
    {
        TNewUserForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto* hint = form.findChild<QPlainTextEdit*>(QStringLiteral("HintEdit"));
        QVERIFY(hint);
        QCOMPARE(hint->focusPolicy(), Qt::NoFocus);
        for (const char* name : {"UserEdit", "PwdEdit", "ConfirmPwdEdit"}) {
            auto* field = form.findChild<QLineEdit*>(QString::fromLatin1(name));
            QVERIFY(field);
            QVERIFY(GiveFocus(field));
            QTRY_VERIFY(!hint->toPlainText().isEmpty());
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(field);
            QCOMPARE(face->text(QAccessible::Description), hint->toPlainText());
        }
    }

    // A label's mnemonic puts the caret in its field, also where the field
    // sits in a box with its complete button.
    void labelMnemonicsReachFieldsWithACompleteButton()
    {
        GuiServices services;
        TChangePasswordForm password(&services);
        password.show();
        QVERIFY(QTest::qWaitForWindowActive(&password));
        auto* oldPwd = password.findChild<QLineEdit*>(QStringLiteral("OldPwdEdit"));
        auto* user = password.findChild<QLineEdit*>(QStringLiteral("UserEdit"));
        QVERIFY(oldPwd && user);
        QVERIFY(GiveFocus(oldPwd));
        QTest::keyClick(&password, Qt::Key_N, Qt::AltModifier);
        QTRY_VERIFY(user->hasFocus());

        TConfMemberForm member(&services);
        member.show();
        QVERIFY(QTest::qWaitForWindowActive(&member));
        auto* conf = member.findChild<QLineEdit*>(QStringLiteral("ConfEdit"));
        auto* person = member.findChild<QLineEdit*>(QStringLiteral("UserEdit"));
        QVERIFY(conf && person);
        QVERIFY(GiveFocus(conf));
        QTest::keyClick(&member, Qt::Key_U, Qt::AltModifier);
        QTRY_VERIFY(person->hasFocus());
        QTest::keyClick(&member, Qt::Key_C, Qt::AltModifier);
        QTRY_VERIFY(conf->hasFocus());
    }
};

QTEST_MAIN(AccessibilityTest)
#include "Accessibility_test.moc"
