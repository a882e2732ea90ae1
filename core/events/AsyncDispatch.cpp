#include "core/events/AsyncDispatch.h"

#include "core/base/CancellableGuiThread.h"
#include "core/events/TAsyncMsgThread.h"
#include "core/reading/ClientReadingServices.h"

namespace pellar {

AsyncDispatch::AsyncDispatch(Client& client, std::unique_ptr<CancellableGuiThread> gui)
    : gui_(std::move(gui)), reading_(std::make_unique<ClientReadingServices>(client)),
      thread_(std::make_unique<TAsyncMsgThread>(client, *gui_, relay_, *reading_))
{
    thread_->Start();
}

AsyncDispatch::~AsyncDispatch()
{
    Stop();
}

void AsyncDispatch::SetEnabled(bool on)
{
    thread_->SetEnabled(on);
}

void AsyncDispatch::Stop()
{
    // Release a hand-over in flight, then end the thread that made it.
    gui_->Cancel();
    thread_->Stop();
}

void AsyncDispatch::Relay::DeliverMessage(const IncomingMessage& message)
{
    if (target)
        target->DeliverMessage(message);
}

void AsyncDispatch::Relay::AddSession(int32_t person, int32_t session, const std::string& personName,
                                      const std::string& client, const std::string& account,
                                      const std::string& host, const std::string& ident)
{
    if (target)
        target->AddSession(person, session, personName, client, account, host, ident);
}

void AsyncDispatch::Relay::RemoveSession(int32_t person, int32_t session, const std::string& personName)
{
    if (target)
        target->RemoveSession(person, session, personName);
}

void AsyncDispatch::Relay::UpdatePresence(const std::string& personName, const std::string& confName,
                                          int32_t session, const std::string& doing, const std::string& userName)
{
    if (target)
        target->UpdatePresence(personName, confName, session, doing, userName);
}

void AsyncDispatch::Relay::ShowTray(TrayAlert state)
{
    if (target)
        target->ShowTray(state);
}

void AsyncDispatch::Relay::Notify(const AlertNotice& notice)
{
    if (target)
        target->Notify(notice);
}

void AsyncDispatch::LogonFailed(const std::string& notice)
{
    relay_.SetStatusText(notice);
}

void AsyncDispatch::Relay::SetStatusText(const std::string& text)
{
    if (target)
        target->SetStatusText(text);
}

void AsyncDispatch::Relay::BringToFront()
{
    if (target)
        target->BringToFront();
}

void AsyncDispatch::Relay::Beep()
{
    if (target)
        target->Beep();
}

void AsyncDispatch::Relay::RefreshConferenceList()
{
    if (target)
        target->RefreshConferenceList();
}

void AsyncDispatch::Relay::MessagesDropped(const std::string& notice)
{
    if (target)
        target->MessagesDropped(notice);
}

} // namespace pellar
