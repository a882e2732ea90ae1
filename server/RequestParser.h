// Incremental, strict reader of request bytes. Each request is an id, a
// request number and arguments (integers, bit strings, Hollerith strings,
// "{", "}", "*") separated by blanks and ended by LF; strings may hold LF.
// Anything else is a protocol violation and ends the link. Memory stays
// proportional to the bytes of the request being read, and never exceeds
// the request's total cap: past it, strings are dropped and the request is
// refused when its LF comes, so the stream stays in step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace miravod {

enum class ArgKind { Int, String, Open, Close, Star };

struct Arg {
    ArgKind kind = ArgKind::Int;
    int32_t value = 0;   // Int only
    std::string text;    // the digits of an Int (bit strings), the bytes of a String
};

struct Request {
    int32_t id = 0;
    int32_t number = 0;
    std::vector<Arg> args;
    bool stringTooLong = false; // a string over the limit was skipped, not kept
    bool requestTooLong = false; // the request's total went over the cap; its strings were dropped
};

class RequestParser {
public:
    struct Limits {
        size_t maxString = 1 << 20;   // longer strings are skipped and refused
        size_t maxTokenBytes = 65536; // bytes outside strings in one request
        size_t maxArgs = 16384;
        size_t maxRequestBytes = 4u << 20; // all bytes of one request, strings included
    };

    explicit RequestParser(Limits limits) : limits_(limits) {}

    // Consumes all bytes, calling onRequest for each complete request.
    // Returns false on a protocol violation; the parser is then dead.
    bool Feed(std::string_view bytes, const std::function<void(Request&)>& onRequest);
    // Consumes bytes until onRequest returns false (after that request) or
    // the bytes run out; returns how many were consumed. Check Failed().
    size_t FeedSome(std::string_view bytes, const std::function<bool(Request&)>& onRequest);
    // Applies from the request being read on (a session may send more once
    // it has logged on).
    void SetMaxRequestBytes(size_t n) { limits_.maxRequestBytes = n; }
    bool Failed() const { return failed_; }
    const std::string& Error() const { return error_; }

private:
    bool Fail(const char* why);
    bool EndToken();
    // Takes what the current string still needs from the front of bytes;
    // returns how many bytes that was.
    size_t TakeStringBytes(std::string_view bytes);
    // At the LF that ends a request: hands the request on. False when
    // reading stops here: a bad request (Failed()) or the handler's pause.
    bool EndRequest(const std::function<bool(Request&)>& onRequest);
    // At "<digits>H": begins a Hollerith string of that many bytes. False
    // on a protocol violation.
    bool StartString();
    // Drops what the request holds once it is over its total.
    void Overflow();

    Limits limits_;
    Request current_;
    std::string token_;
    size_t tokenBytes_ = 0;
    size_t requestBytes_ = 0;    // string bytes kept for the current request
    uint64_t stringLeft_ = 0;    // bytes still to take into the current string
    bool inString_ = false;
    bool skipString_ = false;    // the current string is too long: drop its bytes
    bool afterString_ = false;   // a string just ended: a separator must follow
    bool failed_ = false;
    std::string error_;
};

// Strict typed reading of a request's arguments.
class ArgReader {
public:
    explicit ArgReader(const Request& r) : args_(r.args) {}

    bool Int(int32_t& out);
    bool String(std::string& out);
    // A run of "0" and "1" of 1 to 32 characters, sent as a bare token.
    bool Bits(std::string& out);
    // "n { ... }" or "0 *"; reports n and leaves the cursor on the first element.
    bool OpenArray(size_t& count);
    bool CloseArray(size_t count);
    bool IntArray(std::vector<int32_t>& out, size_t maxCount);
    bool AtEnd() const { return pos_ == args_.size(); }

private:
    const std::vector<Arg>& args_;
    size_t pos_ = 0;
    bool starForm_ = false;
};

} // namespace miravod
