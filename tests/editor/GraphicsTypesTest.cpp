#include "editor/IGraphicsTypes.h"

#include <gtest/gtest.h>

TEST(IArea, OnlyTheAllZeroAreaIsEmpty)
{
    EXPECT_TRUE(IArea{}.Empty());
    EXPECT_FALSE((IArea{5, 0, 5, 0}).Empty()); // zero width, but not all zero
    EXPECT_FALSE((IArea{5, 0, 5, 0}).Contains(5, 0));

    const IArea a{10, 20, 30, 40};
    EXPECT_TRUE(a.Contains(10, 20));
    EXPECT_FALSE(a.Contains(30, 25)); // right and bottom are exclusive
    EXPECT_FALSE(a.Contains(15, 40));
    EXPECT_FALSE(IArea{}.Contains(0, 0));
}

TEST(IArea, ReachesIsNotSymmetric)
{
    const IArea left{0, 0, 10, 10};
    const IArea right{10, 0, 20, 10};
    EXPECT_TRUE(left.Reaches(right)); // right edge lies on right's left edge
    EXPECT_FALSE(right.Reaches(left));
    const IArea below{0, 10, 10, 20};
    EXPECT_TRUE(left.Reaches(below));
    EXPECT_FALSE(below.Reaches(left));
    EXPECT_FALSE(IArea{}.Reaches(left));
    EXPECT_FALSE(left.Reaches(IArea{}));
}

TEST(IArea, UnionAndClip)
{
    const IArea a{0, 0, 10, 10};
    const IArea b{5, -5, 20, 8};
    EXPECT_EQ(a.Union(b), (IArea{0, -5, 20, 10}));
    EXPECT_EQ(IArea{}.Union(b), b);
    EXPECT_EQ(b.Union(IArea{}), b);
    EXPECT_EQ(a.Clip(b), (IArea{5, 0, 10, 8}));
    EXPECT_EQ(a.Clip(IArea{50, 50, 60, 60}), IArea{});
    // Touching areas clip to a zero-width strip on the edge.
    EXPECT_EQ(a.Clip(IArea{10, 0, 20, 10}), (IArea{10, 0, 10, 10}));
}

TEST(IGraphicsTypes, ColourPackingAndDefaultStyle)
{
    const IColorRGBA c{0x80, 0x12, 0x34, 0x56};
    EXPECT_EQ(c.Packed(), 0x80123456u);
    EXPECT_EQ(c.PlatformPacked(), 0x563412u);
    EXPECT_EQ((IColorRGBA{0x1ff, 0x100, 0, 0}).Packed(), 0xff000000u); // low eight bits of each field

    const ITextStyle s; // the style every control starts with
    EXPECT_STREQ(s.font, "Verdana");
    EXPECT_EQ(s.size, 12);
    EXPECT_EQ(s.color.Packed(), 0xff000000u);
    EXPECT_EQ(s.textEntryBGColor.Packed(), 0xffffffffu);
    EXPECT_EQ(s.align, kAlignCenter);
}
