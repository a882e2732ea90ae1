#include "core/wire/MiravoErrors.h"

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

} // namespace pellar
