#include "core/wire/TextStatType.h"

#include <gtest/gtest.h>

namespace pellar {
namespace {

TEST(TextStatType, ItemsByIndexAndClass)
{
    TextStatType stat;
    stat.AddMiscInfo(std::make_shared<TMiscInfoRcpt>());
    stat.AddMiscInfo(nullptr);
    stat.AddMiscInfo(std::make_shared<TMiscInfoCommTo>());
    stat.AddMiscInfo(std::make_shared<TMiscInfoCC>());
    stat.AddMiscInfo(std::make_shared<TMiscInfoFootIn>());
    EXPECT_EQ(stat.MiscInfoCount(), 4);
    EXPECT_EQ(stat.MiscInfo(-1), nullptr);
    EXPECT_EQ(stat.MiscInfo(4), nullptr);
    EXPECT_EQ(stat.MiscInfo(1)->Tag(), 2);

    std::vector<int> normal, links, mbx;
    stat.ForEachMiscInfo<TMiscInfoNormal>([&](const TMiscInfoNormal& i) { normal.push_back(i.Tag()); });
    stat.ForEachMiscInfo<TMiscInfoGText>([&](const TMiscInfoGText& i) { links.push_back(i.Tag()); });
    stat.ForEachMiscInfo<TMiscInfoMbx>([&](const TMiscInfoMbx& i) { mbx.push_back(i.Tag()); });
    EXPECT_EQ(normal, (std::vector<int>{0, 1}));
    EXPECT_EQ(links, (std::vector<int>{2, 5}));
    EXPECT_EQ(mbx, links);
}

TEST(TextStatType, AuxItemsAreCopies)
{
    TextStatType stat;
    AuxItemRec rec{1, 6, 9, 0, "00000000", 0, "data"};
    stat.AddAuxItem(rec);
    rec.data = "changed";
    EXPECT_EQ(stat.AuxItemCount(), 1);
    EXPECT_EQ(stat.AuxItem(0)->data, "data");
    EXPECT_FALSE(stat.AuxItem(1).has_value());
    EXPECT_FALSE(stat.AuxItem(-1).has_value());
}

} // namespace
} // namespace pellar
