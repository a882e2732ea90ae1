#include "core/link/UserMessageQueue.h"

namespace pellar {

void UserMessageQueue::PostUserMessage(std::string text)
{
    if (!text.empty())
        list_.Add(std::move(text));
}

bool UserMessageQueue::Pop(std::string& text)
{
    return list_.Pop(text);
}

int UserMessageQueue::Count()
{
    return list_.Count();
}

} // namespace pellar
