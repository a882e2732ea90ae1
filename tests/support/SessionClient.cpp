#include "support/SessionClient.h"

#include "core/link/MVTransaction.h"
#include "core/wire/RequestCatalogue.h"
#include "core/wire/WireTokens.h"
#include "core/writing/SubmissionFormat.h"

namespace pellar::test {

LogonOptions QuickLogon()
{
    LogonOptions o;
    o.greetingTimeout = std::chrono::milliseconds(5000);
    return o;
}

SessionClient::SessionClient(LogonOptions logonOptions, ClientOptions clientOptions)
    : client(std::move(clientOptions)), commands(client, ui), logon(client, ui, commands, logonOptions)
{
}

SessionClient::SessionClient(int port, const std::string& user) : SessionClient()
{
    ui.login = LoginChoice{"127.0.0.1", std::to_string(port), user, kDemoPassword, ""};
}

bool SessionClient::LogOn(const std::string& port, const std::string& user, const std::string& password)
{
    ui.login = LoginChoice{"127.0.0.1", port, user, password, ""};
    return logon.LogOn();
}

std::vector<std::string> SessionClient::Messages()
{
    std::vector<std::string> all;
    std::string text;
    while (client.UserMessages().Pop(text))
        all.push_back(text);
    return all;
}

const std::vector<std::string>& SessionClient::Received()
{
    // An asynchronous message line: its number of parameters, its kind (12
    // is a message sent to us), recipient, sender, then the text.
    std::string line;
    while (client.AsyncMessages().Pop(line)) {
        size_t pos = 0;
        ReadInt(line, pos);
        if (ReadInt(line, pos) != 12)
            continue;
        ReadInt(line, pos);
        ReadInt(line, pos);
        received_.push_back(ReadHollerith(line, pos));
    }
    return received_;
}

void SessionClient::ForgetReceived()
{
    Received();
    received_.clear();
}

bool SessionClient::Send(int32_t recipient, const std::string& text)
{
    TGenericTrans send(client.Protocol(), "Send message", requests::SendMessage(recipient, text));
    return client.Transactions().ExecuteAndWait(send);
}

int32_t SessionClient::CreateText(int32_t conf, const std::string& subject, const std::string& body)
{
    const std::string misc = "1 { 0 " + std::to_string(conf) + " }";
    TGenericTrans request(client.Protocol(), "Submit text",
                          requests::CreateText(SubmissionFormat::BuildText(subject, body), misc, "0 { }"));
    if (!client.Transactions().ExecuteAndWait(request))
        return 0;
    return SubmissionFormat::NewTextNumber(request.ReplyLine());
}

} // namespace pellar::test

namespace pellar::test {

DemoSession::~DemoSession()
{
    if (loggedOn_)
        logon.LogOff();
}

bool DemoSession::Start(std::string* why, WireCharset charset)
{
    server = StartQuickDemoServer(why, charset);
    if (!server)
        return false;
    loggedOn_ = LogOn(std::to_string(server->Port()));
    if (!loggedOn_)
        *why = "logon failed";
    return loggedOn_;
}

} // namespace pellar::test
