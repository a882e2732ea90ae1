#include "core/admin/StatisticsFormat.h"

#include <gtest/gtest.h>

namespace pellar {
namespace {

TEST(StatisticsFormat, ByteSizesSwitchUnitsAtTheirLimits)
{
    EXPECT_EQ(StatisticsFormat::ByteSize(0), "0 Bytes");
    EXPECT_EQ(StatisticsFormat::ByteSize(4095), "4095 Bytes");
    EXPECT_EQ(StatisticsFormat::ByteSize(4096), "4.00 kBytes");
    EXPECT_EQ(StatisticsFormat::ByteSize(1023999), "1000.00 kBytes");
    EXPECT_EQ(StatisticsFormat::ByteSize(1024000), "1.00 MBytes");
    EXPECT_EQ(StatisticsFormat::ByteSize(5120000000ull), "5000.00 MBytes");
}

TEST(StatisticsFormat, HitRates)
{
    EXPECT_EQ(StatisticsFormat::HitRate(0, 0), "(0/0) 0%");
    EXPECT_EQ(StatisticsFormat::HitRate(1, 3), "(1/3) 25.00%");
    EXPECT_EQ(StatisticsFormat::HitRate(2, 1), "(2/1) 66.67%");
    EXPECT_EQ(StatisticsFormat::HitRate(0, 5), "(0/5) 0.00%");
    EXPECT_EQ(StatisticsFormat::HitRate(7, 0), "(7/0) 100.00%");
}

} // namespace
} // namespace pellar
