// One conference's texts for the search tests: local n holds global 1000 + n,
// by author 6 (even n) or 7 (odd n), subject "Subject n", with a time stamp
// that grows with n. Texts, statuses and names come through a TextSource.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <string>

#include "core/wire/TMiravoConference.h"
#include "core/wire/TMiravoMembership.h"
#include "core/wire/TMiravoText.h"
#include "core/wire/TextStatType.h"
#include "core/search/TTextSearchThread.h"
#include "support/FakeRecordServices.h"

namespace pellar::test {

class FakeSearchSource : public TextSource {
public:
    std::map<int32_t, std::shared_ptr<TextStatType>> stats;
    std::map<int32_t, std::shared_ptr<TMiravoText>> texts;
    std::atomic<int> bodyFetches{0};

    std::shared_ptr<TextStatType> GetTextStat(int32_t t) override
    {
        auto it = stats.find(t);
        return it == stats.end() ? nullptr : it->second;
    }
    std::shared_ptr<TMiravoText> GetText(int32_t t) override
    {
        ++bodyFetches;
        auto it = texts.find(t);
        return it == texts.end() ? nullptr : it->second;
    }
    std::string GetName(int32_t n) override { return "Person " + std::to_string(n); }
};

struct SearchWorld {
    static constexpr int32_t kConf = 20;

    // Locals first..highest, gapAt (if any) left without a text; params
    // point at the conference and the user's membership of it.
    void Seed(int32_t first, int32_t highest, int32_t gapAt = 0)
    {
        ConfStatFields f;
        f.confNo = kConf;
        f.firstLocalNo = first;
        f.highestLocalNo = highest;
        f.noOfTexts = highest - first + 1;
        records.fullStatus[kConf] = f;
        records.highestLocal[kConf] = highest;
        for (int32_t local = first; local <= highest; ++local) {
            if (local == gapAt)
                continue;
            const int32_t global = 1000 + local;
            records.textMaps[kConf][local] = global;
            auto stat = std::make_shared<TextStatType>();
            stat->SetHeader(45000 + local, local % 2 ? 7 : 6, 1, 1, 0);
            source.stats[global] = stat;
            source.texts[global] =
                std::make_shared<TMiravoText>(global, "Subject " + std::to_string(local) + "\r\nbody\r\n");
        }
        params.conference = std::make_shared<TMiravoConference>(kConf, &records);
        params.membership = std::make_shared<TMiravoMembership>(kConf, &records);
    }

    void SetText(int32_t local, std::string contents)
    {
        source.texts[1000 + local] = std::make_shared<TMiravoText>(1000 + local, std::move(contents));
    }

    FakeRecordServices records;
    FakeSearchSource source;
    FindTextParams params;
};

} // namespace pellar::test
