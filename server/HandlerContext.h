// What every request handler shares: the state, the sessions, the notices,
// the server's configuration, and the reply and validation helpers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "server/AsyncDelivery.h"
#include "server/LogonThrottle.h"
#include "server/RequestParser.h"
#include "server/SessionTable.h"
#include "server/Store.h"
#include "server/TokenBucket.h"

namespace miravod {

// The error codes clients know.
enum Err : int {
    kNotImplemented = 2,
    kWrongPassword = 4,
    kStringTooLong = 5,
    kNotLoggedIn = 6,
    kUndefinedConf = 9,
    kUndefinedPerson = 10,
    kAccessDenied = 11,
    kPermissionDenied = 12,
    kNotMember = 13,
    kNoSuchText = 14,
    kNoSuchLocalText = 16,
    kLocalTextZero = 17,
    kBadName = 18,
    kIndexOutOfRange = 19,
    kConfExists = 20,
    kLetterboxFlag = 23,
    kIllegalMisc = 25,
    kAlreadyRecipient = 27,
    kAlreadyComment = 28,
    kAlreadyFootnote = 29,
    kNotRecipient = 30,
    kNotComment = 31,
    kNotFootnote = 32,
    kNotAuthor = 37,
    kNoSuchSession = 42,
    kNotMarked = 44,
    kTemporaryFailure = 45,
    kArrayTooBig = 46,
    kAnonymousRefused = 47,
};

struct DispatchConfig {
    bool oldProtocol = false;
    size_t maxTextBytes = 1 << 20;
    int passwordIterations = 100000;
    ThrottleConfig throttle;
    // Messages one session may send; over the rate they are refused with a
    // temporary failure.
    Rate messageRate{20, 100};
    Rate broadcastRate{2, 10};
};

struct HandlerContext {
    Store& store;
    SessionTable& sessions;
    AsyncDelivery& async;
    LogonThrottle& throttle;
    DispatchConfig cfg;

    static std::string Ok(int32_t id);
    static std::string Ok(int32_t id, std::string_view body);
    static std::string Fail(int32_t id, int code, int32_t status = 0);
    // Arguments that fit no form of the request: that form is not implemented.
    static std::string BadArgs(const Request& r) { return Fail(r.id, kNotImplemented); }

    TDateTime Now() const;
    bool Admin(const Session& s) const;
    // A name clients can read back line by line: not empty, no LF or CR.
    static bool ValidName(std::string_view name);
    // Visible conference, or the error to give.
    int ConfError(const Session& s, int32_t conf) const;
    // A text the session may read, or null.
    const Text* ReadableText(const Session& s, int32_t text) const;
    bool MaySupervise(const Session& s, int32_t conf) const;
};

} // namespace miravod
