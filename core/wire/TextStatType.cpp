#include "core/wire/TextStatType.h"

#include <mutex>

namespace pellar {

void TextStatType::AddMiscInfo(std::shared_ptr<TMiscInfo> item)
{
    if (!item)
        return;
    std::lock_guard lock(*this);
    misc_.push_back(std::move(item));
}

std::shared_ptr<const TMiscInfo> TextStatType::MiscInfo(int index) const
{
    std::lock_guard lock(*this);
    if (index < 0 || index >= static_cast<int>(misc_.size()))
        return nullptr;
    return misc_[index];
}

int TextStatType::MiscInfoCount() const
{
    std::lock_guard lock(*this);
    return static_cast<int>(misc_.size());
}

std::vector<std::shared_ptr<const TMiscInfo>> TextStatType::MiscInfos() const
{
    std::lock_guard lock(*this);
    return {misc_.begin(), misc_.end()};
}

void TextStatType::SetMiscInfos(std::vector<std::shared_ptr<TMiscInfo>> items)
{
    std::erase(items, nullptr);
    std::lock_guard lock(*this);
    misc_ = std::move(items);
}

void TextStatType::AddAuxItem(const AuxItemRec& rec)
{
    std::lock_guard lock(*this);
    aux_.push_back(rec);
}

std::optional<AuxItemRec> TextStatType::AuxItem(int index) const
{
    std::lock_guard lock(*this);
    if (index < 0 || index >= static_cast<int>(aux_.size()))
        return std::nullopt;
    return aux_[index];
}

int TextStatType::AuxItemCount() const
{
    std::lock_guard lock(*this);
    return static_cast<int>(aux_.size());
}

std::vector<AuxItemRec> TextStatType::AuxItems() const
{
    std::lock_guard lock(*this);
    return aux_;
}

void TextStatType::SetAuxItems(std::vector<AuxItemRec> items)
{
    std::lock_guard lock(*this);
    aux_ = std::move(items);
}

TDateTime TextStatType::CreationTime() const
{
    std::lock_guard lock(*this);
    return creationTime_;
}

int32_t TextStatType::Author() const
{
    std::lock_guard lock(*this);
    return author_;
}

int32_t TextStatType::NoOfLines() const
{
    std::lock_guard lock(*this);
    return lines_;
}

int32_t TextStatType::NoOfChars() const
{
    std::lock_guard lock(*this);
    return chars_;
}

int32_t TextStatType::NoOfMarks() const
{
    std::lock_guard lock(*this);
    return marks_;
}

void TextStatType::SetHeader(TDateTime creationTime, int32_t author, int32_t lines, int32_t chars, int32_t marks)
{
    std::lock_guard lock(*this);
    creationTime_ = creationTime;
    author_ = author;
    lines_ = lines;
    chars_ = chars;
    marks_ = marks;
}

void TextStatType::SetNoOfMarks(int32_t marks)
{
    std::lock_guard lock(*this);
    marks_ = marks;
}

} // namespace pellar
