// A list of entries kept in ascending order of a 32-bit key, each carrying an
// object (none until set). Not locked itself: its users lock around it.
#pragma once

#include <cstdint>
#include <utility>
#include <variant>
#include <vector>

namespace pellar {

namespace detail {

// The shared binary search of both sorted containers. cmp(i) compares the
// element at i with the searched one (<0 smaller, 0 equal, >0 larger). On a
// miss, index is where the searched element would be inserted.
template <typename Cmp>
bool SortedSearch(int count, Cmp cmp, int& index)
{
    if (count <= 0) {
        index = 0;
        return false;
    }
    int low = 0;
    int high = count;
    int mid = count / 2;
    for (;;) {
        const int c = cmp(mid);
        if (c == 0) {
            index = mid;
            return true;
        }
        int next;
        if (c < 0) {
            low = mid;
            next = mid + (high - mid) / 2;
        } else {
            high = mid;
            next = low + (mid - low) / 2;
        }
        if (next == mid) {
            index = c <= 0 ? mid + 1 : mid;
            return false;
        }
        mid = next;
    }
}

} // namespace detail

template <typename T = std::monostate>
class TSortedIntegerList
{
public:
    // On success the index of the first entry with the key, otherwise the
    // position where the key would be inserted.
    bool Find(int32_t key, int& index) const
    {
        const bool found = detail::SortedSearch(
            Count(), [&](int i) { return entries_[i].key < key ? -1 : (entries_[i].key > key ? 1 : 0); }, index);
        if (found) {
            while (index > 0 && entries_[index - 1].key == key)
                --index;
        }
        return found;
    }

    // Index of the new entry, or -1 when the key is already present.
    int Add(int32_t key)
    {
        if (entries_.empty() || key > entries_.back().key) {
            entries_.push_back(Entry{key, T{}});
            return Count() - 1;
        }
        int index;
        if (Find(key, index))
            return -1;
        entries_.insert(entries_.begin() + index, Entry{key, T{}});
        return index;
    }

    void SetObject(int index, T object) { entries_.at(index).object = std::move(object); }
    T& Object(int index) { return entries_.at(index).object; }
    const T& Object(int index) const { return entries_.at(index).object; }
    int32_t Key(int index) const { return entries_.at(index).key; }
    int32_t FirstKey() const { return entries_.at(0).key; }
    int32_t LastKey() const { return entries_.at(entries_.size() - 1).key; }
    int Count() const { return static_cast<int>(entries_.size()); }

    // An index outside the list does nothing.
    void Delete(int index)
    {
        if (index >= 0 && index < Count())
            entries_.erase(entries_.begin() + index);
    }

    // Index the key had, or -1 when absent.
    int RemoveKey(int32_t key)
    {
        int index;
        if (!Find(key, index))
            return -1;
        Delete(index);
        return index;
    }

    void Clear() { entries_.clear(); }

private:
    struct Entry {
        int32_t key;
        T object;
    };
    std::vector<Entry> entries_;
};

} // namespace pellar
