// A scripted RecordServices for record tests: serves conference status and
// text maps from tables, records every call, and notes whether a load was
// made while the calling thread held the record's lock.
#pragma once

#include <future>
#include <map>
#include <memory>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "core/wire/MiravoTypes.h"
#include "support/Lookup.h"

namespace pellar::test {

class FakeRecordServices : public RecordServices
{
public:
    std::map<int32_t, ConfStatFields> fullStatus;
    std::map<int32_t, int32_t> highestLocal;
    std::map<int32_t, std::map<int32_t, int32_t>> textMaps; // conf -> local -> global
    std::map<int32_t, std::shared_ptr<TMiravoConference>> conferences;
    std::map<int32_t, std::shared_ptr<TextStatType>> textStats;

    int fullLoads = 0;
    int shortLoads = 0;
    std::vector<std::tuple<int32_t, int32_t, int32_t>> mapLoads; // conf, first, count
    std::vector<std::pair<int32_t, int32_t>> marked;
    int textStatLookups = 0;
    bool loadedUnderLock = false;
    // Loads go unanswered (a cancelled wait, a lost link): nothing is stored.
    bool unanswered = false;

    // Conference conf, named "Full" with presentation 77, holding the local
    // numbers first to first + count - 1.
    std::shared_ptr<TMiravoConference> AddConference(int32_t conf, int32_t first, int32_t count)
    {
        ConfStatFields f;
        f.name = "Full";
        f.presentation = 77;
        f.firstLocalNo = first;
        f.noOfTexts = count;
        fullStatus[conf] = f;
        highestLocal[conf] = first + count - 1;
        return conferences[conf] = std::make_shared<TMiravoConference>(conf, this);
    }

    void LoadFullConfStatus(TMiravoConferenceBase& conf) override
    {
        ++fullLoads;
        NoteLock(conf);
        if (unanswered)
            return;
        if (auto it = fullStatus.find(conf.ConfNo()); it != fullStatus.end())
            conf.StoreFullStatus(it->second);
        else
            conf.SetFullLoaded(true);  // refused, as a server would
    }
    void LoadShortConfStatus(TMiravoConferenceBase& conf) override
    {
        ++shortLoads;
        NoteLock(conf);
        if (unanswered)
            return;
        if (auto it = highestLocal.find(conf.ConfNo()); it != highestLocal.end())
            conf.StoreShortStatus("short name", "0000", it->second, 0);
        else
            conf.SetShortLoaded(true);
    }
    bool LoadTextMap(int32_t conf, int32_t firstLocal, int32_t count, TSortedIntegerList<int32_t>& into) override
    {
        mapLoads.emplace_back(conf, firstLocal, count);
        if (auto c = conferences.find(conf); c != conferences.end())
            NoteLock(*c->second);
        if (unanswered)
            return false;
        const auto& map = textMaps[conf];
        for (int64_t local = firstLocal; local < int64_t{firstLocal} + count; ++local) {
            if (auto it = map.find(static_cast<int32_t>(local)); it != map.end())
                into.SetObject(into.Add(it->first), it->second);
        }
        return true;
    }
    std::shared_ptr<TMiravoConference> FindConference(int32_t conf) override
    {
        return Lookup(conferences, conf, nullptr);
    }
    std::shared_ptr<TextStatType> FindTextStat(int32_t text) override
    {
        ++textStatLookups;
        return Lookup(textStats, text, nullptr);
    }
    void NoteMarkedRead(int32_t conf, int32_t local) override { marked.emplace_back(conf, local); }

private:
    // Another thread cannot take the lock when this one holds it.
    void NoteLock(const TLockable& record)
    {
        const bool free = std::async(std::launch::async, [&record] {
                              if (!record.try_lock())
                                  return false;
                              record.unlock();
                              return true;
                          }).get();
        if (!free)
            loadedUnderLock = true;
    }
};

} // namespace pellar::test
