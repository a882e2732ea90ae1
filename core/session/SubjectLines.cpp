#include "core/session/SubjectLines.h"

#include <limits>

namespace pellar {

namespace {

// Below this the buffer is not worth copying.
constexpr size_t kCompactFrom = 64 * 1024;

} // namespace

bool SubjectLines::Contains(int32_t text) const
{
    int index;
    return places_.Find(text, index);
}

void SubjectLines::Put(int32_t text, std::string_view line)
{
    // A place is 32 bits wide: a line that would not fit is not kept (the
    // text's own fetch answers for it), nor one past a buffer that full.
    if (line.size() > std::numeric_limits<uint32_t>::max() - buffer_.size())
        return;
    const int index = places_.Add(text);
    if (index < 0)
        return;
    places_.SetObject(index, Place{static_cast<uint32_t>(buffer_.size()), static_cast<uint32_t>(line.size())});
    buffer_.append(line);
}

std::optional<std::string> SubjectLines::Get(int32_t text) const
{
    int index;
    if (!places_.Find(text, index))
        return std::nullopt;
    const Place& place = places_.Object(index);
    return buffer_.substr(place.offset, place.length);
}

void SubjectLines::Remove(int32_t text)
{
    int index;
    if (!places_.Find(text, index))
        return;
    released_ += places_.Object(index).length;
    places_.Delete(index);
    CompactIfWasteful();
}

void SubjectLines::Clear()
{
    places_.Clear();
    std::string().swap(buffer_);
    released_ = 0;
}

void SubjectLines::CompactIfWasteful()
{
    if (places_.Count() == 0) {
        Clear();
        return;
    }
    if (released_ < kCompactFrom || released_ < buffer_.size() - released_)
        return;
    std::string live;
    live.reserve(buffer_.size() - released_);
    for (int i = 0; i < places_.Count(); ++i) {
        Place place = places_.Object(i);
        const auto offset = static_cast<uint32_t>(live.size());
        live.append(buffer_, place.offset, place.length);
        place.offset = offset;
        places_.SetObject(i, place);
    }
    buffer_.swap(live);
    released_ = 0;
}

} // namespace pellar
