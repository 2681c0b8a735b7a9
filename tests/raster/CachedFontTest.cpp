#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "raster/PIX_CachedFont.h"

namespace
{
PIX_FontRequest Request(const char* face, int height, int weight = 400)
{
    PIX_FontRequest r;
    r.height = height;
    r.weight = weight;
    std::strncpy(r.face, face, sizeof r.face - 1);
    return r;
}

std::unique_ptr<PIX_CachedFont> MakeFont(const char* face = "Verdana", int height = 12, int flags = 0)
{
    PIX_PlatformFont* platform = PIX_CreatePlatformFont(Request(face, height));
    if (!platform) return nullptr;
    auto font = std::make_unique<PIX_CachedFont>();
    font->SetPlatformFont(platform, PIX_kFontOwnsPlatformFont | flags);
    return font;
}

PIX_Rect Measure(PIX_CachedFont& font, const char* text, int flags = 0)
{
    PIX_Rect r{5, 7, 0, 0};
    EXPECT_EQ(font.DrawText(nullptr, text, -1, &r, flags | PIX_kTextMeasure), 1);
    return r;
}

// Bounding box of the pixels that differ from the background.
PIX_Rect Ink(PIX_IBitmap& bmp, PIX_Pixel background)
{
    PIX_Rect box{bmp.Width(), bmp.Height(), 0, 0};
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            if (PIX_Row(bmp, y)[x] != background)
                box = {std::min(box.L, x), std::min(box.T, y), std::max(box.R, x + 1),
                       std::max(box.B, y + 1)};
    return box;
}

void Clear(PIX_IBitmap& bmp, PIX_Pixel p)
{
    PIX_Fill(&bmp, 0, 0, bmp.Width(), bmp.Height(), p, 1.0f, PIX_kCopy);
}

constexpr PIX_Pixel kWhite = 0xffffffff;
} // namespace

TEST(Utf8Test, SequencesAndStrayBytes)
{
    std::uint32_t code = 0;
    EXPECT_EQ(PIX_DecodeUtf8("A", 1, code), 1);
    EXPECT_EQ(code, 0x41u);
    EXPECT_EQ(PIX_DecodeUtf8("\xc3\xa9", 2, code), 2);
    EXPECT_EQ(code, 0xe9u);
    EXPECT_EQ(PIX_DecodeUtf8("\xe2\x82\xac", 3, code), 3);
    EXPECT_EQ(code, 0x20acu);
    EXPECT_EQ(PIX_DecodeUtf8("\xf0\x9f\x8e\xb5", 4, code), 4);
    EXPECT_EQ(code, 0x20u);
    // Overlong leads, missing continuations and truncated sequences stand for themselves.
    EXPECT_EQ(PIX_DecodeUtf8("\xc0\xaf", 2, code), 1);
    EXPECT_EQ(code, 0xc0u);
    EXPECT_EQ(PIX_DecodeUtf8("\xc3z", 2, code), 1);
    EXPECT_EQ(code, 0xc3u);
    EXPECT_EQ(PIX_DecodeUtf8("\xe2\x82\xac", 2, code), 1);
    EXPECT_EQ(code, 0xe2u);
    EXPECT_EQ(PIX_DecodeUtf8("\xf5\x80\x80\x80", 4, code), 1);
    EXPECT_EQ(code, 0xf5u);
}

TEST(PlatformFontTest, StandInFacesAndHeights)
{
    for (const char* face : {"Arial", "Verdana"})
    {
        PIX_PlatformFont* font = PIX_CreatePlatformFont(Request(face, 14));
        ASSERT_NE(font, nullptr) << face;
        const std::string family = PIX_PlatformFontFamily(font);
        EXPECT_TRUE(family == face || family == "Liberation Sans") << face << " opened " << family;
        EXPECT_EQ(PIX_PlatformFontHeight(font), 14);
        PIX_DeletePlatformFont(font);
    }
    PIX_PlatformFont* bold = PIX_CreatePlatformFont(Request("Arial", 12, 700));
    ASSERT_NE(bold, nullptr);
    PIX_GlyphImage image;
    ASSERT_TRUE(PIX_RasteriseGlyph(bold, 'H', image));
    EXPECT_GT(image.advance, 0);
    EXPECT_EQ(image.coverage.size(), static_cast<std::size_t>(image.width * image.height));
    EXPECT_GE(image.top, 0);
    EXPECT_LE(image.top + image.height, 12);
    PIX_DeletePlatformFont(bold);
}

TEST(CachedFontTest, WithoutPlatformFontNothingIsLaidOut)
{
    PIX_CachedFont font;
    EXPECT_EQ(font.SetTextColor(0xff102030), 0u);
    EXPECT_EQ(font.SetTextColor(0x80000000), 0xff102030u);
    PIX_Rect r{0, 0, 10, 10};
    EXPECT_EQ(font.DrawText(nullptr, "x", -1, &r, PIX_kTextMeasure), 0); // no platform font yet
}

TEST(CachedFontTest, FourByteSequenceIsOneSpace)
{
    auto font = MakeFont();
    ASSERT_TRUE(font);
    const PIX_Rect withEmoji = Measure(*font, "a\xf0\x9f\x8e\xb5"
                                              "b");
    const PIX_Rect withSpace = Measure(*font, "a b");
    EXPECT_EQ(withEmoji.R, withSpace.R);
    EXPECT_GT(withSpace.R, Measure(*font, "ab").R);
}

TEST(CachedFontTest, LineFeedsAndCarriageReturns)
{
    auto font = MakeFont("Arial", 12);
    ASSERT_TRUE(font);
    font->SetLineSpacing(3);
    const PIX_Rect one = Measure(*font, "ab cd");
    EXPECT_EQ(one.L, 5);
    EXPECT_EQ(one.T, 7);
    EXPECT_EQ(one.B, 7 + 12);
    // Single line: the line feed is laid out as a space.
    const PIX_Rect single = Measure(*font, "ab\ncd", PIX_kTextSingleLine);
    EXPECT_EQ(single.R, one.R);
    EXPECT_EQ(single.B, one.B);
    // Otherwise it starts a new line one line height plus the spacing further down.
    const PIX_Rect two = Measure(*font, "ab\ncd");
    EXPECT_EQ(two.B, 7 + 12 + 3 + 12);
    EXPECT_EQ(two.R, std::max(Measure(*font, "ab").R, Measure(*font, "cd").R));
    EXPECT_EQ(Measure(*font, "a\rb").R, Measure(*font, "ab").R);

    // Drawn, the second line's ink sits exactly one line pitch below the first.
    PIX_MemBitmap bmp(60, 60);
    Clear(bmp, kWhite);
    PIX_Rect area{0, 0, 60, 60};
    font->SetTextColor(0xff000000);
    ASSERT_EQ(font->DrawText(&bmp, "x", -1, &area, 0), 1);
    const PIX_Rect first = Ink(bmp, kWhite);
    Clear(bmp, kWhite);
    ASSERT_EQ(font->DrawText(&bmp, "\nx", -1, &area, 0), 1);
    const PIX_Rect second = Ink(bmp, kWhite);
    EXPECT_EQ(second.T - first.T, 15);

    // Drawn on a single line, the line feed leaves the same pixels as a space.
    PIX_MemBitmap spaced(60, 20), fed(60, 20);
    Clear(spaced, kWhite);
    Clear(fed, kWhite);
    PIX_Rect line{0, 0, 60, 20};
    ASSERT_EQ(font->DrawText(&spaced, "ab cd", -1, &line, 0), 1);
    ASSERT_EQ(font->DrawText(&fed, "ab\ncd", -1, &line, PIX_kTextSingleLine), 1);
    EXPECT_GT(Ink(fed, kWhite).R, Measure(*font, "ab ").R - 5);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x)
            ASSERT_EQ(PIX_Row(fed, y)[x], PIX_Row(spaced, y)[x]) << x << "," << y;
}

TEST(CachedFontTest, DrawsInTheTextColourAndHonoursAlignment)
{
    auto font = MakeFont("Arial", 16);
    ASSERT_TRUE(font);
    font->SetTextColor(0xff0000ff);
    PIX_MemBitmap bmp(100, 40);
    Clear(bmp, kWhite);
    PIX_Rect area{10, 5, 90, 35};
    ASSERT_EQ(font->DrawText(&bmp, "Hi", -1, &area, 0), 1);
    const PIX_Rect left = Ink(bmp, kWhite);
    ASSERT_LT(left.L, left.R);
    EXPECT_GE(left.L, 10);
    EXPECT_GE(left.T, 5);
    // Solid stems of the glyphs are the text colour itself.
    bool solid = false;
    for (int y = left.T; y < left.B; ++y)
        for (int x = left.L; x < left.R; ++x)
            solid |= PIX_Row(bmp, y)[x] == 0xff0000ffu;
    EXPECT_TRUE(solid);

    const int width = Measure(*font, "Hi").R - 5;
    Clear(bmp, kWhite);
    ASSERT_EQ(font->DrawText(&bmp, "Hi", -1, &area, PIX_kTextRight | PIX_kTextBottom), 1);
    const PIX_Rect right = Ink(bmp, kWhite);
    EXPECT_EQ(right.L - left.L, 80 - width);
    EXPECT_EQ(right.T - left.T, 30 - 16);
    Clear(bmp, kWhite);
    ASSERT_EQ(font->DrawText(&bmp, "Hi", -1, &area, PIX_kTextCentre | PIX_kTextVCentre), 1);
    const PIX_Rect centre = Ink(bmp, kWhite);
    EXPECT_EQ(centre.L - left.L, (80 - width) / 2);
    EXPECT_EQ(centre.T - left.T, (30 - 16) / 2);
}

TEST(CachedFontTest, ClippingAndWeights)
{
    auto font = MakeFont("Arial", 16);
    ASSERT_TRUE(font);
    font->SetTextColor(0xff000000);
    PIX_MemBitmap bmp(40, 20);
    Clear(bmp, kWhite);
    // Clipped to the area unless told not to clip.
    PIX_Rect narrow{0, 0, 4, 20};
    font->DrawText(&bmp, "WWW", -1, &narrow, 0);
    EXPECT_LE(Ink(bmp, kWhite).R, 4);
    Clear(bmp, kWhite);
    font->DrawText(&bmp, "WWW", -1, &narrow, PIX_kTextNoClip);
    EXPECT_GT(Ink(bmp, kWhite).R, 4);
    // Drawing partly off the bitmap stays inside it.
    PIX_Rect off{-7, -5, 100, 100};
    font->DrawText(&bmp, "WWWWWWWW", -1, &off, PIX_kTextNoClip);

    // A transparent text colour with its alpha in use draws nothing but still succeeds.
    Clear(bmp, kWhite);
    font->SetTextColor(0x00000000);
    PIX_Rect area{0, 0, 40, 20};
    EXPECT_EQ(font->DrawText(&bmp, "W", -1, &area, PIX_kTextUseColorAlpha), 1);
    EXPECT_EQ(Ink(bmp, kWhite).R, 0);
    // Empty text draws nothing and succeeds.
    EXPECT_EQ(font->DrawText(&bmp, "", -1, &area, 0), 1);
    EXPECT_EQ(Ink(bmp, kWhite).R, 0);
    // Without a bitmap only measuring works.
    EXPECT_EQ(font->DrawText(nullptr, "W", -1, &area, 0), 0);

    // Opaque background fills each character cell.
    font->SetTextColor(0xff000000);
    font->SetBackgroundMode(PIX_kBackgroundOpaque);
    font->SetBackgroundColor(0xff00ff00);
    font->DrawText(&bmp, "W", -1, &area, 0);
    EXPECT_EQ(PIX_Row(bmp, 15)[0], 0xff00ff00u);
}

TEST(CachedFontTest, GlyphsAreRasterisedOnce)
{
    auto font = MakeFont("Arial", 12);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->CachedGlyphCount(), 0u);
    Measure(*font, "aaa");
    EXPECT_EQ(font->CachedGlyphCount(), 1u);
    Measure(*font, "ab\xc3\xa9\xc3\xa9\xe2\x82\xac");
    EXPECT_EQ(font->CachedGlyphCount(), 4u);
    auto precached = MakeFont("Arial", 12, PIX_kFontPrecacheAscii);
    ASSERT_TRUE(precached);
    EXPECT_EQ(precached->CachedGlyphCount(), 128u);
    EXPECT_EQ(Measure(*precached, "ab\xc3\xa9").R, Measure(*font, "ab\xc3\xa9").R);
}
