#include "core/config/MemoryRegistryBackend.h"

#include <gtest/gtest.h>

namespace pellar {
namespace {

TEST(RegistryPath, SeparatorsAreNormalised)
{
    EXPECT_EQ(NormalizeRegistryPath("\\Software\\\\Hollin\\"), "Software\\Hollin");
    EXPECT_EQ(NormalizeRegistryPath(""), "");
    EXPECT_EQ(SplitRegistryPath("\\a\\b"), (std::vector<std::string>{"a", "b"}));
}

TEST(MemoryRegistryBackend, ValuesLiveInTheirOwnKeyOnly)
{
    MemoryRegistryBackend store;
    store.WriteString("A\\B", "v", "1");
    EXPECT_TRUE(store.KeyExists("A"));
    EXPECT_FALSE(store.ReadValue("A", "v").has_value());
    EXPECT_EQ(store.ReadValue("\\A\\B\\", "v"), RegistryValue(std::string("1")));
    EXPECT_FALSE(store.ReadValue("A\\b", "v").has_value());  // exact bytes
    store.WriteNumber("A\\B", "v", 5);  // a value changes kind when rewritten
    EXPECT_EQ(store.ReadValue("A\\B", "v"), RegistryValue(std::uint32_t{5}));
    EXPECT_TRUE(store.DeleteValue("A\\B", "v"));
    EXPECT_TRUE(store.DeleteValue("A\\B", "v"));  // gone already: still fine
    EXPECT_TRUE(store.ValueNames("A\\B").empty());
}

TEST(MemoryRegistryBackend, DeletingAKeyTakesEverythingBelowIt)
{
    MemoryRegistryBackend store;
    store.WriteString("R\\P1", "v", "1");
    store.WriteString("R\\P1\\Deep", "v", "2");
    store.WriteString("R\\P2", "v", "3");
    EXPECT_EQ(store.SubKeyNames("R"), (std::vector<std::string>{"P1", "P2"}));
    EXPECT_TRUE(store.DeleteKey("R\\P1"));
    EXPECT_FALSE(store.KeyExists("R\\P1\\Deep"));
    EXPECT_EQ(store.SubKeyNames("R"), std::vector<std::string>{"P2"});
    EXPECT_FALSE(store.DeleteKey("R\\P1"));
    EXPECT_FALSE(store.DeleteKey("\\"));  // the top stays
    EXPECT_TRUE(store.KeyExists("R\\P2"));
}

TEST(MemoryRegistryBackend, AbsurdlyDeepKeysAreRefused)
{
    MemoryRegistryBackend store;
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "k\\";
    EXPECT_FALSE(store.WriteString(deep, "v", "x"));
    EXPECT_FALSE(store.KeyExists("k"));
}

TEST(MemoryRegistryBackend, SnapshotListsParentsBeforeChildren)
{
    MemoryRegistryBackend store;
    store.WriteString("A\\B", "x", "1");
    store.WriteNumber("A", "n", 2);
    const auto keys = store.Snapshot();
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].path, "");
    EXPECT_EQ(keys[1].path, "A");
    EXPECT_EQ(keys[2].path, "A\\B");
    ASSERT_EQ(keys[1].values.size(), 1u);
    EXPECT_EQ(keys[1].values[0].second, RegistryValue(std::uint32_t{2}));
}

} // namespace
} // namespace pellar
