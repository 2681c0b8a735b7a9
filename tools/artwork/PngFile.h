#pragma once
// PNG files written and read through libpng: 8-bit RGBA, no time stamp or text chunks,
// so the same pixels always give the same bytes.

#include "tools/artwork/Canvas.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace artwork
{

struct RgbaImage
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels; // straight RGBA, rows top to bottom
};

// False when the file cannot be written.
bool WritePng(const std::string& path, const Canvas& canvas);
// Any PNG libpng reads, expanded to 8-bit RGBA; nothing when the file is missing or unreadable.
std::optional<RgbaImage> ReadPng(const std::string& path);

} // namespace artwork
