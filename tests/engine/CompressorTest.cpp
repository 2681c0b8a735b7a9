#include "engine/Compressor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

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

// Many values at once (eight side by side in lanes, the rest one by one) give the bits of one
// value at a time: signs, zeros, the clamp at 2, values flushed to 0, non-finite ones, at every
// strength and at the unset exponent 0.
TEST(CompressorTest, ManyAtOnceMatchOneByOne)
{
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> input = {
        0.0,   -0.0,   1.0,     -1.0,   0.5, -0.5, 3.0,
        -3.0,  1e-300, -1e-300, 1e-320, inf, -inf, std::numeric_limits<double>::quiet_NaN(),
        1e-17, -1e-17, 2.0,     0.999};
    std::mt19937_64 random(5);
    std::uniform_real_distribution<double> level(-1.2, 1.2);
    for (int i = 0; i < 1000; ++i)
        input.push_back(level(random) * level(random) * level(random));
    for (int factor : {-1, 0, 1, 2, 3, 4})
    {
        Compressor c;
        if (factor >= 0) c.SetCompressionFactor(factor / 4.0);
        for (std::size_t start : {std::size_t{0}, std::size_t{3}})
        {
            std::vector<double> many(input.begin() + static_cast<std::ptrdiff_t>(start), input.end());
            c.Compress(many.data(), static_cast<int>(many.size()));
            for (std::size_t i = 0; i < many.size(); ++i)
            {
                const double one = c.Compress(input[start + i]);
                EXPECT_EQ(std::memcmp(&many[i], &one, sizeof one), 0)
                    << "factor " << factor << " x " << input[start + i] << ": " << many[i] << " vs " << one;
            }
        }
    }
}
