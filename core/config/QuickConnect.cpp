#include "core/config/QuickConnect.h"

#include "core/config/ConfigKeys.h"
#include "core/config/TMiravoConfiguration.h"

namespace pellar {

std::vector<std::string> QuickConnectProfiles(const std::shared_ptr<RegistryBackend>& backend,
                                              const std::string& loginName)
{
    // A private instance: the running session's current profile stays put.
    TMiravoConfiguration config(backend, loginName);
    const auto canLogOn = [&config] {
        return !config.ReadString(ConfigKeys::User, "").empty() && config.ReadString(ConfigKeys::SavePwd, "") == "1";
    };
    std::vector<std::string> entries;
    if (canLogOn())
        entries.emplace_back(kDefaultProfileEntry);
    for (const std::string& name : config.ProfileNames()) {
        config.SetProfile(TMiravoConfiguration::ProfilePathFor(name));
        if (canLogOn())
            entries.push_back(name);
    }
    return entries;
}

std::string StartProfileFor(const std::string& entry)
{
    return entry == kDefaultProfileEntry ? std::string() : entry;
}

} // namespace pellar
