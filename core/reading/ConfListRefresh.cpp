#include "core/reading/ConfListRefresh.h"

#include <algorithm>
#include <cstddef>
#include <memory>

#include "core/wire/TMiravoMembership.h"
#include "core/session/MVCache.h"

namespace pellar {

namespace {

bool HasRow(const ConfListRefreshInput& input, int32_t conf)
{
    return input.hasRow && input.hasRow(conf);
}

struct Member {
    int32_t conf;
    std::shared_ptr<TMiravoMembership> membership;
};

// The conferences whose statuses the refresh will read: those that may hold
// unread texts (for the count) and those about to get a row whatever their
// count (for the name).
std::vector<int32_t> StatusesNeeded(MVCache& cache, const std::vector<Member>& members,
                                    const ConfListRefreshInput& input)
{
    std::vector<int32_t> needed;
    for (const Member& m : members) {
        if (m.membership->Removed() || (input.changedOnly && !m.membership->Changed()))
            continue;
        const bool alwaysShown = m.conf == input.readingConference || input.showEntireMembership;
        const bool needsName = alwaysShown && !HasRow(input, m.conf) && cache.IsNameCached(m.conf) < 0;
        if (m.membership->MayHaveUnread() || needsName)
            needed.push_back(m.conf);
    }
    return needed;
}

} // namespace

namespace {

std::string Grouped(size_t n)
{
    std::string digits = std::to_string(n);
    for (size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, ",");
    return digits;
}

} // namespace

std::string ConfListProgressText(size_t done, size_t total)
{
    return "Loading conferences: " + Grouped(done) + " of " + Grouped(total);
}

ConfListChanges PlanConfListRefresh(MVCache& cache, const ConfListRefreshInput& input)
{
    std::vector<Member> members;
    if (input.changedOnly) {
        for (auto& membership : cache.ChangedMemberships()) {
            const int32_t conf = membership->ConfNo();
            members.push_back({conf, std::move(membership)});
        }
    } else {
        std::vector<int32_t> confs;
        cache.ListMemberConferences(confs);
        members.reserve(confs.size());
        for (const int32_t conf : confs)
            if (auto membership = cache.GetMembership(conf))
                members.push_back({conf, std::move(membership)});
    }
    cache.LoadConferenceStatuses(StatusesNeeded(cache, members, input));

    ConfListChanges changes;
    const size_t step = std::max<size_t>(1, members.size() / 100);
    size_t done = 0;
    for (const Member& m : members) {
        if (input.progress && done % step == 0)
            input.progress(done, members.size());
        ++done;
        TMiravoMembership& membership = *m.membership;
        const bool hasRow = HasRow(input, m.conf);
        if (membership.Changed() && membership.Removed()) {
            if (hasRow)
                changes.removed.push_back(m.conf);
            membership.SetChanged(false);
            continue;
        }
        const bool removed = membership.Removed();
        const int32_t unread = removed ? 0 : membership.UnreadCount();
        const bool shown = !removed && (m.conf == input.readingConference || input.showEntireMembership || unread > 0);
        if (hasRow && !shown)
            changes.removed.push_back(m.conf);
        else if (hasRow)
            changes.updated.push_back({m.conf, {}, membership.Priority(), unread});
        else if (shown && !input.changedOnly)
            changes.added.push_back({m.conf, cache.GetName(m.conf), membership.Priority(), unread});
        membership.SetChanged(false);
    }
    if (input.progress)
        input.progress(members.size(), members.size());
    return changes;
}

} // namespace pellar
