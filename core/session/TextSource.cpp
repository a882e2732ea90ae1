#include "core/session/TextSource.h"

#include "core/session/MVCache.h"

namespace pellar {

std::shared_ptr<TMiravoText> CacheTextSource::GetText(int32_t text)
{
    return cache_.GetText(text);
}

std::shared_ptr<TextStatType> CacheTextSource::GetTextStat(int32_t text)
{
    return cache_.GetTextStat(text);
}

std::string CacheTextSource::GetName(int32_t number)
{
    return cache_.GetName(number);
}

} // namespace pellar
