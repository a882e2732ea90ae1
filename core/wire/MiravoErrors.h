// The protocol's fixed vocabulary: the server's error texts by code, and the
// base exception of protocol-level failures.
#pragma once

#include <array>
#include <stdexcept>

namespace pellar {

struct MiravoErrorMsgType {
    const char* text;
    int code;
};
extern const std::array<MiravoErrorMsgType, 47> MiravoErrorMsgs;

// Text of the first row with the code; nullptr when there is none.
const char* MiravoErrorText(int code);

class MiravoException : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace pellar
