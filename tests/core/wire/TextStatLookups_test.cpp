#include "core/wire/TextStatLookups.h"

#include <gtest/gtest.h>

#include "support/FakeRecordServices.h"
#include "support/MiscItems.h"

namespace pellar {
namespace {

using test::FakeRecordServices;

std::shared_ptr<TextStatType> StatWith(std::initializer_list<std::pair<int32_t, int32_t>> recipients)
{
    auto stat = std::make_shared<TextStatType>();
    stat->AddMiscInfo(test::Link<TMiscInfoCommTo>(5)); // a link first, which the look-up must pass over
    bool cc = false; // every other recipient a carbon copy
    for (auto [conf, local] : recipients) {
        stat->AddMiscInfo(test::Recipient(conf, local, cc));
        cc = !cc;
    }
    return stat;
}

TEST(TextStatLookups, LocalNumberIn)
{
    FakeRecordServices services;
    services.textStats[100] = StatWith({{3, 30}, {4, 40}, {3, 31}});
    EXPECT_EQ(LocalNumberIn(services, 3, 100), 30);
    EXPECT_EQ(LocalNumberIn(services, 4, 100), 40); // carbon copy counts
    EXPECT_EQ(LocalNumberIn(services, 9, 100), 0);
    EXPECT_EQ(LocalNumberIn(services, 3, 101), 0);
    const int lookups = services.textStatLookups;
    EXPECT_EQ(LocalNumberIn(services, 0, 100), 0);
    EXPECT_EQ(LocalNumberIn(services, 3, 0), 0);
    EXPECT_EQ(services.textStatLookups, lookups); // asked nothing
}

TEST(TextStatLookups, FindAuxItem)
{
    FakeRecordServices services;
    auto stat = std::make_shared<TextStatType>();
    stat->AddAuxItem({1, 6, 20, 0, "00000000", 0, ""});
    stat->AddAuxItem({2, 7, 30, 0, "00000000", 0, ""});
    stat->AddAuxItem({3, 7, 40, 0, "00000000", 0, ""});
    services.textStats[100] = stat;
    int index = -1;
    EXPECT_TRUE(FindAuxItem(services, 100, 0, 0, 6, index));
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(FindAuxItem(services, 100, 0, 40, 7, index));
    EXPECT_EQ(index, 2);
    EXPECT_TRUE(FindAuxItem(services, 100, 0, 0, 7, index));
    EXPECT_EQ(index, 1);
    EXPECT_TRUE(FindAuxItem(services, 100, 0, 0, 0, index)); // no criterion: the first
    EXPECT_EQ(index, 0);
    EXPECT_FALSE(FindAuxItem(services, 100, 0, 20, 7, index));
    EXPECT_FALSE(FindAuxItem(services, 100, 3, 30, 0, index));
    EXPECT_FALSE(FindAuxItem(services, 101, 0, 0, 6, index));
}

} // namespace
} // namespace pellar
