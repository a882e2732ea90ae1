#include "core/config/RegistryList.h"

#include "core/config/MemoryRegistryBackend.h"

#include <gtest/gtest.h>

namespace pellar {
namespace {

class RegistryListTest : public ::testing::Test {
protected:
    MemoryRegistryBackend store;
    const std::string key = "A\\B";
};

TEST_F(RegistryListTest, WritesCountAsNumberAndItemsFromOne)
{
    ASSERT_TRUE(WriteRegistryList(store, key, "L", {"x", "", "z"}));
    EXPECT_EQ(store.ReadValue(key, "LCount"), RegistryValue(std::uint32_t{3}));
    EXPECT_EQ(store.ReadValue(key, "L1"), RegistryValue(std::string("x")));
    EXPECT_EQ(store.ReadValue(key, "L2"), RegistryValue(std::string("")));
    EXPECT_FALSE(store.ReadValue(key, "L0").has_value());
    EXPECT_EQ(ReadRegistryList(store, "\\A\\B", "L"), (std::vector<std::string>{"x", "", "z"}));
}

TEST_F(RegistryListTest, ShrinkingRemovesOnlyTheListsOwnStaleItems)
{
    WriteRegistryList(store, key, "L", {"1", "2", "3", "4"});
    store.WriteString(key, "LName", "not an item");
    store.WriteString(key, "L007", "not a name the list writes");
    store.WriteString(key, "M3", "other list");
    ASSERT_TRUE(WriteRegistryList(store, key, "L", {"one"}));
    EXPECT_EQ(store.ValueNames(key), (std::vector<std::string>{"L007", "L1", "LCount", "LName", "M3"}));
    ASSERT_TRUE(WriteRegistryList(store, key, "L", {}));
    EXPECT_EQ(ReadRegistryList(store, key, "L"), std::vector<std::string>{});
    EXPECT_EQ(store.ReadValue(key, "LCount"), RegistryValue(std::uint32_t{0}));
}

TEST_F(RegistryListTest, ReadingStopsQuietlyAtTheFirstProblem)
{
    EXPECT_TRUE(ReadRegistryList(store, key, "L").empty());  // no count
    EXPECT_TRUE(store.KeyExists(key));                        // but the key is there now

    std::string error;
    store.WriteString(key, "LCount", "2");
    store.WriteString(key, "L1", "a");
    EXPECT_TRUE(ReadRegistryList(store, key, "L", &error).empty());
    EXPECT_EQ(error, "TRegistryToStringList. Count format error!");

    store.WriteNumber(key, "LCount", 4);
    store.WriteString(key, "L2", "b");
    store.WriteNumber(key, "L3", 3);  // not a string
    store.WriteString(key, "L4", "d");
    EXPECT_EQ(ReadRegistryList(store, key, "L"), (std::vector<std::string>{"a", "b"}));
}

TEST_F(RegistryListTest, HugeCountAllocatesOnlyWhatIsThere)
{
    store.WriteNumber(key, "LCount", 0xffffffffu);
    store.WriteString(key, "L1", "only");
    EXPECT_EQ(ReadRegistryList(store, key, "L"), std::vector<std::string>{"only"});
}

TEST_F(RegistryListTest, OverlongItemEndsTheReading)
{
    WriteRegistryList(store, key, "L",
                      {"a", std::string(kMaxRegistryListItem, 'x'), std::string(kMaxRegistryListItem + 1, 'y'), "d"});
    const auto items = ReadRegistryList(store, key, "L");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].size(), kMaxRegistryListItem);
}

} // namespace
} // namespace pellar
