// Which texts read with read-next stay in the caches: the last few hundred
// (going back, the commented pane and the walk's way up a comment tree need
// them), not every one of a conference of ten thousand. The oldest beyond
// the bound is handed out to be forgotten; the cache fetches it again should
// anyone ask.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <unordered_map>
#include <utility>

namespace pellar {

class ReadTextsKept {
public:
    static constexpr size_t kDefaultBound = 500;
    explicit ReadTextsKept(size_t bound = kDefaultBound) : bound_(bound) {}

    // The text was shown; the oldest one past the bound, if any, to forget.
    // A text shown again counts from its newest showing.
    std::optional<int32_t> Shown(int32_t text);
    void Clear();
    size_t Size() const { return newest_.size(); }

private:
    size_t bound_;
    uint64_t count_ = 0;
    std::deque<std::pair<int32_t, uint64_t>> order_;  // (text, showing), oldest first
    std::unordered_map<int32_t, uint64_t> newest_;    // text -> its newest showing
};

} // namespace pellar
