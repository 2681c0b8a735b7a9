#include "tools/artwork/Shapes.h"

namespace artwork
{

float CircleDistance(float x, float y, float cx, float cy, float r)
{
    return std::hypot(x - cx, y - cy) - r;
}

float RoundRectDistance(float x, float y, float x0, float y0, float x1, float y1, float radius)
{
    const float cx = (x0 + x1) * 0.5f, cy = (y0 + y1) * 0.5f;
    const float hx = (x1 - x0) * 0.5f - radius, hy = (y1 - y0) * 0.5f - radius;
    const float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
    const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

float SegmentDistance(float x, float y, float ax, float ay, float bx, float by, float hw)
{
    const float px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
    const float len2 = dx * dx + dy * dy;
    const float t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0f, 1.0f) : 0.0f;
    return std::hypot(px - dx * t, py - dy * t) - hw;
}

float ArcDistance(float x, float y, float cx, float cy, float r, float fromDeg, float toDeg, float hw)
{
    const float dx = x - cx, dy = y - cy;
    // Angle clockwise from up, in (-180, 180].
    const float angle = std::atan2(dx, -dy) * 180.0f / kPi;
    if (angle >= fromDeg && angle <= toDeg) return std::fabs(std::hypot(dx, dy) - r) - hw;
    auto cap = [&](float deg)
    {
        const float a = Radians(deg);
        return std::hypot(x - (cx + r * std::sin(a)), y - (cy - r * std::cos(a))) - hw;
    };
    return std::min(cap(fromDeg), cap(toDeg));
}

namespace
{
Box BoxAround(float x0, float y0, float x1, float y1, float margin)
{
    return Box{int(std::floor(std::min(x0, x1) - margin)), int(std::floor(std::min(y0, y1) - margin)),
               int(std::ceil(std::max(x0, x1) + margin)) + 1, int(std::ceil(std::max(y0, y1) + margin)) + 1};
}
} // namespace

void FillCircle(Canvas& canvas, float cx, float cy, float r, Colour c, float softness)
{
    PaintShape(
        canvas, BoxAround(cx - r, cy - r, cx + r, cy + r, softness + 1),
        [&](float x, float y) { return CircleDistance(x, y, cx, cy, r); }, [&](float, float) { return c; },
        softness);
}

void FillRoundRect(Canvas& canvas, float x0, float y0, float x1, float y1, float radius, Colour c,
                   float softness)
{
    PaintShape(
        canvas, BoxAround(x0, y0, x1, y1, softness + 1),
        [&](float x, float y) { return RoundRectDistance(x, y, x0, y0, x1, y1, radius); },
        [&](float, float) { return c; }, softness);
}

void FillRoundRectGradient(Canvas& canvas, float x0, float y0, float x1, float y1, float radius, Colour top,
                           Colour bottom)
{
    PaintShape(
        canvas, BoxAround(x0, y0, x1, y1, 2),
        [&](float x, float y) { return RoundRectDistance(x, y, x0, y0, x1, y1, radius); },
        [&](float, float y) { return Mix(top, bottom, std::clamp((y - y0) / (y1 - y0), 0.0f, 1.0f)); });
}

void StrokeSegment(Canvas& canvas, float ax, float ay, float bx, float by, float hw, Colour c)
{
    PaintShape(
        canvas, BoxAround(ax, ay, bx, by, hw + 2),
        [&](float x, float y) { return SegmentDistance(x, y, ax, ay, bx, by, hw); },
        [&](float, float) { return c; });
}

void StrokeArc(Canvas& canvas, float cx, float cy, float r, float fromDeg, float toDeg, float hw, Colour c)
{
    PaintShape(
        canvas, BoxAround(cx - r, cy - r, cx + r, cy + r, hw + 2),
        [&](float x, float y) { return ArcDistance(x, y, cx, cy, r, fromDeg, toDeg, hw); },
        [&](float, float) { return c; });
}

void FillTriangle(Canvas& canvas, float ax, float ay, float bx, float by, float cx, float cy, Colour c)
{
    // Signed distance to each edge; the largest is the distance to the triangle (exact enough near edges).
    const float area = (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
    const float sign = area < 0 ? -1.0f : 1.0f;
    auto edge = [&](float px, float py, float x0, float y0, float x1, float y1)
    {
        const float ex = x1 - x0, ey = y1 - y0, len = std::hypot(ex, ey);
        return sign * ((px - x0) * ey - (py - y0) * ex) / len;
    };
    PaintShape(
        canvas,
        BoxAround(std::min({ax, bx, cx}), std::min({ay, by, cy}), std::max({ax, bx, cx}),
                  std::max({ay, by, cy}), 2),
        [&](float x, float y) {
            return std::max(
                {edge(x, y, ax, ay, bx, by), edge(x, y, bx, by, cx, cy), edge(x, y, cx, cy, ax, ay)});
        },
        [&](float, float) { return c; });
}

float Grain(int x, int y, uint32_t seed)
{
    uint32_t h = uint32_t(x) * 0x8da6b343u ^ uint32_t(y) * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return float(h & 0xffff) / 32767.5f - 1.0f;
}

} // namespace artwork
