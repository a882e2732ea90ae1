// WritingServices over a running client: its caches, its transaction table
// and its session state.
#pragma once

#include <functional>

#include "core/writing/WritingServices.h"

namespace pellar {

class Client;
class SessionCommands;

class ClientWritingServices : public WritingServices {
public:
    // activity, when given, is the session's change-activity command.
    explicit ClientWritingServices(Client& client, std::function<void(const std::string&)> activity = {});

    // The activity hook that hands keys to the session's change-activity
    // command (by their index in the activity table).
    static std::function<void(const std::string&)> ActivityVia(SessionCommands& commands);

    std::string GetName(int32_t number) override;
    std::shared_ptr<TextStatType> GetTextStat(int32_t text) override;
    void ForgetTextStat(int32_t text) override;
    std::shared_ptr<TMiravoText> GetText(int32_t text) override;
    std::shared_ptr<TMiravoConference> GetConference(int32_t conf) override;
    RequestReply Request(const std::string& label, const WireRequest& request) override;
    int32_t ProtocolVersion() override;
    int32_t CurrentPerson() override;
    WritingServerInfo ServerInfo() override;
    void PostUserMessage(std::string text) override;
    void ChangeActivity(const std::string& key) override;

private:
    Client& client_;
    std::function<void(const std::string&)> activity_;
};

} // namespace pellar
