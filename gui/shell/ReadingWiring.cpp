#include "gui/shell/ReadingWiring.h"
#include "gui/common/CoreTexts.h"

#include "core/config/QuickConnect.h"
#include "core/base/LocalUserName.h"
#include "core/reading/ConfListRefresh.h"
#include "core/writing/ClientReadingSession.h"
#include "gui/reading/ConfListView.h"
#include "gui/reading/ReadArticleForm.h"
#include "gui/shell/AppController.h"
#include "gui/shell/MainForm.h"
#include "gui/shell/QtSessionUi.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace pellar {

TReadArticleForm* CreateReadingWindow(AppController& app)
{
    TMainForm& main = app.MainWindow();
    auto* form = new TReadArticleForm(app.ReadingPort(), app.Services());
    form->SetMainForm(&main);
    form->SetSessionCommands(&app.Commands());
    form->SetSessionUi(&app.Ui());

    QtSessionUi& ui = app.Ui();
    QObject::connect(&ui, &QtSessionUi::ShowTextRequested, form, [form](int32_t text) { form->ShowText(text); });
    QObject::connect(&ui, &QtSessionUi::RefreshConferenceListRequested, form, &TReadArticleForm::RefreshConferenceList);
    // The logon's first fill of the list counts its conferences in the
    // logon's box ("Loading conferences: 120 of 1,011").
    QObject::connect(form->ConfListView(), &TConfListView::RefreshProgress, &ui, [&ui](size_t done, size_t total) {
        const int percent = 85 + static_cast<int>(total ? done * 14 / total : 14);
        ui.ShowProgressDetail(CoreText(QString::fromStdString(ConfListProgressText(done, total))), percent);
    });
    QObject::connect(&ui, &QtSessionUi::GoToConferenceRequested, form, &TReadArticleForm::GoToConference);
    QObject::connect(&ui, &QtSessionUi::DropConferenceRequested, form, &TReadArticleForm::DropConference);
    QObject::connect(&ui, &QtSessionUi::WindowSettingsDue, form, &TReadArticleForm::ApplyLayout);
    QObject::connect(&app, &AppController::Connecting, form, &TReadArticleForm::ClearText);
    QObject::connect(&app, &AppController::Connected, form, &TReadArticleForm::OnConnected);
    QObject::connect(&app, &AppController::Disconnecting, form, &TReadArticleForm::OnDisconnecting);
    // The builder stands still while the link is down; Connected resumes it.
    QObject::connect(&app, &AppController::LinkLostKept, form, &TReadArticleForm::OnDisconnecting);
    QObject::connect(&app, &AppController::Disconnected, form, &TReadArticleForm::ClearReading);
    QObject::connect(&app, &AppController::CachesCleared, form, &TReadArticleForm::ClearText);
    QObject::connect(&main, &TMainForm::OnlineChanged, form, &TReadArticleForm::SetOnlineCommands);
    QObject::connect(form, &TReadArticleForm::MainCommandRequested, &app, &AppController::RunCommand);
    QObject::connect(form, &TReadArticleForm::ConnectRequested, &app, [&app] { app.Connect(false, QString()); });
    QObject::connect(form, &TReadArticleForm::DisconnectRequested, &app, &AppController::Disconnect);
    form->SetProfileLister([&app] { return QuickConnectProfiles(app.Settings(), LocalUserName()); });
    // The next tick of the main window's timer connects with it.
    QObject::connect(form, &TReadArticleForm::ProfileConnectRequested, &main,
                     [&main](const QString& profile) { main.SetAutoConnect(true, profile); });

    QMdiSubWindow* sub = main.AddChildWindow(form);
    // The window the user works in most fills the frame.
    sub->showMaximized();
    form->SetOnlineCommands(main.IsOnline());
    return form;
}

} // namespace pellar
