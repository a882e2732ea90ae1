#include "core/reading/NextUnread.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/wire/TMiravoConference.h"
#include "core/wire/TMiravoMembership.h"
#include "core/wire/TextStatType.h"
#include "core/reading/ReadingServices.h"
#include "core/reading/TCurrentReadStatus.h"

namespace pellar {

namespace {

bool Holds(const ExclusionList* list, int32_t text)
{
    int index;
    return list && list->Find(text, index);
}

bool Holds(const TSortedIntegerList<>& list, int32_t text)
{
    int index;
    return list.Find(text, index);
}

int32_t FirstChild(ReadingServices& services, TCurrentReadStatus& status, int32_t parent, const TextStatType& stat,
                   const ExclusionList* exclusion)
{
    const int32_t foot = CheckForMiscInfoTexts(services, status, parent, stat, LinkClass::FootIn, exclusion);
    if (foot != -1)
        return foot;
    return CheckForMiscInfoTexts(services, status, parent, stat, LinkClass::CommIn, exclusion);
}

// The one walk behind MarkTextRead and MarkTreeRead, iterative so that a deep
// tree cannot exhaust the thread's stack. A text is walked at most once per
// call: marking is idempotent, and this is what ends link cycles.
void MarkWalk(ReadingServices& services, int32_t top, bool footnotes, bool tree)
{
    struct Frame {
        int32_t text;
        std::vector<std::shared_ptr<const TMiscInfo>> items;
        size_t next = 0;
    };
    TSortedIntegerList<> visited;  // texts that were marked through a membership
    TSortedIntegerList<> entered;
    std::vector<Frame> frames;
    auto enter = [&](int32_t text) {
        if (entered.Add(text) < 0)
            return;
        if (const std::shared_ptr<TextStatType> stat = services.GetTextStat(text))
            frames.push_back(Frame{text, stat->MiscInfos()});
    };
    enter(top);
    while (!frames.empty()) {
        Frame& frame = frames.back();
        if (frame.next >= frame.items.size()) {
            frames.pop_back();
            continue;
        }
        const std::shared_ptr<const TMiscInfo> item = frame.items[frame.next++];
        const int32_t text = frame.text;
        if (const auto* normal = dynamic_cast<const TMiscInfoNormal*>(item.get())) {
            if (const auto membership = services.Membership(normal->confNo)) {
                visited.Add(text);
                if (!membership->IsRead(normal->localNo))
                    membership->MarkRead(normal->localNo, true);
            }
            continue;
        }
        const bool isFootIn = dynamic_cast<const TMiscInfoFootIn*>(item.get()) != nullptr;
        const bool isCommIn = dynamic_cast<const TMiscInfoCommIn*>(item.get()) != nullptr;
        if (!isFootIn && !isCommIn)
            continue;
        const int32_t linked = static_cast<const TMiscInfoGText&>(*item).textNo;
        // enter() may grow frames: frame is not used after these calls.
        if (footnotes && isFootIn)
            enter(linked);
        if (tree && !Holds(visited, linked))
            enter(linked);
    }
}

void AddName(std::vector<int32_t>& names, int32_t number)
{
    if (number == 0)
        return;
    for (int32_t n : names) {
        if (n == number)
            return;
    }
    names.push_back(number);
}

// Author, recipients and who sent them, and who sent each comment-to link.
void CollectNames(const TextStatType& stat, std::vector<int32_t>& names)
{
    AddName(names, stat.Author());
    for (const auto& item : stat.MiscInfos()) {
        if (const auto* normal = dynamic_cast<const TMiscInfoNormal*>(item.get())) {
            AddName(names, normal->confNo);
            AddName(names, normal->sentBy);
        } else if (const auto* commTo = dynamic_cast<const TMiscInfoCommTo*>(item.get())) {
            AddName(names, commTo->sentBy);
        }
    }
}

// The second and third rounds of a prefetch, once the texts' statuses are
// known: their bodies, names and linked texts side by side, then the names
// the linked statuses brought.
void PrefetchAround(ReadingServices& services, const std::vector<std::pair<int32_t, std::shared_ptr<TextStatType>>>& known,
                    const PrefetchHooks& hooks)
{
    FetchList round;
    std::vector<int32_t> withStatus;
    for (const auto& [text, stat] : known) {
        round.texts.push_back(text);
        CollectNames(*stat, round.names);
        for (const auto& item : stat->MiscInfos()) {
            const auto* link = dynamic_cast<const TMiscInfoGText*>(item.get());
            if (!link)
                continue;
            round.texts.push_back(link->textNo);
            if (dynamic_cast<const TMiscInfoFootTo*>(link))
                continue;
            round.stats.push_back(link->textNo);
            withStatus.push_back(link->textNo);
        }
    }
    services.FetchTogether(round, hooks.slowAfterMs, hooks.whileSlow);
    if (hooks.stop && hooks.stop())
        return;

    FetchList names;
    for (int32_t linked : withStatus) {
        if (const auto linkedStat = services.GetTextStat(linked))
            CollectNames(*linkedStat, names.names);
    }
    if (!names.names.empty())
        services.FetchTogether(names, hooks.slowAfterMs, hooks.whileSlow);
}

} // namespace

int32_t GetNextUnread(ReadingServices& services, TCurrentReadStatus& status, TMiravoMembership* membership,
                      const ExclusionList* exclusion)
{
    if (!membership)
        return -1;
    if (const int32_t current = status.CurrentText(); current != 0) {
        if (const auto stat = services.GetTextStat(current)) {
            const int32_t child = FirstChild(services, status, current, *stat, exclusion);
            if (child != -1)
                return child;
        }
    }
    while (status.Count() > 0) {
        const int32_t parent = status.Pop();
        if (const auto stat = services.GetTextStat(parent)) {
            const int32_t child = FirstChild(services, status, parent, *stat, exclusion);
            if (child != -1)
                return child;
        }
    }
    return GetNextUnreadRoot(services, status, *membership, exclusion);
}

int32_t CheckForMiscInfoTexts(ReadingServices& services, TCurrentReadStatus& status, int32_t parent,
                              const TextStatType& parentStatus, LinkClass linkClass, const ExclusionList* exclusion)
{
    for (const auto& item : parentStatus.MiscInfos()) {
        const TMiscInfoGText* link = nullptr;
        if (linkClass == LinkClass::FootIn)
            link = dynamic_cast<const TMiscInfoFootIn*>(item.get());
        else
            link = dynamic_cast<const TMiscInfoCommIn*>(item.get());
        if (!link || Holds(exclusion, link->textNo))
            continue;
        if (CheckGlobalText(services, link->textNo)) {
            status.Push(parent);
            return link->textNo;
        }
    }
    return -1;
}

int32_t GetNextUnreadRoot(ReadingServices& services, TCurrentReadStatus& status, TMiravoMembership& membership,
                          const ExclusionList* exclusion)
{
    const int32_t confNo = status.Conference();
    const std::shared_ptr<TMiravoConference> conf = services.Conference(confNo);
    if (!conf)
        return -1;
    int64_t from = int64_t{membership.LastTextRead()} + 1;
    for (;;) {
        const int32_t highest = conf->HighestLocalNo();
        if (highest < from)
            return -1;
        const int32_t local = conf->FindNextText(static_cast<int32_t>(from), highest, &membership, true);
        if (local < 1)
            return -1;
        const int32_t global = conf->GlobalOf(local, false);
        from = int64_t{local} + 1;
        if (Holds(exclusion, global)) {
            services.Log("GetNextUnreadRoot", "Rejected " + std::to_string(global) + " by explicit exclution");
            continue;
        }
        if (CheckGlobalText(services, global))
            return global;
        MarkTextRead(services, global, false);
        // A text whose recipients no longer name this conference is not
        // marked here by the walk above; mark the local number itself, or the
        // conference would keep counting it unread and be offered for ever.
        const auto real = services.Membership(confNo);
        if (real && !real->IsRead(local))
            real->MarkRead(local, true);
        if (real.get() != &membership)
            membership.MarkRead(local, false);
    }
}

bool CheckGlobalText(ReadingServices& services, int32_t text)
{
    const std::string t = std::to_string(text);
    const std::shared_ptr<TextStatType> stat = text < 1 ? nullptr : services.GetTextStat(text);
    if (!stat) {
        services.Log("CheckGlobalText", "Rejected " + t + " on illeagal text number");
        return false;
    }
    for (const auto& item : stat->MiscInfos()) {
        const auto* normal = dynamic_cast<const TMiscInfoNormal*>(item.get());
        if (!normal)
            continue;
        const std::string c = std::to_string(normal->confNo);
        const auto membership = services.Membership(normal->confNo);
        if (!membership) {
            services.Log("CheckGlobalText", "Rejected " + t + " on non membership in conf: " + c);
            continue;
        }
        const auto conf = services.Conference(normal->confNo);
        if (!conf) {
            services.Log("CheckGlobalText", "Rejected " + t + " on non available conf info for conf: " + c);
            continue;
        }
        if (conf->GlobalOf(normal->localNo, false) < 1) {
            services.Log("CheckGlobalText", "Rejected " + t + " on non available GText mapping for LText: " +
                                                std::to_string(normal->localNo) + " in conf: " + c);
            continue;
        }
        if (!membership->IsRead(normal->localNo))
            return true;
        services.Log("CheckGlobalText", "Rejected " + t + " as it is already read in conf: " + c);
    }
    return false;
}

bool IsAddedTextWanted(ReadingServices& services, int32_t text)
{
    const std::shared_ptr<TextStatType> stat = text < 1 ? nullptr : services.GetTextStat(text);
    if (!stat)
        return false;
    bool unreadDirect = false, unreadAdded = false, readSomewhere = false;
    for (const auto& item : stat->MiscInfos()) {
        const auto* normal = dynamic_cast<const TMiscInfoNormal*>(item.get());
        if (!normal)
            continue;
        const auto membership = services.Membership(normal->confNo);
        if (!membership)
            continue;
        if (membership->IsRead(normal->localNo))
            readSomewhere = true;
        else if (normal->sentBy != 0)
            unreadAdded = true;
        else
            unreadDirect = true;
    }
    if (unreadAdded && !unreadDirect && readSomewhere) {
        MarkTextRead(services, text, false);
        return false;
    }
    return unreadAdded || unreadDirect;
}

void MarkTextRead(ReadingServices& services, int32_t text, bool alsoFootnotes)
{
    MarkWalk(services, text, alsoFootnotes, false);
}

void MarkTreeRead(ReadingServices& services, int32_t text)
{
    MarkWalk(services, text, false, true);
}

int32_t FindRootText(ReadingServices& services, int32_t text)
{
    TSortedIntegerList<> seen;
    int32_t current = text;
    for (;;) {
        const std::shared_ptr<TextStatType> stat = services.GetTextStat(current);
        if (!stat)
            return 0;
        seen.Add(current);
        int32_t parent = 0;
        for (const auto& item : stat->MiscInfos()) {
            const auto* link = dynamic_cast<const TMiscInfoGText*>(item.get());
            if (link && (dynamic_cast<const TMiscInfoCommTo*>(link) || dynamic_cast<const TMiscInfoFootTo*>(link))) {
                parent = link->textNo;
                break;
            }
        }
        if (parent == 0 || Holds(seen, parent))
            return current;
        current = parent;
    }
}

void PrefetchText(ReadingServices& services, int32_t text)
{
    std::shared_ptr<TextStatType> stat = services.GetTextStat(text);
    if (!stat)
        return;
    PrefetchAround(services, {{text, std::move(stat)}}, {});
}

void PrefetchTexts(ReadingServices& services, const std::vector<int32_t>& texts, const PrefetchHooks& hooks)
{
    FetchList statuses;
    statuses.stats = texts;
    services.FetchTogether(statuses, hooks.slowAfterMs, hooks.whileSlow);
    if (hooks.stop && hooks.stop())
        return;
    std::vector<std::pair<int32_t, std::shared_ptr<TextStatType>>> known;
    for (int32_t text : texts) {
        if (std::shared_ptr<TextStatType> stat = services.GetTextStat(text))
            known.emplace_back(text, std::move(stat));
    }
    if (!known.empty())
        PrefetchAround(services, known, hooks);
}

} // namespace pellar
