// What the article pane of the reading window asks of the reading side: the
// link state, the key bindings, what its context menu offers for a word, a
// line for the user, and the two text commands of its menu. The pane gets
// this port, not the client: the menu's number tests and the commands run
// off the GUI thread, so the pane never waits on the server for them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/reading/ContextWords.h"

namespace pellar {

class ArticlePanePort {
public:
    virtual ~ArticlePanePort() = default;
    virtual bool IsConnected() = 0;
    // The current key bindings ("keys=command" items).
    virtual std::vector<std::string> Shortcuts() = 0;
    // What the context menu offers for the (untrimmed) word at the caret
    // (ContextWords::Offer); decided on a worker, since a number test may
    // ask the server, and handed to answer on the GUI thread.
    virtual void OfferFor(std::string word, std::function<void(const ContextMenuOffer&)> answer) = 0;
    virtual void PostUserMessage(const std::string& line) = 0;
    // Sent on a worker; a refusal posts its reason, as every command does.
    virtual void DeleteText(int32_t text) = 0;
    virtual void MarkText(int32_t text) = 0;
    // The pane goes: questions not yet answered are dropped, an answer in
    // flight too. Nothing answers after it.
    virtual void Stop() = 0;
};

} // namespace pellar
