// The writing windows' session port over a running client.
#pragma once

#include "core/writing/WritingSession.h"

namespace pellar {

class Client;

class ClientWritingSession : public WritingSession {
public:
    explicit ClientWritingSession(Client& client) : client_(client) {}

    bool IsConnected() override;
    int32_t CurrentPerson() override;
    void PostUserMessage(const std::string& line) override;
    TMiravoConfiguration& Config() override;
    DraftPlace Here() override;
    std::unique_ptr<WritingServices> Services(std::function<void(const std::string&)> activity) override;
    std::unique_ptr<MessageSending> Sending(std::unique_ptr<CancellableGuiThread> gui) override;

private:
    Client& client_;
};

} // namespace pellar
