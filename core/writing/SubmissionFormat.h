// The pieces of the create-text request: the text itself, the misc-info list
// built from the link rows and the aux-item list built from the check marks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pellar {

class LinkList;

struct AuxChecks {
    bool readConfirmation = false;  // tag 6
    bool noComments = false;        // tag 4
    bool personalComments = false;  // tag 5
};

class SubmissionFormat {
public:
    static constexpr int kMaxMiscPairs = 50;

    // "%d { %s }": the pair count, then tag and number of every recipient,
    // carbon copy, comment and footnote row in display order. None when more
    // than kMaxMiscPairs pairs would be needed.
    static std::optional<std::string> MiscInfoList(const LinkList& rows);
    // "%d { ... }": the client item (tag 15) first, then one empty item per
    // check mark.
    static std::string AuxItemList(const AuxChecks& checks);
    // "Pellar <major>.<minor>", the data of the client item.
    static std::string ClientItemData();
    // Subject, "\r\n" and body; no carriage returns; no trailing line feeds.
    static std::string BuildText(std::string_view subject, std::string_view body);
    // The new text's number from a create reply; 0 when it has none.
    static int32_t NewTextNumber(std::string_view replyLine);
};

} // namespace pellar
