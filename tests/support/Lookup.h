// The look-up the scripted fakes make in their tables: the value under a key,
// or what the port answers for a key it does not know.
#pragma once

#include <utility>

namespace pellar::test {

template <typename Map, typename Fallback>
typename Map::mapped_type Lookup(const Map& map, const typename Map::key_type& key, Fallback&& fallback)
{
    const auto it = map.find(key);
    return it == map.end() ? typename Map::mapped_type(std::forward<Fallback>(fallback)) : it->second;
}

} // namespace pellar::test
