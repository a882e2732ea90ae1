#include "core/events/TLogOnOffThread.h"

#include "core/events/ActiveUsersTable.h"
#include "core/events/EventPorts.h"
#include "core/link/MVRequests.h"
#include "core/wire/WireTokens.h"
#include "core/session/Client.h"
#include "core/base/GuiThread.h"

namespace pellar {

TLogOnOffThread::TLogOnOffThread(Client& client, GuiThread& gui, EventPorts& ports, int32_t person,
                                 int32_t session, bool loggedIn)
    : client_(client), gui_(gui), ports_(ports), person_(person), session_(session), loggedIn_(loggedIn)
{
}

TLogOnOffThread::~TLogOnOffThread()
{
    if (thread_.joinable())
        thread_.join();
}

void TLogOnOffThread::Start()
{
    thread_ = std::thread([this] { Run(); });
}

void TLogOnOffThread::Run()
{
    personName = client_.Cache().GetName(person_);
    if (loggedIn_) {
        // The client description needs the whole session record; account,
        // host and ident come from a request of their own, so a server that
        // keeps the client's name or version to itself still fills them.
        if (auto info = client_.Cache().GetSessionInfo(session_))
            client = ClientDescription(info->clientName, info->clientVersion);
        TGenericTrans details(client_.Protocol(), "Get static session info", requests::GetStaticSessionInfo(session_));
        details.SetShowErrors(false);
        if (client_.Transactions().ExecuteAndWait(details)) {
            StaticSessionInfoRec fixed = ParseStaticSessionInfo(details.ReplyLine());
            account = std::move(fixed.account);
            host = std::move(fixed.host);
            ident = std::move(fixed.ident);
        }
        gui_.invokeAndWait([&] { ports_.AddSession(person_, session_, personName, client, account, host, ident); });
    } else {
        gui_.invokeAndWait([&] { ports_.RemoveSession(person_, session_, personName); });
    }
    statusText = personName + (loggedIn_ ? " logged in." : " logged off.");
    gui_.invokeAndWait([&] { ports_.SetStatusText(statusText); });
    finished_ = true;
}

} // namespace pellar
