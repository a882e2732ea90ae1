// The text-properties window's model: the recipients, carbon copies and
// comment and footnote links of one existing text, its aux items, and the
// requests that add and remove links on the server.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/wire/RequestCatalogue.h"

namespace pellar {

class WritingServices;

struct RcptEditorRow {
    std::string number;  // "#" / "Text #"
    std::string name;    // "Name" / "By"

    bool operator==(const RcptEditorRow&) const = default;
};

struct AuxEditorRow {
    std::string id, tag, creator, data;
};

class TextRcptEditor {
public:
    TextRcptEditor(WritingServices& services, int32_t text);

    // On show: false when the window should close at once (no such text).
    bool Show();
    // Reads the text's status anew into the four lists and the caption;
    // false when the status cannot be had.
    bool FillReferences();
    void FillAuxItems();

    const std::string& Caption() const { return caption_; }
    const std::vector<RcptEditorRow>& Recipients() const { return recipients_; }
    const std::vector<RcptEditorRow>& CarbonCopies() const { return carbonCopies_; }
    const std::vector<RcptEditorRow>& CommentTo() const { return commentTo_; }
    const std::vector<RcptEditorRow>& FootnoteTo() const { return footnoteTo_; }
    const std::vector<AuxEditorRow>& AuxItems() const { return aux_; }

    // Whether an add button is enabled for its entry's text.
    static bool CanAdd(std::string_view entry) { return !entry.empty(); }
    // Whether a remove button is enabled for the selected row's number
    // (none selected: null).
    static bool CanRemove(const std::string* selectedNumber);

    // Each returns true when the server accepted the change (the lists are
    // then filled anew). conf is what the name entry resolved (0 or less:
    // nothing); textEntry is the "Text nr:" field; rowNumber the selected
    // row's "#".
    bool AddRecipient(int32_t conf, bool carbonCopy);
    bool RemoveRecipient(const std::string& rowNumber);
    bool AddLink(const std::string& textEntry, bool footnote);
    bool RemoveLink(const std::string& rowNumber, bool footnote);

private:
    // otherText: the linked text, whose status changes too (0 for none).
    bool Change(const std::string& label, const WireRequest& request, int32_t otherText = 0);
    std::string AuthorNameOf(int32_t text);

    WritingServices& services_;
    int32_t text_;
    std::string caption_ = "Text properties";
    std::vector<RcptEditorRow> recipients_, carbonCopies_, commentTo_, footnoteTo_;
    std::vector<AuxEditorRow> aux_;
};

} // namespace pellar
