#include "core/config/TMiravoConfiguration.h"

#include "core/config/ConfigKeys.h"
#include "core/config/PasswordObscuring.h"
#include "core/config/RegistryList.h"
#include "core/config/ShortcutMap.h"

#include <charconv>

namespace pellar {

TMiravoConfiguration::TMiravoConfiguration(std::shared_ptr<RegistryBackend> backend, std::string loginName)
    : backend_(std::move(backend)), loginName_(std::move(loginName)), path_(kRootPath)
{
    LoadShortcutMap();
}

void TMiravoConfiguration::SetProfile(std::string_view keyPath)
{
    std::lock_guard lock(mutex_);
    path_ = NormalizeRegistryPath(keyPath);
    LoadShortcutMap();
}

std::string TMiravoConfiguration::ProfilePath() const
{
    std::lock_guard lock(mutex_);
    return path_;
}

bool TMiravoConfiguration::IsDefaultProfile() const
{
    std::lock_guard lock(mutex_);
    return path_ == kRootPath;
}

std::string TMiravoConfiguration::ProfilePathFor(std::string_view profileName)
{
    std::string path(kRootPath);
    if (!profileName.empty()) {
        path += '\\';
        path += profileName;
    }
    return path;
}

std::vector<std::string> TMiravoConfiguration::ProfileNames() const
{
    std::lock_guard lock(mutex_);
    return backend_->SubKeyNames(kRootPath);
}

namespace {

bool IsProfileName(std::string_view name)
{
    return !name.empty() && name.find('\\') == std::string_view::npos;
}

} // namespace

bool TMiravoConfiguration::AddProfile(std::string_view name)
{
    if (!IsProfileName(name))
        return false;
    std::lock_guard lock(mutex_);
    return Committed(backend_->CreateKey(ProfilePathFor(name)));
}

bool TMiravoConfiguration::RemoveProfile(std::string_view name)
{
    // An empty name would be the root itself: every setting of every profile.
    if (!IsProfileName(name))
        return false;
    std::lock_guard lock(mutex_);
    return Committed(backend_->DeleteKey(ProfilePathFor(name)));
}

bool TMiravoConfiguration::Inherit() const
{
    std::lock_guard lock(mutex_);
    return inherit_;
}

void TMiravoConfiguration::SetInherit(bool inherit)
{
    std::lock_guard lock(mutex_);
    inherit_ = inherit;
}

std::string TMiravoConfiguration::ReadMainProfile(std::string_view key, std::string_view def) const
{
    std::lock_guard lock(mutex_);
    const auto value = backend_->ReadValue(kRootPath, key);
    const auto* text = value ? std::get_if<std::string>(&*value) : nullptr;
    return text && !text->empty() ? *text : std::string(def);
}

std::string TMiravoConfiguration::ReadString(std::string_view key, std::string_view def) const
{
    std::lock_guard lock(mutex_);
    // Opening a profile creates it, as every opening of the current key does.
    backend_->CreateKey(path_);
    const auto own = backend_->ReadValue(path_, key);
    std::string result;
    if (own) {
        const auto* text = std::get_if<std::string>(&*own);
        if (!text)
            return std::string(def);  // not a string value: a read error
        result = *text;
    }
    if (inherit_ && result.empty() && path_ != kRootPath) {
        if (const auto inherited = backend_->ReadValue(kRootPath, key)) {
            const auto* text = std::get_if<std::string>(&*inherited);
            if (!text)
                return std::string(def);
            result = *text;
        }
    }
    if (!own && result.empty())
        return std::string(def);
    return result;
}

bool TMiravoConfiguration::WriteString(std::string_view key, std::string_view value)
{
    std::lock_guard lock(mutex_);
    return Committed(backend_->WriteString(path_, key, value));
}

bool TMiravoConfiguration::ReadFlag(std::string_view key, bool def) const
{
    const std::string value = ReadString(key, "");
    if (value == "1")
        return true;
    if (value == "0")
        return false;
    return def;
}

TriState TMiravoConfiguration::ReadTriState(std::string_view key, TriState def) const
{
    const std::string value = ReadString(key, "");
    if (value == "1")
        return TriState::Checked;
    if (value == "0")
        return TriState::Unchecked;
    return def;
}

bool TMiravoConfiguration::WriteFlag(std::string_view key, bool value)
{
    return WriteString(key, value ? "1" : "0");
}

bool TMiravoConfiguration::WriteTriState(std::string_view key, TriState state)
{
    switch (state) {
    case TriState::Unchecked:
        return WriteString(key, "0");
    case TriState::Checked:
        return WriteString(key, "1");
    case TriState::Grayed:
        return WriteString(key, "");
    }
    return false;  // not a state: nothing written
}

int TMiravoConfiguration::ReadInt(std::string_view key, int def) const
{
    const std::string value = ReadString(key, "");
    int number = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (value.empty() || ec != std::errc() || end != value.data() + value.size())
        return def;
    return number;
}

bool TMiravoConfiguration::WriteInt(std::string_view key, int value)
{
    return WriteString(key, std::to_string(value));
}

WireCharset TMiravoConfiguration::Charset() const
{
    return ParseWireCharset(ReadString(ConfigKeys::Charset, WireCharsetName(WireCharset::Latin1)))
        .value_or(WireCharset::Latin1);
}

void TMiravoConfiguration::SetSecretStore(std::shared_ptr<SecretStore> store)
{
    std::lock_guard lock(mutex_);
    secrets_ = std::move(store);
}

std::shared_ptr<SecretStore> TMiravoConfiguration::Secrets() const
{
    std::lock_guard lock(mutex_);
    return secrets_;
}

std::string TMiravoConfiguration::PasswordKey() const
{
    return "Pellar " + ProfilePath() + " " + ReadString(ConfigKeys::User, "") + "@" +
           ReadString(ConfigKeys::Server, "");
}

std::string TMiravoConfiguration::OlderPasswordKey() const
{
    return PasswordKey() + ":" + ReadString(ConfigKeys::Port, "");
}

std::shared_ptr<SecretStore> TMiravoConfiguration::PasswordStore() const
{
    if (ReadFlag(ConfigKeys::PwdNotSecret, false))
        return nullptr;
    return Secrets();
}

// The keyring may take a moment to answer: no lock is held while it does.

SecretStore::Status TMiravoConfiguration::ReadKeyring(SecretStore& keyring, std::string& secret) const
{
    const std::string key = PasswordKey();
    const SecretStore::Status status = keyring.Read(key, secret);
    if (status != SecretStore::Status::NotFound)
        return status;
    const std::string older = OlderPasswordKey();
    std::string found;
    if (keyring.Read(older, found) != SecretStore::Status::Ok)
        return status;
    // Moved only once it is safe under the new key; else read where it is.
    if (keyring.Write(key, found) == SecretStore::Status::Ok)
        keyring.Remove(older);
    secret = std::move(found);
    return SecretStore::Status::Ok;
}

TMiravoConfiguration::PasswordPlace TMiravoConfiguration::WherePasswordIs() const
{
    if (!ReadString(ConfigKeys::Pwd, "").empty())
        return PasswordPlace::SettingsFile;
    std::string secret;
    if (const auto store = PasswordStore(); store && ReadKeyring(*store, secret) == SecretStore::Status::Ok)
        return secret.empty() ? PasswordPlace::Nowhere : PasswordPlace::Keyring;
    return PasswordPlace::Nowhere;
}

bool TMiravoConfiguration::KeyringAnswers() const
{
    std::string secret;
    const auto store = PasswordStore();
    return store && store->Read(PasswordKey(), secret) != SecretStore::Status::Unavailable;
}

std::string TMiravoConfiguration::ReadPassword() const
{
    if (const std::string stored = ReadString(ConfigKeys::Pwd, ""); !stored.empty())
        return UnobscurePassword(stored, loginName_);
    std::string secret;
    if (const auto store = PasswordStore(); store && ReadKeyring(*store, secret) == SecretStore::Status::Ok)
        return secret;
    return {};
}

bool TMiravoConfiguration::WritePassword(std::string_view password)
{
    if (password.empty()) {
        ForgetPassword();
        return true;
    }
    if (const auto store = PasswordStore();
        store && store->Write(PasswordKey(), std::string(password)) == SecretStore::Status::Ok)
        return WriteString(ConfigKeys::Pwd, "");
    return WriteString(ConfigKeys::Pwd, ObscurePassword(password, loginName_));
}

void TMiravoConfiguration::ForgetPassword()
{
    WriteString(ConfigKeys::Pwd, "");
    if (const auto store = PasswordStore()) {
        store->Remove(PasswordKey());
        store->Remove(OlderPasswordKey());
    }
}

bool TMiravoConfiguration::MovePasswordToKeyring()
{
    const auto store = PasswordStore();
    if (!store)
        return false;
    std::string stored;
    {
        std::lock_guard lock(mutex_);
        const auto own = backend_->ReadValue(path_, ConfigKeys::Pwd);
        if (const auto* text = own ? std::get_if<std::string>(&*own) : nullptr)
            stored = *text;
    }
    if (stored.empty())
        return false;
    if (store->Write(PasswordKey(), UnobscurePassword(stored, loginName_)) != SecretStore::Status::Ok)
        return false;
    return WriteString(ConfigKeys::Pwd, "");
}

std::vector<std::string> TMiravoConfiguration::ReadList(std::string_view prefix) const
{
    std::lock_guard lock(mutex_);
    return ReadRegistryList(*backend_, path_, prefix);
}

bool TMiravoConfiguration::WriteList(std::string_view prefix, const std::vector<std::string>& items)
{
    std::lock_guard lock(mutex_);
    return Committed(WriteRegistryList(*backend_, path_, prefix, items));
}

void TMiravoConfiguration::LoadShortcutMap()
{
    std::lock_guard lock(mutex_);
    // A missing or malformed list loads empty and is replaced in memory
    // only; the store keeps what it has until the user saves the map.
    shortcutMap_ = ReadRegistryList(*backend_, path_, ConfigKeys::KeyShortcutPrefix);
    if (shortcutMap_.empty())
        shortcutMap_ = DefaultShortcutMap();
}

std::vector<std::string> TMiravoConfiguration::ShortcutMap() const
{
    std::lock_guard lock(mutex_);
    return shortcutMap_;
}

void TMiravoConfiguration::SetShortcutMap(std::vector<std::string> items)
{
    std::lock_guard lock(mutex_);
    shortcutMap_ = std::move(items);
}

bool TMiravoConfiguration::SaveShortcutMap()
{
    std::lock_guard lock(mutex_);
    return Committed(WriteRegistryList(*backend_, path_, ConfigKeys::KeyShortcutPrefix, shortcutMap_));
}

int TMiravoConfiguration::LookupShortcut(std::string_view typed) const
{
    std::lock_guard lock(mutex_);
    return pellar::LookupShortcut(shortcutMap_, typed);
}

std::string TMiravoConfiguration::TranslateLabel(std::string_view text) const
{
    return std::string(text);
}

TMiravoConfiguration::Batch::Batch(TMiravoConfiguration& config) : config_(config)
{
    std::lock_guard lock(config_.mutex_);
    ++config_.batchDepth_;
}

TMiravoConfiguration::Batch::~Batch()
{
    std::lock_guard lock(config_.mutex_);
    if (--config_.batchDepth_ == 0 && config_.dirty_)
        config_.Commit();
}

bool TMiravoConfiguration::Commit()
{
    std::lock_guard lock(mutex_);
    dirty_ = false;
    return backend_->Save();
}

bool TMiravoConfiguration::Committed(bool writeOk)
{
    if (batchDepth_ > 0) {
        dirty_ = true;
        return writeOk;
    }
    const bool saved = Commit();
    return writeOk && saved;
}

} // namespace pellar
