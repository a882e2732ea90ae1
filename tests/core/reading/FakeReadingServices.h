// A scripted world for the reading unit tests: conferences, texts with their
// links, memberships and names held in maps, every look-up and request
// recorded. Records reach it through FakeRecordServices, so marks the
// memberships report show up in records.marked.
#pragma once

#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/wire/MiravoTypes.h"
#include "core/reading/ReadingServices.h"
#include "support/FakeRecordServices.h"
#include "support/Lookup.h"
#include "support/MiscItems.h"

namespace pellar::test {

class FakeReadingServices : public ReadingServices
{
public:
    FakeRecordServices records;
    std::map<int32_t, std::shared_ptr<TextStatType>>& stats = records.textStats;
    std::map<int32_t, std::shared_ptr<TMiravoText>> bodies;
    std::map<int32_t, std::shared_ptr<TMiravoMembership>> memberships;
    std::map<int32_t, std::string> names;
    std::set<int32_t> cachedNames;
    std::set<int32_t> cachedStats;  // what IsTextStatCached reports
    std::map<int32_t, std::optional<std::string>> replies;  // by request number
    std::set<int32_t> hiddenConfs;                          // Conference() gives none

    std::vector<std::string> log;
    std::vector<int32_t> statLookups, textLookups, nameFetches;
    std::vector<std::vector<int32_t>> requests;
    bool filterAdded = true;
    bool disconnecting = false;
    // Whether Version() answers; its changes count is `changes`, its read
    // count the memberships' own, as the client's cache keeps them.
    bool versioned = false;
    uint64_t changes = 0;

    // --- Building the world ------------------------------------------------
    void AddConference(int32_t conf)
    {
        ConfStatFields f;
        f.firstLocalNo = 1;
        records.fullStatus[conf] = f;
        records.highestLocal[conf] = 0;
        records.conferences[conf] = std::make_shared<TMiravoConference>(conf, &records);
    }
    TMiravoMembership& Join(int32_t conf, int32_t priority = 100)
    {
        auto m = std::make_shared<TMiravoMembership>(conf, &records);
        m->SetPriority(priority);
        m->SetMayHaveUnread(true);
        memberships[conf] = m;
        return *m;
    }
    // Conferences made and joined at one priority.
    void Joined(std::initializer_list<int32_t> confs, int32_t priority = 100)
    {
        for (int32_t conf : confs) {
            AddConference(conf);
            Join(conf, priority);
        }
    }
    // A new local number in conf for text (0 text: a deleted local number).
    int32_t NextLocal(int32_t conf, int32_t text)
    {
        const int32_t local = ++records.highestLocal[conf];
        records.fullStatus[conf].noOfTexts = local;
        records.textMaps[conf][local] = text;
        return local;
    }
    TextStatType& Stat(int32_t text)
    {
        auto& s = stats[text];
        if (!s)
            s = std::make_shared<TextStatType>();
        return *s;
    }
    // A text sent to confs (recipients), by author, optionally commenting
    // and/or footnoting other texts.
    int32_t Post(int32_t text, const std::string& subject, std::vector<int32_t> confs, int32_t commentTo = 0,
                 int32_t footnoteTo = 0, int32_t author = 1)
    {
        TextStatType& s = Stat(text);
        s.SetHeader(0, author, 1, 10, 0);
        for (int32_t conf : confs)
            AddRecipient(text, conf, 0);
        if (commentTo)
            Link(text, commentTo, false);
        if (footnoteTo)
            Link(text, footnoteTo, true);
        bodies[text] = std::make_shared<TMiravoText>(text, subject + "\r\nbody\r\n");
        return text;
    }
    void AddRecipient(int32_t text, int32_t conf, int32_t sentBy, bool cc = false)
    {
        Stat(text).AddMiscInfo(Recipient(conf, NextLocal(conf, text), cc, sentBy));
    }
    // child comments (or footnotes) parent: both directions of the link.
    void Link(int32_t child, int32_t parent, bool footnote)
    {
        std::shared_ptr<TMiscInfoGText> up, down;
        if (footnote) {
            up = std::make_shared<TMiscInfoFootTo>();
            down = std::make_shared<TMiscInfoFootIn>();
        } else {
            up = std::make_shared<TMiscInfoCommTo>();
            down = std::make_shared<TMiscInfoCommIn>();
        }
        up->textNo = parent;
        down->textNo = child;
        Stat(child).AddMiscInfo(up);
        Stat(parent).AddMiscInfo(down);
    }
    int32_t LocalOf(int32_t text, int32_t conf)
    {
        for (const auto& item : Stat(text).MiscInfos())
            if (const auto* n = dynamic_cast<const TMiscInfoNormal*>(item.get()); n && n->confNo == conf)
                return n->localNo;
        return 0;
    }
    bool IsReadIn(int32_t text, int32_t conf) { return memberships.at(conf)->IsRead(LocalOf(text, conf)); }
    bool Logged(const std::string& line) const
    {
        for (const auto& l : log)
            if (l == line)
                return true;
        return false;
    }

    // --- ReadingServices ---------------------------------------------------
    std::shared_ptr<TextStatType> GetTextStat(int32_t text) override
    {
        statLookups.push_back(text);
        return Lookup(stats, text, nullptr);
    }
    bool IsTextStatCached(int32_t text) override { return cachedStats.count(text) > 0; }
    std::shared_ptr<TMiravoText> GetText(int32_t text) override
    {
        textLookups.push_back(text);
        return Lookup(bodies, text, nullptr);
    }
    std::shared_ptr<TMiravoMembership> Membership(int32_t conf) override { return Lookup(memberships, conf, nullptr); }
    std::shared_ptr<TMiravoConference> Conference(int32_t conf) override
    {
        if (conf == 0 || hiddenConfs.count(conf))
            return nullptr;
        auto& c = records.conferences[conf];
        if (!c)
            c = std::make_shared<TMiravoConference>(conf, &records);
        return c;
    }
    std::vector<int32_t> MemberConferences() override
    {
        std::vector<int32_t> out;
        for (const auto& [conf, m] : memberships)
            out.push_back(conf);
        return out;
    }
    bool IsNameCached(int32_t number) override { return cachedNames.count(number) > 0; }
    void FetchName(int32_t number) override
    {
        nameFetches.push_back(number);
        cachedNames.insert(number);
    }
    std::string GetName(int32_t number) override { return Lookup(names, number, "Person " + std::to_string(number)); }
    void RunTogether(std::vector<std::function<void()>> jobs) override
    {
        ++togetherCalls;
        for (auto& job : jobs)
            job();
    }
    std::optional<std::string> Request(std::string_view, const WireRequest& request) override
    {
        requests.push_back(Numbers(request));
        return Lookup(replies, Number(request.Number()), std::nullopt);
    }
    void Send(std::string_view, const WireRequest& request) override { requests.push_back(Numbers(request)); }
    // The number and the integer arguments, as the tests compare them.
    static std::vector<int32_t> Numbers(const WireRequest& request)
    {
        std::vector<int32_t> numbers{Number(request.Number())};
        for (const std::string& arg : request.Args())
            numbers.push_back(std::stoi(arg));
        return numbers;
    }
    int32_t CurrentPerson() override { return 6; }
    const LocalePort& Locale() override { return locale ? *locale : PlainLocalePort(); }
    bool FilterAddedTexts() override { return filterAdded; }
    std::optional<CacheVersion> Version() override
    {
        if (!versioned)
            return std::nullopt;
        CacheVersion version{changes, 0};
        for (const auto& [conf, m] : memberships)
            version.reads += m->ReadVersion();
        return version;
    }
    bool DisconnectInProgress() override { return disconnecting; }
    void Log(std::string_view tag, std::string_view text) override
    {
        log.push_back("[" + std::string(tag) + "] " + std::string(text));
    }

    int togetherCalls = 0;
    const LocalePort* locale = nullptr;  // null: the plain one
};

} // namespace pellar::test
