#pragma once

#include <cstdint>

#include "raster/PIX_Bitmap.h"

// Pixel memory shared by the bitmap implementations: 64-byte aligned rows padded to 4 pixels.
inline constexpr std::uintptr_t PIX_kPixelAlignment = 64;

inline PIX_Pixel* PIX_AlignPixels(void* raw)
{
    auto address = reinterpret_cast<std::uintptr_t>(raw);
    address = (address + PIX_kPixelAlignment - 1) & ~(PIX_kPixelAlignment - 1);
    return reinterpret_cast<PIX_Pixel*>(address);
}

// Pixel bytes of a w x h bitmap with rows padded to 4 pixels, or 0 when the size is empty or too
// large to address with 32-bit offsets.
inline std::int64_t PIX_PaddedBytes(int w, int h)
{
    if (w < 1 || h < 1) return 0;
    std::int64_t bytes = ((static_cast<std::int64_t>(w) + 3) & ~std::int64_t{3}) * h * 4;
    return bytes > PIX_kMaxBitmapBytes ? 0 : bytes;
}
