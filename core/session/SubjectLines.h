// The subject lines of texts whose whole text is not cached, kept flat: one
// buffer holds every line and each text has twelve bytes of index, as a big
// conference's tree asks for ten thousand of them at once. Not thread-safe:
// the text cache holds its lock around every call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/base/TSortedIntegerList.h"

namespace pellar {

class SubjectLines
{
public:
    bool Contains(int32_t text) const;
    // Keeps the first line given for a text; a later one is ignored.
    void Put(int32_t text, std::string_view line);
    std::optional<std::string> Get(int32_t text) const;
    void Remove(int32_t text);
    void Clear();
    int Count() const { return places_.Count(); }
    // Bytes the buffer holds, lines let go of included.
    size_t BufferBytes() const { return buffer_.size(); }

private:
    struct Place {
        uint32_t offset = 0;
        uint32_t length = 0;
    };
    // Writes the live lines into a fresh buffer once the lines let go of
    // outweigh them.
    void CompactIfWasteful();

    TSortedIntegerList<Place> places_;
    std::string buffer_;
    size_t released_ = 0;  // bytes of the buffer no line uses any more
};

} // namespace pellar
