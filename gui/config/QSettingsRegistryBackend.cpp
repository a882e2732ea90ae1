#include "gui/config/QSettingsRegistryBackend.h"

#include "core/base/StatePaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <cstdio>
#include <filesystem>
#include <set>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellar {

namespace {

// Stands for a key that holds no values, so that empty keys survive a
// restart; EncodeName never produces it.
const QString kEmptyKeyMarker = QStringLiteral("%%");
const QString kEmptyName = QStringLiteral("%");

bool KeepsItsByte(unsigned char c)
{
    return c >= 0x20 && c < 0x7f && c != '/' && c != '\\' && c != '%';
}

int HexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

QString JoinedGroup(const std::string& canonicalPath)
{
    QStringList parts;
    for (const std::string& component : SplitRegistryPath(canonicalPath))
        parts << QSettingsRegistryBackend::EncodeName(component);
    return parts.join(QLatin1Char('/'));
}

QVariant ToVariant(const RegistryValue& value)
{
    // Text goes in as bytes, numbers as numbers, so that reading them back
    // tells the two kinds apart.
    if (const auto* text = std::get_if<std::string>(&value))
        return QByteArray(text->data(), static_cast<qsizetype>(text->size()));
    return QVariant::fromValue<qulonglong>(std::get<std::uint32_t>(value));
}

std::optional<RegistryValue> FromVariant(const QVariant& variant)
{
    if (variant.typeId() == QMetaType::QByteArray) {
        const QByteArray bytes = variant.toByteArray();
        return RegistryValue(std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
    }
    bool ok = false;
    const qulonglong number = variant.toString().toULongLong(&ok);
    if (ok && number <= 0xFFFFFFFFull)
        return RegistryValue(static_cast<std::uint32_t>(number));
    // A hand-edited value: take it as text.
    const QByteArray bytes = variant.toString().toLatin1();
    return RegistryValue(std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
}

bool FlushToDisk(const QString& file)
{
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

} // namespace

QSettingsRegistryBackend::QSettingsRegistryBackend(QString file) : file_(std::move(file))
{
    // The file may hold a password: one that an older version left readable
    // to others is narrowed before anything is read.
    NarrowToOwner(std::filesystem::path(QFile::encodeName(file_).toStdString()));
    Load();
}

QString QSettingsRegistryBackend::DefaultFile()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return dir + QStringLiteral("/Hollin/Pellar.ini");
}

QString QSettingsRegistryBackend::EncodeName(std::string_view name)
{
    if (name.empty())
        return kEmptyName;
    static constexpr char kHex[] = "0123456789ABCDEF";
    QString out;
    out.reserve(static_cast<qsizetype>(name.size()));
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (KeepsItsByte(c)) {
            out += QLatin1Char(static_cast<char>(c));
        } else {
            out += QLatin1Char('%');
            out += QLatin1Char(kHex[c >> 4]);
            out += QLatin1Char(kHex[c & 15]);
        }
    }
    return out;
}

std::optional<std::string> QSettingsRegistryBackend::DecodeName(const QString& encoded)
{
    if (encoded == kEmptyName)
        return std::string();
    std::string out;
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        const QChar c = encoded.at(i);
        if (c != QLatin1Char('%')) {
            if (c.unicode() > 0xFF)
                return std::nullopt;
            out += static_cast<char>(c.unicode());
            continue;
        }
        if (i + 2 >= encoded.size())
            return std::nullopt;
        const int high = HexValue(encoded.at(i + 1));
        const int low = HexValue(encoded.at(i + 2));
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

void QSettingsRegistryBackend::Load()
{
    if (!QFileInfo::exists(file_))
        return;
    QSettings settings(file_, QSettings::IniFormat);
    for (const QString& fullKey : settings.allKeys()) {
        const QStringList parts = fullKey.split(QLatin1Char('/'));
        std::string path;
        bool ok = true;
        for (qsizetype i = 0; i + 1 < parts.size() && ok; ++i) {
            const auto component = DecodeName(parts.at(i));
            ok = component && !component->empty();
            if (ok)
                path += (path.empty() ? "" : "\\") + *component;
        }
        if (!ok)
            continue;  // not one of ours
        if (parts.last() == kEmptyKeyMarker) {
            memory_.CreateKey(path);
            continue;
        }
        const auto name = DecodeName(parts.last());
        const auto value = name ? FromVariant(settings.value(fullKey)) : std::nullopt;
        if (value)
            memory_.WriteValue(path, *name, *value);
    }
}

std::optional<RegistryValue> QSettingsRegistryBackend::ReadValue(std::string_view keyPath,
                                                                 std::string_view name) const
{
    return memory_.ReadValue(keyPath, name);
}

bool QSettingsRegistryBackend::WriteValue(std::string_view keyPath, std::string_view name, const RegistryValue& value)
{
    return memory_.WriteValue(keyPath, name, value);
}

bool QSettingsRegistryBackend::DeleteValue(std::string_view keyPath, std::string_view name)
{
    return memory_.DeleteValue(keyPath, name);
}

bool QSettingsRegistryBackend::KeyExists(std::string_view keyPath) const
{
    return memory_.KeyExists(keyPath);
}

bool QSettingsRegistryBackend::CreateKey(std::string_view keyPath)
{
    return memory_.CreateKey(keyPath);
}

std::vector<std::string> QSettingsRegistryBackend::SubKeyNames(std::string_view keyPath) const
{
    return memory_.SubKeyNames(keyPath);
}

std::vector<std::string> QSettingsRegistryBackend::ValueNames(std::string_view keyPath) const
{
    return memory_.ValueNames(keyPath);
}

bool QSettingsRegistryBackend::DeleteKey(std::string_view keyPath)
{
    return memory_.DeleteKey(keyPath);
}

bool QSettingsRegistryBackend::Save()
{
    std::lock_guard lock(saveMutex_);
    const std::vector<RegistryKeySnapshot> keys = memory_.Snapshot();
    std::set<std::string> hasSubKeys;
    for (const RegistryKeySnapshot& key : keys) {
        const size_t cut = key.path.rfind('\\');
        if (!key.path.empty())
            hasSubKeys.insert(cut == std::string::npos ? std::string() : key.path.substr(0, cut));
    }

    const QFileInfo info(file_);
    const std::filesystem::path folder(QFile::encodeName(info.absolutePath()).toStdString());
    if (!CreatePrivateDirs(folder))
        return false;
    // A fresh name each time: QSettings caches files by name within the process.
    const QString temp = file_ + QStringLiteral(".%1-%2.tmp").arg(QCoreApplication::applicationPid()).arg(++saveSerial_);
    // Made private before a byte is written; the rename keeps the mode.
    const QByteArray tempName = QFile::encodeName(temp);
    if (const int fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        fd >= 0)
        ::close(fd);
    bool ok = false;
    {
        QSettings settings(temp, QSettings::IniFormat);
        settings.clear();
        for (const RegistryKeySnapshot& key : keys) {
            if (key.path.empty() && key.values.empty())
                continue;
            const QString group = JoinedGroup(key.path);
            const QString prefix = group.isEmpty() ? QString() : group + QLatin1Char('/');
            // Keys with subkeys come back through their subkeys' paths.
            if (key.values.empty() && !hasSubKeys.count(key.path))
                settings.setValue(prefix + kEmptyKeyMarker, QString());
            for (const auto& [name, value] : key.values)
                settings.setValue(prefix + EncodeName(name), ToVariant(value));
        }
        settings.sync();
        ok = settings.status() == QSettings::NoError;
    }
    ok = ok && ::chmod(tempName.constData(), S_IRUSR | S_IWUSR) == 0;
    if (ok)
        ok = FlushToDisk(temp);
    std::error_code error;
    if (ok) {
        std::filesystem::rename(QFile::encodeName(temp).toStdString(), QFile::encodeName(file_).toStdString(), error);
        ok = !error;
    }
    if (!ok)
        std::filesystem::remove(QFile::encodeName(temp).toStdString(), error);
    return ok;
}

} // namespace pellar
