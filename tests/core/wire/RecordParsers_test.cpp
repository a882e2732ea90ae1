#include "core/wire/RecordParsers.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/wire/MiravoErrors.h"
#include "core/wire/WireTokens.h"

namespace pellar {
namespace {

// Times used in the rows below, in the nine-integer wire form.
const std::string kT1 = "12 30 14 5 11 99 0 338 0"; // 1999-12-05 14:30:12
const std::string kT2 = "0 0 8 1 0 124 1 0 0";      // 2024-01-01 08:00:00

std::string Day(TDateTime t)
{
    return t == 0 ? "-" : FormatDateTime(t);
}

// One item in a compact, comparable form.
std::string Describe(const TMiscInfo& item)
{
    static const char* const kNames[] = {"Rcpt", "CC", "CommTo", "CommIn", "FootTo", "FootIn"};
    std::string s = kNames[item.Tag()];
    if (const auto* n = dynamic_cast<const TMiscInfoNormal*>(&item)) {
        s += " conf=" + std::to_string(n->confNo) + " local=" + std::to_string(n->localNo) +
             " recv=" + Day(n->recvTime) + " by=" + std::to_string(n->sentBy) + " at=" + Day(n->sentAt);
    } else if (const auto* g = dynamic_cast<const TMiscInfoGText*>(&item)) {
        s += " text=" + std::to_string(g->textNo) + " at=" + Day(g->sentAt);
        if (const auto* c = dynamic_cast<const TMiscInfoCommTo*>(&item))
            s += " by=" + std::to_string(c->sentBy);
    }
    return s;
}

// What a parse left of line, without the blanks before it.
std::string Rest(const std::string& line, size_t pos)
{
    const size_t start = line.find_first_not_of(' ', pos);
    return start == std::string::npos ? std::string() : line.substr(start);
}

struct TextStatCase {
    const char* name;
    std::string line;
    int32_t author, lines, chars, marks;
    std::vector<std::string> items;
    std::string rest; // what is left of the line after the parse
};

TEST(RecordParsers, TextStat)
{
    const std::vector<TextStatCase> cases = {
        {"star form, no items, no closing token", kT1 + " 6 3 120 0 0 * 7", 6, 3, 120, 0, {}, "7"},
        {"empty braces", kT1 + " 6 3 120 2 0 { } 7", 6, 3, 120, 2, {}, "7"},
        {"recipient with every added field",
         kT1 + " 6 3 120 0 5 { 0 5 6 17 7 " + kT2 + " 8 9 9 " + kT1 + " } 1",
         6, 3, 120, 0,
         {"Rcpt conf=5 local=17 recv=2024-01-01 08:00:00 by=9 at=1999-12-05 14:30:12"}, "1"},
        {"comment-to with sender and time", kT1 + " 1 1 1 0 3 { 2 100 8 6 9 " + kT2 + " }", 1, 1, 1, 0,
         {"CommTo text=100 at=2024-01-01 08:00:00 by=6"}, ""},
        {"every link kind",
         kT1 + " 1 1 1 0 6 { 1 7 6 3 3 200 4 201 5 202 2 199 }", 1, 1, 1, 0,
         {"CC conf=7 local=3 recv=- by=0 at=-", "CommIn text=200 at=-", "FootTo text=201 at=-",
          "FootIn text=202 at=-", "CommTo text=199 at=- by=0"}, ""},
        {"sender after comment-in is dropped, time kept",
         kT1 + " 1 1 1 0 3 { 3 50 8 4 9 " + kT2 + " }", 1, 1, 1, 0, {"CommIn text=50 at=2024-01-01 08:00:00"}, ""},
        {"unknown tag counts but reads nothing", kT1 + " 1 1 1 0 3 { 0 5 15 6 2 }", 1, 1, 1, 0,
         {"Rcpt conf=5 local=2 recv=- by=0 at=-"}, ""},
        {"sender and time before any item are dropped", kT1 + " 1 1 1 0 2 { 8 4 9 " + kT2 + " }", 1, 1, 1, 0, {}, ""},
        {"count far beyond the data stops at the data", kT1 + " 1 1 1 0 2147483647 { 0 5 }", 1, 1, 1, 0,
         {"Rcpt conf=5 local=0 recv=- by=0 at=-"}, ""},
        {"negative count reads no items", kT1 + " 1 1 1 0 -3 { } 4", 1, 1, 1, 0, {}, "4"},
        {"count short of the data leaves the rest", kT1 + " 1 1 1 0 1 { 0 5 0 6 }", 1, 1, 1, 0,
         {"Rcpt conf=5 local=0 recv=- by=0 at=-"}, "6 }"},
        {"line ends early", kT1 + " 4 2", 4, 2, 0, 0, {}, ""},
    };
    for (const auto& c : cases) {
        TextStatType stat;
        size_t pos = 0;
        ParseTextStat(c.line, pos, stat);
        EXPECT_EQ(FormatDateTime(stat.CreationTime()), "1999-12-05 14:30:12") << c.name;
        EXPECT_EQ(stat.Author(), c.author) << c.name;
        EXPECT_EQ(stat.NoOfLines(), c.lines) << c.name;
        EXPECT_EQ(stat.NoOfChars(), c.chars) << c.name;
        EXPECT_EQ(stat.NoOfMarks(), c.marks) << c.name;
        std::vector<std::string> items;
        for (const auto& item : stat.MiscInfos())
            items.push_back(Describe(*item));
        EXPECT_EQ(items, c.items) << c.name;
        EXPECT_EQ(Rest(c.line, pos), c.rest) << c.name;
    }
}

TEST(RecordParsers, LocalFieldsAfterALinkStopTheParse)
{
    const std::vector<std::string> lines = {
        kT1 + " 1 1 1 0 2 { 2 100 6 3 }",
        kT1 + " 1 1 1 0 2 { 4 100 7 " + kT2 + " }",
        kT1 + " 1 1 1 0 1 { 6 3 }",
    };
    for (const auto& line : lines) {
        TextStatType stat;
        stat.SetHeader(0, 42, 0, 0, 0);
        size_t pos = 0;
        EXPECT_THROW(ParseTextStat(line, pos, stat), MiravoException) << line;
        // The record is left as it was.
        EXPECT_EQ(stat.Author(), 42) << line;
        EXPECT_EQ(stat.MiscInfoCount(), 0) << line;
    }
}

TEST(RecordParsers, ReparseReplacesItems)
{
    TextStatType stat;
    const std::string line = kT1 + " 1 1 1 0 1 { 0 5 }";
    size_t pos = 0;
    ParseTextStat(line, pos, stat);
    pos = 0;
    ParseTextStat(line, pos, stat);
    EXPECT_EQ(stat.MiscInfoCount(), 1);
}

struct AuxCase {
    const char* name;
    std::string line;
    std::vector<std::string> items; // "no tag creator flags limit data created"
    std::string rest;
};

TEST(RecordParsers, AuxItemList)
{
    const std::vector<AuxCase> cases = {
        {"zero count reads nothing more", "0 { } 5", {}, "} 5"},
        {"star form", "0 * 5", {}, "5"},
        {"two items",
         "2 { 1 6 9 " + kT1 + " 00000000 0 0H 2 7 12 " + kT2 + " 01000000 1 5Hab cd } 5",
         {"1 6 9 00000000 0 [] 1999-12-05 14:30:12", "2 7 12 01000000 1 [ab cd] 2024-01-01 08:00:00"},
         "5"},
        {"count beyond the data", "1000000 { 3 1 9 " + kT1 + " 00000000 0 3Hxyz }",
         {"3 1 9 00000000 0 [xyz] 1999-12-05 14:30:12"}, ""},
        {"data length beyond the line", "1 { 3 1 9 " + kT1 + " 00000000 0 99Hxyz", {"3 1 9 00000000 0 [xyz] 1999-12-05 14:30:12"}, ""},
    };
    for (const auto& c : cases) {
        TextStatType stat;
        size_t pos = 0;
        ParseAuxItemList(c.line, pos, stat);
        std::vector<std::string> items;
        for (const auto& a : stat.AuxItems())
            items.push_back(std::to_string(a.auxNo) + " " + std::to_string(a.tag) + " " + std::to_string(a.creator) +
                            " " + a.flags + " " + std::to_string(a.inheritLimit) + " [" + a.data + "] " +
                            FormatDateTime(a.createdAt));
        EXPECT_EQ(items, c.items) << c.name;
        EXPECT_EQ(Rest(c.line, pos), c.rest) << c.name;
    }
}

TEST(RecordParsers, TextStatFollowedByAuxItemsOnOneLine)
{
    const std::string line = kT1 + " 6 3 120 1 2 { 0 5 6 17 } 1 { 4 6 9 " + kT2 + " 00000000 0 0H }";
    TextStatType stat;
    size_t pos = 0;
    ParseTextStat(line, pos, stat);
    ParseAuxItemList(line, pos, stat);
    ASSERT_EQ(stat.MiscInfoCount(), 1);
    ASSERT_EQ(stat.AuxItemCount(), 1);
    EXPECT_EQ(stat.AuxItem(0)->tag, 6);
    EXPECT_EQ(pos, line.size());
}

struct MembershipCase {
    const char* name;
    std::string line;
    int32_t conf, priority, lastRead;
    std::vector<int32_t> readTexts;
};

TEST(RecordParsers, Membership)
{
    const std::vector<MembershipCase> cases = {
        {"star form", kT1 + " 5 100 10 0 *", 5, 100, 10, {}},
        {"read texts above the last", kT1 + " 5 100 10 2 { 14 17 }", 5, 100, 10, {14, 17}},
        {"a run right above the last is absorbed", kT1 + " 5 100 10 3 { 12 14 11 }", 5, 100, 12, {14}},
        {"entries at or below the last are dropped", kT1 + " 5 100 10 3 { 3 10 20 }", 5, 100, 10, {20}},
        {"count beyond the data", kT1 + " 7 50 0 2147483647 { 5 }", 7, 50, 0, {5}},
        {"duplicates kept once", kT1 + " 7 50 0 3 { 5 5 5 }", 7, 50, 0, {5}},
    };
    for (const auto& c : cases) {
        TMiravoMembership m;
        size_t pos = 0;
        ParseMembership(c.line, pos, m);
        EXPECT_EQ(FormatDateTime(m.LastTimeRead()), "1999-12-05 14:30:12") << c.name;
        EXPECT_EQ(m.ConfNo(), c.conf) << c.name;
        EXPECT_EQ(m.Priority(), c.priority) << c.name;
        EXPECT_EQ(m.LastTextRead(), c.lastRead) << c.name;
        EXPECT_EQ(m.ReadTexts(), c.readTexts) << c.name;
    }
}

TEST(RecordParsers, MembershipReplacesReadState)
{
    TMiravoMembership m;
    m.MarkRead(40, false);
    const std::string line = kT1 + " 5 100 10 1 { 30 }";
    size_t pos = 0;
    ParseMembership(line, pos, m);
    EXPECT_EQ(m.ReadTexts(), std::vector<int32_t>{30});
    EXPECT_FALSE(m.IsRead(40));
}

TEST(RecordParsers, MembershipList)
{
    const std::string line =
        "3 { " + kT1 + " 5 100 10 0 * " + kT2 + " 6 200 0 1 { 4 } " + kT1 + " 7 50 1 0 * }";
    std::vector<std::shared_ptr<TMiravoMembership>> list;
    size_t pos = 0;
    ParseMembershipList(line, pos, list, nullptr);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0]->ConfNo(), 5);
    EXPECT_EQ(list[1]->ReadTexts(), std::vector<int32_t>{4});
    EXPECT_EQ(list[2]->Priority(), 50);

    std::vector<std::shared_ptr<TMiravoMembership>> none;
    size_t pos2 = 0;
    ParseMembershipList("2147483647 { " + kT1 + " 5 100 10 0 *", pos2, none, nullptr);
    EXPECT_EQ(none.size(), 1u);
    size_t pos3 = 0;
    ParseMembershipList("0 *", pos3, none, nullptr);
    EXPECT_EQ(none.size(), 1u);
}

// A request's reply fails when a list in it ended before its count; the
// parsers say so while keeping what did arrive.
TEST(RecordParsers, ListsSayWhetherTheirCountWasMet)
{
    struct Case {
        const char* name;
        std::function<bool()> parse;
        bool complete;
    };
    TextStatType stat;
    TMiravoMembership m;
    std::vector<std::shared_ptr<TMiravoMembership>> list;
    const std::vector<Case> cases = {
        {"text status, whole", [&] { size_t p = 0; return ParseTextStat(kT1 + " 6 3 120 0 2 { 0 5 6 17 } 1", p, stat); }, true},
        {"text status, star", [&] { size_t p = 0; return ParseTextStat(kT1 + " 6 3 120 0 9 *", p, stat); }, true},
        {"text status, short", [&] { size_t p = 0; return ParseTextStat(kT1 + " 6 3 120 0 3 { 0 5 }", p, stat); }, false},
        {"aux items, whole", [&] { size_t p = 0; return ParseAuxItemList("1 { 3 1 9 " + kT1 + " 00000000 0 3Hxyz }", p, stat); }, true},
        {"aux items, short", [&] { size_t p = 0; return ParseAuxItemList("2 { 3 1 9 " + kT1 + " 00000000 0 3Hxyz }", p, stat); }, false},
        {"membership, whole", [&] { size_t p = 0; return ParseMembership(kT1 + " 5 100 10 2 { 14 17 }", p, m); }, true},
        {"membership, junk", [&] { size_t p = 0; return ParseMembership(kT1 + " 5 100 10 2 { 14 Q }", p, m); }, false},
        {"membership list, whole", [&] { size_t p = 0; return ParseMembershipList("1 { " + kT1 + " 5 100 10 0 * }", p, list, nullptr); }, true},
        {"membership list, short", [&] { size_t p = 0; return ParseMembershipList("2 { " + kT1 + " 5 100 10 0 * }", p, list, nullptr); }, false},
        {"membership list, short inside",
         [&] { size_t p = 0; return ParseMembershipList("1 { " + kT1 + " 5 100 10 3 { 11 } }", p, list, nullptr); }, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.parse(), c.complete) << c.name;
}

TEST(RecordParsers, ConfStatFull)
{
    const std::string line = "11HNews & more 00001000 " + kT1 + " " + kT2 + " 6 100 7 8 9 1010 77 88 15 240";
    TMiravoConferenceBase conf(42);
    size_t pos = 0;
    ParseConfStatFull(line, pos, conf);
    EXPECT_EQ(pos, line.size());
    EXPECT_TRUE(conf.FullLoaded());
    EXPECT_FALSE(conf.ShortLoaded());
    const ConfStatFields f = conf.Snapshot();
    EXPECT_EQ(f.confNo, 42);
    EXPECT_EQ(f.name, "News & more");
    EXPECT_EQ(f.type, "00001000");
    EXPECT_EQ(FormatDateTime(f.creationTime), "1999-12-05 14:30:12");
    EXPECT_EQ(FormatDateTime(f.lastTextTime), "2024-01-01 08:00:00");
    EXPECT_EQ(f.personNo, 6);
    EXPECT_EQ(f.presentation, 100);
    EXPECT_EQ(f.supervisor, 7);
    EXPECT_EQ(f.otherConfNo, 8);
    EXPECT_EQ(f.superConf, 9);
    EXPECT_EQ(f.msgOfDay, 1010);
    EXPECT_EQ(f.extra1, 77);
    EXPECT_EQ(f.extra2, 88);
    EXPECT_EQ(f.firstLocalNo, 15);
    EXPECT_EQ(f.noOfTexts, 240);
    EXPECT_EQ(f.highestLocalNo, 0);
}

TEST(RecordParsers, ConfStatShort)
{
    TMiravoConferenceBase conf(42);
    const std::string line = "4HNews 00001000 254 3";
    size_t pos = 0;
    ParseConfStatShort(line, pos, conf);
    EXPECT_TRUE(conf.ShortLoaded());
    EXPECT_FALSE(conf.FullLoaded());
    const ConfStatFields f = conf.Snapshot();
    EXPECT_EQ(f.name, "News");
    EXPECT_EQ(f.type, "00001000");
    EXPECT_EQ(f.highestLocalNo, 254);
    EXPECT_EQ(f.extra1, 3);
}

} // namespace
} // namespace pellar
