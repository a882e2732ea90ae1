// What a refresh of the reading window's conference list changes, decided
// without the widget: the rows that go, the rows whose counts change and the
// rows that come, with names and unread counts already known. The statuses
// behind the counts and names are brought in together, with one wait, so a
// refresh costs the same number of round trips for ten memberships or a
// thousand.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pellar {

class MVCache;

struct ConfListEntry {
    int32_t conf = 0;
    std::string name;  // set for added rows only: a shown row keeps its name
    int32_t priority = 0;
    int32_t unread = 0;
};

struct ConfListChanges {
    std::vector<int32_t> removed;
    std::vector<ConfListEntry> updated;
    std::vector<ConfListEntry> added;  // in membership order; the list sorts them
};

struct ConfListRefreshInput {
    int32_t readingConference = 0;  // always shown
    bool showEntireMembership = false;
    std::function<bool(int32_t conf)> hasRow;  // whether the list shows the conference now; none: no rows
    // Only memberships whose changed flag is set are looked at, and no row
    // is added: what a read-next step needs after marking a text read, at
    // the cost of the conferences it touched rather than of every one.
    bool changedOnly = false;
    // Told how far the walk is (conferences done, of total) about every
    // hundredth of the way and at its end; a long list's first fill may wait
    // on the server for many of them.
    std::function<void(size_t done, size_t total)> progress;
};

// "Loading conferences: 120 of 1,011", for the box the walk runs under.
std::string ConfListProgressText(size_t done, size_t total);

// Walks the memberships in the cache (clearing their changed flags) and says
// what the list must do to match them.
ConfListChanges PlanConfListRefresh(MVCache& cache, const ConfListRefreshInput& input);

} // namespace pellar
