#pragma once
// A floating-point RGBA drawing surface. Pixels are kept premultiplied so that layered
// anti-aliased shapes composite without fringes; they become straight 8-bit RGBA on export.

#include <cstdint>
#include <vector>

namespace artwork
{

// Straight (not premultiplied) colour, every channel 0..1.
struct Colour
{
    float r = 0, g = 0, b = 0, a = 1;
};

// 0xRRGGBB with an opacity.
constexpr Colour Rgb(uint32_t rgb, float alpha = 1.0f)
{
    return Colour{((rgb >> 16) & 0xff) / 255.0f, ((rgb >> 8) & 0xff) / 255.0f, (rgb & 0xff) / 255.0f, alpha};
}

// Linear mix of two colours, t = 0 gives a.
Colour Mix(Colour a, Colour b, float t);
Colour WithAlpha(Colour c, float alpha);

class Canvas
{
public:
    Canvas() = default;
    Canvas(int width, int height);

    int Width() const { return mWidth; }
    int Height() const { return mHeight; }

    // Composites colour c over the pixel with the given coverage (0..1); outside pixels are ignored.
    void Blend(int x, int y, Colour c, float coverage = 1.0f);
    // Replaces the pixel outright.
    void Set(int x, int y, Colour c);
    Colour Get(int x, int y) const;

    // Integer rectangle [x0, x1) x [y0, y1), composited.
    void FillRect(int x0, int y0, int x1, int y1, Colour c);
    // Clears the rectangle to fully transparent.
    void ClearRect(int x0, int y0, int x1, int y1);

    // Composites another canvas with its top-left at (dx, dy).
    void Draw(const Canvas& src, int dx, int dy, float opacity = 1.0f);
    // Copies a region of another canvas verbatim (no compositing).
    void Copy(const Canvas& src, int sx, int sy, int w, int h, int dx, int dy);

    // Straight-alpha RGBA bytes, rows top to bottom.
    std::vector<uint8_t> ToRgba8() const;

private:
    struct Premul
    {
        float r = 0, g = 0, b = 0, a = 0;
    };
    int mWidth = 0;
    int mHeight = 0;
    std::vector<Premul> mPixels;
};

} // namespace artwork
