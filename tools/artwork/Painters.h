#pragma once
// One painter per editor image. Each is given the image size from the image table and returns the
// finished canvas; film strips stack their frames top to bottom.

#include "tools/artwork/Canvas.h"

#include <functional>
#include <string>

namespace artwork
{

using Painter = std::function<Canvas(int width, int height)>;

struct Artwork
{
    Painter paint;
    // Frames the painter stacks in an image of the given size (also for images no control uses).
    std::function<int(int width, int height)> frames;
};

// The painter for a file name of the image table, or empty functions for an unknown name.
Artwork FindArtwork(const std::string& file);

Canvas PaintBackground(int width, int height);
Canvas PaintAbout(int width, int height);

// Knob film strips: frame count and the colour of the lit value ring.
Canvas PaintKnobStrip(int width, int height, int frames, Colour accent);

// Keys drawn held; the colour is the tint of a held key.
Canvas PaintWhiteKeyStrip(int width, int height, Colour tint);
Canvas PaintBlackKey(int width, int height, Colour tint);

// Level meters; the left one carries its scale on the left, the right one on the right.
Canvas PaintMeterStrip(int width, int height, int frames, bool left);

Canvas PaintButtonStrip(int width, int height);
Canvas PaintSmallButtonStrip(int width, int height);
// Slide switches with the given number of positions, one frame per position.
Canvas PaintSwitchStrip(int width, int height, int positions);

// Bitmap fonts: one glyph per frame for the codes 32 to 255.
enum class FontStyle
{
    Small,      // 9 x 12 cells
    Medium,     // 11 x 14 cells
    Large,      // 15 x 20 cells
    MediumLight // 11 x 14 cells, light ink for dark surfaces
};
Canvas PaintFont(int width, int height, FontStyle style);

} // namespace artwork
