// The wire forms of the records the server sends, written exactly as the
// client's parsers read them.
#pragma once

#include <string>
#include <vector>

#include "server/Model.h"

namespace miravod {

std::string WireTime(TDateTime t);
std::string WireString(std::string_view s);
// creation time, author, lines, characters, marks, misc-info array.
std::string WireTextStat(const Text& t);
// count and aux items ("0 *" when none).
std::string WireAuxList(const Text& t);
// last time read, conference, priority, last read, read-texts array.
std::string WireMembership(const Membership& m, bool withReadTexts);
std::string WireConfStat(const Conference& c);
std::string WireConfStatShort(const Conference& c);
// "n { a b c }" or "0 *".
std::string WireIntArray(const std::vector<int32_t>& v);
// ":" count type fields LF
std::string WireAsync(AsyncNumber type, int fieldCount, const std::string& fields);

} // namespace miravod
