// The bound on texts read with read-next that stay cached: the oldest goes
// first, one per text shown past the bound, and a text shown again counts
// from its newest showing.
#include "core/reading/ReadTextsKept.h"

#include <gtest/gtest.h>

#include <vector>

namespace pellar {
namespace {

TEST(ReadTextsKept, TheOldestBeyondTheBoundGoesOnePerTextShown)
{
    ReadTextsKept kept(3);
    EXPECT_EQ(kept.Shown(10), std::nullopt);
    EXPECT_EQ(kept.Shown(11), std::nullopt);
    EXPECT_EQ(kept.Shown(12), std::nullopt);
    EXPECT_EQ(kept.Shown(13), 10);
    EXPECT_EQ(kept.Shown(14), 11);
    EXPECT_EQ(kept.Size(), 3u);
    kept.Clear();
    EXPECT_EQ(kept.Size(), 0u);
    EXPECT_EQ(kept.Shown(10), std::nullopt);
}

TEST(ReadTextsKept, ATextShownAgainIsKeptFromItsNewestShowing)
{
    ReadTextsKept kept(3);
    kept.Shown(1);
    kept.Shown(2);
    kept.Shown(3);
    // 1 again: now 2 is the oldest, and 1 is not forgotten through its
    // first showing, nor counted twice.
    EXPECT_EQ(kept.Shown(1), std::nullopt);
    EXPECT_EQ(kept.Size(), 3u);
    EXPECT_EQ(kept.Shown(4), 2);
    EXPECT_EQ(kept.Shown(5), 3);
    EXPECT_EQ(kept.Shown(6), 1);
    std::vector<int32_t> forgotten;
    for (int32_t t = 100; t < 110; ++t)
        if (const auto old = kept.Shown(t))
            forgotten.push_back(*old);
    EXPECT_EQ(forgotten, (std::vector<int32_t>{4, 5, 6, 100, 101, 102, 103, 104, 105, 106}));
}

} // namespace
} // namespace pellar
