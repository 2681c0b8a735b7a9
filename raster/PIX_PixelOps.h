#pragma once

#include "raster/PIX_Bitmap.h"

// Byte i of a pixel (0 blue, 1 green, 2 red, 3 alpha).
inline int PIX_Chan(PIX_Pixel p, int i)
{
    return static_cast<int>((p >> (i * 8)) & 0xff);
}

// A compositing weight 0..1 as the integer 0..256 the pixel arithmetic uses, truncated. Weights
// above 1 count as 1 and anything else outside the range (NaN included) as 0: larger integer
// weights would push the byte arithmetic past 0..255, and NaN has no integer value at all.
inline int PIX_IntWeight(float weight)
{
    if (!(weight > 0.0f)) return 0;
    if (weight >= 1.0f) return 256;
    return static_cast<int>(weight * 256.0f);
}
