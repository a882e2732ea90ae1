// Questions asked of a text's status through the text-status cache. Both may
// wait for the server when the status is not cached yet.
#pragma once

#include <cstdint>

namespace pellar {

class RecordServices;

// The text's local number in conf, from its first recipient item there; 0 when
// conf < 1, text is 0, the status cannot be had or no recipient matches.
int32_t LocalNumberIn(RecordServices& services, int32_t conf, int32_t text);

// The first aux item that meets every non-zero criterion (aux number, creator,
// tag); its index goes to index. False when none does or the status cannot be had.
bool FindAuxItem(RecordServices& services, int32_t text, int32_t auxNo, int32_t creator, int32_t tag, int& index);

} // namespace pellar
