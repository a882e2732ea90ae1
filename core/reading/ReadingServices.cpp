#include "core/reading/ReadingServices.h"

#include "core/wire/TMiravoText.h"

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

void ReadingServices::FetchOutline(const std::vector<int32_t>& texts, const std::function<bool()>& stop,
                                   const std::function<void(const std::vector<int32_t>&)>& landed)
{
    constexpr size_t kPart = 64;
    for (size_t first = 0; first < texts.size(); first += kPart) {
        if (stop && stop())
            return;
        const std::vector<int32_t> part(texts.begin() + static_cast<std::ptrdiff_t>(first),
                                        texts.begin() + static_cast<std::ptrdiff_t>(std::min(texts.size(), first + kPart)));
        FetchTogether(FetchList{part, part, {}});
        if (landed)
            landed(part);
    }
}

std::string ReadingServices::Subject(int32_t text)
{
    const std::shared_ptr<TMiravoText> body = GetText(text);
    return body ? body->Subject() : std::string();
}

} // namespace pellar
