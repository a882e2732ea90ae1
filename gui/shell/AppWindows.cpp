#include "gui/shell/AppWindows.h"

#include "gui/common/SpellService.h"

#include "core/config/TMiravoConfiguration.h"
#include "core/events/ClientEventsSession.h"
#include "core/events/TAsyncMsgThread.h"
#include "core/reading/ConferenceCommands.h"
#include "core/reading/ClientReadingServices.h"
#include "core/session/Client.h"
#include "core/writing/ClientWritingSession.h"
#include "core/base/LocalUserName.h"
#include "gui/config/ConfigForm.h"
#include "gui/config/ConfigListForm.h"
#include "gui/dialogs/ConferenceAttributesForm.h"
#include "gui/dialogs/StatisticsForm.h"
#include "gui/dialogs/ViewMarksForm.h"
#include "gui/events/ActiveUsersForm.h"
#include "gui/events/EventsController.h"
#include "gui/events/IconTaskBar.h"
#include "gui/reading/ConfListView.h"
#include "gui/reading/ReadArticleForm.h"
#include "gui/reading/ReadingCommands.h"
#include "gui/search/FindTextForm.h"
#include "gui/shell/AppController.h"
#include "gui/shell/MainForm.h"
#include "gui/shell/QtSessionUi.h"
#include "gui/shell/ReadingWiring.h"
#include "gui/writing/TextRcptEditForm.h"
#include "gui/writing/DraftOffers.h"
#include "gui/writing/WriteTextForm.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace pellar {

AppWindows::AppWindows(AppController& app, QObject* parent) : QObject(parent), app_(app)
{
    reading_ = CreateReadingWindow(app_);
    drafts_ = new DraftOffers(app_.DataDir() / "drafts", this);
    // Attached to the session's dispatch, which the session enables before
    // the server starts sending notices.
    events_ = std::make_unique<EventsController>(app_.EventsPort(), app_.WritingPort(), app_.MainWindow(),
                                                 &app_.Services(), nullptr, app_.Dispatch());
    WireReading();
    WireEvents();

    TMainForm& main = app_.MainWindow();
    connect(&app_, &AppController::CommandForWindows, this, &AppWindows::RunWindowCommand);
    connect(&main, &TMainForm::EditConferencePropertiesRequested, this, &AppWindows::OpenConferenceProperties);
    // The Online menu's "View presentation...", the choosers' "Presentation"
    // and the who-is-on popup: the presentation is read in the reading
    // window, which comes to the front.
    app_.SetPresentationShower([this](int32_t number) {
        if (!reading_)
            return;
        reading_->Commands()->ViewPresentation(number);
        ShowReading();
    });
    connect(&main, &TMainForm::ViewPresentationRequested, this,
            [this](int32_t number) { app_.Services().showPresentation(number); });
    main.SetCloseGuard([this] { return drafts_->ConfirmQuit(&app_.MainWindow()); });
    // Offered once the logon is over, from the event loop: the offer is a
    // dialog of its own and the logon's signal should not wait for it. Not
    // after the session logged on again by itself behind a lost link: the
    // user neither asked for a logon nor left anything there, and a link
    // that comes and goes would bring the same question back each time.
    connect(&app_, &AppController::Connected, this, [this] {
        if (app_.IsReconnecting())
            return;
        QMetaObject::invokeMethod(this, [this] {
            if (Connected())
                drafts_->OfferKept(app_.ClientContext().Config().ProfilePath(), app_.WritingPort().Here(),
                                   &app_.MainWindow(),
                                   [this](const Draft& draft) { OpenDraft(draft); });
        }, Qt::QueuedConnection);
    });
    // After creating a conference or an account, and a logon without a
    // presentation: the session asks for the editor.
    connect(&app_.Ui(), &QtSessionUi::PresentationEditorRequested, this, [this](int32_t conf) {
        OpenWriting(TextCompositionMode::Presentation, conf, conf == app_.ClientContext().CurrentPerson());
    });
}

AppWindows::~AppWindows()
{
    app_.SetPresentationShower({});
    app_.MainWindow().SetCloseGuard({});
    CloseSearchAndMarks();
    // The message windows go; the session's dispatch drops what it would
    // have shown them.
    events_.reset();
}

void AppWindows::WireReading()
{
    TReadArticleForm* form = reading_;
    connect(form, &TReadArticleForm::WriteRequested, this,
            [this](const WriteRequest& request) { OpenWriting(request.mode, request.number); });
    connect(form, &TReadArticleForm::PresentationEditorRequested, this,
            [this](PresentationKind kind, int32_t target, int32_t, const QString&) {
                switch (kind) {
                case PresentationKind::Person: OpenWriting(TextCompositionMode::Presentation, target, true); break;
                case PresentationKind::Conference: OpenWriting(TextCompositionMode::Presentation, target); break;
                case PresentationKind::Notice: OpenWriting(TextCompositionMode::Motd, target); break;
                }
            });
    connect(form, &TReadArticleForm::TextPropertiesRequested, this, &AppWindows::OpenTextProperties);
    connect(form, &TReadArticleForm::SendMessageRequested, this,
            [this](const QString& recipient) { events_->SendMessageTo(recipient); });
    connect(form, &TReadArticleForm::ShowActiveUsersRequested, this,
            [this] { events_->ShowWindow(events_->ActiveUsers()); });
}

void AppWindows::WireEvents()
{
    EventsController& events = *events_;
    events.SetConferenceListRefresher([this] {
        if (reading_)
            reading_->RefreshConferenceListLater();
    });
    connect(&events, &EventsController::ShowReadingWindowRequested, this, &AppWindows::ShowReading);
    // Logon re-applies the profile's column widths here too, not only to the
    // main and reading windows.
    connect(&app_.Ui(), &QtSessionUi::WindowSettingsDue, events.ActiveUsers(), &TActiveUsersForm::ApplyWindowSettings);
    connect(&events, &EventsController::ShowTextRequested, this, [this](int32_t text) {
        if (Connected())
            ShowTextInReading(text);
    });
    connect(reading_.data(), &TReadArticleForm::ReadNextStarted, &events, [&events] { events.Tray()->HideIcon(); });

    connect(&app_, &AppController::Connecting, &events, [&events] { events.UpdateActions(); });
    events.SetMessageLogDir(app_.DataDir() / "messages");
    connect(&app_, &AppController::Connected, &events, [this, &events] {
        events.UpdateActions();
        events.OpenMessageLog(app_.ClientContext().Config().ProfilePath());
        ApplyTraySettings();
    });
    connect(reading_->ConfListView(), &TConfListView::RowsChanged, this, &AppWindows::UpdateUnreadCount);
    connect(&app_, &AppController::Disconnecting, this, [this] { CloseSearchAndMarks(); });
    connect(&app_, &AppController::Disconnected, &events, [&events] {
        events.Disconnected();
        events.UpdateActions();
    });
}

TReadArticleForm* AppWindows::Reading() const
{
    return reading_.data();
}

bool AppWindows::Connected()
{
    // Not the window's online state: a logon without a presentation asks
    // for the editor before the window goes online.
    return app_.ClientContext().ConnectedEvent().IsSet();
}

WriteTextContext AppWindows::WritingContext()
{
    return WriteTextContext{app_.WritingPort(), &app_.Services(), &app_.MainWindow(),
                            [this](const std::string& key) {
                                if (reading_)
                                    reading_->ChangeActivityKey(key);
                            },
                            &drafts_->Store()};
}

TWriteTextForm* AppWindows::OpenWriting(TextCompositionMode mode, int32_t number, bool isPerson)
{
    if (!Connected())
        return nullptr;
    return OpenChosenWriteText(WritingContext(), mode, number, isPerson);
}

TWriteTextForm* AppWindows::OpenDraft(const Draft& draft)
{
    if (!Connected())
        return nullptr;
    return OpenDraftWriteText(WritingContext(), draft);
}

void AppWindows::ShowInFrame(QWidget* window)
{
    QMdiSubWindow* sub = app_.MainWindow().AddChildWindow(window);
    app_.MainWindow().MdiArea()->setActiveSubWindow(sub);
}

TTextRcptEditForm* AppWindows::OpenTextProperties(int32_t text)
{
    if (text <= 0 || !Connected())
        return nullptr;
    auto* form = new TTextRcptEditForm(app_.WritingPort(), &app_.Services(), text);
    connect(form, &TTextRcptEditForm::ViewTextRequested, this, &AppWindows::ShowTextInReading);
    ShowInFrame(form);
    return form;
}

TFindTextForm* AppWindows::OpenFindText()
{
    auto* form = new TFindTextForm(app_.ClientContext().Cache(), &app_.Services());
    connect(form, &TFindTextForm::ReadTextRequested, this, &AppWindows::ShowTextInReading);
    searchAndMarks_.append(QPointer<QWidget>(form));
    ShowInFrame(form);
    return form;
}

TViewMarksForm* AppWindows::OpenMarkedTexts()
{
    auto* form = new TViewMarksForm(std::make_unique<ClientReadingServices>(app_.ClientContext()));
    connect(form, &TViewMarksForm::ReadTextRequested, this, &AppWindows::ShowTextInReading);
    QPointer<QWidget> guard(form);
    connect(form, &TViewMarksForm::AttachToggled, this, [this, guard](bool attached) {
        if (guard)
            AttachWindow(guard, attached);
    });
    searchAndMarks_.append(guard);
    ShowInFrame(form);
    return form;
}

void AppWindows::AttachWindow(QWidget* window, bool attached)
{
    auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget());
    if (attached == (sub != nullptr))
        return;
    if (attached) {
        window->setParent(nullptr);
        ShowInFrame(window);
        return;
    }
    const QRect frame = window->geometry();
    // The sub-window must not take the window with it when it goes.
    sub->setWidget(nullptr);
    window->setParent(&app_.MainWindow(), Qt::Window);
    sub->deleteLater();
    window->resize(frame.size());
    window->show();
}

TConferenceAttributesForm* AppWindows::OpenConferenceProperties(int32_t conf)
{
    if (conf <= 0 || !Connected())
        return nullptr;
    auto* form = new TConferenceAttributesForm(app_.WritingPort(), &app_.Services(), conf);
    ShowInFrame(form);
    return form;
}

TStatisticsForm* AppWindows::OpenStatistics()
{
    auto* form = new TStatisticsForm([this, &client = app_.ClientContext()] {
        return StatisticsFormat::Collect(client, uint64_t{events_->Dispatcher().MessageCount()});
    });
    ShowInFrame(form);
    return form;
}

WindowSettingsHooks AppWindows::SettingsHooks()
{
    TMiravoConfiguration& config = app_.ClientContext().Config();
    TMainForm& main = app_.MainWindow();
    WindowSettingsHooks hooks;
    hooks.saveMainPosition = [&config, &main] {
        main.SaveWindowPosition(
            [&config](const std::string& key, const std::string& value) { config.WriteString(key, value); });
    };
    hooks.saveReadingLayout = [this] {
        if (reading_)
            reading_->SaveLayout();
    };
    hooks.saveActiveUsersColumns = [this] {
        if (TActiveUsersForm* users = events_->ActiveUsers())
            users->SaveColumnWidths();
    };
    hooks.applyReadingLayout = [this] {
        if (reading_)
            reading_->ApplyLayout();
    };
    hooks.applySpelling = [this] {
        if (app_.Services().spelling)
            app_.Services().spelling->Refresh();
    };
    hooks.applyMainWindowSettings = [&config, &main] {
        main.ApplyWindowSettings(
            [&config](const std::string& key, const std::string& def) { return config.ReadString(key, def); });
    };
    return hooks;
}

void AppWindows::OpenSettings()
{
    TMiravoConfiguration& global = app_.ClientContext().Config();
    // The dialog edits its own instance on the current profile: while it is
    // up, the session's readers keep their fallback to the default profile.
    TMiravoConfiguration edited(app_.Settings(), LocalUserName());
    edited.SetSecretStore(global.Secrets());
    edited.SetProfile(global.ProfilePath());
    TConfigForm form(&app_.MainWindow());
    form.SetConfiguration(&edited);
    form.SetWindowSettingsHooks(SettingsHooks());
    form.exec();
    ReloadSessionSettings();
}

void AppWindows::OpenProfiles()
{
    TConfigListForm list(app_.Settings(), LocalUserName(), &app_.MainWindow());
    list.SetSecretStore(app_.ClientContext().Config().Secrets());
    list.SetWindowSettingsHooks(SettingsHooks());
    list.exec();
    ReloadSessionSettings();
}

void AppWindows::ReloadSessionSettings()
{
    // The keyboard map may have changed under the session's instance.
    TMiravoConfiguration& global = app_.ClientContext().Config();
    global.SetProfile(global.ProfilePath());
    ApplyTraySettings();
}

void AppWindows::ApplyTraySettings()
{
    events_->Tray()->SetPermanent(app_.ClientContext().Config().ReadFlag(TConfigForm::kPermanentTrayKey, false));
}

void AppWindows::UpdateUnreadCount()
{
    if (!reading_)
        return;
    int unread = 0;
    for (const ConfListRow& row : reading_->ConfListView()->List().Rows())
        unread += row.unread;
    events_->Tray()->SetUnreadCount(unread);
}

void AppWindows::RunWindowCommand(MainCommand command)
{
    if (!reading_)
        return;
    Client& client = app_.ClientContext();
    ReadingPrompts& prompts = reading_->Prompts();
    switch (command) {
    case MainCommand::ChangeConfPresentation: ChangePresentation(client, prompts, false); return;
    case MainCommand::ChangeUserPresentation: ChangePresentation(client, prompts, true); return;
    case MainCommand::SetConfMotd: ChangeNotice(client, prompts, false); return;
    case MainCommand::SetUserMotd: ChangeNotice(client, prompts, true); return;
    case MainCommand::RemoveConfMotd: RemoveNotice(client, prompts, false); return;
    case MainCommand::RemoveUserMotd: RemoveNotice(client, prompts, true); return;
    case MainCommand::TextProperties:
        // The main window's own "Text properties": the text being read.
        OpenTextProperties(reading_->ReadStatus().CurrentText());
        return;
    case MainCommand::ViewMarked: OpenMarkedTexts(); return;
    case MainCommand::FindText: OpenFindText(); return;
    case MainCommand::Settings: OpenSettings(); return;
    case MainCommand::Servers: OpenProfiles(); return;
    case MainCommand::Statistics: OpenStatistics(); return;
    default: return;
    }
}

void AppWindows::CloseSearchAndMarks()
{
    for (auto it = searchAndMarks_.rbegin(); it != searchAndMarks_.rend(); ++it) {
        if (QWidget* window = it->data()) {
            if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget()))
                sub->close();
            else
                window->close();
        }
    }
    searchAndMarks_.clear();
}

void AppWindows::ShowTextInReading(int32_t text)
{
    if (!reading_)
        return;
    reading_->ShowText(text);
    // The text is read there: the window the user looks at must be it, also
    // when the list was a window of its own.
    app_.MainWindow().raise();
    app_.MainWindow().activateWindow();
    ShowReading();
}

void AppWindows::ShowReading()
{
    if (!reading_)
        return;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(reading_->parentWidget())) {
        if (sub->isMinimized())
            sub->showNormal();
        app_.MainWindow().MdiArea()->setActiveSubWindow(sub);
    }
    reading_->setFocus();
}

} // namespace pellar
