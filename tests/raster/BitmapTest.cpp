#include <gtest/gtest.h>

#include <cstdint>

#include "raster/PIX_Bitmap.h"

namespace
{
bool Aligned64(const void* p)
{
    return reinterpret_cast<std::uintptr_t>(p) % 64 == 0;
}
} // namespace

TEST(MemBitmapTest, LayoutAndAlignment)
{
    PIX_MemBitmap bmp(5, 3);
    EXPECT_EQ(bmp.Width(), 5);
    EXPECT_EQ(bmp.Height(), 3);
    EXPECT_EQ(bmp.RowSpan(), 8);
    ASSERT_NE(bmp.Bits(), nullptr);
    EXPECT_TRUE(Aligned64(bmp.Bits()));
    EXPECT_EQ(bmp.AllocatedBytes(), 8u * 3 * 4);
    EXPECT_EQ(PIX_Row(bmp, 2), bmp.Bits() + 16);
    PIX_MemBitmap four(4, 1);
    EXPECT_EQ(four.RowSpan(), 4);
}

TEST(MemBitmapTest, EmptySizesHaveNoPixels)
{
    for (auto [w, h] : {std::pair{0, 4}, {4, 0}, {-1, 3}, {3, -2}})
    {
        PIX_MemBitmap bmp(w, h);
        EXPECT_EQ(bmp.Bits(), nullptr) << w << "x" << h;
        EXPECT_EQ(bmp.Width(), 0) << w << "x" << h;
    }
}

TEST(MemBitmapTest, ResizeGrowsWithHeadroomAndNeverShrinks)
{
    PIX_MemBitmap bmp(4, 4);
    EXPECT_FALSE(bmp.Resize(4, 4));
    EXPECT_EQ(bmp.AllocatedBytes(), 64u);
    EXPECT_TRUE(bmp.Resize(8, 4)); // needs 128 bytes: grows by a quarter more
    EXPECT_EQ(bmp.AllocatedBytes(), 160u);
    EXPECT_TRUE(bmp.Resize(2, 2));
    EXPECT_EQ(bmp.AllocatedBytes(), 160u);
    EXPECT_TRUE(bmp.Resize(8, 5)); // 160 bytes fit the headroom
    EXPECT_EQ(bmp.AllocatedBytes(), 160u);
    EXPECT_TRUE(Aligned64(bmp.Bits()));
    EXPECT_TRUE(bmp.Resize(0, 5));
    EXPECT_EQ(bmp.Bits(), nullptr);
    EXPECT_EQ(bmp.AllocatedBytes(), 0u);
}

TEST(MemBitmapTest, SizeBeyondAddressableBytesBecomesEmpty)
{
    // 40000 x 40000 pixels need 6.4 GB; the byte count must not wrap into a small allocation.
    PIX_MemBitmap bmp(40000, 40000);
    EXPECT_EQ(bmp.Width(), 0);
    EXPECT_EQ(bmp.Bits(), nullptr);
}

TEST(SysBitmapTest, KeepsAllocationWhenShrinking)
{
    PIX_SysBitmap bmp(10, 6);
    ASSERT_NE(bmp.DeviceContext(), nullptr);
    ASSERT_NE(bmp.Bits(), nullptr);
    EXPECT_TRUE(Aligned64(bmp.Bits()));
    EXPECT_EQ(bmp.RowSpan(), 12);
    PIX_Pixel* before = bmp.Bits();
    EXPECT_FALSE(bmp.Resize(10, 6));
    EXPECT_TRUE(bmp.Resize(7, 3));
    EXPECT_EQ(bmp.Bits(), before);
    EXPECT_EQ(bmp.RowSpan(), 12);
    EXPECT_EQ(bmp.Width(), 7);
    EXPECT_TRUE(bmp.Resize(13, 3)); // wider than the allocation: new pixels
    EXPECT_EQ(bmp.RowSpan(), 16);
    EXPECT_FALSE(bmp.Resize(0, 0));
    EXPECT_EQ(bmp.Bits(), nullptr);
}
