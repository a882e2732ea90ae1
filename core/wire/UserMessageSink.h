// Where core code tells the user something without a window of its own. The
// first character of the text is its kind: "!" an error, "i" information.
#pragma once

#include <string>

namespace pellar {

class UserMessageSink
{
public:
    virtual ~UserMessageSink() = default;
    virtual void PostUserMessage(std::string text) = 0;
};

} // namespace pellar
