// Every request the client and miravod know by number, every asynchronous
// message, and one typed builder per request: the only place a request
// number is written. A built request is joined into its line by Line().
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pellar {

enum class RequestNumber : int32_t {
    Logout = 1,               // end the person's logon, keep the link
    ChangeConference = 2,     // the conference the person is in now
    ChangeName = 3,           // rename a person or conference
    ChangeActivity = 4,       // what the person is doing, shown by who-is-on
    CreatePerson = 5,         // a new account
    SetPassword = 8,          // a person's password, given the old one
    QueryReadTexts = 9,       // one membership with the texts read in it
    CreateConference = 10,    // a new conference with its type bits
    DeleteConference = 11,    // a person or conference goes
    AddMember = 14,           // join, add someone, or change the priority
    SubMember = 15,           // leave, or remove someone
    SetPresentation = 16,     // the text that presents a person or conference
    SetNotice = 17,           // the note on the door (message of the day)
    SetSupervisor = 18,       // who supervises a conference
    SetSuperConference = 20,  // where comments to a conference go
    SetConferenceType = 21,   // a conference's type bits
    GetMarks = 23,            // the person's marked texts
    GetText = 25,             // a text's body
    GetTextStatOld = 26,      // a text's status, older form without aux items
    MarkAsRead = 27,          // local numbers of one conference read
    CreateTextOld = 28,       // submit a text, older form without aux items
    DeleteText = 29,          // a text goes
    AddRecipient = 30,        // a recipient or carbon copy for a text
    SubRecipient = 31,        // a recipient taken off a text
    AddComment = 32,          // link a text as a comment to another
    SubComment = 33,          // undo that link
    GetTextMapOld = 34,       // local -> global numbers, older dense form
    GetTime = 35,             // the server's clock
    GetServerInfo = 36,       // the server's version and special conferences
    AddFootnote = 37,         // link a text as a footnote to another
    SubFootnote = 38,         // undo that link
    SetUnread = 40,           // how many texts of a conference stay unread
    Enable = 42,              // the session's privilege level
    Sync = 43,                // write the database to disk now
    GetMemberships = 46,      // every membership of a person
    GetConfStat = 50,         // full conference status
    GetUnreadConfs = 52,      // conferences that may hold unread texts
    SendMessage = 53,         // a message to a person, conference or everyone
    Login = 62,               // log a person on
    SetClientVersion = 69,    // the client's name and version, for who-is-on
    GetClientName = 70,       // another session's client name
    GetClientVersion = 71,    // another session's client version
    MarkText = 72,            // set or change a mark
    UnmarkText = 73,          // remove a mark
    GetVersionInfo = 75,      // protocol version, server name and version
    LookupName = 76,          // persons and conferences whose names match
    GetUConfStat = 78,        // short conference status, also a name look-up
    AcceptAsync = 80,         // which asynchronous messages the session wants
    UserActive = 82,          // the person is at the keyboard
    WhoIsOn = 83,             // the sessions logged on now
    GetStaticSessionInfo = 84,  // account, host and logon time of a session
    CreateText = 86,          // submit a text with aux items
    GetTextStat = 90,         // a text's status with its aux items
    ModifyAuxInfo = 92,       // add and delete a text's aux items
    LocalToGlobal = 103,      // local -> global numbers, sparse or dense
};

enum class AsyncNumber : int32_t {
    NewTextOld = 0,        // a text was created (no aux items)
    NewName = 5,           // a person or conference was renamed
    IAmOn = 6,             // a session's person, conference and activity
    SyncDatabase = 7,      // the server is writing its database
    LeaveConference = 8,   // the person was taken out of a conference
    Login = 9,             // a person logged on
    RejectedConnection = 11,  // the server is full
    SendMessage = 12,      // a message to the person, a conference or everyone
    Logout = 13,           // a person logged off
    DeletedText = 14,      // a text was deleted
    NewText = 15,          // a text was created, with aux items
    NewRecipient = 16,     // a text got a recipient
    SubRecipient = 17,     // a text lost a recipient
};

constexpr int32_t Number(RequestNumber request) { return static_cast<int32_t>(request); }
constexpr int32_t Number(AsyncNumber message) { return static_cast<int32_t>(message); }

// One argument of a request line: an integer in decimal, a single character
// (builders frame arrays with '{' and '}'), or a string inserted verbatim
// (strings are Hollerith-encoded by the builder).
class RequestArg {
public:
    RequestArg(int32_t v) : text_(std::to_string(v)) {}
    RequestArg(char c) : text_(1, c) {}
    RequestArg(const char* s) : text_(s) {}
    RequestArg(std::string_view s) : text_(s) {}
    RequestArg(const std::string& s) : text_(s) {}
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

// A request ready to send: its number and its arguments in wire form.
class WireRequest {
public:
    // Held only by the builders below (made in their file alone): a request
    // line is built there or not at all, so no bare request number can be
    // sent from anywhere else.
    class Key {
        Key() = default;
        friend struct CatalogueKeys;
    };

    WireRequest(Key, RequestNumber number, std::initializer_list<RequestArg> args = {});
    WireRequest(Key, RequestNumber number, std::vector<std::string> args) : number_(number), args_(std::move(args)) {}

    RequestNumber Number() const { return number_; }
    const std::vector<std::string>& Args() const { return args_; }
    // The arguments after the number, each after one blank.
    std::string ArgText() const;
    // The whole line: id, number, arguments, LF.
    std::string Line(int32_t id) const;

private:
    RequestNumber number_;
    std::vector<std::string> args_;
};

// The list request AcceptAsync sends: what every session wants, and with
// presenceReports the who-is-on window's live updates as well.
std::vector<AsyncNumber> AcceptedAsyncList(int32_t protocolVersion, bool presenceReports);

// One builder per request. Names and passwords are given as bytes and sent
// as Hollerith strings; bit strings and prepared lists go verbatim.
namespace requests {

WireRequest Logout();
WireRequest ChangeConference(int32_t conf);
WireRequest ChangeName(int32_t number, std::string_view newName);
WireRequest ChangeActivity(std::string_view activity);
WireRequest CreatePerson(std::string_view name, std::string_view password);
WireRequest SetPassword(int32_t person, std::string_view oldPassword, std::string_view newPassword);
WireRequest QueryReadTexts(int32_t person, int32_t conf);
WireRequest CreateConference(std::string_view name, std::string_view typeBits);
WireRequest DeleteConference(int32_t number);
WireRequest AddMember(int32_t conf, int32_t person, int32_t priority, int32_t where);
WireRequest SubMember(int32_t conf, int32_t person);
WireRequest SetPresentation(int32_t number, int32_t text);
WireRequest SetNotice(int32_t number, int32_t text);
WireRequest SetSupervisor(int32_t conf, int32_t supervisor);
WireRequest SetSuperConference(int32_t conf, int32_t superConf);
WireRequest SetConferenceType(int32_t conf, std::string_view typeBits);
WireRequest GetMarks();
WireRequest GetText(int32_t text, int32_t firstChar, int32_t lastChar);
WireRequest GetTextStatOld(int32_t text);
WireRequest MarkAsRead(int32_t conf, std::span<const int32_t> locals);
// text is the whole text as bytes; miscInfo and auxItems are wire lists.
WireRequest CreateTextOld(std::string_view text, std::string_view miscInfo);
WireRequest DeleteText(int32_t text);
WireRequest AddRecipient(int32_t text, int32_t conf, int32_t recipientType);
WireRequest SubRecipient(int32_t text, int32_t conf);
WireRequest AddComment(int32_t text, int32_t commentedText);
WireRequest SubComment(int32_t text, int32_t commentedText);
WireRequest GetTextMapOld(int32_t conf, int32_t firstLocal, int32_t count);
WireRequest GetTime();
WireRequest GetServerInfo();
WireRequest AddFootnote(int32_t text, int32_t footnotedText);
WireRequest SubFootnote(int32_t text, int32_t footnotedText);
WireRequest SetUnread(int32_t conf, int32_t count);
WireRequest Enable(int32_t level);
WireRequest Sync();
WireRequest GetMemberships(int32_t person, int32_t first, int32_t count, bool wantReadTexts);
WireRequest GetConfStat(int32_t conf);
WireRequest GetUnreadConfs(int32_t person);
WireRequest SendMessage(int32_t recipient, std::string_view message);
WireRequest Login(int32_t person, std::string_view password, bool invisible);
WireRequest SetClientVersion(std::string_view name, std::string_view version);
WireRequest GetClientName(int32_t session);
WireRequest GetClientVersion(int32_t session);
WireRequest MarkText(int32_t text, int32_t markType);
WireRequest UnmarkText(int32_t text);
WireRequest GetVersionInfo();
WireRequest LookupName(std::string_view name, bool wantPersons, bool wantConferences);
WireRequest GetUConfStat(int32_t conf);
WireRequest AcceptAsync(std::span<const AsyncNumber> messages);
WireRequest UserActive();
WireRequest WhoIsOn(bool wantInvisible, int32_t activeLastSeconds, bool wantNames);
WireRequest GetStaticSessionInfo(int32_t session);
WireRequest CreateText(std::string_view text, std::string_view miscInfo, std::string_view auxItems);
WireRequest GetTextStat(int32_t text);
// Adds one aux item and deletes none.
WireRequest AddAuxItem(int32_t text, int32_t tag, std::string_view flags, int32_t inheritLimit,
                       std::string_view data);
// Asks the text's readers for a receipt: the tag alone, no flags, no
// inheritance, no data.
WireRequest AddReceiptConfirmation(int32_t text);
WireRequest LocalToGlobal(int32_t conf, int32_t firstLocal, int32_t count);

} // namespace requests

} // namespace pellar
