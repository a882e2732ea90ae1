// What the asynchronous dispatch does to windows. Every call comes on the GUI
// thread (the dispatcher hands it over); the Qt layer implements it, tests
// script it.
#pragma once

#include <cstdint>
#include <string>

#include "core/events/TrayAlert.h"

namespace pellar {

struct IncomingMessage {
    int32_t recipient = 0;
    int32_t sender = 0;
    std::string text;  // line breaks as CR LF
    std::string recipientName, senderName;
};

// What a desktop notification tells: whose message or text it is and its
// first line (a message's text, a text's subject).
struct AlertNotice {
    enum class Kind { PersonalMessage, GroupMessage, Text };
    Kind kind = Kind::PersonalMessage;
    int32_t sender = 0;     // the message's sender or the text's author
    int32_t recipient = 0;  // a message's recipient (0: everyone)
    int32_t text = 0;       // the new text's number
    std::string senderName;
    std::string recipientName;
    std::string firstLine;
};

class EventPorts {
public:
    virtual ~EventPorts() = default;

    virtual void DeliverMessage(const IncomingMessage& message) = 0;
    virtual void AddSession(int32_t person, int32_t session, const std::string& personName,
                            const std::string& client, const std::string& account, const std::string& host,
                            const std::string& ident) = 0;
    virtual void RemoveSession(int32_t person, int32_t session, const std::string& personName) = 0;
    virtual void UpdatePresence(const std::string& personName, const std::string& confName, int32_t session,
                                const std::string& doing, const std::string& userName) = 0;
    virtual void ShowTray(TrayAlert state) = 0;
    // With every tray alert: what it is about, for a desktop notification.
    virtual void Notify(const AlertNotice& notice) { (void)notice; }
    virtual void SetStatusText(const std::string& text) = 0;
    virtual void BringToFront() = 0;
    virtual void Beep() = 0;
    virtual void RefreshConferenceList() = 0;
    // A line for the messages window: messages were dropped in a flood.
    virtual void MessagesDropped(const std::string& notice) { (void)notice; }
};

} // namespace pellar
