#pragma once

#include <png.h>

#include <cstdint>
#include <vector>

// Writes small PNG streams with libpng so that the decoder is tested against real encoder output.
struct PngImage
{
    int width = 0;
    int height = 0;
    int colourType = PNG_COLOR_TYPE_RGBA;
    int bitDepth = 8;
    std::vector<std::uint8_t> samples;      // packed rows as libpng expects them
    std::vector<png_color> palette;         // for palette images
    std::vector<std::uint8_t> transparency; // tRNS alpha values per palette entry
    bool colourKey = false;                 // tRNS of a grey or RGB image: the transparent sample
    png_color_16 key{};
    bool interlaced = false;
};

std::vector<std::uint8_t> EncodePng(const PngImage& image);
