#pragma once
// Spacing widths (pen advance in pixels) of the editor's two bitmap fonts for the codes 32 to 127.
// The editor advances by these; every glyph image must fit inside its width with a pixel to spare.

#include <array>
#include <cstdint>

namespace artwork
{

constexpr int kFirstGlyphCode = 32;
constexpr int kGlyphFrames = 224; // codes 32 to 255, one frame each

// Fonts of 14-pixel glyphs (11 x 14 cells) and 12-pixel glyphs (9 x 12 cells).
extern const std::array<int16_t, 96> kSpacing14;
extern const std::array<int16_t, 96> kSpacing12;

} // namespace artwork
