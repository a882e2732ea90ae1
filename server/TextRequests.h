// Requests about texts: bodies and statuses, creating and deleting texts,
// recipients and comment and footnote links, marks and aux items.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "server/HandlerContext.h"

namespace miravod {

class TextRequests {
public:
    explicit TextRequests(HandlerContext& ctx) : ctx_(ctx) {}
    std::optional<std::string> Handle(Session& s, const Request& r);

private:
    std::string GetText(Session& s, const Request& r);
    std::string GetTextStat(Session& s, const Request& r);
    std::string CreateText(Session& s, const Request& r);
    std::string DeleteText(Session& s, const Request& r);
    std::string AddRecipient(Session& s, const Request& r);
    std::string RemoveRecipient(Session& s, const Request& r);
    std::string AddLink(Session& s, const Request& r);
    std::string RemoveLink(Session& s, const Request& r);
    std::string Mark(Session& s, const Request& r);
    std::string Unmark(Session& s, const Request& r);
    std::string GetMarks(Session& s, const Request& r);
    std::string ModifyAux(Session& s, const Request& r);

    // Reads an aux-item list; an error code on refusal, 0 when fine.
    int ReadAuxItems(ArgReader& a, std::vector<AuxItem>& out, bool& malformed);
    // Non-zero (the error) when a reader's items on someone else's text would
    // pass the count or size they may have there.
    static int ForeignAuxError(int32_t creator, const Text& t, const std::vector<int32_t>& remove,
                               const std::vector<AuxItem>& add);
    int MayWriteTo(const Session& s, int32_t conf) const;
    // True when following comment-to (or footnote-to) links up from `from`
    // reaches `target`.
    bool LinkReaches(int32_t from, int32_t target, MiscKind kind) const;

    HandlerContext& ctx_;
};

} // namespace miravod
