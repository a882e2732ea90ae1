// Parsers from reply lines into the records. Each reads from line at pos with
// the wire-token readers and never beyond the line; a list is bounded by the
// bytes that arrived, whatever count it announces. A malformed misc-info
// sequence throws MiravoException and leaves the target record unchanged.
// The list parsers return false when a list ended before its count (the
// record keeps what arrived); a request's reply then counts as malformed.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "core/wire/TMiravoConferenceBase.h"
#include "core/wire/TMiravoMembership.h"
#include "core/wire/TextStatType.h"

namespace pellar {

// Header and misc-info list; replaces the header and the misc-info list of into.
bool ParseTextStat(std::string_view line, size_t& pos, TextStatType& into);
// The aux-item list that follows the text status in the newer reply form;
// replaces the aux items of into.
bool ParseAuxItemList(std::string_view line, size_t& pos, TextStatType& into);
// One membership element.
bool ParseMembership(std::string_view line, size_t& pos, TMiravoMembership& into);
// A count, the opening token and that many membership elements, each appended
// to into as a new record with the given services.
bool ParseMembershipList(std::string_view line, size_t& pos, std::vector<std::shared_ptr<TMiravoMembership>>& into,
                         RecordServices* services);
void ParseConfStatFull(std::string_view line, size_t& pos, TMiravoConferenceBase& into);
void ParseConfStatShort(std::string_view line, size_t& pos, TMiravoConferenceBase& into);

} // namespace pellar
