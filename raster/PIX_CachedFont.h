#pragma once

#include <cstdint>
#include <vector>

#include "raster/PIX_Blit.h"
#include "raster/PIX_PlatformFont.h"

// Draw flags of PIX_IFont::DrawText.
enum : int
{
    PIX_kTextLeft = 0,
    PIX_kTextCentre = 1,
    PIX_kTextRight = 2,
    PIX_kTextVCentre = 4,
    PIX_kTextBottom = 8,
    PIX_kTextSingleLine = 0x20,
    PIX_kTextNoClip = 0x100,
    PIX_kTextMeasure = 0x400,
    PIX_kTextUseColorAlpha = 0x40000000,
};

// Font flags of PIX_IFont::SetPlatformFont.
enum : int
{
    PIX_kFontVertical = 1,
    PIX_kFontBottomUp = 2,
    PIX_kFontPrecacheAscii = 4,
    PIX_kFontOwnsPlatformFont = 0x200,
    PIX_kFontPreferPlatformDrawing = 0x400,
};

// Background modes.
enum : int
{
    PIX_kBackgroundTransparent = 1,
    PIX_kBackgroundOpaque = 2,
};

class PIX_IFont
{
public:
    virtual ~PIX_IFont() = default;
    virtual void SetPlatformFont(PIX_PlatformFont* font, int flags) = 0;
    // Returns the previous colour.
    virtual PIX_Pixel SetTextColor(PIX_Pixel colour) = 0;
    virtual void SetBackgroundColor(PIX_Pixel colour) = 0;
    virtual void SetEffectColor(PIX_Pixel colour) = 0;
    virtual void SetBackgroundMode(int mode) = 0;
    virtual void SetCombineMode(int mode, float weight) = 0;
    // Draws (or with PIX_kTextMeasure measures into area) UTF-8 text; length -1 means up to the
    // terminator. Non-zero on success.
    virtual int DrawText(PIX_IBitmap* bitmap, const char* text, int length, PIX_Rect* area, int flags) = 0;
    virtual PIX_Pixel TextColor() = 0;
    virtual PIX_PlatformFont* PlatformFont() = 0;
    virtual int LineHeight() = 0;
};

// Text drawn from glyphs rasterised once per code point and kept as coverage bytes.
class PIX_CachedFont final : public PIX_IFont
{
public:
    PIX_CachedFont();
    ~PIX_CachedFont() override;
    PIX_CachedFont(const PIX_CachedFont&) = delete;
    PIX_CachedFont& operator=(const PIX_CachedFont&) = delete;

    void SetPlatformFont(PIX_PlatformFont* font, int flags) override;
    PIX_Pixel SetTextColor(PIX_Pixel colour) override;
    void SetBackgroundColor(PIX_Pixel colour) override { mBackgroundColor = colour; }
    void SetEffectColor(PIX_Pixel colour) override { mEffectColor = colour; }
    void SetBackgroundMode(int mode) override { mBackgroundMode = mode; }
    void SetCombineMode(int mode, float weight) override;
    int DrawText(PIX_IBitmap* bitmap, const char* text, int length, PIX_Rect* area, int flags) override;
    PIX_Pixel TextColor() override { return mTextColor; }
    PIX_PlatformFont* PlatformFont() override { return mFont; }
    int LineHeight() override { return mLineHeight; }

    struct Glyph
    {
        std::uint32_t code = 0;
        int advance = 0;
        int left = 0;
        int top = 0;
        int width = 0;
        int height = 0;
        std::size_t offset = 0; // into the pixel store
        bool ready = false;
    };

    // Composites one cached glyph with its cell's top-left corner at (x, y), clipped to clip.
    virtual void DrawGlyph(PIX_IBitmap& bitmap, const Glyph& glyph, int x, int y, const PIX_Rect& clip,
                           float weight);

    void SetLineSpacing(int pixels) { mLineSpacing = pixels; }
    int LineSpacing() const { return mLineSpacing; }
    // Number of glyphs rasterised so far (each code point once).
    std::size_t CachedGlyphCount() const;

private:
    const Glyph& GlyphFor(std::uint32_t code);
    void ClearGlyphs();

    PIX_Pixel mTextColor = 0;
    PIX_Pixel mBackgroundColor = 0xffffffff;
    PIX_Pixel mEffectColor = 0xffffffff;
    int mBackgroundMode = PIX_kBackgroundTransparent;
    int mCombineMode = PIX_kCopy;
    float mCombineWeight = 1.0f;
    int mFlags = 0;
    int mLineHeight = 0;
    int mLineSpacing = 0;
    Glyph mAscii[128];
    std::vector<Glyph> mExtended; // sorted by code
    std::vector<std::uint8_t> mPixels;
    PIX_PlatformFont* mFont = nullptr;
};

// Decodes one character of UTF-8 text at text[0..length): returns the bytes consumed and sets code.
// Four-byte sequences come out as a space; bytes that start no valid sequence stand for themselves.
int PIX_DecodeUtf8(const char* text, int length, std::uint32_t& code);
