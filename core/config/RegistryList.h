// A list of strings kept in the registry: under a key and a value prefix,
// prefix + "Count" (a number value) holds the item count and prefix + "1",
// prefix + "2", ... (strings) hold the items. The shortcut map is stored so.
#pragma once

#include "core/config/RegistryBackend.h"

#include <string>
#include <string_view>
#include <vector>

namespace pellar {

// Items longer than this end the reading, as they would overflow the
// reader's buffer in other clients of the same store.
inline constexpr std::size_t kMaxRegistryListItem = 1024;

inline constexpr char kRegistryListCountFormatError[] = "TRegistryToStringList. Count format error!";

// Reads the list, creating the key if it is missing. Reading stops quietly
// at the first problem (no count, a count that is not a number, a missing or
// overlong item) with what was read so far; error, if given, receives the
// count format error text when the count is not a number.
std::vector<std::string> ReadRegistryList(RegistryBackend& backend, std::string_view keyPath, std::string_view prefix,
                                          std::string* error = nullptr);

// Writes the count and items 1 to N, then removes the items beyond N that an
// earlier, longer list left, so that no stale entry survives a shrink.
bool WriteRegistryList(RegistryBackend& backend, std::string_view keyPath, std::string_view prefix,
                       const std::vector<std::string>& items);

} // namespace pellar
