#include "engine/DenormalFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(DenormalFilterTest, KeepsValuesFromTwoToTheMinus54Up)
{
    const double smallestKept = std::ldexp(1.0, -54);
    EXPECT_EQ(DenormalFilter(smallestKept), smallestKept);
    EXPECT_EQ(DenormalFilter(-smallestKept), -smallestKept);
    EXPECT_EQ(DenormalFilter(1.0), 1.0);
    EXPECT_EQ(DenormalFilter(-0.5), -0.5);
    EXPECT_EQ(DenormalFilter(std::numeric_limits<double>::max()), std::numeric_limits<double>::max());
}

TEST(DenormalFilterTest, ZeroesTinyAndNonFiniteValues)
{
    const double inf = std::numeric_limits<double>::infinity();
    for (double x :
         {std::ldexp(1.0, -55), -std::ldexp(1.0, -55), std::ldexp(1.0, -54) * 0.999,
          std::numeric_limits<double>::denorm_min(), inf, -inf, std::numeric_limits<double>::quiet_NaN()})
        EXPECT_EQ(DenormalFilter(x), 0.0) << x;
}
