// What the statistics window shows: the connection's traffic as byte sizes
// and counts, and the caches' hit rates.
#pragma once

#include <cstdint>
#include <string>

namespace pellar {

class Client;

struct StatisticsFields {
    std::string bytesSent;
    std::string bytesReceived;
    std::string transactions;
    std::string asyncMessages;
    std::string nameHitRate;
    std::string textStatHitRate;
    std::string textBodyHitRate;
};

class StatisticsFormat {
public:
    // "%d Bytes" below 4096, "%4.2f kBytes" (÷1024) below 1024000, else
    // "%4.2f MBytes" (÷1024000).
    static std::string ByteSize(uint64_t bytes);
    // "(h/m) r%" with two decimals; "(0/0) 0%" before any look-up.
    static std::string HitRate(uint64_t hits, uint64_t misses);

    // Every field from the client's counters and caches; asyncMessages is
    // the count the asynchronous-message dispatch keeps.
    static StatisticsFields Collect(Client& client, uint64_t asyncMessages);
};

} // namespace pellar
