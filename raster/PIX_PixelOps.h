#pragma once

#include <algorithm>

#include "raster/PIX_Bitmap.h"

// Byte i of a pixel (0 blue, 1 green, 2 red, 3 alpha).
inline int PIX_Chan(PIX_Pixel p, int i)
{
    return static_cast<int>((p >> (i * 8)) & 0xff);
}

// A compositing weight 0..1 as the integer 0..256 the pixel arithmetic uses, truncated.
inline int PIX_IntWeight(float weight)
{
    return std::clamp(static_cast<int>(weight * 256.0f), 0, 256);
}
