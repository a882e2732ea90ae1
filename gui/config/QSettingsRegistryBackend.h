// The settings store of the GUI: the registry tree kept in a QSettings file
// (an INI file per user on Linux). Reads and writes work on a copy in memory,
// so the kinds of values and odd names survive exactly; Save writes the whole
// tree to a fresh file next to the store and renames it over the old one.
#pragma once

#include "core/config/MemoryRegistryBackend.h"

#include <QString>

#include <mutex>

namespace pellar {

class QSettingsRegistryBackend : public RegistryBackend {
public:
    // Loads the file if it exists; a missing file is an empty store.
    explicit QSettingsRegistryBackend(QString file);

    // The per-user file: <config dir>/Hollin/Pellar.ini.
    static QString DefaultFile();

    std::optional<RegistryValue> ReadValue(std::string_view keyPath, std::string_view name) const override;
    bool WriteValue(std::string_view keyPath, std::string_view name, const RegistryValue& value) override;
    bool DeleteValue(std::string_view keyPath, std::string_view name) override;
    bool KeyExists(std::string_view keyPath) const override;
    bool CreateKey(std::string_view keyPath) override;
    std::vector<std::string> SubKeyNames(std::string_view keyPath) const override;
    std::vector<std::string> ValueNames(std::string_view keyPath) const override;
    bool DeleteKey(std::string_view keyPath) override;
    bool Save() override;

    const QString& File() const { return file_; }

    // How a key path component or value name is spelt as a QSettings key:
    // "/", "\", "%", control and non-ASCII bytes as %XX, the empty name as "%".
    static QString EncodeName(std::string_view name);
    static std::optional<std::string> DecodeName(const QString& encoded);

private:
    void Load();

    QString file_;
    MemoryRegistryBackend memory_;
    std::mutex saveMutex_;  // one Save at a time, so an older snapshot never lands last
    unsigned saveSerial_ = 0;
};

} // namespace pellar
