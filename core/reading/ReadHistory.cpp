#include "core/reading/ReadHistory.h"

namespace pellar {

void ReadHistory::Add(int32_t text)
{
    texts_.push_back(text);
    index_ = Size() - 1;
}

std::optional<int32_t> ReadHistory::Back()
{
    if (!CanGoBack())
        return std::nullopt;
    return At(--index_);
}

std::optional<int32_t> ReadHistory::Forward()
{
    if (!CanGoForward())
        return std::nullopt;
    return At(++index_);
}

std::vector<int> ReadHistory::BackEntries() const
{
    std::vector<int> entries;
    for (int i = index_ - 1; i >= 0 && static_cast<int>(entries.size()) < kDropDownEntries; --i)
        entries.push_back(i);
    return entries;
}

std::vector<int> ReadHistory::ForwardEntries() const
{
    std::vector<int> entries;
    for (int i = index_ + 1; i < Size() && static_cast<int>(entries.size()) < kDropDownEntries; ++i)
        entries.push_back(i);
    return entries;
}

std::optional<int32_t> ReadHistory::JumpTo(int entry)
{
    if (entry < 0 || entry >= Size())
        return std::nullopt;
    index_ = entry;
    return At(entry);
}

void ReadHistory::Clear()
{
    texts_.clear();
    index_ = -1;
}

} // namespace pellar
