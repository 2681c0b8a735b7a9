#include "raster/PIX_CachedFont.h"
#include "raster/PIX_PixelOps.h"

#include <algorithm>
#include <cstring>

namespace
{
inline bool IsContinuation(unsigned char b)
{
    return b >= 0x80 && b <= 0xBF;
}

PIX_Rect Intersect(const PIX_Rect& a, const PIX_Rect& b)
{
    return {std::max(a.L, b.L), std::max(a.T, b.T), std::min(a.R, b.R), std::min(a.B, b.B)};
}

// Walks the characters as they are laid out: onGlyph(code) for each drawn character and
// onLineFeed() where a new line starts.
template <class OnGlyph, class OnLineFeed>
void Layout(const char* text, int length, int flags, OnGlyph onGlyph, OnLineFeed onLineFeed)
{
    for (int i = 0; i < length;)
    {
        std::uint32_t code = 0;
        i += PIX_DecodeUtf8(text + i, length - i, code);
        if (code == '\r') continue;
        if (code == '\n')
        {
            if (flags & PIX_kTextSingleLine)
                onGlyph(' ');
            else
                onLineFeed();
            continue;
        }
        onGlyph(code);
    }
}
} // namespace

int PIX_DecodeUtf8(const char* text, int length, std::uint32_t& code)
{
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    const unsigned char lead = s[0];
    if (lead >= 0xC2 && lead <= 0xDF && length >= 2 && IsContinuation(s[1]))
    {
        code = (lead & 0x1Fu) << 6 | (s[1] & 0x3Fu);
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF && length >= 3 && IsContinuation(s[1]) && IsContinuation(s[2]))
    {
        code = (lead & 0x0Fu) << 12 | (s[1] & 0x3Fu) << 6 | (s[2] & 0x3Fu);
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4 && length >= 4 && IsContinuation(s[1]) && IsContinuation(s[2]) &&
        IsContinuation(s[3]))
    {
        // Beyond the 16-bit range the glyph cache serves: shown as a space.
        code = ' ';
        return 4;
    }
    code = lead;
    return 1;
}

PIX_CachedFont::PIX_CachedFont() = default;

PIX_CachedFont::~PIX_CachedFont()
{
    if (mFlags & PIX_kFontOwnsPlatformFont) PIX_DeletePlatformFont(mFont);
}

void PIX_CachedFont::SetPlatformFont(PIX_PlatformFont* font, int flags)
{
    if ((mFlags & PIX_kFontOwnsPlatformFont) && mFont != font) PIX_DeletePlatformFont(mFont);
    mFlags = flags;
    mFont = font;
    mLineHeight = PIX_PlatformFontHeight(font);
    ClearGlyphs();
    if (mFont && (mFlags & PIX_kFontPrecacheAscii))
        for (std::uint32_t code = 0; code < 128; ++code)
            GlyphFor(code);
}

PIX_Pixel PIX_CachedFont::SetTextColor(PIX_Pixel colour)
{
    const PIX_Pixel previous = mTextColor;
    mTextColor = colour;
    return previous;
}

void PIX_CachedFont::SetCombineMode(int mode, float weight)
{
    mCombineMode = mode;
    mCombineWeight = weight;
}

void PIX_CachedFont::ClearGlyphs()
{
    for (Glyph& g : mAscii)
        g = Glyph{};
    mExtended.clear();
    mPixels.clear();
}

std::size_t PIX_CachedFont::CachedGlyphCount() const
{
    return mExtended.size() +
           std::count_if(std::begin(mAscii), std::end(mAscii), [](const Glyph& g) { return g.ready; });
}

const PIX_CachedFont::Glyph& PIX_CachedFont::GlyphFor(std::uint32_t code)
{
    Glyph* slot;
    if (code < 128)
    {
        slot = &mAscii[code];
        if (slot->ready) return *slot;
    }
    else
    {
        auto at = std::lower_bound(mExtended.begin(), mExtended.end(), code,
                                   [](const Glyph& g, std::uint32_t c) { return g.code < c; });
        if (at != mExtended.end() && at->code == code) return *at;
        slot = &*mExtended.insert(at, Glyph{});
    }
    slot->code = code;
    slot->ready = true;
    // Control characters take no room; a code the face cannot render is remembered as empty too,
    // so it is not rasterised again on every draw.
    PIX_GlyphImage image;
    if (code >= 32 && PIX_RasteriseGlyph(mFont, code, image))
    {
        slot->advance = image.advance;
        slot->left = image.left;
        slot->top = image.top;
        slot->width = image.width;
        slot->height = image.height;
        slot->offset = mPixels.size();
        mPixels.insert(mPixels.end(), image.coverage.begin(), image.coverage.end());
    }
    return *slot;
}

void PIX_CachedFont::DrawGlyph(PIX_IBitmap& bitmap, const Glyph& glyph, int x, int y, const PIX_Rect& clip,
                               float weight)
{
    const int gx = x + glyph.left;
    const int gy = y + glyph.top;
    const PIX_Rect box = Intersect(clip, {gx, gy, gx + glyph.width, gy + glyph.height});
    if (box.L >= box.R || box.T >= box.B) return;
    const int w = PIX_IntWeight(weight);
    const bool add = (mCombineMode & 0xff) == PIX_kAdd;
    const PIX_Pixel colour = mTextColor;
    for (int py = box.T; py < box.B; ++py)
    {
        const std::uint8_t* cov =
            mPixels.data() + glyph.offset + static_cast<std::size_t>(py - gy) * glyph.width;
        PIX_Pixel* row = PIX_Row(bitmap, py);
        for (int px = box.L; px < box.R; ++px)
        {
            const int k = cov[px - gx] * w / 255;
            if (k == 0) continue;
            const PIX_Pixel d = row[px];
            PIX_Pixel out = 0;
            for (int i = 0; i < 3; ++i)
            {
                const int dc = PIX_Chan(d, i);
                const int cc = PIX_Chan(colour, i);
                const int v = add ? std::min(255, dc + cc * k / 256) : dc + (cc - dc) * k / 256;
                out |= static_cast<PIX_Pixel>(v) << (i * 8);
            }
            const int da = PIX_Chan(d, PIX_kAlphaByte);
            row[px] = out | static_cast<PIX_Pixel>(da + (255 - da) * k / 256) << 24;
        }
    }
}

int PIX_CachedFont::DrawText(PIX_IBitmap* bitmap, const char* text, int length, PIX_Rect* area, int flags)
{
    const bool measure = (flags & PIX_kTextMeasure) != 0;
    if (!area || !text || (!bitmap && !measure) || !mFont) return 0;
    if (length < 0) length = static_cast<int>(std::strlen(text));

    // Extent of the laid-out text: the widest line, and every line one line height plus spacing apart.
    int width = 0;
    int lineWidth = 0;
    int lines = length > 0 ? 1 : 0;
    Layout(
        text, length, flags, [&](std::uint32_t code) { lineWidth += GlyphFor(code).advance; },
        [&]
        {
            width = std::max(width, lineWidth);
            lineWidth = 0;
            ++lines;
        });
    width = std::max(width, lineWidth);
    const int height = lines > 0 ? lines * mLineHeight + (lines - 1) * mLineSpacing : 0;
    if (measure)
    {
        area->R = area->L + width;
        area->B = area->T + height;
        return 1;
    }

    float weight = mCombineWeight;
    if (flags & PIX_kTextUseColorAlpha) weight *= static_cast<float>(mTextColor >> 24) / 255.0f;
    if (weight == 0.0f || length == 0 || !bitmap->Bits()) return 1;

    int x = area->L;
    int y = area->T;
    if (flags & PIX_kTextCentre)
        x = area->L + (area->R - area->L - width) / 2;
    else if (flags & PIX_kTextRight)
        x = area->R - width;
    if (flags & PIX_kTextVCentre)
        y = area->T + (area->B - area->T - height) / 2;
    else if (flags & PIX_kTextBottom)
        y = area->B - height;

    PIX_Rect clip{0, 0, bitmap->Width(), bitmap->Height()};
    if (!(flags & PIX_kTextNoClip)) clip = Intersect(clip, *area);
    const int left = x;
    const bool opaque = mBackgroundMode == PIX_kBackgroundOpaque;
    Layout(
        text, length, flags,
        [&](std::uint32_t code)
        {
            const Glyph& glyph = GlyphFor(code);
            if (opaque)
            {
                const PIX_Rect cell = Intersect(clip, {x, y, x + glyph.advance, y + mLineHeight});
                PIX_Fill(bitmap, cell.L, cell.T, cell.R - cell.L, cell.B - cell.T, mBackgroundColor, weight,
                         PIX_kCopy);
            }
            DrawGlyph(*bitmap, glyph, x, y, clip, weight);
            x += glyph.advance;
        },
        [&]
        {
            x = left;
            y += mLineHeight + mLineSpacing;
        });
    return 1;
}
