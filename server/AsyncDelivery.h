// Asynchronous messages: who gets which, in which form. Messages caused by a
// request are held until that request's reply has gone out, so a session
// always sees its reply before the notices the request caused.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "server/Model.h"

namespace miravod {

class Store;
class SessionTable;
struct Session;

class AsyncDelivery {
public:
    AsyncDelivery(const Store& store, SessionTable& sessions, bool oldProtocol)
        : store_(store), sessions_(sessions), oldProtocol_(oldProtocol)
    {
    }

    void NewText(const Text& text);
    void NameChanged(int32_t number, const std::string& oldName, const std::string& newName);
    void Presence(const Session& s);
    void Synchronising();
    void LoggedOn(const Session& s);
    void LoggedOff(int32_t person, int32_t session, bool invisible);
    // Recipient 0 is everyone; a person reaches their sessions, a
    // conference its members' sessions. The sending session is left out.
    void Message(int32_t recipient, int32_t sender, int32_t senderSession, const std::string& text);

    void Flush();
    // Notices not yet flushed, and dropping those queued after a count of
    // them: a request whose changes were not stored announces nothing.
    size_t Queued() const { return pending_.size(); }
    void DropFrom(size_t count)
    {
        if (count < pending_.size()) pending_.resize(count);
    }

private:
    void Queue(const Session& s, std::string bytes);

    const Store& store_;
    SessionTable& sessions_;
    bool oldProtocol_;
    std::vector<std::pair<int32_t, std::string>> pending_;
};

} // namespace miravod
