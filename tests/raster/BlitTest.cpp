#include <gtest/gtest.h>

#include <limits>

#include "raster/PIX_Blit.h"

namespace
{
// Source pixel (x, y) is opaque with red = x and green = y, so copied positions can be read back.
void FillPattern(PIX_IBitmap& bmp)
{
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            PIX_Row(bmp, y)[x] = 0xff000000u | x << 16 | y << 8;
}

void FillWith(PIX_IBitmap& bmp, PIX_Pixel p)
{
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            PIX_Row(bmp, y)[x] = p;
}

PIX_Pixel At(PIX_IBitmap& bmp, int x, int y)
{
    return PIX_Row(bmp, y)[x];
}

constexpr PIX_Pixel kUntouched = 0x12345678;

// Blits one source pixel onto one destination pixel and returns the result.
PIX_Pixel BlitOne(PIX_Pixel s, PIX_Pixel d, float weight, int mode)
{
    PIX_MemBitmap src(1, 1), dst(1, 1);
    src.Bits()[0] = s;
    dst.Bits()[0] = d;
    PIX_Blit(&dst, &src, 0, 0, nullptr, weight, mode);
    return dst.Bits()[0];
}

PIX_Pixel FillOne(PIX_Pixel c, PIX_Pixel d, float weight, int mode = PIX_kCopy)
{
    PIX_MemBitmap dst(1, 1);
    dst.Bits()[0] = d;
    PIX_Fill(&dst, 0, 0, 1, 1, c, weight, mode);
    return dst.Bits()[0];
}
} // namespace

TEST(BlitClipTest, NegativePositionCopiesFromInsideTheSource)
{
    PIX_MemBitmap src(10, 10), dst(12, 12);
    FillPattern(src);
    FillWith(dst, kUntouched);
    PIX_Blit(&dst, &src, -3, -2, nullptr, 1.0f, PIX_kCopy);
    EXPECT_EQ(At(dst, 0, 0), 0xff030200u);
    EXPECT_EQ(At(dst, 6, 7), 0xff090900u);
    EXPECT_EQ(At(dst, 7, 0), kUntouched); // 7 columns and 8 rows remain
    EXPECT_EQ(At(dst, 0, 8), kUntouched);
}

TEST(BlitClipTest, RectanglePastTheSourceEdgeStopsAtTheEdge)
{
    PIX_MemBitmap src(10, 4), dst(20, 4);
    FillPattern(src);
    FillWith(dst, kUntouched);
    const PIX_Rect rect{6, 1, 30, 9};
    PIX_Blit(&dst, &src, 2, 0, &rect, 1.0f, PIX_kCopy);
    EXPECT_EQ(At(dst, 2, 0), 0xff060100u);
    EXPECT_EQ(At(dst, 5, 2), 0xff090300u);
    EXPECT_EQ(At(dst, 6, 0), kUntouched);
    EXPECT_EQ(At(dst, 2, 3), kUntouched);
    EXPECT_EQ(At(dst, 1, 0), kUntouched);
}

TEST(BlitClipTest, NegativeRectangleStartShiftsTheDestination)
{
    PIX_MemBitmap src(4, 1), dst(8, 1);
    FillPattern(src);
    FillWith(dst, kUntouched);
    const PIX_Rect rect{-2, 0, 3, 1};
    PIX_Blit(&dst, &src, 1, 0, &rect, 1.0f, PIX_kCopy);
    EXPECT_EQ(At(dst, 2, 0), kUntouched);
    EXPECT_EQ(At(dst, 3, 0), 0xff000000u);
    EXPECT_EQ(At(dst, 5, 0), 0xff020000u);
    EXPECT_EQ(At(dst, 6, 0), kUntouched);

    // Likewise a negative top moves the copy down.
    PIX_MemBitmap tall(4, 4), below(4, 4);
    FillPattern(tall);
    FillWith(below, kUntouched);
    const PIX_Rect up{1, -2, 4, 4};
    PIX_Blit(&below, &tall, 0, 0, &up, 1.0f, PIX_kCopy);
    EXPECT_EQ(At(below, 0, 1), kUntouched);
    EXPECT_EQ(At(below, 0, 2), 0xff010000u);
    EXPECT_EQ(At(below, 2, 3), 0xff030100u);
    EXPECT_EQ(At(below, 3, 3), kUntouched);
}

TEST(BlitClipTest, OversizedSourceIsCutAtTheDestination)
{
    PIX_MemBitmap src(10, 10), dst(3, 2);
    FillPattern(src);
    PIX_Blit(&dst, &src, 1, 1, nullptr, 1.0f, PIX_kCopy);
    EXPECT_EQ(At(dst, 1, 1), 0xff000000u);
    EXPECT_EQ(At(dst, 2, 1), 0xff010000u);
}

TEST(BlitClipTest, EmptyRequestsDrawNothing)
{
    PIX_MemBitmap src(4, 4), dst(4, 4), empty(0, 0);
    FillPattern(src);
    FillWith(dst, kUntouched);
    PIX_Blit(&dst, &src, 4, 0, nullptr, 1.0f, PIX_kCopy);
    PIX_Blit(&dst, &src, 0, 4, nullptr, 1.0f, PIX_kCopy);
    PIX_Blit(&dst, &src, -4, 0, nullptr, 1.0f, PIX_kCopy);
    PIX_Blit(&dst, &src, 0, 0, nullptr, 0.0f, PIX_kCopy);
    PIX_Blit(&dst, &src, 0, 0, nullptr, 0.003f, PIX_kCopy); // truncates to 0 / 256
    PIX_Blit(&dst, nullptr, 0, 0, nullptr, 1.0f, PIX_kCopy);
    PIX_Blit(&dst, &empty, 0, 0, nullptr, 1.0f, PIX_kCopy);
    PIX_Blit(&empty, &src, 0, 0, nullptr, 1.0f, PIX_kCopy);
    const PIX_Rect inverted{3, 0, 2, 4};
    PIX_Blit(&dst, &src, 0, 0, &inverted, 1.0f, PIX_kCopy);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(At(dst, x, y), kUntouched);
}

TEST(BlitModeTest, PlainCopyWeights)
{
    EXPECT_EQ(BlitOne(0x80ff4020, 0x10203040, 1.0f, PIX_kCopy), 0x80ff4020u);
    // Half weight averages whole pixels with a shift and mask.
    EXPECT_EQ(BlitOne(0x81ff4021, 0x11203041, 0.5f, PIX_kCopy), 0x407f2010u + 0x08101820u);
    // Quarter weight: each byte s + (d - s) * 192 / 256, truncated toward zero.
    EXPECT_EQ(BlitOne(0xff000000, 0x00ff8001, 0.25f, PIX_kCopy), 0x40bf6000u);
}

TEST(BlitModeTest, CopyWithSourceAlpha)
{
    const int mode = PIX_kUseSourceAlpha | PIX_kCopy;
    // Alpha 0 leaves the destination alone, alpha 255 replaces it and makes it opaque.
    EXPECT_EQ(BlitOne(0x00ffffff, 0x12345678, 1.0f, mode), 0x12345678u);
    EXPECT_EQ(BlitOne(0x00ffffff, 0x12345678, 0.25f, mode), 0x12345678u);
    EXPECT_EQ(BlitOne(0xffabcdef, 0x12345678, 1.0f, mode), 0xffabcdefu);
    // Partial alpha at full weight: colour s + (d - s) * (255 - sa) / 256, alpha sa + da.
    // Red 200 over 100: 200 + (-100 * 127) / 256 = 200 - 49; blue 0 over 200: 25400 / 256 = 99.
    EXPECT_EQ(BlitOne(0x80c80000, 0x406400c8, 1.0f, mode), 0xc0970063u);
    EXPECT_EQ(BlitOne(0xc0000000, 0x80000000, 1.0f, mode) >> 24, 255u);
}

TEST(BlitModeTest, CopyWithSourceAlphaAtPartialWeight)
{
    // Weight 0.75 (w = 192), source alpha 64: k = 192 * 65 / 256 = 48; alpha 48 + 224 saturates;
    // colours s + (d - s) * 208 / 256: red 255 - 207, green 128 - 104, blue 0 + 104.
    EXPECT_EQ(BlitOne(0x40ff8000, 0xe0000080, 0.75f, PIX_kUseSourceAlpha), 0xff301868u);
}

TEST(BlitModeTest, GreyedControlUsesQuarterWeight)
{
    // Weight 0.25 with an opaque source: k = 64 * 256 / 256 = 64.
    const PIX_Pixel out = BlitOne(0xffff0080, 0x1000ff80, 0.25f, PIX_kUseSourceAlpha);
    EXPECT_EQ(out >> 24, 0x10u + 64);
    EXPECT_EQ((out >> 16) & 0xff, 64u); // 255 + (-255 * 192) / 256
    EXPECT_EQ((out >> 8) & 0xff, 191u); // 0 + (255 * 192) / 256
    EXPECT_EQ(out & 0xff, 0x80u);
    // Half-transparent at quarter weight: k = 64 * 129 / 256 = 32, red 255 - 255 * 224 / 256.
    EXPECT_EQ((BlitOne(0x80ff0000, 0x00000000, 0.25f, PIX_kUseSourceAlpha) >> 16) & 0xff, 32u);
}

TEST(BlitModeTest, AddWithSourceAlpha)
{
    const int mode = PIX_kUseSourceAlpha | PIX_kAdd;
    EXPECT_EQ(BlitOne(0x00ffffff, 0x10101010, 1.0f, mode), 0x10101010u);
    // Opaque at full weight: k = 256, each colour adds s and saturates.
    EXPECT_EQ(BlitOne(0xff80c010, 0x10a0a010, 1.0f, mode), 0xffffff20u);
    // Alpha 127 at weight 0.5: k = 128 * 128 / 256 = 64, so colours add s / 4 and alpha 127 / 4.
    EXPECT_EQ(BlitOne(0x7f404040, 0x00000000, 0.5f, mode), 0x1f101010u);
}

TEST(BlitModeTest, DodgeWithSourceAlpha)
{
    const int mode = PIX_kUseSourceAlpha | PIX_kDodge;
    // Opaque source 128 at full weight: t = 128, so d becomes d * 256 / 128.
    EXPECT_EQ(BlitOne(0xff808080, 0x40204080, 1.0f, mode), 0xff4080ffu);
    // t above 254 saturates anything non-zero and keeps zero (here the alpha byte).
    EXPECT_EQ(BlitOne(0xffff0000, 0x00010000, 1.0f, mode), 0x00ff0000u);
    // Half weight, opaque source: k = 128. Colour bytes 0x80 give t = 64 (d * 256 / 192), the
    // alpha byte 0xff gives t = 127 (d * 256 / 129); green 192 reaches 256 and saturates.
    EXPECT_EQ(BlitOne(0xff808080, 0x4040c000, 0.5f, mode), 0x7f55ff00u);
    // Source alpha 0 still gives k = 1, too small to change anything.
    EXPECT_EQ(BlitOne(0x00ffffff, 0x10203040, 1.0f, mode), 0x10203040u);
}

TEST(BlitModeTest, ChannelCopyMovesOneByte)
{
    // Red of the source into alpha of the destination, everything else kept.
    EXPECT_EQ(BlitOne(0x11223344, 0xaabbccdd, 1.0f, PIX_ChannelCopy(PIX_kRedByte, PIX_kAlphaByte)),
              0x22bbccddu);
    EXPECT_EQ(BlitOne(0x11223344, 0xaabbccdd, 0.3f, PIX_ChannelCopy(PIX_kBlueByte, PIX_kGreenByte)),
              0xaabb44ddu);
}

TEST(BlitModeTest, BottomUpBitmapsAreAddressedByRow)
{
    class BottomUp final : public PIX_IBitmap
    {
    public:
        PIX_Pixel mem[4] = {1, 2, 3, 4};
        PIX_Pixel* Bits() override { return mem; }
        int Width() override { return 2; }
        int Height() override { return 2; }
        int RowSpan() override { return 2; }
        bool IsBottomUp() override { return true; }
        bool Resize(int, int) override { return false; }
        PIX_DrawingContext* DeviceContext() override { return nullptr; }
        void* QueryExtension(int) override { return nullptr; }
    } src;
    PIX_MemBitmap dst(2, 2);
    PIX_Blit(&dst, &src, 0, 0, nullptr, 1.0f, PIX_kCopy);
    EXPECT_EQ(At(dst, 0, 0), 3u);
    EXPECT_EQ(At(dst, 1, 1), 2u);
}

TEST(FillTest, FastWeightsUseShiftAndMask)
{
    const PIX_Pixel c = 0xff804020, d = 0x00204080;
    EXPECT_EQ(FillOne(c, d, 1.0f), c);
    EXPECT_EQ(FillOne(c, d, 0.5f), 0x7f504050u);
    EXPECT_EQ(FillOne(c, d, 0.25f),
              ((d >> 1) & 0x7f7f7f7f) + ((c >> 2) & 0x3f3f3f3f) + ((d >> 2) & 0x3f3f3f3f));
    EXPECT_EQ(FillOne(c, d, 0.25f), 0x3f384068u);
    EXPECT_EQ(FillOne(c, d, 0.75f), 0xbe684038u);
}

TEST(FillTest, OtherWeightsBlendEachChannel)
{
    // Weight 0.375 gives w = 96: colour (d - c) * 160 / 256 + c, alpha w + (d - w) * 160 / 256.
    // Red 0x20 toward 0x80: (0x20 - 0x80) * 160 / 256 + 0x80 = -60 + 128; blue 60 + 32.
    EXPECT_EQ(FillOne(0xff804020, 0x00204080, 0.375f), 0x2444405cu);
}

TEST(FillTest, SourceAlphaScalesTheWeightAndClipping)
{
    // Alpha 0x80 scales weight 1 to 0.502, i.e. w = 128: the half-mix path.
    EXPECT_EQ(FillOne(0x80804020, 0x00204080, 1.0f, PIX_kUseSourceAlpha), 0x40504050u);
    EXPECT_EQ(FillOne(0x00804020, 0x00204080, 1.0f, PIX_kUseSourceAlpha), 0x00204080u);

    PIX_MemBitmap dst(4, 3);
    FillWith(dst, 0);
    PIX_Fill(&dst, -2, -1, 4, 3, 0xffffffff, 1.0f, PIX_kCopy);
    EXPECT_EQ(At(dst, 0, 0), 0xffffffffu);
    EXPECT_EQ(At(dst, 1, 1), 0xffffffffu);
    EXPECT_EQ(At(dst, 2, 0), 0u);
    EXPECT_EQ(At(dst, 0, 2), 0u);
    PIX_Fill(&dst, 3, 2, 10, 10, 0xff00ff00, 1.0f, PIX_kCopy);
    EXPECT_EQ(At(dst, 3, 2), 0xff00ff00u);
    PIX_Fill(&dst, 0, 0, 0, 3, 0xff0000ff, 1.0f, PIX_kCopy);
    PIX_Fill(&dst, 0, 0, 4, 3, 0xff0000ff, 0.0f, PIX_kCopy);
    EXPECT_EQ(At(dst, 2, 2), 0u);
}

TEST(BlitClipTest, ExtremeCoordinatesDrawNothing)
{
    // Positions far outside every bitmap must not wrap around into a read or write inside one.
    constexpr int kMin = std::numeric_limits<int>::min();
    constexpr int kMax = std::numeric_limits<int>::max();
    PIX_MemBitmap src(4, 4), dst(4, 4);
    FillPattern(src);
    FillWith(dst, kUntouched);
    PIX_Blit(&dst, &src, kMin, 0, nullptr, 1.0f, PIX_kCopy);
    PIX_Blit(&dst, &src, 0, kMin, nullptr, 0.5f, PIX_kCopy);
    PIX_Blit(&dst, &src, kMax, kMax, nullptr, 1.0f, PIX_kCopy);
    const PIX_Rect farLeft{kMin, kMin, 4, 4};
    PIX_Blit(&dst, &src, 0, 0, &farLeft, 1.0f, PIX_kUseSourceAlpha);
    PIX_Blit(&dst, &src, kMax, kMax, &farLeft, 1.0f, PIX_kCopy);
    PIX_Fill(&dst, kMin, kMin, -5, -5, 0xffffffff, 1.0f, PIX_kCopy);
    PIX_Fill(&dst, kMax, kMax, kMax, kMax, 0xffffffff, 1.0f, PIX_kCopy);
    PIX_Fill(&dst, 2, 2, kMax, kMax, 0xff00ff00, 1.0f, PIX_kCopy);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(At(dst, x, y), x >= 2 && y >= 2 ? 0xff00ff00u : kUntouched) << x << "," << y;
}

TEST(BlitModeTest, WeightsOutsideZeroToOne)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // Above 1 counts as full weight: 2 * 256 would turn s + (d - s) * (256 - w) / 256 into
    // 2s - d, out of the byte range.
    EXPECT_EQ(BlitOne(0x80c80000, 0x406400c8, 2.0f, PIX_kCopy), 0x80c80000u);
    EXPECT_EQ(BlitOne(0x80c80000, 0x406400c8, 1.5f, PIX_kUseSourceAlpha), 0xc0970063u);
    EXPECT_EQ(FillOne(0xff804020, 0x00204080, 3.0f), 0xff804020u);
    // Negative and NaN weights draw nothing.
    EXPECT_EQ(BlitOne(0xffffffff, 0x12345678, -0.5f, PIX_kCopy), 0x12345678u);
    EXPECT_EQ(BlitOne(0xffffffff, 0x12345678, nan, PIX_kCopy), 0x12345678u);
    EXPECT_EQ(BlitOne(0xffffffff, 0x12345678, nan, PIX_kUseSourceAlpha | PIX_kAdd), 0x12345678u);
    EXPECT_EQ(FillOne(0xffffffff, 0x12345678, nan), 0x12345678u);
    EXPECT_EQ(FillOne(0xffffffff, 0x12345678, -1.0f, PIX_kUseSourceAlpha), 0x12345678u);
}
