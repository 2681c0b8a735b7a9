#pragma once
// Anti-aliased shapes described by signed distance functions: negative inside, positive outside,
// in pixels. Coverage is taken at pixel centres with a one-pixel ramp (wider ramps give soft shadows).

#include "tools/artwork/Canvas.h"

#include <algorithm>
#include <cmath>

namespace artwork
{

constexpr float kPi = 3.14159265358979f;

inline float Radians(float degrees)
{
    return degrees * kPi / 180.0f;
}

// Distance functions.
float CircleDistance(float x, float y, float cx, float cy, float r);
float RoundRectDistance(float x, float y, float x0, float y0, float x1, float y1, float radius);
// A stroke of half-width hw along the segment a-b, with round caps.
float SegmentDistance(float x, float y, float ax, float ay, float bx, float by, float hw);
// A stroke of half-width hw along a circular arc; angles in degrees clockwise from straight up.
float ArcDistance(float x, float y, float cx, float cy, float r, float fromDeg, float toDeg, float hw);

// Bounding box in pixels (inclusive-exclusive), kept small so drawing stays quick.
struct Box
{
    int x0, y0, x1, y1;
};

// Paints a shape: shade(x, y) gives the colour at each pixel centre.
template <class Distance, class Shade>
void PaintShape(Canvas& canvas, Box box, Distance distance, Shade shade, float softness = 1.0f)
{
    for (int y = std::max(0, box.y0); y < std::min(canvas.Height(), box.y1); ++y)
    {
        for (int x = std::max(0, box.x0); x < std::min(canvas.Width(), box.x1); ++x)
        {
            const float px = x + 0.5f, py = y + 0.5f;
            const float coverage = std::clamp(0.5f - distance(px, py) / softness, 0.0f, 1.0f);
            if (coverage > 0.0f) canvas.Blend(x, y, shade(px, py), coverage);
        }
    }
}

// Plain-colour conveniences.
void FillCircle(Canvas& canvas, float cx, float cy, float r, Colour c, float softness = 1.0f);
void FillRoundRect(Canvas& canvas, float x0, float y0, float x1, float y1, float radius, Colour c,
                   float softness = 1.0f);
// Vertical gradient from top colour to bottom colour across the rectangle.
void FillRoundRectGradient(Canvas& canvas, float x0, float y0, float x1, float y1, float radius, Colour top,
                           Colour bottom);
void StrokeSegment(Canvas& canvas, float ax, float ay, float bx, float by, float hw, Colour c);
void StrokeArc(Canvas& canvas, float cx, float cy, float r, float fromDeg, float toDeg, float hw, Colour c);
// A filled triangle (corners in any order).
void FillTriangle(Canvas& canvas, float ax, float ay, float bx, float by, float cx, float cy, Colour c);

// Small deterministic per-pixel noise in [-1, 1], used for paper grain.
float Grain(int x, int y, uint32_t seed);

} // namespace artwork
