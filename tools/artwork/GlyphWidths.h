#pragma once
// Spacing widths of the editor's two bitmap fonts, as the artwork generator names them. The editor
// advances by these; every glyph image must fit inside its width with a pixel to spare.

#include "editor/BitmapFontSpacing.h"

#include <array>
#include <cstdint>

namespace artwork
{

constexpr int kFirstGlyphCode = kBitmapFontSpacingFirstCode;
constexpr int kGlyphFrames = 224; // codes 32 to 255, one frame each

// Fonts of 14-pixel glyphs (11 x 14 cells) and 12-pixel glyphs (9 x 12 cells).
inline constexpr const std::array<int16_t, 96>& kSpacing14 = kBitmapFontSpacing14;
inline constexpr const std::array<int16_t, 96>& kSpacing12 = kBitmapFontSpacing12;

} // namespace artwork
