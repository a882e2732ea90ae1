#include "core/commands/MiravoTables.h"

namespace pellar {

// The texts are the ones users have always seen, spelling included.
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
