#include "core/writing/TextRcptEditor.h"

#include <charconv>
#include <optional>

#include "core/wire/TextStatType.h"
#include "core/writing/WritingServices.h"

namespace pellar {

namespace {

std::optional<int32_t> ParseNumber(std::string_view s)
{
    int32_t n = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    return n;
}

// A positive number, or 0.
int32_t PositiveOrZero(std::string_view s)
{
    const auto n = ParseNumber(s);
    return n && *n > 0 ? *n : 0;
}

} // namespace

TextRcptEditor::TextRcptEditor(WritingServices& services, int32_t text) : services_(services), text_(text) {}

bool TextRcptEditor::CanRemove(const std::string* selectedNumber)
{
    return selectedNumber && PositiveOrZero(*selectedNumber) > 0;
}

bool TextRcptEditor::Show()
{
    if (text_ < 1 || !FillReferences())
        return false;
    FillAuxItems();
    return true;
}

std::string TextRcptEditor::AuthorNameOf(int32_t text)
{
    auto stat = services_.GetTextStat(text);
    return stat ? services_.GetName(stat->Author()) : std::string();
}

bool TextRcptEditor::FillReferences()
{
    auto stat = services_.GetTextStat(text_);
    if (!stat)
        return false;
    recipients_.clear();
    carbonCopies_.clear();
    commentTo_.clear();
    footnoteTo_.clear();
    const int32_t author = stat->Author();
    caption_ = "Text properties for text " + std::to_string(text_) + " by [" + std::to_string(author) + "] " +
               services_.GetName(author);
    for (const auto& item : stat->MiscInfos()) {
        if (const auto* cc = dynamic_cast<const TMiscInfoCC*>(item.get())) {
            carbonCopies_.push_back({std::to_string(cc->confNo), services_.GetName(cc->confNo)});
        } else if (const auto* rcpt = dynamic_cast<const TMiscInfoRcpt*>(item.get())) {
            recipients_.push_back({std::to_string(rcpt->confNo), services_.GetName(rcpt->confNo)});
        } else if (const auto* comm = dynamic_cast<const TMiscInfoCommTo*>(item.get())) {
            commentTo_.push_back({std::to_string(comm->textNo), AuthorNameOf(comm->textNo)});
        } else if (const auto* foot = dynamic_cast<const TMiscInfoFootTo*>(item.get())) {
            footnoteTo_.push_back({std::to_string(foot->textNo), AuthorNameOf(foot->textNo)});
        }
    }
    return true;
}

void TextRcptEditor::FillAuxItems()
{
    aux_.clear();
    auto stat = services_.GetTextStat(text_);
    if (!stat)
        return;
    for (const auto& item : stat->AuxItems()) {
        aux_.push_back({std::to_string(item.auxNo), std::to_string(item.tag),
                        "[" + std::to_string(item.creator) + "] " + services_.GetName(item.creator), item.data});
    }
}

bool TextRcptEditor::Change(const std::string& label, const WireRequest& request, int32_t otherText)
{
    if (!services_.Request(label, request).ok)
        return false;
    services_.ForgetTextStat(text_);
    // A link changes the other text's status too (its comment-in list).
    if (otherText > 0)
        services_.ForgetTextStat(otherText);
    FillReferences();
    return true;
}

bool TextRcptEditor::AddRecipient(int32_t conf, bool carbonCopy)
{
    if (conf <= 0) {
        services_.PostUserMessage("!Invalid conference or user");
        return false;
    }
    return Change(carbonCopy ? "Add CC recipient" : "Add recipient",
                  requests::AddRecipient(text_, conf, carbonCopy ? 1 : 0));
}

bool TextRcptEditor::RemoveRecipient(const std::string& rowNumber)
{
    const int32_t conf = PositiveOrZero(rowNumber);
    return conf > 0 && Change("Remove recipient", requests::SubRecipient(text_, conf));
}

bool TextRcptEditor::AddLink(const std::string& textEntry, bool footnote)
{
    const int32_t other = PositiveOrZero(textEntry);
    if (other <= 0) {
        services_.PostUserMessage("!Invalid text number");
        return false;
    }
    return footnote ? Change("Add footnote to", requests::AddFootnote(text_, other), other)
                    : Change("Add comment", requests::AddComment(text_, other), other);
}

bool TextRcptEditor::RemoveLink(const std::string& rowNumber, bool footnote)
{
    const int32_t other = PositiveOrZero(rowNumber);
    if (other <= 0)
        return false;
    return footnote ? Change("Remove footnote to", requests::SubFootnote(text_, other), other)
                    : Change("Remove comment", requests::SubComment(text_, other), other);
}

} // namespace pellar
