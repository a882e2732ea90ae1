#include "core/config/RegistryList.h"

#include <charconv>
#include <limits>

namespace pellar {

namespace {

// The item number of a value named prefix + decimal digits, if it is one.
std::optional<std::uint64_t> ItemNumber(std::string_view name, std::string_view prefix)
{
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix)
        return std::nullopt;
    const std::string_view digits = name.substr(prefix.size());
    std::uint64_t number = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    // Only names this code writes: no sign, no leading zeros.
    if (ec != std::errc() || end != digits.data() + digits.size() || std::to_string(number) != digits)
        return std::nullopt;
    return number;
}

} // namespace

std::vector<std::string> ReadRegistryList(RegistryBackend& backend, std::string_view keyPath, std::string_view prefix,
                                          std::string* error)
{
    std::vector<std::string> items;
    backend.CreateKey(keyPath);
    const auto count = backend.ReadValue(keyPath, std::string(prefix) + "Count");
    if (!count)
        return items;
    const auto* n = std::get_if<std::uint32_t>(&*count);
    if (!n) {
        if (error)
            *error = kRegistryListCountFormatError;
        return items;
    }
    // The count comes from the store; the loop ends at the first missing
    // item, so a huge count allocates nothing.
    for (std::uint64_t i = 1; i <= *n; ++i) {
        const auto item = backend.ReadValue(keyPath, std::string(prefix) + std::to_string(i));
        const auto* text = item ? std::get_if<std::string>(&*item) : nullptr;
        if (!text || text->size() > kMaxRegistryListItem)
            break;
        items.push_back(*text);
    }
    return items;
}

bool WriteRegistryList(RegistryBackend& backend, std::string_view keyPath, std::string_view prefix,
                       const std::vector<std::string>& items)
{
    if (items.size() > std::numeric_limits<std::uint32_t>::max())
        return false;
    const std::string p(prefix);
    bool ok = backend.CreateKey(keyPath);
    ok = backend.WriteNumber(keyPath, p + "Count", static_cast<std::uint32_t>(items.size())) && ok;
    for (std::size_t i = 0; i < items.size(); ++i)
        ok = backend.WriteString(keyPath, p + std::to_string(i + 1), items[i]) && ok;
    for (const auto& name : backend.ValueNames(keyPath)) {
        const auto number = ItemNumber(name, prefix);
        if (number && *number > items.size())
            ok = backend.DeleteValue(keyPath, name) && ok;
    }
    return ok;
}

} // namespace pellar
