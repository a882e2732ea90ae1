#include "core/reading/ReadingServices.h"

namespace pellar {

void ReadingServices::FetchTogether(const FetchList& list, int, const std::function<void()>&)
{
    std::vector<std::function<void()>> jobs;
    for (int32_t text : list.stats) {
        if (!IsTextStatCached(text))
            jobs.push_back([this, text] { GetTextStat(text); });
    }
    for (int32_t text : list.texts)
        jobs.push_back([this, text] { GetText(text); });
    for (int32_t number : list.names) {
        if (!IsNameCached(number))
            jobs.push_back([this, number] { FetchName(number); });
    }
    if (!jobs.empty())
        RunTogether(std::move(jobs));
}

} // namespace pellar
