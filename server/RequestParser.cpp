#include "server/RequestParser.h"

#include <algorithm>
#include <limits>

namespace miravod {

namespace {

bool AllDigits(std::string_view s)
{
    if (s.empty()) return false;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

bool ParseInt32(std::string_view s, int32_t& out)
{
    const bool neg = !s.empty() && s[0] == '-';
    if (neg) s.remove_prefix(1);
    if (!AllDigits(s)) return false;
    int64_t v = 0;
    for (char c : s) {
        v = v * 10 + (c - '0');
        if (v > int64_t{std::numeric_limits<int32_t>::max()} + 1) return false;
    }
    if (neg) v = -v;
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) return false;
    out = static_cast<int32_t>(v);
    return true;
}

} // namespace

bool RequestParser::Fail(const char* why)
{
    failed_ = true;
    error_ = why;
    return false;
}

bool RequestParser::EndToken()
{
    if (token_.empty()) return true;
    if (current_.args.size() >= limits_.maxArgs) return Fail("too many arguments");
    Arg a;
    if (token_ == "{") {
        a.kind = ArgKind::Open;
    } else if (token_ == "}") {
        a.kind = ArgKind::Close;
    } else if (token_ == "*") {
        a.kind = ArgKind::Star;
    } else {
        // Bit strings are digit runs too; they keep their text and may not
        // fit an integer.
        a.kind = ArgKind::Int;
        const bool digits = AllDigits(token_);
        if (!ParseInt32(token_, a.value)) {
            if (!digits || token_.size() > 32) return Fail("bad token");
            a.value = -1;
        }
        a.text = std::move(token_);
    }
    token_.clear();
    current_.args.push_back(std::move(a));
    return true;
}

void RequestParser::Overflow()
{
    current_.requestTooLong = true;
    skipString_ = true;
    for (Arg& a : current_.args) {
        if (a.kind == ArgKind::String) std::string().swap(a.text);
    }
}

bool RequestParser::Feed(std::string_view bytes, const std::function<void(Request&)>& onRequest)
{
    FeedSome(bytes, [&](Request& r) {
        onRequest(r);
        return true;
    });
    return !failed_;
}

size_t RequestParser::FeedSome(std::string_view bytes, const std::function<bool(Request&)>& onRequest)
{
    if (failed_) return 0;
    size_t i = 0;
    while (i < bytes.size()) {
        if (inString_) {
            i += TakeStringBytes(bytes.substr(i));
            continue;
        }
        const char c = bytes[i++];
        if (afterString_) {
            afterString_ = false;
            if (c != ' ' && c != '\n') {
                Fail("string not followed by a separator");
                return i;
            }
        }
        if (c == '\n') {
            if (!EndRequest(onRequest)) return i;
            continue;
        }
        if (++tokenBytes_ > limits_.maxTokenBytes) {
            Fail("request line too long");
            return i;
        }
        if (c == ' ') {
            if (!EndToken()) return i;
            continue;
        }
        if (c == 'H' && AllDigits(token_)) {
            if (!StartString()) return i;
            continue;
        }
        const bool tokenChar = (c >= '0' && c <= '9') || c == '-' || c == '{' || c == '}' || c == '*';
        if (!tokenChar || token_.size() >= 40) {
            Fail("bad character in request");
            return i;
        }
        token_ += c;
    }
    return i;
}

size_t RequestParser::TakeStringBytes(std::string_view bytes)
{
    const uint64_t take = std::min<uint64_t>(stringLeft_, bytes.size());
    if (!skipString_) current_.args.back().text.append(bytes.substr(0, static_cast<size_t>(take)));
    stringLeft_ -= take;
    if (stringLeft_ == 0) {
        inString_ = false;
        afterString_ = true;
    }
    return static_cast<size_t>(take);
}

bool RequestParser::EndRequest(const std::function<bool(Request&)>& onRequest)
{
    if (!EndToken()) return false;
    Request r = std::move(current_);
    current_ = Request{};
    tokenBytes_ = 0;
    requestBytes_ = 0;
    if (r.args.empty()) return true; // an empty line: nothing asked
    if (r.args.size() < 2 || r.args[0].kind != ArgKind::Int || r.args[1].kind != ArgKind::Int ||
        r.args[0].value < 0 || r.args[1].value < 0 || r.args[0].text[0] == '-' || r.args[1].text[0] == '-')
        return Fail("bad request head");
    r.id = r.args[0].value;
    r.number = r.args[1].value;
    r.args.erase(r.args.begin(), r.args.begin() + 2);
    return onRequest(r);
}

bool RequestParser::StartString()
{
    // The token's digits are the string's byte count.
    if (token_.size() > 18) return Fail("string length out of range");
    const uint64_t len = std::stoull(token_);
    token_.clear();
    if (current_.args.size() >= limits_.maxArgs) return Fail("too many arguments");
    current_.args.push_back(Arg{ArgKind::String, 0, {}});
    // The whole length counts at once: nothing over the cap is ever kept.
    const bool tooLongAlone = len > limits_.maxString;
    if (tooLongAlone) {
        current_.stringTooLong = true;
    } else if (!current_.requestTooLong) {
        const size_t used = requestBytes_ + tokenBytes_;
        if (used > limits_.maxRequestBytes || len > limits_.maxRequestBytes - used) {
            Overflow();
        } else {
            requestBytes_ += static_cast<size_t>(len);
        }
    }
    skipString_ = tooLongAlone || current_.requestTooLong;
    stringLeft_ = len;
    if (len == 0) {
        afterString_ = true;
    } else {
        inString_ = true;
    }
    return true;
}

bool ArgReader::Int(int32_t& out)
{
    if (pos_ >= args_.size() || args_[pos_].kind != ArgKind::Int) return false;
    const Arg& a = args_[pos_];
    // Reject digit runs that did not fit 32 bits.
    if (a.value == -1 && a.text != "-1") return false;
    out = a.value;
    ++pos_;
    return true;
}

bool ArgReader::String(std::string& out)
{
    if (pos_ >= args_.size() || args_[pos_].kind != ArgKind::String) return false;
    out = args_[pos_++].text;
    return true;
}

bool ArgReader::Bits(std::string& out)
{
    if (pos_ >= args_.size() || args_[pos_].kind != ArgKind::Int) return false;
    const std::string& t = args_[pos_].text;
    if (t.empty() || t.size() > 32) return false;
    for (char c : t) {
        if (c != '0' && c != '1') return false;
    }
    out = t;
    ++pos_;
    return true;
}

bool ArgReader::OpenArray(size_t& count)
{
    int32_t n = 0;
    if (!Int(n) || n < 0 || pos_ >= args_.size()) return false;
    count = static_cast<size_t>(n);
    const ArgKind k = args_[pos_].kind;
    if (k == ArgKind::Star) {
        if (n != 0) return false;
        starForm_ = true;
        ++pos_;
        return true;
    }
    if (k != ArgKind::Open) return false;
    // No element count beyond what the request actually holds.
    if (count > args_.size() - pos_) return false;
    starForm_ = false;
    ++pos_;
    return true;
}

bool ArgReader::CloseArray(size_t /*count*/)
{
    if (starForm_) {
        starForm_ = false;
        return true;
    }
    if (pos_ >= args_.size() || args_[pos_].kind != ArgKind::Close) return false;
    ++pos_;
    return true;
}

bool ArgReader::IntArray(std::vector<int32_t>& out, size_t maxCount)
{
    size_t n = 0;
    if (!OpenArray(n) || n > maxCount) return false;
    out.clear();
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        int32_t v = 0;
        if (!Int(v)) return false;
        out.push_back(v);
    }
    return CloseArray(n);
}

} // namespace miravod
