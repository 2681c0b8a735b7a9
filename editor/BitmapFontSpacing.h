#pragma once
// Spacing widths (pen advance in pixels) of the editor's two bitmap fonts for the codes 32 to 127.
// The editor lays text out with these and the artwork generator draws the glyph images to fit them,
// so both read this one table. Header-only and free of other includes so the generator can use it
// without the rest of the editor.

#include <array>
#include <cstdint>

constexpr int kBitmapFontSpacingFirstCode = 32;

// clang-format off
// Font of 14-pixel glyphs (11 x 14 cells).
inline constexpr std::array<int16_t, 96> kBitmapFontSpacing14 = {
    7, 5, 8, 8, 8, 7, 9, 6, 5, 5, 7, 8, 6, 7, 5, 7, // 32
    8, 7, 7, 7, 7, 7, 7, 7, 7, 7, 6, 6, 7, 7, 7, 7, // 48
    7, 7, 7, 7, 7, 7, 7, 7, 7, 8, 7, 7, 7, 7, 7, 7, // 64
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 8, 9, // 80
    5, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, // 96
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 5, 7, 9, 0, // 112
};

// Font of 12-pixel glyphs (9 x 12 cells).
inline constexpr std::array<int16_t, 96> kBitmapFontSpacing12 = {
    6, 4, 7, 7, 7, 6, 7, 5, 4, 5, 6, 7, 5, 6, 4, 6, // 32
    7, 6, 6, 6, 6, 6, 6, 6, 6, 6, 5, 5, 6, 6, 6, 6, // 48
    6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, // 64
    6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 8, // 80
    4, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, // 96
    6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 5, 6, 8, 0, // 112
};
// clang-format on
