// Feeds arbitrary bytes to the PNG decoder, then composites whatever decodes so that the decoded
// size and row layout are exercised by the blitter too.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "raster/PIX_Blit.h"
#include "raster/PIX_Png.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::unique_ptr<PIX_MemBitmap> bitmap(PIX_LoadPNGFromMemory(data, size));
    if (!bitmap) return 0;
    if (bitmap->Width() <= 0 || bitmap->Height() <= 0 || !bitmap->Bits())
        __builtin_trap(); // a decoded image always has pixels
    PIX_MemBitmap target(48, 48);
    PIX_Fill(&target, 0, 0, 48, 48, 0xff808080, 1.0f, PIX_kCopy);
    const PIX_Rect rect{-3, 2, 40, bitmap->Height()};
    PIX_Blit(&target, bitmap.get(), -5, 7, &rect, 1.0f, PIX_kUseSourceAlpha);
    PIX_Blit(&target, bitmap.get(), 30, -4, nullptr, 0.25f, PIX_kUseSourceAlpha | PIX_kAdd);
    PIX_Blit(&target, bitmap.get(), 1, 1, nullptr, 0.5f, PIX_kCopy);
    return 0;
}
