// The profiles offered for a one-click connect: those that can log on
// without asking, because they hold a user name and a saved password.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace pellar {

class RegistryBackend;

// The entry that stands for the default profile.
inline constexpr const char* kDefaultProfileEntry = "*Default*";

// kDefaultProfileEntry first when the default profile qualifies, then each
// named profile that does, in the registry's order. A named profile's values
// are read as a logon reads them, falling back on the default profile.
std::vector<std::string> QuickConnectProfiles(const std::shared_ptr<RegistryBackend>& backend,
                                              const std::string& loginName);

// The start profile for an entry: empty for kDefaultProfileEntry.
std::string StartProfileFor(const std::string& entry);

} // namespace pellar
