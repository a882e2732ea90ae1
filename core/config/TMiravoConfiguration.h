// The one way the program reads and writes user settings: named profiles
// under one root key, the root's own values being the default profile that
// named profiles inherit from; flags; the keyboard-shortcut map; the saved
// password. Every value is text in the current profile, read with a default
// given by the caller (see ConfigKeys.h for the known names and defaults).
#pragma once

#include "core/config/RegistryBackend.h"
#include "core/config/SecretStore.h"
#include "core/wire/WireCharset.h"

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace pellar {

// A check box's three states; Grayed means "not set in this profile".
enum class TriState { Unchecked, Checked, Grayed };

class TMiravoConfiguration {
public:
    static constexpr std::string_view kRootPath = "Software\\Hollin\\Pellar\\0.x";

    // loginName is the local user's login name (LocalUserName()), which the
    // password obscuring depends on. Starts on the default profile with
    // inheritance on and loads the shortcut map from the root.
    TMiravoConfiguration(std::shared_ptr<RegistryBackend> backend, std::string loginName);

    TMiravoConfiguration(const TMiravoConfiguration&) = delete;
    TMiravoConfiguration& operator=(const TMiravoConfiguration&) = delete;

    // --- Profiles ---------------------------------------------------------
    // Makes keyPath current and reloads the shortcut map from it.
    void SetProfile(std::string_view keyPath);
    std::string ProfilePath() const;
    bool IsDefaultProfile() const;
    // The root path for an empty name, else root + "\" + name.
    static std::string ProfilePathFor(std::string_view profileName);
    // The named profiles, i.e. the root's subkeys.
    std::vector<std::string> ProfileNames() const;
    // A name must be non-empty and hold no "\" (it would name the default
    // profile or a key inside another profile). Adding an existing profile
    // changes nothing; removing deletes the profile with all its values.
    bool AddProfile(std::string_view name);
    bool RemoveProfile(std::string_view name);

    // When set (the default), a value that is missing or empty in a named
    // profile is taken from the default profile.
    bool Inherit() const;
    void SetInherit(bool inherit);

    // --- Values -----------------------------------------------------------
    // A profile's own non-empty value wins; an empty or missing one is taken
    // from the default profile (with inheritance); def applies when the
    // value does not exist in the profile and nothing non-empty was found.
    std::string ReadString(std::string_view key, std::string_view def) const;
    // The default profile's own value, whichever profile is current: what a
    // named profile's unset value follows.
    std::string ReadMainProfile(std::string_view key, std::string_view def) const;
    bool WriteString(std::string_view key, std::string_view value);

    // "1" true, "0" false, anything else def.
    bool ReadFlag(std::string_view key, bool def) const;
    TriState ReadTriState(std::string_view key, TriState def) const;
    bool WriteFlag(std::string_view key, bool value);
    // Unchecked "0", Checked "1", Grayed "" (follow the default profile).
    bool WriteTriState(std::string_view key, TriState state);

    // The value as a decimal integer; def when it does not parse as a whole.
    int ReadInt(std::string_view key, int def) const;
    bool WriteInt(std::string_view key, int value);

    // "Charset" of the current profile; ISO-8859-1 when missing or unknown.
    WireCharset Charset() const;

    // --- Saved password -----------------------------------------------------
    // The keyring, when there is one, keeps a saved password, keyed by
    // profile, server and user; where it does not answer, the password is
    // kept obscured in "Pwd" (with the login name given at creation).
    void SetSecretStore(std::shared_ptr<SecretStore> store);
    std::shared_ptr<SecretStore> Secrets() const;
    // "Pellar <profile path> <user>@<server>" of the current profile: the
    // port is not part of it, so a server that moves to another port keeps
    // its one entry.
    std::string PasswordKey() const;
    // The key entries were saved under before, with ":<port>" after the
    // server. Reading a password finds an entry there too and moves it to
    // PasswordKey().
    std::string OlderPasswordKey() const;

    enum class PasswordPlace { Nowhere, Keyring, SettingsFile };
    PasswordPlace WherePasswordIs() const;
    // A keyring is set and answers.
    bool KeyringAnswers() const;
    // "Pwd" when it holds one (the older form, or the fallback), else the
    // keyring's entry; empty when neither has one.
    std::string ReadPassword() const;
    // Into the keyring when it takes it, and out of "Pwd"; else obscured
    // into "Pwd". An empty password forgets the saved one.
    bool WritePassword(std::string_view password);
    // Out of both places.
    void ForgetPassword();
    // A password the current profile holds in "Pwd" moves into the keyring
    // when it takes it; true when it moved.
    bool MovePasswordToKeyring();

    // Registry list under the current profile (see RegistryList.h).
    std::vector<std::string> ReadList(std::string_view prefix) const;
    bool WriteList(std::string_view prefix, const std::vector<std::string>& items);

    // --- Shortcut map -----------------------------------------------------
    std::vector<std::string> ShortcutMap() const;
    // Replaces the map in memory; SaveShortcutMap stores it.
    void SetShortcutMap(std::vector<std::string> items);
    bool SaveShortcutMap();
    // -2 no such shortcut, -1 more keys needed, else the command number.
    int LookupShortcut(std::string_view typed) const;

    // User-visible texts pass through here before they are shown; for now
    // it returns them unchanged.
    std::string TranslateLabel(std::string_view text) const;

    // --- Durability -------------------------------------------------------
    // Every write is committed to the backend at once, unless a batch is
    // open: then the commit happens once, when the outermost batch closes
    // (the settings dialog writes some fifty values in one go).
    class Batch {
    public:
        explicit Batch(TMiravoConfiguration& config);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        TMiravoConfiguration& config_;
    };

    // Commits now; false if the backend could not save.
    bool Commit();

private:
    void LoadShortcutMap();
    bool Committed(bool writeOk);  // commits unless batched; caller holds the lock

    std::shared_ptr<RegistryBackend> backend_;
    // The keyring for the current profile's password: none where the
    // profile says its password is no secret.
    std::shared_ptr<SecretStore> PasswordStore() const;
    // The entry under PasswordKey(), else one under OlderPasswordKey(),
    // which then moves to PasswordKey().
    SecretStore::Status ReadKeyring(SecretStore& keyring, std::string& secret) const;

    std::shared_ptr<SecretStore> secrets_;  // null: no keyring
    const std::string loginName_;

    // One operation at a time per instance; re-entrant because operations
    // build on each other (ReadFlag on ReadString, batches around writes).
    mutable std::recursive_mutex mutex_;
    std::string path_;
    bool inherit_ = true;
    std::vector<std::string> shortcutMap_;
    int batchDepth_ = 0;
    bool dirty_ = false;
};

} // namespace pellar
