#include "tools/artwork/Canvas.h"

#include <algorithm>
#include <cmath>

namespace artwork
{

Colour Mix(Colour a, Colour b, float t)
{
    return Colour{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Colour WithAlpha(Colour c, float alpha)
{
    c.a = alpha;
    return c;
}

Canvas::Canvas(int width, int height) : mWidth(width), mHeight(height), mPixels(size_t(width) * height) {}

void Canvas::Blend(int x, int y, Colour c, float coverage)
{
    if (x < 0 || y < 0 || x >= mWidth || y >= mHeight) return;
    const float a = std::clamp(c.a * coverage, 0.0f, 1.0f);
    if (a <= 0.0f) return;
    Premul& p = mPixels[size_t(y) * mWidth + x];
    const float keep = 1.0f - a;
    p.r = c.r * a + p.r * keep;
    p.g = c.g * a + p.g * keep;
    p.b = c.b * a + p.b * keep;
    p.a = a + p.a * keep;
}

void Canvas::Set(int x, int y, Colour c)
{
    if (x < 0 || y < 0 || x >= mWidth || y >= mHeight) return;
    mPixels[size_t(y) * mWidth + x] = Premul{c.r * c.a, c.g * c.a, c.b * c.a, c.a};
}

Colour Canvas::Get(int x, int y) const
{
    if (x < 0 || y < 0 || x >= mWidth || y >= mHeight) return Colour{0, 0, 0, 0};
    const Premul& p = mPixels[size_t(y) * mWidth + x];
    if (p.a <= 0.0f) return Colour{0, 0, 0, 0};
    return Colour{p.r / p.a, p.g / p.a, p.b / p.a, p.a};
}

void Canvas::FillRect(int x0, int y0, int x1, int y1, Colour c)
{
    for (int y = std::max(0, y0); y < std::min(mHeight, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(mWidth, x1); ++x)
            Blend(x, y, c);
}

void Canvas::ClearRect(int x0, int y0, int x1, int y1)
{
    for (int y = std::max(0, y0); y < std::min(mHeight, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(mWidth, x1); ++x)
            mPixels[size_t(y) * mWidth + x] = Premul{};
}

void Canvas::Draw(const Canvas& src, int dx, int dy, float opacity)
{
    for (int y = 0; y < src.mHeight; ++y)
    {
        for (int x = 0; x < src.mWidth; ++x)
        {
            const int tx = x + dx, ty = y + dy;
            if (tx < 0 || ty < 0 || tx >= mWidth || ty >= mHeight) continue;
            const Premul& s = src.mPixels[size_t(y) * src.mWidth + x];
            Premul& d = mPixels[size_t(ty) * mWidth + tx];
            const float keep = 1.0f - s.a * opacity;
            d.r = s.r * opacity + d.r * keep;
            d.g = s.g * opacity + d.g * keep;
            d.b = s.b * opacity + d.b * keep;
            d.a = s.a * opacity + d.a * keep;
        }
    }
}

void Canvas::Copy(const Canvas& src, int sx, int sy, int w, int h, int dx, int dy)
{
    for (int y = 0; y < h; ++y)
    {
        for (int x = 0; x < w; ++x)
        {
            const int fx = sx + x, fy = sy + y, tx = dx + x, ty = dy + y;
            if (fx < 0 || fy < 0 || fx >= src.mWidth || fy >= src.mHeight) continue;
            if (tx < 0 || ty < 0 || tx >= mWidth || ty >= mHeight) continue;
            mPixels[size_t(ty) * mWidth + tx] = src.mPixels[size_t(fy) * src.mWidth + fx];
        }
    }
}

std::vector<uint8_t> Canvas::ToRgba8() const
{
    auto byte = [](float v) { return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
    std::vector<uint8_t> out(mPixels.size() * 4);
    for (size_t i = 0; i < mPixels.size(); ++i)
    {
        const Premul& p = mPixels[i];
        const uint8_t a = byte(p.a);
        out[i * 4 + 3] = a;
        if (a == 0) continue; // fully transparent pixels carry no colour, which keeps files stable
        out[i * 4 + 0] = byte(p.r / p.a);
        out[i * 4 + 1] = byte(p.g / p.a);
        out[i * 4 + 2] = byte(p.b / p.a);
    }
    return out;
}

} // namespace artwork
