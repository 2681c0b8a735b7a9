#include "raster/PIX_PlatformFont.h"

#include <windows.h>

#include <cstring>
#include <mutex>

// Platform fonts on Windows are GDI fonts; glyphs are rasterised with GetGlyphOutline into coverage
// bytes, so the cached-glyph text path draws the same way on every platform.
class PIX_PlatformFont
{
public:
    HFONT font = nullptr;
    int lineHeight = 0;
    int ascent = 0;
    bool antialiased = true;
    std::string family;
};

namespace
{
constexpr int kDefaultHeight = 16;

// One screen-compatible memory context serves every measurement; GDI objects selected into it are
// swapped per call, so calls are serialised.
std::mutex gContextMutex;
HDC gContext = nullptr;

HDC SharedContext()
{
    if (!gContext) gContext = CreateCompatibleDC(nullptr);
    return gContext;
}
} // namespace

PIX_PlatformFont* PIX_CreatePlatformFont(const PIX_FontRequest& request)
{
    const char* face = request.face[0] ? request.face : "Arial";
    const int height = request.height != 0 ? request.height : kDefaultHeight;
    const DWORD quality = request.quality == PIX_kQualityNonAntialiased ? NONANTIALIASED_QUALITY
                          : request.quality == PIX_kQualityClearType    ? CLEARTYPE_QUALITY
                          : request.quality == PIX_kQualityAntialiased  ? ANTIALIASED_QUALITY
                                                                        : DEFAULT_QUALITY;
    HFONT handle = CreateFontA(height, 0, request.escapement, request.orientation,
                               request.weight > 0 ? request.weight : FW_NORMAL, request.italic ? TRUE : FALSE,
                               FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               quality, DEFAULT_PITCH | FF_DONTCARE, face);
    if (!handle) return nullptr;

    std::lock_guard lock(gContextMutex);
    HDC dc = SharedContext();
    if (!dc)
    {
        DeleteObject(handle);
        return nullptr;
    }
    HGDIOBJ previous = SelectObject(dc, handle);
    TEXTMETRICA metrics{};
    char family[LF_FACESIZE] = {};
    const bool measured = GetTextMetricsA(dc, &metrics) && GetTextFaceA(dc, sizeof family, family) > 0;
    SelectObject(dc, previous);
    if (!measured)
    {
        DeleteObject(handle);
        return nullptr;
    }
    auto* font = new PIX_PlatformFont;
    font->font = handle;
    font->ascent = metrics.tmAscent;
    font->lineHeight = metrics.tmHeight;
    font->antialiased = request.quality != PIX_kQualityNonAntialiased;
    font->family = family;
    return font;
}

void PIX_DeletePlatformFont(PIX_PlatformFont* font)
{
    if (!font) return;
    DeleteObject(font->font);
    delete font;
}

int PIX_PlatformFontHeight(const PIX_PlatformFont* font)
{
    return font ? font->lineHeight : 0;
}

std::string PIX_PlatformFontFamily(const PIX_PlatformFont* font)
{
    return font ? font->family : std::string();
}

bool PIX_RasteriseGlyph(PIX_PlatformFont* font, std::uint32_t code, PIX_GlyphImage& out)
{
    out = PIX_GlyphImage{};
    if (!font || code > 0xFFFF) return false;
    std::lock_guard lock(gContextMutex);
    HDC dc = SharedContext();
    if (!dc) return false;
    HGDIOBJ previous = SelectObject(dc, font->font);
    const UINT format = font->antialiased ? GGO_GRAY8_BITMAP : GGO_BITMAP;
    const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    GLYPHMETRICS metrics{};
    const DWORD size = GetGlyphOutlineW(dc, static_cast<UINT>(code), format, &metrics, 0, nullptr, &identity);
    bool ok = size != GDI_ERROR;
    std::string buffer;
    if (ok && size > 0)
    {
        buffer.resize(size);
        ok = GetGlyphOutlineW(dc, static_cast<UINT>(code), format, &metrics, size, buffer.data(),
                              &identity) != GDI_ERROR;
    }
    SelectObject(dc, previous);
    if (!ok) return false;

    out.advance = metrics.gmCellIncX;
    out.left = metrics.gmptGlyphOrigin.x;
    out.top = font->ascent - metrics.gmptGlyphOrigin.y;
    // A glyph without pixels (a space) reports a 1 x 1 box and no data.
    if (size == 0) return true;
    out.width = static_cast<int>(metrics.gmBlackBoxX);
    out.height = static_cast<int>(metrics.gmBlackBoxY);
    out.coverage.resize(static_cast<std::size_t>(out.width) * out.height);
    // Rows are DWORD aligned; grey levels run 0 to 64, monochrome is one bit per pixel.
    const int pitch = font->antialiased ? (out.width + 3) & ~3 : ((out.width + 31) / 32) * 4;
    for (int y = 0; y < out.height; ++y)
    {
        const auto* row =
            reinterpret_cast<const unsigned char*>(buffer.data()) + static_cast<std::ptrdiff_t>(y) * pitch;
        std::uint8_t* dst = out.coverage.data() + static_cast<std::size_t>(y) * out.width;
        for (int x = 0; x < out.width; ++x)
        {
            if (font->antialiased)
                dst[x] = static_cast<std::uint8_t>(row[x] >= 64 ? 255 : row[x] * 4);
            else
                dst[x] = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
        }
    }
    return true;
}
