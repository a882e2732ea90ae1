// A password saved in the settings file's older obscured form moves into the
// keyring at the next logon that works, and only then.
#include "core/config/ConfigKeys.h"
#include "support/FakeSecretStore.h"
#include "support/SessionFixture.h"

namespace pellar::test {
namespace {

class PasswordMigrationTest : public SessionFixture {
protected:
    // The start profile "work", its password saved as a version without a
    // keyring did: obscured in the settings.
    void SaveTheOlderWay(SessionClient& c, const std::string& password)
    {
        TMiravoConfiguration& config = c.client.Config();
        config.SetSecretStore(keyring);
        ASSERT_TRUE(config.AddProfile("work"));
        config.SetProfile(TMiravoConfiguration::ProfilePathFor("work"));
        config.WriteString(ConfigKeys::Server, "127.0.0.1");
        config.WriteString(ConfigKeys::Port, relay->portText());
        config.WriteString(ConfigKeys::User, kDemoUser);
        config.WriteFlag(ConfigKeys::SavePwd, true);
        keyring->answering = false;
        config.WritePassword(password);
        keyring->answering = true;
        ASSERT_FALSE(config.ReadString(ConfigKeys::Pwd, "").empty());
        config.SetProfile(TMiravoConfiguration::kRootPath);
        c.logon.SetAutoConnect(true);
        c.logon.SetStartProfile("work");
    }

    std::shared_ptr<FakeSecretStore> keyring = std::make_shared<FakeSecretStore>();
};

TEST_F(PasswordMigrationTest, MovesAtTheNextSuccessfulLogon)
{
    StartServer();
    SessionClient c;
    SaveTheOlderWay(c, kDemoPassword);
    ASSERT_TRUE(c.logon.LogOn());
    TMiravoConfiguration& config = c.client.Config();
    ASSERT_EQ(config.ProfilePath(), TMiravoConfiguration::ProfilePathFor("work"));
    EXPECT_EQ(config.ReadString(ConfigKeys::Pwd, ""), "");
    EXPECT_EQ(keyring->entries[config.PasswordKey()], kDemoPassword);
    EXPECT_EQ(config.ReadPassword(), kDemoPassword);
}

TEST_F(PasswordMigrationTest, StaysWhereItIsWhenTheLogonFails)
{
    StartServer();
    SessionClient c;
    SaveTheOlderWay(c, "not the password");
    EXPECT_FALSE(c.logon.LogOn());
    EXPECT_TRUE(keyring->entries.empty());
    EXPECT_FALSE(c.client.Config().ReadString(ConfigKeys::Pwd, "").empty());
}

} // namespace
} // namespace pellar::test
