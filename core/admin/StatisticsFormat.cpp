#include "core/admin/StatisticsFormat.h"

#include <cstdio>

#include "core/session/Client.h"

namespace pellar {

namespace {

std::string Printf(const char* format, double value)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, format, value);
    return buf;
}

} // namespace

std::string StatisticsFormat::ByteSize(uint64_t bytes)
{
    if (bytes < 4096)
        return std::to_string(bytes) + " Bytes";
    if (bytes < 1024000)
        return Printf("%4.2f kBytes", static_cast<double>(bytes) / 1024.0);
    return Printf("%4.2f MBytes", static_cast<double>(bytes) / 1024000.0);
}

std::string StatisticsFormat::HitRate(uint64_t hits, uint64_t misses)
{
    const uint64_t total = hits + misses;
    if (total == 0)
        return "(0/0) 0%";
    return "(" + std::to_string(hits) + "/" + std::to_string(misses) + ") " +
           Printf("%2.2f%%", 100.0 * static_cast<double>(hits) / static_cast<double>(total));
}

StatisticsFields StatisticsFormat::Collect(Client& client, uint64_t asyncMessages)
{
    StatisticsFields f;
    const auto& counters = client.Counters();
    f.bytesSent = ByteSize(counters.bytesSent.load());
    f.bytesReceived = ByteSize(counters.bytesReceived.load());
    f.transactions = std::to_string(counters.requestsSent.load());
    f.asyncMessages = std::to_string(asyncMessages);
    const CacheStatistics s = client.Cache().Statistics();
    f.nameHitRate = HitRate(s.nameHits, s.nameMisses);
    f.textStatHitRate = HitRate(s.statHits, s.statMisses);
    f.textBodyHitRate = HitRate(s.textHits, s.textMisses);
    return f;
}

} // namespace pellar
