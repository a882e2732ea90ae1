#include "core/config/QuickConnect.h"

#include "core/config/MemoryRegistryBackend.h"
#include "core/config/TMiravoConfiguration.h"

#include <gtest/gtest.h>

namespace pellar {
namespace {

const std::string kRoot(TMiravoConfiguration::kRootPath);

class QuickConnectTest : public ::testing::Test {
protected:
    std::shared_ptr<MemoryRegistryBackend> store = std::make_shared<MemoryRegistryBackend>();

    void Profile(const std::string& name, const std::string& user, const std::string& savePwd)
    {
        const std::string path = name.empty() ? kRoot : kRoot + "\\" + name;
        store->WriteString(path, "User", user);
        store->WriteString(path, "SavePwd", savePwd);
    }
};

TEST_F(QuickConnectTest, OnlyProfilesWithAUserAndASavedPasswordAreOffered)
{
    Profile("", "", "1");          // default: no user
    Profile("Work", "anna", "1");
    Profile("Home", "anna", "0");  // password not saved
    Profile("Lab", "", "1");       // no user anywhere
    EXPECT_EQ(QuickConnectProfiles(store, "anna"), std::vector<std::string>{"Work"});
}

TEST_F(QuickConnectTest, DefaultComesFirstAndNamedProfilesFallBackOnIt)
{
    Profile("", "anna", "1");
    Profile("Work", "", "");    // inherits both from the default profile
    Profile("Home", "bo", "0"); // its own "0" wins
    EXPECT_EQ(QuickConnectProfiles(store, "anna"), (std::vector<std::string>{kDefaultProfileEntry, "Work"}));
}

TEST_F(QuickConnectTest, NothingStoredOffersNothingAndDefaultMeansNoStartProfile)
{
    EXPECT_TRUE(QuickConnectProfiles(store, "anna").empty());
    EXPECT_EQ(StartProfileFor(kDefaultProfileEntry), "");
    EXPECT_EQ(StartProfileFor("Work"), "Work");
}

} // namespace
} // namespace pellar
