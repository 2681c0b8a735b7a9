// Platform text through the graphics context: the font cache and text measurement.

#include "EditorTestSupport.h"

#include "editor/IGraphicsCaches.h"
#include "raster/PIX_CachedFont.h"

#include <gtest/gtest.h>

namespace
{

struct TextFixture : ::testing::Test
{
    EditorTestFrame frame{0};
    TestGraphics g{&frame, 200, 60};

    // What the font itself measures for a text, from an all-zero rectangle.
    static std::pair<int, int> Extent(PIX_CachedFont* font, const char* text)
    {
        PIX_Rect r{};
        font->DrawText(nullptr, text, -1, &r, PIX_kTextNoClip | PIX_kTextMeasure);
        return {r.R - r.L, r.B - r.T};
    }
};

} // namespace

TEST_F(TextFixture, FontCacheKeyIgnoresQualityButNotFaceCase)
{
    ITextStyle a("Arial", 14, {255, 0, 0, 0});
    ITextStyle b = a;
    b.quality = kQualityAntiAliased;
    ITextStyle c("arial", 14, {255, 0, 0, 0});
    ITextStyle d("Arial", 14, {255, 0, 0, 0}, kStyleBold);
    PIX_CachedFont* fa = g.CacheFont(a);
    ASSERT_NE(fa, nullptr);
    EXPECT_EQ(a.cached, fa);
    const int fonts = IGraphicsCaches::FontCount();
    EXPECT_EQ(g.CacheFont(b), fa);
    EXPECT_EQ(IGraphicsCaches::FontCount(), fonts);
    PIX_CachedFont* fc = g.CacheFont(c);
    PIX_CachedFont* fd = g.CacheFont(d);
    EXPECT_NE(fc, fa);
    EXPECT_NE(fd, fa);
    EXPECT_EQ(IGraphicsCaches::FontCount(), fonts + 2);
    // Another editor of the process shares the cache.
    TestGraphics other(&frame);
    ITextStyle again("Arial", 14, {255, 0, 0, 0});
    EXPECT_EQ(other.CacheFont(again), fa);
}

TEST_F(TextFixture, MeasureRewritesTheAreaByAlignment)
{
    ITextStyle style("Verdana", 12, {255, 0, 0, 0}, kStyleNormal, kAlignLeft);
    PIX_CachedFont* font = g.CacheFont(style);
    ASSERT_NE(font, nullptr);
    const auto [w, h] = Extent(font, "Sin 440");
    ASSERT_GT(w, 0);
    ASSERT_GT(h, 0);

    IArea area{10, 20, 100, 40};
    EXPECT_TRUE(g.MeasureText(style, "Sin 440", area));
    EXPECT_EQ(area, (IArea{10, 20, 10 + w, 20 + h}));

    style.align = kAlignCenter;
    area = {10, 20, 101, 40};
    g.MeasureText(style, "Sin 440", area);
    EXPECT_EQ(area, (IArea{55 - w / 2, 20, 55 - w / 2 + w, 20 + h}));

    style.align = kAlignRight;
    area = {10, 20, 100, 40};
    g.MeasureText(style, "Sin 440", area);
    EXPECT_EQ(area, (IArea{100 - w, 20, 100, 20 + h}));

    area = {1, 2, 3, 4};
    EXPECT_TRUE(g.MeasureText(style, "", area)); // nothing to measure: untouched
    EXPECT_EQ(area, (IArea{1, 2, 3, 4}));
}

TEST_F(TextFixture, DrawTextPaintsInTheStyleColour)
{
    g.PrepareDraw();
    ClearSurface(g, 0xffffffff);
    ITextStyle style("Verdana", 20, {255, 255, 0, 0}, kStyleNormal, kAlignLeft);
    IArea area{0, 0, 200, 60};
    ASSERT_TRUE(g.DrawText(style, "HHHH", area));
    int red = 0, other = 0;
    PIX_SysBitmap& s = *g.DrawBitmapSurface();
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x)
        {
            const PIX_Pixel p = PixelAt(s, x, y);
            if (p == 0xffffffffu) continue;
            // Ink is red blended over white: red stays full, green and blue fall together.
            if (((p >> 16) & 0xff) == 0xff && ((p >> 8) & 0xff) == (p & 0xff))
                ++red;
            else
                ++other;
        }
    EXPECT_GT(red, 40);
    EXPECT_EQ(other, 0);
    // The text stays left of where it measures to end.
    IArea measured{0, 0, 200, 60};
    g.MeasureText(style, "HHHH", measured);
    for (int y = 0; y < 60; ++y)
        for (int x = measured.R + 2; x < 200; ++x)
            ASSERT_EQ(PixelAt(s, x, y), 0xffffffffu) << x << "," << y;
}
