// The Store's undo log: how each record changed since the last commit
// looked before its first change, and how a failed commit puts it back.
#include <utility>

#include "server/Store.h"

namespace miravod {

void Store::KeepConf(int32_t n, bool withMap)
{
    auto [entry, fresh] = undo_.confs.try_emplace(n);
    UndoLog::Conf& u = entry->second;
    auto it = confs_.find(n);
    if (it == confs_.end()) return; // new since the last commit, or already gone
    Conference& c = it->second;
    if (fresh) {
        u.mapSize = c.map.size();
        if (withMap) {
            u.before = c;
            u.withMap = true;
        } else {
            // The map can hold a great many entries: leave it out of the copy.
            std::vector<int32_t> map;
            std::swap(map, c.map);
            u.before = c;
            std::swap(map, c.map);
        }
        return;
    }
    if (withMap && u.before && !u.withMap) {
        // About to be erased after earlier changes: rebuild the old map now.
        std::vector<int32_t> map(c.map.begin(), c.map.begin() + static_cast<std::ptrdiff_t>(std::min(u.mapSize, c.map.size())));
        for (auto r = u.cleared.rbegin(); r != u.cleared.rend(); ++r) {
            if (r->first < map.size()) map[r->first] = r->second;
        }
        u.before->map = std::move(map);
        u.withMap = true;
    }
}

void Store::KeepPerson(int32_t n)
{
    if (undo_.persons.count(n)) return;
    auto it = persons_.find(n);
    undo_.persons.emplace(n, it == persons_.end() ? std::nullopt : std::optional<Person>(it->second));
}

void Store::KeepText(int32_t n)
{
    if (undo_.texts.count(n)) return;
    auto it = texts_.find(n);
    undo_.texts.emplace(n, it == texts_.end() ? std::nullopt : std::optional<Text>(it->second));
}

void Store::KeepMeta()
{
    if (undo_.meta) return;
    undo_.meta = true;
    undo_.info = info_;
    undo_.nextConf = nextConf_;
    undo_.nextText = nextText_;
}

void Store::Rollback()
{
    for (auto& [n, u] : undo_.confs) {
        if (!u.before) {
            confs_.erase(n);
            continue;
        }
        if (u.withMap) {
            confs_[n] = std::move(*u.before);
            continue;
        }
        auto it = confs_.find(n);
        std::vector<int32_t> map;
        if (it != confs_.end()) map = std::move(it->second.map);
        map.resize(u.mapSize);
        for (auto r = u.cleared.rbegin(); r != u.cleared.rend(); ++r) {
            if (r->first < map.size()) map[r->first] = r->second;
        }
        Conference& c = confs_[n] = std::move(*u.before);
        c.map = std::move(map);
    }
    for (auto& [n, before] : undo_.persons) {
        if (before) {
            persons_[n] = std::move(*before);
        } else {
            persons_.erase(n);
        }
    }
    for (auto& [n, before] : undo_.texts) {
        if (before) {
            texts_[n] = std::move(*before);
        } else {
            texts_.erase(n);
        }
    }
    if (undo_.meta) {
        info_ = undo_.info;
        nextConf_ = undo_.nextConf;
        nextText_ = undo_.nextText;
    }
}

} // namespace miravod
