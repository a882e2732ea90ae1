// What the article pane of the reading window asks of the reading side: the
// link state, the key bindings, the tests behind its context menu, a line for
// the user, and the two text commands of its menu. The pane gets this port,
// not the client: the commands run off the GUI thread, so the pane never
// waits on the server for them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pellar {

class ContextWordSource;

class ArticlePanePort {
public:
    virtual ~ArticlePanePort() = default;
    virtual bool IsConnected() = 0;
    // The current key bindings ("keys=command" items).
    virtual std::vector<std::string> Shortcuts() = 0;
    // Decides the context menu's number tests.
    virtual ContextWordSource& Words() = 0;
    virtual void PostUserMessage(const std::string& line) = 0;
    // Sent on a worker; a refusal posts its reason, as every command does.
    virtual void DeleteText(int32_t text) = 0;
    virtual void MarkText(int32_t text) = 0;
};

} // namespace pellar
