// What composing, submitting and link editing need from the session: cached
// names, statuses, texts and conferences, built requests, and the
// session's state. ClientWritingServices is the real one; tests script it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/link/MVTransaction.h"
#include "core/session/TextSource.h"

namespace pellar {

class TextStatType;
class TMiravoConference;
class TMiravoText;

struct RequestReply {
    bool ok = false;
    std::string line;  // the reply's values after the id (success only)
};

// The server-information numbers that openers need.
struct WritingServerInfo {
    int32_t confPresentationConf = 0;
    int32_t personPresentationConf = 0;
    int32_t motdConf = 0;
};

// Names, statuses and texts come through the TextSource part.
class WritingServices : public TextSource {
public:
    // The status is stale: the next look-up asks the server.
    virtual void ForgetTextStat(int32_t text) = 0;
    // Null when the conference is unknown to the server.
    virtual std::shared_ptr<TMiravoConference> GetConference(int32_t conf) = 0;

    // Sends the request and waits for the reply or link loss. label names
    // the request in messages.
    virtual RequestReply Request(const std::string& label, const WireRequest& request) = 0;

    virtual int32_t ProtocolVersion() = 0;
    virtual int32_t CurrentPerson() = 0;
    virtual WritingServerInfo ServerInfo() = 0;
    virtual void PostUserMessage(std::string text) = 0;
    // The user's activity by key ("add", "wait", "write", "writecomment").
    virtual void ChangeActivity(const std::string& key) = 0;
};

} // namespace pellar
