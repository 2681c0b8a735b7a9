#include "raster/PIX_PlatformFont.h"

#include "raster/PIX_FontFiles.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <mutex>

class PIX_PlatformFont
{
public:
    FT_Face face = nullptr;
    int lineHeight = 0;
    int ascent = 0;
    bool antialiased = true;
    std::string family;
};

namespace
{
// FreeType's library object is shared by every font; opening and closing faces must be serialised.
std::mutex gLibraryMutex;
FT_Library gLibrary = nullptr;
int gLiveFonts = 0;

constexpr int kDefaultHeight = 16;

// Called with gLibraryMutex held: the library goes with the last face.
void ReleaseLibraryIfUnused()
{
    if (gLiveFonts == 0 && gLibrary)
    {
        FT_Done_FreeType(gLibrary);
        gLibrary = nullptr;
    }
}

} // namespace

PIX_PlatformFont* PIX_CreatePlatformFont(const PIX_FontRequest& request)
{
    char face[sizeof request.face + 1] = {};
    for (std::size_t i = 0; i < sizeof request.face && request.face[i]; ++i)
        face[i] = request.face[i];
    if (!face[0]) std::snprintf(face, sizeof face, "%s", "Arial");

    std::string file;
    std::string family;
    int index = 0;
    if (!PIX_FindFontFile(face, request, file, index, family)) return nullptr;

    std::lock_guard lock(gLibraryMutex);
    if (!gLibrary && FT_Init_FreeType(&gLibrary) != 0)
    {
        gLibrary = nullptr;
        return nullptr;
    }
    auto* font = new PIX_PlatformFont;
    if (FT_New_Face(gLibrary, file.c_str(), index, &font->face) != 0)
    {
        delete font;
        ReleaseLibraryIfUnused();
        return nullptr;
    }
    font->family = family;
    font->antialiased = request.quality != PIX_kQualityNonAntialiased;

    // A positive height is the whole character cell, ascent plus descent; a negative one the em size.
    const int height = request.height != 0 ? request.height : kDefaultHeight;
    FT_Error sized;
    if (height > 0)
    {
        FT_Size_RequestRec size{};
        size.type = FT_SIZE_REQUEST_TYPE_CELL;
        size.height = static_cast<FT_Long>(height) << 6;
        sized = FT_Request_Size(font->face, &size);
    }
    else
        sized = FT_Set_Pixel_Sizes(font->face, 0, static_cast<FT_UInt>(-height));
    if (sized != 0)
    {
        FT_Done_Face(font->face);
        delete font;
        ReleaseLibraryIfUnused();
        return nullptr;
    }
    ++gLiveFonts;
    const FT_Size_Metrics& metrics = font->face->size->metrics;
    font->ascent = static_cast<int>((metrics.ascender + 32) >> 6);
    font->lineHeight =
        height > 0 ? height : static_cast<int>((metrics.ascender - metrics.descender + 32) >> 6);
    return font;
}

void PIX_DeletePlatformFont(PIX_PlatformFont* font)
{
    if (!font) return;
    std::lock_guard lock(gLibraryMutex);
    FT_Done_Face(font->face);
    delete font;
    --gLiveFonts;
    ReleaseLibraryIfUnused();
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
    if (!font) return false;
    const FT_UInt index = FT_Get_Char_Index(font->face, code);
    const FT_Int32 load = FT_LOAD_RENDER | (font->antialiased ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO);
    if (FT_Load_Glyph(font->face, index, load) != 0) return false;
    const FT_GlyphSlot slot = font->face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    out.advance = static_cast<int>((slot->advance.x + 32) >> 6);
    out.left = slot->bitmap_left;
    out.top = font->ascent - slot->bitmap_top;
    out.width = static_cast<int>(bitmap.width);
    out.height = static_cast<int>(bitmap.rows);
    out.coverage.resize(static_cast<std::size_t>(out.width) * out.height);
    for (int y = 0; y < out.height; ++y)
    {
        const unsigned char* row = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
        std::uint8_t* dst = out.coverage.data() + static_cast<std::size_t>(y) * out.width;
        for (int x = 0; x < out.width; ++x)
        {
            if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
                dst[x] = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
            else if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY)
                dst[x] = static_cast<std::uint8_t>(
                    bitmap.num_grays == 256 ? row[x] : row[x] * 255 / (bitmap.num_grays - 1));
            else
                dst[x] = 0;
        }
    }
    return true;
}
