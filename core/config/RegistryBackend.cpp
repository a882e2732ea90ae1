#include "core/config/RegistryBackend.h"

namespace pellar {

std::vector<std::string> SplitRegistryPath(std::string_view keyPath)
{
    std::vector<std::string> parts;
    std::size_t begin = 0;
    while (begin <= keyPath.size()) {
        std::size_t end = keyPath.find('\\', begin);
        if (end == std::string_view::npos)
            end = keyPath.size();
        if (end > begin)
            parts.emplace_back(keyPath.substr(begin, end - begin));
        begin = end + 1;
    }
    return parts;
}

std::string NormalizeRegistryPath(std::string_view keyPath)
{
    std::string joined;
    for (const auto& part : SplitRegistryPath(keyPath)) {
        if (!joined.empty())
            joined += '\\';
        joined += part;
    }
    return joined;
}

} // namespace pellar
