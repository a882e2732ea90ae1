// The per-user store that the configuration lives in: a tree of keys, each
// holding named string and number values. The GUI puts it over QSettings,
// core offers an in-memory store (tests) and an atomically written file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace pellar {

// A value is either text (bytes, any byte including NUL allowed) or an
// unsigned 32-bit number. A backend keeps the kind: a number written is read
// back as a number, text as text, even across a restart.
using RegistryValue = std::variant<std::string, std::uint32_t>;

// Key paths are components separated by "\", e.g.
// "Software\Hollin\Pellar\0.x\Home". A leading "\", doubled and trailing
// separators are ignored; the empty path is the store's top. Names of keys
// and values compare as exact bytes.
//
// Contract for implementations:
// - Every call is safe from any thread (callers may share one backend).
// - Changes are visible to every reader at once; Save makes them durable.
// - Save is all or nothing: if the process dies during Save, the durable
//   store is either the old one or the new one, never a mix or a torn file.
// - Failures return false / nullopt / empty; nothing throws.
class RegistryBackend {
public:
    virtual ~RegistryBackend() = default;

    // nullopt when the key or the value does not exist.
    virtual std::optional<RegistryValue> ReadValue(std::string_view keyPath, std::string_view name) const = 0;

    // Creates the key (and its parents) if missing.
    virtual bool WriteValue(std::string_view keyPath, std::string_view name, const RegistryValue& value) = 0;

    // True when the value is gone afterwards (also when it never existed).
    virtual bool DeleteValue(std::string_view keyPath, std::string_view name) = 0;

    virtual bool KeyExists(std::string_view keyPath) const = 0;

    // Creates the key and its parents; true if it exists afterwards.
    virtual bool CreateKey(std::string_view keyPath) = 0;

    // Names of the direct subkeys, sorted by byte value.
    virtual std::vector<std::string> SubKeyNames(std::string_view keyPath) const = 0;

    // Names of the key's values, sorted by byte value.
    virtual std::vector<std::string> ValueNames(std::string_view keyPath) const = 0;

    // Removes the key with all its values and subkeys. The top of the store
    // cannot be deleted this way.
    virtual bool DeleteKey(std::string_view keyPath) = 0;

    // Commits every change so far (see the contract above).
    virtual bool Save() = 0;

    // Convenience for the two kinds.
    bool WriteString(std::string_view keyPath, std::string_view name, std::string_view text)
    {
        return WriteValue(keyPath, name, RegistryValue(std::string(text)));
    }
    bool WriteNumber(std::string_view keyPath, std::string_view name, std::uint32_t number)
    {
        return WriteValue(keyPath, name, RegistryValue(number));
    }
};

// Splits a key path into its non-empty components.
std::vector<std::string> SplitRegistryPath(std::string_view keyPath);

// The canonical form of a path: components joined by single "\", no
// leading or trailing separator.
std::string NormalizeRegistryPath(std::string_view keyPath);

} // namespace pellar
