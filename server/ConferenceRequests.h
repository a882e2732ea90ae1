// Requests about conferences and memberships: create, delete, rename,
// change type, supervisor, super conference, presentation and notice; join,
// leave, priorities; statuses, text maps, read lists and unread conferences.
#pragma once

#include <optional>
#include <string>

#include "server/HandlerContext.h"

namespace miravod {

class ConferenceRequests {
public:
    explicit ConferenceRequests(HandlerContext& ctx) : ctx_(ctx) {}
    std::optional<std::string> Handle(Session& s, const Request& r);

private:
    std::string ChangeName(Session& s, const Request& r);
    std::string Create(Session& s, const Request& r);
    std::string Delete(Session& s, const Request& r);
    std::string AddMember(Session& s, const Request& r);
    std::string RemoveMember(Session& s, const Request& r);
    std::string SetTextField(Session& s, const Request& r);
    std::string SetConfField(Session& s, const Request& r);
    std::string SetType(Session& s, const Request& r);
    std::string QueryReadTexts(Session& s, const Request& r);
    std::string GetMembership(Session& s, const Request& r);
    std::string ConfStat(Session& s, const Request& r);
    std::string UnreadConfs(Session& s, const Request& r);
    std::string MarkAsRead(Session& s, const Request& r);
    std::string SetUnread(Session& s, const Request& r);
    std::string TextMap(Session& s, const Request& r);

    HandlerContext& ctx_;
};

} // namespace miravod
