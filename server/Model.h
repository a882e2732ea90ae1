// The server's records: persons (each also a conference, its letterbox),
// conferences with their local-to-global text maps, texts with misc-info and
// aux items, memberships and marks. Plain data; the Store keeps them.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/wire/DateTime.h"
#include "core/wire/RequestCatalogue.h"

namespace miravod {

using pellar::TDateTime;
// The request and asynchronous-message numbers the client uses too.
using pellar::AsyncNumber;
using pellar::Number;
using pellar::RequestNumber;

// Positions in a conference's type bits.
enum TypeBit : size_t { kReadProtected = 0, kOriginal = 1, kSecret = 2, kLetterbox = 3, kAllowAnonymous = 4 };
inline constexpr size_t kTypeBits = 8;

enum class MiscKind : int { Recipient = 0, CarbonCopy = 1, CommentTo = 2, CommentIn = 3, FootnoteTo = 4, FootnoteIn = 5 };

struct MiscItem {
    MiscKind kind = MiscKind::Recipient;
    int32_t number = 0;      // conference for recipients, text for links
    int32_t local = 0;       // recipients only
    TDateTime received = 0;  // recipients only
    int32_t sentBy = 0;      // set when someone other than the author added it
    TDateTime sentAt = 0;

    bool IsRecipient() const { return kind == MiscKind::Recipient || kind == MiscKind::CarbonCopy; }
};

struct AuxItem {
    int32_t number = 0;
    int32_t tag = 0;
    int32_t creator = 0;
    TDateTime created = 0;
    std::string flags = "00000000";
    int32_t inheritLimit = 0;
    std::string data;
};

struct Text {
    int32_t number = 0;
    int32_t author = 0;
    TDateTime created = 0;
    std::string body;
    std::vector<MiscItem> misc;
    std::vector<AuxItem> aux;
    int32_t nextAux = 1;
    int32_t marks = 0;

    int32_t Lines() const;
};

struct Conference {
    int32_t number = 0;
    std::string name;
    std::string type = "00000000";
    TDateTime created = 0;
    TDateTime lastText = 0;
    int32_t creator = 0;
    int32_t presentation = 0;
    int32_t supervisor = 0;
    int32_t permittedSubmitters = 0;
    int32_t superConf = 0;
    int32_t motd = 0;
    int32_t firstLocal = 1;
    // Global text number per local number from firstLocal on; 0 = deleted.
    std::vector<int32_t> map;
    int32_t memberCount = 0;

    bool Bit(size_t i) const { return i < type.size() && type[i] == '1'; }
    int32_t HighestLocal() const { return firstLocal + static_cast<int32_t>(map.size()) - 1; }
    int32_t GlobalOf(int32_t local) const
    {
        if (local < firstLocal || local > HighestLocal()) return 0;
        return map[static_cast<size_t>(local - firstLocal)];
    }
};

struct Membership {
    int32_t conf = 0;
    TDateTime lastTimeRead = 0;
    int32_t priority = 100;
    int32_t lastRead = 0;
    std::set<int32_t> readTexts; // read local numbers above lastRead
};

struct Person {
    int32_t number = 0;
    std::string passwordHash; // salted PBKDF2, never the password
    bool admin = false;
    std::map<int32_t, Membership> memberships;
    std::map<int32_t, int32_t> marks; // text -> mark type
};

} // namespace miravod
