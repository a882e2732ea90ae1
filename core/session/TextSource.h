// Where article layout and text search get texts, statuses and names from:
// one port, and its adapter over the client's caches. The read-next worker
// has normally prefetched what layout needs, so the calls rarely wait.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace pellar {

class MVCache;
class TextStatType;
class TMiravoText;

// What a list built from the caches depends on, as two counts that only
// grow while the caches keep their records: statuses, texts, names and
// memberships forgotten or replaced, and read marks set in the cached
// memberships. A list kept from an equal version shows what building it
// again would.
struct CacheVersion {
    uint64_t changes = 0;
    uint64_t reads = 0;
    bool operator==(const CacheVersion&) const = default;
};

class TextSource {
public:
    virtual ~TextSource() = default;
    virtual std::shared_ptr<TMiravoText> GetText(int32_t text) = 0;       // null: none
    virtual std::shared_ptr<TextStatType> GetTextStat(int32_t text) = 0;  // null: none
    virtual std::string GetName(int32_t number) = 0;                      // "*Unknown*" on failure
};

class CacheTextSource : public TextSource {
public:
    explicit CacheTextSource(MVCache& cache) : cache_(cache) {}
    std::shared_ptr<TMiravoText> GetText(int32_t text) override;
    std::shared_ptr<TextStatType> GetTextStat(int32_t text) override;
    std::string GetName(int32_t number) override;

private:
    MVCache& cache_;
};

} // namespace pellar
