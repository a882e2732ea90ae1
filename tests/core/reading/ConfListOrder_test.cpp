#include "core/reading/ConfListOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace pellar {
namespace {

int ByBytes(const std::string& a, const std::string& b)
{
    return a.compare(b) < 0 ? -1 : (a.compare(b) > 0 ? 1 : 0);
}

std::vector<int32_t> Sorted(const ConfListOrder& order)
{
    std::vector<ConfListRow> rows = {
        {3, "Beta", 100, 7},
        {1, "Gamma", 200, 2},
        {2, "Alpha", 50, 9},
    };
    std::stable_sort(rows.begin(), rows.end(),
                     [&](const ConfListRow& a, const ConfListRow& b) { return order.Before(a, b, ByBytes); });
    std::vector<int32_t> confs;
    for (const ConfListRow& row : rows)
        confs.push_back(row.conf);
    return confs;
}

TEST(ConfListOrder, StartsByPriorityHighestFirst)
{
    ConfListOrder order;
    EXPECT_EQ(order.SortColumn(), ConfListOrder::Priority);
    EXPECT_FALSE(order.Descending());
    EXPECT_EQ(Sorted(order), (std::vector<int32_t>{1, 3, 2}));
}

TEST(ConfListOrder, EachColumnSortsInItsNaturalOrder)
{
    ConfListOrder order;
    order.HeaderClicked(ConfListOrder::Number);
    EXPECT_EQ(Sorted(order), (std::vector<int32_t>{1, 2, 3}));
    order.HeaderClicked(ConfListOrder::Name);
    EXPECT_EQ(Sorted(order), (std::vector<int32_t>{2, 3, 1}));
    order.HeaderClicked(ConfListOrder::Unread);
    EXPECT_EQ(Sorted(order), (std::vector<int32_t>{1, 3, 2}));
}

TEST(ConfListOrder, TheSameHeaderAgainInvertsAndAnotherOneStartsAscending)
{
    ConfListOrder order;
    order.HeaderClicked(ConfListOrder::Number);
    order.HeaderClicked(ConfListOrder::Number);
    EXPECT_TRUE(order.Descending());
    EXPECT_EQ(Sorted(order), (std::vector<int32_t>{3, 2, 1}));
    order.HeaderClicked(ConfListOrder::Priority);
    EXPECT_FALSE(order.Descending());
    EXPECT_EQ(Sorted(order), (std::vector<int32_t>{1, 3, 2}));
    order.HeaderClicked(ConfListOrder::Priority);
    EXPECT_EQ(Sorted(order), (std::vector<int32_t>{2, 3, 1}));
}

TEST(ConfListOrder, EqualRowsAreNeitherBeforeTheOther)
{
    // A strict weak order: the list's sort relies on it.
    ConfListOrder order;
    const ConfListRow a{1, "Same", 10, 1}, b{2, "Same", 10, 1};
    EXPECT_FALSE(order.Before(a, b, ByBytes));
    EXPECT_FALSE(order.Before(b, a, ByBytes));
    order.HeaderClicked(ConfListOrder::Priority);
    EXPECT_FALSE(order.Before(a, b, ByBytes));
    EXPECT_FALSE(order.Before(b, a, ByBytes));
}

} // namespace
} // namespace pellar
