#include "editor/IGraphicsCaches.h"

#include "frame/IMutex.h"
#include "raster/PIX_Bitmap.h"
#include "raster/PIX_CachedFont.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

namespace
{

struct BitmapEntry
{
    int id;
    std::unique_ptr<PIX_IBitmap> bitmap;
};

struct FontEntry
{
    int32_t size;
    int32_t orientation;
    int32_t style;
    char face[kFontNameSize];
    std::unique_ptr<PIX_CachedFont> font;
};

struct BitmapCache
{
    IMutex lock;
    std::vector<BitmapEntry> entries;
};

struct FontCache
{
    IMutex lock;
    std::vector<FontEntry> entries;
};

// Function-local statics: built on first use, destroyed at unload after every editor is gone.
BitmapCache& Bitmaps()
{
    static BitmapCache cache;
    return cache;
}

FontCache& Fonts()
{
    static FontCache cache;
    return cache;
}

} // namespace

PIX_IBitmap* IGraphicsCaches::FindOrLoadBitmap(int id, const std::function<PIX_IBitmap*()>& decode)
{
    BitmapCache& cache = Bitmaps();
    std::lock_guard<IMutex> guard(cache.lock);
    for (const BitmapEntry& entry : cache.entries)
        if (entry.id == id) return entry.bitmap.get();
    PIX_IBitmap* bitmap = decode();
    if (bitmap) cache.entries.push_back({id, std::unique_ptr<PIX_IBitmap>(bitmap)});
    return bitmap;
}

PIX_CachedFont* IGraphicsCaches::FindOrCreateFont(const ITextStyle& style,
                                                  const std::function<PIX_CachedFont*()>& create)
{
    FontCache& cache = Fonts();
    std::lock_guard<IMutex> guard(cache.lock);
    for (const FontEntry& entry : cache.entries)
        if (entry.size == style.size && entry.orientation == style.orientation &&
            entry.style == style.style && std::strncmp(entry.face, style.font, kFontNameSize) == 0)
            return entry.font.get();
    PIX_CachedFont* font = create();
    if (!font) return nullptr;
    FontEntry& entry = cache.entries.emplace_back();
    entry.size = style.size;
    entry.orientation = style.orientation;
    entry.style = style.style;
    std::memcpy(entry.face, style.font, kFontNameSize);
    entry.face[kFontNameSize - 1] = '\0';
    entry.font.reset(font);
    return font;
}

int IGraphicsCaches::BitmapCount()
{
    BitmapCache& cache = Bitmaps();
    std::lock_guard<IMutex> guard(cache.lock);
    return static_cast<int>(cache.entries.size());
}

int IGraphicsCaches::FontCount()
{
    FontCache& cache = Fonts();
    std::lock_guard<IMutex> guard(cache.lock);
    return static_cast<int>(cache.entries.size());
}
