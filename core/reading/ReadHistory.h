// The texts shown in the reading window, in order, with the position of the
// one on screen. Going back and then showing a new text appends it at the
// end; the entries after the old position stay.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace pellar {

class ReadHistory {
public:
    // Entries the back and forward drop-downs offer at most.
    static constexpr int kDropDownEntries = 6;

    void Add(int32_t text);
    // The text one step back or forward, made the current entry; none at the end.
    std::optional<int32_t> Back();
    std::optional<int32_t> Forward();
    bool CanGoBack() const { return index_ > 0; }
    bool CanGoForward() const { return index_ + 1 < static_cast<int>(texts_.size()); }
    // Entry indices for the drop-downs, nearest first.
    std::vector<int> BackEntries() const;
    std::vector<int> ForwardEntries() const;
    // Makes the entry current; its text, or none for a bad index.
    std::optional<int32_t> JumpTo(int entry);
    void Clear();

    int Index() const { return index_; }
    int Size() const { return static_cast<int>(texts_.size()); }
    int32_t At(int entry) const { return texts_.at(static_cast<size_t>(entry)); }

private:
    std::vector<int32_t> texts_;
    int index_ = -1;
};

} // namespace pellar
