#pragma once

#include "editor/IGraphicsTypes.h"

#include <functional>

class PIX_CachedFont;
class PIX_IBitmap;

// The process-wide caches shared by every editor instance. Entries are made on demand, never
// evicted, and deleted when the module is unloaded. Each cache has its own lock.
namespace IGraphicsCaches
{

// The cached bitmap of a resource id; decode() runs (under the lock) only when the id is absent.
// A failed decode is not remembered, so a later call tries again.
PIX_IBitmap* FindOrLoadBitmap(int id, const std::function<PIX_IBitmap*()>& decode);

// The cached font for the style's size, orientation, style and face (exact, case-sensitive); the
// quality is not part of the key. create() runs (under the lock) only when the key is absent.
PIX_CachedFont* FindOrCreateFont(const ITextStyle& style, const std::function<PIX_CachedFont*()>& create);

int BitmapCount();
int FontCount();

} // namespace IGraphicsCaches
