#include "gui/common/CoreTexts.h"

#include "gui/common/WireCodec.h"

#include <QCoreApplication>
#include <QHash>
#include <QList>
#include <QRegularExpression>

#include <algorithm>
#include <mutex>
#include <vector>

namespace pellar {

namespace {

constexpr char kContext[] = "CoreTexts";

// One text core writes. source is what the translation knows; a text with a
// count also gives the two English forms core writes (one, many), in which
// %n stands for the count. %1... stand for parts that vary.
struct Entry {
    const char* source;
    const char* one;
    const char* many;
};

const Entry kEntries[] = {
    {QT_TRANSLATE_NOOP("CoreTexts", "Not connected."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Connecting..."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Waiting for initial negotiation..."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Not connected: the logon was cancelled."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Failed to connect: the server closed the connection before greeting."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Failed to connect: the server closed the connection before greeting. If it only serves encrypted connections, turn on \"Encrypted connection (TLS)\" and use its TLS port."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "The server did not answer (%1)"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "The server did not answer (%1)."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Loading the conference list"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "No greeting from %1."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "The server refused the logon: %1"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "The server did not answer the logon (%1)."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Failed to connect: %1"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Waiting for %1 to answer..."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Retrieving server info"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Fetching user number"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Logging on"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Retrieving membership info"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Logging off"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "There is already a person \"%1\" on %2. Log on as that person?"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Unable to find this user (\"%1\" on %2). Do you want to create a new account?"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Waiting for the server's last answers before logging off..."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Waiting for %1..."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Client info"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Get server info"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Get server version info"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Get the time"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Change conference"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Logout"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Could not connect to %1 port %2: %3."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Could not connect to %1 port %2 through the proxy %3 port %4: %5."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Could not connect to %1 port %2: the connection was made but no Miravo server greeted in time; it may be the wrong port."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Failed to connect due to a timeout."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "(no host given)"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "(none)"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "nothing accepts connections on that port; the server may not be running"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "there was no answer in time"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "the host is down"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "the host cannot be reached from this network"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "that address cannot be used from this computer"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "no host of that name was found"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "the name could not be looked up just now; try again later"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "the connection was closed at once"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "the connection failed"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Unknown error (%1)"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "The server's reply could not be read"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "No reply from the server"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "The server refused the request"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Text %1 could not be shown: the server's reply could not be read."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Text %1 was not fetched: the wait for it was cancelled."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Text %1 could not be fetched: there is no connection to the server."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "No such text"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "User [%1] %2 wants read confirmation on this text"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Confirm?"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Failed to add receipt confirmation"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Waiting for the subject tree to stop..."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "The time is now %1 (according to the server)"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Loading conferences: %1 of %2"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "other senders"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Database is synchronizing."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Miravo is full. Please log out if you are finished reading."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "%1 logged in."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "%1 logged off."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "You have created a new user. It is a good idea to have a presentation."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Would you like to write a presentation now?"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "You are already a member of that conference"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Failed to join the conference"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Join conference"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Leave conference"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "You are not a member of that conference."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "You are not a member of that conference"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Command failed"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Leave conference complete."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Delete what conference or person?"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Success!"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Change name on what conference or person?"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Change conference name"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "New name on the conference?"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "No matching names found"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "The new passwords do not match"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Successfully changed password!"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "The password does not match Confirm password"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Add member to conference"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Operation Add Member successful"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Remove member from conference"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Operation Remove Member successful"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Goto conference"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "View conference statistics"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "View user statistics"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Enabling administrator flags failed"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Conference to seek in is required"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "The subject pattern has a group that is never closed"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "The body pattern has a group that is never closed"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "No texts found"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Stopped: %1"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Set unread in conference"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Set unread texts"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "How many unread?"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Not a valid number"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "No such conference"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Change presentation"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Change Message Of The Day"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "An error occurred while adding text as Message Of The Day."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "No current article available"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Footnotes to texts can only be added by the author of the original message"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Really trash this text?"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Not a valid text number"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Really delete this entry?"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "User [%1] %2 does not want comments to the text"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "User [%1] %2 want only personal comments to the text"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Continue?"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "An error occurred while adding text as presentation to conference."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Too many recipients and links: at most %1 can be sent."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "No recipients! Do you really want to submit this message?"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "An error occurred. The message was not submitted."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Text properties for text %1 by [%2] %3"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Invalid conference or user"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Invalid text number"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Recipient"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Carbon copy"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Comment to"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Footnote to"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Presentation for"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Message of the day for"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Only web, ftp, mail and news addresses can be opened"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Not connected"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Invalid user"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Invalid conference"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Invalid user name"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "The connection to the server was lost."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Always"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Only the next texts to read"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Automatic"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "As the default profile"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "The password is kept in the desktop's keyring."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "The password is in the settings file, obscured but not encrypted; it moves into the desktop's keyring at the next logon."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "No keyring answers, so the password is kept in the settings file, obscured but not encrypted."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "No password is saved. A saved password goes into the desktop's keyring."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "No password is saved. No keyring answers, so a saved password would be kept in the settings file, obscured but not encrypted."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Wait for the server's answer (seconds)"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Messages window keeps (lines)"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "%1: \"%2\" is not a whole number from %3 to %4. Leave it empty to follow the default profile."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "%1: \"%2\" is not a whole number from %3 to %4. Leave it empty for the program's default."), nullptr, nullptr},
    // The servers the settings offer.
    {QT_TRANSLATE_NOOP("CoreTexts", "Local demo server"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Hollin community server"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Hollin test server"), nullptr, nullptr},
    // The activities a session shows, and the commands keys can be bound to.
    {QT_TRANSLATE_NOOP("CoreTexts", "Submitting a new text"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Looking back"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Override"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Reading"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Waiting"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Writing"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Writing a comment"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Read commented text(s)"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Write comment to"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Write personal comment to"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Write footnote to"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Write a new text"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Write a new letter"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Join a conference"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Show global text #"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Find root text"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Leave a conference"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Read only the n'th last texts"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Change the name of a conference"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Skip over comments"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Read next unread text"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Show active users window"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Create new user"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Change password"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Create a new conference"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Delete a conference"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "View conference statistics"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "View user statistics"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Add a user to a conference"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Remove a user from a conference"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Read presentation"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Read top conference"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Go to a conference"), nullptr, nullptr},
    // The server's error texts.
    {QT_TRANSLATE_NOOP("CoreTexts", "No error has occurred"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Not implemented yet"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "No longer implemented"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Wrong or illegal password"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "String too long"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Not logged in."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "System is in \"single-user mode\""), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Attempt to use conference number 0."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Undefined or secret conference"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Undefined or secret person"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "No \"read/write permission\""), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "No permission"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Not member in conf"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "No such global text-no, or no access"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Can't use text no 0"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "No such local text-no"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Can't use local text no 0"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Too short or too long or contains illegal chars"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Index out of range."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Already exists"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Already exists "), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Cannot be secret and !rd-prot"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Cannot change letter-box flag"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Database is corrupted."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Illegal misc field."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Info-type parameter was illegal."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Already recipient to this text."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Already comment to this text."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Already footnote to this text."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Not recipient"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Not comment to this text."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Not footnote to this text."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Too many recipients"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Too many comments"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Too many footnotes"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Too many marks."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Only the author may add footnotes or delete texts."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Can't connect to specified server"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Couldn't get memory for result"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Client can't understand server"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Client thinks that server says it can't understand client."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "This session doesn't exist"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Regexp compilation failed"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Attempt to unmark an unmarked text"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Temporary failure.  Try again later"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "An array sent to the server was too big."), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Anonymous text not allowed in conference."), nullptr, nullptr},
    // The article's labels among the server's text (a recipient, a link, the subject).
    {QT_TRANSLATE_NOOP("CoreTexts", "By"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "by"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Recipient:"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Carbon Copy:"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "sent by"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "at"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Comment to:"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Footnote to:"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Comments in:"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Subject:"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Marked by one person"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Marked by two persons"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Marked by three persons"), nullptr, nullptr},
    // The messages window's entries: "Message at <time> to <recipient>", "from <sender>:".
    {QT_TRANSLATE_NOOP("CoreTexts", "Message at"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "Sent message at"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "to"), nullptr, nullptr},
    {QT_TRANSLATE_NOOP("CoreTexts", "from"), nullptr, nullptr},
    // Texts with a count: the English forms core writes, and what is translated.
    {QT_TRANSLATE_N_NOOP("CoreTexts", "Marked by %n person(s)"), "Marked by %n person", "Marked by %n persons"},
    {QT_TRANSLATE_N_NOOP("CoreTexts", "%n text(s) found"), "%n text found",
     "%n texts found"},
    {QT_TRANSLATE_N_NOOP("CoreTexts", "%1. %n text(s) too long or too complex to search with this pattern"), "%1. %n text was too long or too complex to search with this pattern",
     "%1. %n texts were too long or too complex to search with this pattern"},
    {QT_TRANSLATE_N_NOOP("CoreTexts", "*** %n message(s) from %1 to everyone dropped: they came faster than they could be shown."), "*** %n message from %1 to everyone was dropped: they came faster than they could be shown.",
     "*** %n messages from %1 to everyone were dropped: they came faster than they could be shown."},
    {QT_TRANSLATE_N_NOOP("CoreTexts", "*** %n message(s) from %1 dropped: they came faster than they could be shown."), "*** %n message from %1 was dropped: they came faster than they could be shown.",
     "*** %n messages from %1 were dropped: they came faster than they could be shown."},
};

// An English form with parts that vary, as a pattern over a whole line.
struct Pattern {
    QRegularExpression expression;
    const Entry* entry = nullptr;
    std::vector<int> argumentOfGroup;  // 0: the count (%n); k: %k
    qsizetype fixedLength = 0;         // the letters that do not vary
};

struct Table {
    QHash<QString, const Entry*> exact;
    std::vector<Pattern> patterns;
};

void AddForm(Table& table, const Entry& entry, const char* form)
{
    const QString english = QString::fromUtf8(form);
    if (!english.contains(u'%')) {
        table.exact.insert(english, &entry);
        return;
    }
    Pattern pattern;
    pattern.entry = &entry;
    QString expression = QStringLiteral("^");
    QString fixed;
    for (qsizetype i = 0; i < english.size(); ++i) {
        const QChar c = english[i];
        if (c == u'%' && i + 1 < english.size()) {
            const QChar next = english[i + 1];
            if (next == u'n') {
                expression += QRegularExpression::escape(fixed) + QStringLiteral("(\\d+)");
                pattern.fixedLength += fixed.size();
                fixed.clear();
                pattern.argumentOfGroup.push_back(0);
                ++i;
                continue;
            }
            if (next.isDigit() && next != u'0') {
                expression += QRegularExpression::escape(fixed) + QStringLiteral("(.*?)");
                pattern.fixedLength += fixed.size();
                fixed.clear();
                pattern.argumentOfGroup.push_back(next.digitValue());
                ++i;
                continue;
            }
        }
        fixed += c;
    }
    expression += QRegularExpression::escape(fixed) + QStringLiteral("$");
    pattern.fixedLength += fixed.size();
    pattern.expression = QRegularExpression(expression, QRegularExpression::DotMatchesEverythingOption);
    table.patterns.push_back(std::move(pattern));
}

const Table& TheTable()
{
    static const Table table = [] {
        Table t;
        for (const Entry& entry : kEntries) {
            if (entry.one) {
                AddForm(t, entry, entry.one);
                AddForm(t, entry, entry.many);
            } else {
                AddForm(t, entry, entry.source);
            }
        }
        // The most specific first: "Could not connect to %1 port %2: the
        // connection was made..." before "Could not connect to %1 port %2: %3."
        std::stable_sort(t.patterns.begin(), t.patterns.end(),
                         [](const Pattern& a, const Pattern& b) { return a.fixedLength > b.fixedLength; });
        return t;
    }();
    return table;
}

// %1... in text replaced by arguments, in one pass (an argument's own "%2"
// stays as it is).
QString Fill(const QString& text, const QList<QString>& arguments)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'%' && i + 1 < text.size() && text[i + 1].isDigit()) {
            const int k = text[i + 1].digitValue();
            if (k >= 1 && k <= arguments.size()) {
                out += arguments[k - 1];
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

constexpr int kDeepest = 3;

QString Line(const QString& line, int depth)
{
    if (line.isEmpty())
        return line;
    const Table& table = TheTable();
    if (const auto found = table.exact.constFind(line); found != table.exact.constEnd()) {
        const Entry* entry = *found;
        if (!entry->one)
            return QCoreApplication::translate(kContext, entry->source);
        // An English form of a count without the count in it.
    }
    if (depth >= kDeepest)
        return line;
    for (const Pattern& pattern : table.patterns) {
        const QRegularExpressionMatch match = pattern.expression.match(line);
        if (!match.hasMatch())
            continue;
        const Entry& entry = *pattern.entry;
        QList<QString> arguments;
        int count = -1;
        for (size_t g = 0; g < pattern.argumentOfGroup.size(); ++g) {
            const int k = pattern.argumentOfGroup[g];
            const QString part = match.captured(int(g) + 1);
            if (k == 0) {
                count = part.toInt();
                continue;
            }
            if (arguments.size() < k)
                arguments.resize(k);
            arguments[k - 1] = Line(part, depth + 1);
        }
        const QString translated = entry.one ? QCoreApplication::translate(kContext, entry.source, nullptr, count)
                                             : QCoreApplication::translate(kContext, entry.source);
        // No translation: the line as core wrote it (the "(s)" form is not
        // English anyone writes).
        const QString untranslated = entry.one ? QString::fromUtf8(entry.source).replace(
                                                     QStringLiteral("%n"), QString::number(count))
                                               : QString::fromUtf8(entry.source);
        if (translated == untranslated)
            return line;
        return Fill(translated, arguments);
    }
    return line;
}

} // namespace

QString CoreText(const QString& english)
{
    if (!english.contains(u'\n') && !english.contains(u'\r'))
        return Line(english, 0);
    // Each line on its own; the line breaks (and a closing "\r") stay.
    static const QRegularExpression breaks(QStringLiteral("\\r\\n|\\r|\\n"));
    QString out;
    qsizetype from = 0;
    QRegularExpressionMatchIterator it = breaks.globalMatch(english);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += Line(english.mid(from, m.capturedStart() - from), 0) + m.captured();
        from = m.capturedEnd();
    }
    out += Line(english.mid(from), 0);
    return out;
}

QString CoreText(std::string_view wireText)
{
    return CoreText(FromWire(wireText));
}

namespace {

// Labels are a few dozen fixed words; the bound only keeps a caller that
// passes varying text from growing the memory without end.
constexpr qsizetype kMaxLabels = 256;

struct Labels {
    std::mutex mutex;
    QHash<QString, QString> translated;
    // Counts the times they were forgotten: a label looked up across a
    // change of language is not kept.
    uint64_t generation = 0;
};

Labels& RememberedLabels()
{
    static Labels labels;
    return labels;
}

} // namespace

QString CoreLabel(const QString& english)
{
    Labels& labels = RememberedLabels();
    uint64_t generation;
    {
        std::lock_guard lock(labels.mutex);
        if (const auto it = labels.translated.constFind(english); it != labels.translated.constEnd())
            return *it;
        generation = labels.generation;
    }
    const QString translated = CoreText(english);
    std::lock_guard lock(labels.mutex);
    if (labels.generation != generation)
        return translated;
    if (labels.translated.size() >= kMaxLabels)
        labels.translated.clear();
    labels.translated.insert(english, translated);
    return translated;
}

void ForgetCoreLabels()
{
    Labels& labels = RememberedLabels();
    std::lock_guard lock(labels.mutex);
    labels.translated.clear();
    ++labels.generation;
}

QString CoreUserMessageText(std::string_view message)
{
    return message.empty() ? QString() : CoreText(message.substr(1));
}

} // namespace pellar
