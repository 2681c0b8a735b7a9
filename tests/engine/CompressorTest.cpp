#include "engine/Compressor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(CompressorTest, FactorSetsTheExponent)
{
    Compressor compressor;
    EXPECT_EQ(compressor.Exponent(), 0.0);
    compressor.SetCompressionFactor(0.0);
    EXPECT_EQ(compressor.Exponent(), 1.0);
    compressor.SetCompressionFactor(1.0);
    EXPECT_DOUBLE_EQ(compressor.Exponent(), 0.2);
    compressor.SetCompressionFactor(0.3);
    EXPECT_DOUBLE_EQ(compressor.Exponent(), 1.0 / 2.2);
}

TEST(CompressorTest, CurveExamples)
{
    Compressor compressor;
    compressor.SetCompressionFactor(0.0); // p = 1
    for (double x : {0.5, -0.5, 1.0, -1.9, 0.001})
        EXPECT_EQ(compressor.Compress(x), x);
    EXPECT_EQ(compressor.Compress(3.0), 2.0);
    EXPECT_EQ(compressor.Compress(-3.0), -2.0);
    EXPECT_EQ(compressor.Compress(0.0), 0.0);

    compressor.SetCompressionFactor(0.25); // p = 1 / 2
    EXPECT_EQ(compressor.Compress(-0.25), -0.5);
    EXPECT_EQ(compressor.Compress(0.25), 0.5);

    compressor.SetCompressionFactor(0.3);
    EXPECT_NEAR(compressor.Compress(0.01), 0.123, 0.0005);
    EXPECT_EQ(compressor.Compress(1.0), 1.0);
    EXPECT_EQ(compressor.Compress(-1.0), -1.0);
    EXPECT_EQ(compressor.Compress(std::numeric_limits<double>::quiet_NaN()), 0.0);
}
