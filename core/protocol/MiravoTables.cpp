#include "core/protocol/MiravoTables.h"

namespace pellar {

// The texts are the ones users have always seen, spelling included.
const std::array<MiravoErrorMsgType, 47> MiravoErrorMsgs = {{
    {"No error has occurred", 0},
    {"Not implemented yet", 2},
    {"No longer implemented", 3},
    {"Wrong or illegal password", 4},
    {"String too long", 5},
    {"Not logged in.", 6},
    {"System is in \"single-user mode\"", 7},
    {"Attempt to use conference number 0.", 8},
    {"Undefined or secret conference", 9},
    {"Undefined or secret person", 10},
    {"No \"read/write permission\"", 11},
    {"No permission", 12},
    {"Not member in conf", 13},
    {"No such global text-no, or no access", 14},
    {"Can't use text no 0", 15},
    {"No such local text-no", 16},
    {"Can't use local text no 0", 17},
    {"Too short or too long or contains illegal chars", 18},
    {"Index out of range.", 19},
    {"Already exists", 20},
    {"Already exists ", 21},
    {"Cannot be secret and !rd-prot", 22},
    {"Cannot change letter-box flag", 23},
    {"Database is corrupted.", 24},
    {"Illegal misc field.", 25},
    {"Info-type parameter was illegal.", 26},
    {"Already recipient to this text.", 27},
    {"Already comment to this text.", 28},
    {"Already footnote to this text.", 29},
    {"Not recipient", 30},
    {"Not comment to this text.", 31},
    {"Not footnote to this text.", 32},
    {"Too many recipients", 33},
    {"Too many comments", 34},
    {"Too many footnotes", 35},
    {"Too many marks.", 36},
    {"Only the author may add footnotes or delete texts.", 37},
    {"Can't connect to specified server", 38},
    {"Couldn't get memory for result", 39},
    {"Client can't understand server", 40},
    {"Client thinks that server says it can't understand client.", 41},
    {"This session doesn't exist", 42},
    {"Regexp compilation failed", 43},
    {"Attempt to unmark an unmarked text", 44},
    {"Temporary failure.  Try again later", 45},
    {"An array sent to the server was too big.", 46},
    {"Anonymous text not allowed in conference.", 47},
}};

const char* MiravoErrorText(int code)
{
    for (const auto& row : MiravoErrorMsgs) {
        if (row.code == code)
            return row.text;
    }
    return nullptr;
}

const std::array<MiravoActivity, 7> MiravoActivities = {{
    {"add", "Submitting a new text"},
    {"reread", "Looking back"},
    {"override", "Override"},
    {"read", "Reading"},
    {"wait", "Waiting"},
    {"write", "Writing"},
    {"writecomment", "Writing a comment"},
}};

const std::array<MiravoUserCommand, 26> MiravoUserCommands = {{
    {1, "readcomto", "Read commented text(s)"},
    {2, "writecom", "Write comment to"},
    {3, "writepcom", "Write personal comment to"},
    {4, "writefoot", "Write footnote to"},
    {5, "writetext", "Write a new text"},
    {6, "writeletter", "Write a new letter"},
    {7, "joinconf", "Join a conference"},
    {8, "readtext", "Show global text #"},
    {9, "findroot", "Find root text"},
    {10, "leaveconf", "Leave a conference"},
    {11, "setunread", "Read only the n'th last texts"},
    {12, "changeconfname", "Change the name of a conference"},
    {13, "skipcomments", "Skip over comments"},
    {14, "readnext", "Read next unread text"},
    {15, "showactive", "Show active users window"},
    {16, "creapers", "Create new user"},
    {17, "chngpwd", "Change password"},
    {18, "creaconf", "Create a new conference"},
    {19, "delconf", "Delete a conference"},
    {20, "viewcs", "View conference statistics"},
    {21, "viewps", "View user statistics"},
    {22, "addmember", "Add a user to a conference"},
    {23, "delmember", "Remove a user from a conference"},
    {24, "viewpres", "Read presentation"},
    {25, "readtopconf", "Read top conference"},
    {26, "gotoconf", "Go to a conference"},
}};

// "\xe5" is the ISO-8859-1 a-ring.
const std::array<MiravoKeyboardShortcut, 18> MiravoKeyboardShortcuts = {{
    {"\xe5k", 1},
    {"k", 2},
    {"p", 3},
    {"f", 4},
    {"i", 5},
    {"b", 6},
    {"m", 7},
    {"\xe5 ", 8},
    {"\xe5r", 9},
    {"l", 10},
    {"e", 11},
    {"ccn", 12},
    {"h", 13},
    {" ", 14},
    {"v", 15},
    {"\xe5p", 24},
    {"t ", 25},
    {"g", 26},
}};

} // namespace pellar
