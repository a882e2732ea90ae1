// The user-message queue: any thread posts a text whose first character is its
// kind ("!" error, "i" information); the asynchronous-message thread shows them.
#pragma once

#include <string>

#include "core/link/TAsyncList.h"
#include "core/wire/UserMessageSink.h"

namespace pellar {

class UserMessageQueue : public UserMessageSink {
public:
    void PostUserMessage(std::string text) override;
    // The oldest message, kind character included; false when none is queued.
    bool Pop(std::string& text);
    int Count();
    TAsyncList& List() { return list_; }

private:
    TAsyncList list_;
};

} // namespace pellar
