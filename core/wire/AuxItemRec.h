// One aux item attached to a text, copied by value.
#pragma once

#include <cstdint>
#include <string>

#include "core/wire/DateTime.h"

namespace pellar {

struct AuxItemRec {
    int32_t auxNo = 0;
    int32_t tag = 0;
    int32_t creator = 0;
    TDateTime createdAt = 0;
    std::string flags; // the bit string as sent, e.g. "00000000"
    int32_t inheritLimit = 0;
    std::string data;
};

} // namespace pellar
