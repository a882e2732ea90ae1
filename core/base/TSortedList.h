// A sorted list of shared objects that order themselves: T provides
// int Compare(const T& other) const (<0, 0, >0). Equal elements are kept once.
// Optionally locked, for lists that several threads touch.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "core/base/TSortedIntegerList.h"

namespace pellar {

template <typename T>
class TSortedList
{
public:
    explicit TSortedList(bool threadSafe = false)
    {
        if (threadSafe)
            mutex_.emplace();
    }
    TSortedList(const TSortedList&) = delete;
    TSortedList& operator=(const TSortedList&) = delete;

    bool Find(const T& element, int& index) const
    {
        Guard guard(this);
        return FindUnlocked(element, index);
    }

    // Index of the inserted element, or -1 when an equal one is present.
    int Add(std::shared_ptr<T> element)
    {
        if (!element)
            return -1;
        Guard guard(this);
        if (items_.empty()) {
            items_.push_back(std::move(element));
            return 0;
        }
        int index;
        if (FindUnlocked(*element, index))
            return -1;
        items_.insert(items_.begin() + index, std::move(element));
        return index;
    }

    // Removes the equal element; its former index, or -1.
    int Remove(const T& element)
    {
        Guard guard(this);
        int index;
        if (!FindUnlocked(element, index))
            return -1;
        items_.erase(items_.begin() + index);
        return index;
    }

    // An index outside the list does nothing.
    void Delete(int index)
    {
        Guard guard(this);
        if (index >= 0 && index < static_cast<int>(items_.size()))
            items_.erase(items_.begin() + index);
    }

    int Count() const
    {
        Guard guard(this);
        return static_cast<int>(items_.size());
    }

    // Null for an index outside the list.
    std::shared_ptr<T> Get(int index) const
    {
        Guard guard(this);
        if (index < 0 || index >= static_cast<int>(items_.size()))
            return nullptr;
        return items_[index];
    }

    void Clear()
    {
        Guard guard(this);
        items_.clear();
    }

private:
    class Guard
    {
    public:
        explicit Guard(const TSortedList* list) : mutex_(list->mutex_ ? &*list->mutex_ : nullptr)
        {
            if (mutex_)
                mutex_->lock();
        }
        ~Guard()
        {
            if (mutex_)
                mutex_->unlock();
        }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

    private:
        std::recursive_mutex* mutex_;
    };

    bool FindUnlocked(const T& element, int& index) const
    {
        return detail::SortedSearch(
            static_cast<int>(items_.size()), [&](int i) { return items_[i]->Compare(element); }, index);
    }

    mutable std::optional<std::recursive_mutex> mutex_;
    std::vector<std::shared_ptr<T>> items_;
};

} // namespace pellar
