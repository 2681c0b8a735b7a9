#include "raster/PIX_Blit.h"
#include "raster/PIX_PixelOps.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace
{
inline PIX_Pixel WithChan(PIX_Pixel p, int i, int v)
{
    return (p & ~(PIX_Pixel{0xff} << (i * 8))) | (static_cast<PIX_Pixel>(v & 0xff) << (i * 8));
}

inline int Clamp255(int v)
{
    return std::clamp(v, 0, 255);
}

inline PIX_Pixel HalfMix(PIX_Pixel a, PIX_Pixel b)
{
    return ((a >> 1) & 0x7f7f7f7f) + ((b >> 1) & 0x7f7f7f7f);
}
inline PIX_Pixel Quarter(PIX_Pixel p)
{
    return (p >> 2) & 0x3f3f3f3f;
}

// Runs op(source, destination) -> new destination over a clipped block.
template <class Op>
void ForEachPixel(PIX_IBitmap& dest, PIX_IBitmap& src, int x, int y, int sx, int sy, int cols, int rows,
                  Op op)
{
    for (int r = 0; r < rows; ++r)
    {
        const PIX_Pixel* s = PIX_Row(src, sy + r) + sx;
        PIX_Pixel* d = PIX_Row(dest, y + r) + x;
        for (int c = 0; c < cols; ++c)
            d[c] = op(s[c], d[c]);
    }
}

PIX_Pixel CopyWeighted(PIX_Pixel s, PIX_Pixel d, int w)
{
    PIX_Pixel out = 0;
    for (int i = 0; i < 4; ++i)
    {
        const int sc = PIX_Chan(s, i);
        out = WithChan(out, i, sc + (PIX_Chan(d, i) - sc) * (256 - w) / 256);
    }
    return out;
}

PIX_Pixel CopySourceAlpha(PIX_Pixel s, PIX_Pixel d, int w)
{
    const int sa = PIX_Chan(s, PIX_kAlphaByte);
    if (sa == 0) return d;
    int keep; // how much of the destination colour survives, out of 256
    int alpha;
    if (w == 256)
    {
        if (sa == 255) return s | 0xff000000u;
        alpha = std::min(255, sa + PIX_Chan(d, PIX_kAlphaByte));
        keep = 255 - sa;
    }
    else
    {
        const int k = w * (sa + 1) / 256;
        alpha = std::min(255, k + PIX_Chan(d, PIX_kAlphaByte));
        keep = 256 - k;
    }
    PIX_Pixel out = static_cast<PIX_Pixel>(alpha) << 24;
    for (int i = 0; i < 3; ++i)
    {
        const int sc = PIX_Chan(s, i);
        out = WithChan(out, i, sc + (PIX_Chan(d, i) - sc) * keep / 256);
    }
    return out;
}

PIX_Pixel AddSourceAlpha(PIX_Pixel s, PIX_Pixel d, int w)
{
    const int sa = PIX_Chan(s, PIX_kAlphaByte);
    if (sa == 0) return d;
    const int k = w * (sa + 1) / 256;
    PIX_Pixel out = 0;
    for (int i = 0; i < 3; ++i)
        out = WithChan(out, i, Clamp255(PIX_Chan(d, i) + k * PIX_Chan(s, i) / 256));
    return WithChan(out, PIX_kAlphaByte, Clamp255(PIX_Chan(d, PIX_kAlphaByte) + sa * k / 256));
}

// Dodge brightens each byte by dividing it by (256 - t) / 256; k is the effective weight.
PIX_Pixel DodgeBytes(PIX_Pixel s, PIX_Pixel d, int k)
{
    PIX_Pixel out = 0;
    for (int i = 0; i < 4; ++i)
    {
        const int t = k * PIX_Chan(s, i) / 256;
        const int dc = PIX_Chan(d, i);
        out = WithChan(out, i, t > 254 ? std::min(255, dc * 256) : std::min(255, dc * 256 / (256 - t)));
    }
    return out;
}

inline int SourceAlphaWeight(PIX_Pixel s, int w)
{
    return w * (PIX_Chan(s, PIX_kAlphaByte) + 1) / 256;
}

PIX_Pixel AddBytes(PIX_Pixel s, PIX_Pixel d, int k)
{
    PIX_Pixel out = 0;
    for (int i = 0; i < 4; ++i)
        out = WithChan(out, i, std::min(255, PIX_Chan(d, i) + k * PIX_Chan(s, i) / 256));
    return out;
}

// Moves each colour channel of d toward target by k / 256; alpha is kept.
PIX_Pixel MixColour(PIX_Pixel target, PIX_Pixel d, int k)
{
    PIX_Pixel out = d;
    for (int i = 0; i < 3; ++i)
    {
        const int dc = PIX_Chan(d, i);
        out = WithChan(out, i, dc + (PIX_Chan(target, i) - dc) * k / 256);
    }
    return out;
}

PIX_Pixel Multiplied(PIX_Pixel s, PIX_Pixel d)
{
    PIX_Pixel out = d;
    for (int i = 0; i < 3; ++i)
        out = WithChan(out, i, PIX_Chan(d, i) * PIX_Chan(s, i) / 255);
    return out;
}

PIX_Pixel Overlaid(PIX_Pixel s, PIX_Pixel d)
{
    PIX_Pixel out = d;
    for (int i = 0; i < 3; ++i)
    {
        const int dc = PIX_Chan(d, i);
        const int sc = PIX_Chan(s, i);
        out = WithChan(out, i, dc < 128 ? 2 * dc * sc / 255 : 255 - 2 * (255 - dc) * (255 - sc) / 255);
    }
    return out;
}

// Hue turned by red / 256 of a turn, saturation and value scaled by green / 128 and blue / 128.
PIX_Pixel HSVAdjusted(PIX_Pixel s, PIX_Pixel d)
{
    const float r = PIX_Chan(d, PIX_kRedByte) / 255.0f;
    const float g = PIX_Chan(d, PIX_kGreenByte) / 255.0f;
    const float b = PIX_Chan(d, PIX_kBlueByte) / 255.0f;
    const float mx = std::max({r, g, b});
    const float mn = std::min({r, g, b});
    const float delta = mx - mn;
    float h = 0.0f;
    if (delta > 0.0f)
    {
        if (mx == r)
            h = std::fmod((g - b) / delta + 6.0f, 6.0f);
        else if (mx == g)
            h = (b - r) / delta + 2.0f;
        else
            h = (r - g) / delta + 4.0f;
    }
    float sat = mx > 0.0f ? delta / mx : 0.0f;
    h = std::fmod(h + PIX_Chan(s, PIX_kRedByte) * 6.0f / 256.0f, 6.0f);
    sat = std::min(1.0f, sat * PIX_Chan(s, PIX_kGreenByte) / 128.0f);
    const float v = std::min(1.0f, mx * PIX_Chan(s, PIX_kBlueByte) / 128.0f);
    const float c = v * sat;
    const float xx = c * (1.0f - std::fabs(std::fmod(h, 2.0f) - 1.0f));
    float rgb[3] = {0, 0, 0};
    const int sector = static_cast<int>(h) % 6;
    static constexpr int kOrder[6][3] = {{0, 1, 2}, {1, 0, 2}, {2, 0, 1}, {2, 1, 0}, {1, 2, 0}, {0, 2, 1}};
    // kOrder gives, per sector, which of (c, x, 0) each of red, green, blue takes.
    const float parts[3] = {c, xx, 0.0f};
    for (int i = 0; i < 3; ++i)
        rgb[i] = parts[kOrder[sector][i]] + (v - c);
    PIX_Pixel out = d;
    out = WithChan(out, PIX_kRedByte, static_cast<int>(rgb[0] * 255.0f + 0.5f));
    out = WithChan(out, PIX_kGreenByte, static_cast<int>(rgb[1] * 255.0f + 0.5f));
    return WithChan(out, PIX_kBlueByte, static_cast<int>(rgb[2] * 255.0f + 0.5f));
}

// One compositing step for every operation: source pixel, destination pixel, integer weight.
PIX_Pixel Composite(int mode, PIX_Pixel s, PIX_Pixel d, int w)
{
    const bool sourceAlpha = (mode & PIX_kUseSourceAlpha) != 0;
    const int op = mode & 0xff;
    switch (op)
    {
    case PIX_kCopy:
        return sourceAlpha ? CopySourceAlpha(s, d, w) : (w == 256 ? s : CopyWeighted(s, d, w));
    case PIX_kAdd:
        return sourceAlpha ? AddSourceAlpha(s, d, w) : AddBytes(s, d, w);
    case PIX_kDodge:
        return DodgeBytes(s, d, sourceAlpha ? SourceAlphaWeight(s, w) : w);
    default:
        break;
    }
    if (sourceAlpha && PIX_Chan(s, PIX_kAlphaByte) == 0) return d;
    const int k = sourceAlpha ? SourceAlphaWeight(s, w) : w;
    switch (op)
    {
    case PIX_kMultiply:
        return MixColour(Multiplied(s, d), d, k);
    case PIX_kOverlay:
        return MixColour(Overlaid(s, d), d, k);
    case PIX_kHSVAdjust:
        return MixColour(HSVAdjusted(s, d), d, k);
    default:
        return d; // unknown operations draw nothing
    }
}
} // namespace

void PIX_Blit(PIX_IBitmap* dest, PIX_IBitmap* src, int x, int y, const PIX_Rect* rect, float weight, int mode)
{
    if (!dest || !src || weight == 0.0f) return;
    // Clipping runs in 64 bits: coordinates near the ends of the int range must not wrap into a
    // source or destination offset inside the bitmaps.
    std::int64_t sw = src->Width();
    std::int64_t sh = src->Height();
    std::int64_t sx = 0;
    std::int64_t sy = 0;
    std::int64_t dx = x;
    std::int64_t dy = y;
    if (rect)
    {
        sw = std::min<std::int64_t>(rect->R, sw);
        sh = std::min<std::int64_t>(rect->B, sh);
        if (rect->L < 0)
            dx -= rect->L;
        else
            sx = rect->L;
        if (rect->T < 0)
            dy -= rect->T;
        else
            sy = rect->T;
    }
    if (dx < 0)
    {
        sx -= dx;
        dx = 0;
    }
    if (dy < 0)
    {
        sy -= dy;
        dy = 0;
    }
    const std::int64_t dw = dest->Width();
    const std::int64_t dh = dest->Height();
    if (sx >= sw || sy >= sh || dx >= dw || dy >= dh) return;
    const std::int64_t cols64 = std::min(dw + sx - dx, sw) - sx;
    const std::int64_t rows64 = std::min(dh + sy - dy, sh) - sy;
    if (cols64 <= 0 || rows64 <= 0 || !dest->Bits() || !src->Bits()) return;
    // Everything is now inside both bitmaps, so it fits an int again.
    x = static_cast<int>(dx);
    y = static_cast<int>(dy);
    const int cols = static_cast<int>(cols64);
    const int rows = static_cast<int>(rows64);
    const int srcX = static_cast<int>(sx);
    const int srcY = static_cast<int>(sy);

    if ((mode & 0xff) >= PIX_kChannelCopy)
    {
        const int from = (mode & 3) * 8;
        const int to = ((mode >> 2) & 3) * 8;
        ForEachPixel(*dest, *src, x, y, srcX, srcY, cols, rows,
                     [from, to](PIX_Pixel s, PIX_Pixel d)
                     { return (d & ~(PIX_Pixel{0xff} << to)) | (((s >> from) & 0xff) << to); });
        return;
    }
    if (mode == PIX_kCopy && weight == 1.0f)
    {
        for (int r = 0; r < rows; ++r)
            std::memcpy(PIX_Row(*dest, y + r) + x, PIX_Row(*src, srcY + r) + srcX, cols * sizeof(PIX_Pixel));
        return;
    }
    if (mode == PIX_kCopy && weight == 0.5f)
    {
        ForEachPixel(*dest, *src, x, y, srcX, srcY, cols, rows, HalfMix);
        return;
    }
    const int w = PIX_IntWeight(weight);
    if (w == 0) return;
    // The modes the editor draws with get loops of their own; the rest share the general step.
    auto run = [&](auto op) { ForEachPixel(*dest, *src, x, y, srcX, srcY, cols, rows, op); };
    switch (mode)
    {
    case PIX_kUseSourceAlpha | PIX_kCopy:
        if (w == 256)
            run([](PIX_Pixel s, PIX_Pixel d) { return CopySourceAlpha(s, d, 256); });
        else
            run([w](PIX_Pixel s, PIX_Pixel d) { return CopySourceAlpha(s, d, w); });
        return;
    case PIX_kUseSourceAlpha | PIX_kAdd:
        run([w](PIX_Pixel s, PIX_Pixel d) { return AddSourceAlpha(s, d, w); });
        return;
    case PIX_kUseSourceAlpha | PIX_kDodge:
        run([w](PIX_Pixel s, PIX_Pixel d) { return DodgeBytes(s, d, SourceAlphaWeight(s, w)); });
        return;
    default:
        run([mode, w](PIX_Pixel s, PIX_Pixel d) { return Composite(mode, s, d, w); });
    }
}

void PIX_Fill(PIX_IBitmap* dest, int x, int y, int w, int h, PIX_Pixel colour, float weight, int mode)
{
    if (!dest) return;
    if (mode & PIX_kUseSourceAlpha) weight *= static_cast<float>(colour >> 24) / 255.0f;
    // Clipped in 64 bits so that extreme positions and sizes cannot wrap into the bitmap.
    std::int64_t left = x;
    std::int64_t top = y;
    std::int64_t cols = w;
    std::int64_t rows = h;
    if (left < 0)
    {
        cols += left;
        left = 0;
    }
    if (top < 0)
    {
        rows += top;
        top = 0;
    }
    cols = std::min<std::int64_t>(cols, dest->Width() - left);
    rows = std::min<std::int64_t>(rows, dest->Height() - top);
    if (weight == 0.0f || !dest->Bits() || cols <= 0 || rows <= 0) return;
    x = static_cast<int>(left);
    y = static_cast<int>(top);
    w = static_cast<int>(cols);
    h = static_cast<int>(rows);
    const int iw = PIX_IntWeight(weight);
    if (iw == 0) return;

    const PIX_Pixel c = colour;
    auto fill = [&](auto op)
    {
        for (int r = 0; r < h; ++r)
        {
            PIX_Pixel* d = PIX_Row(*dest, y + r) + x;
            for (int i = 0; i < w; ++i)
                d[i] = op(d[i]);
        }
    };
    if ((mode & 0xff) != PIX_kCopy)
    {
        // Alpha is already folded into the weight, so the operation itself runs without it.
        const int op = mode & 0xff;
        fill([&](PIX_Pixel d) { return Composite(op, c, d, iw); });
        return;
    }
    switch (iw)
    {
    case 256:
        fill([c](PIX_Pixel) { return c; });
        return;
    case 128:
        fill([c](PIX_Pixel d) { return HalfMix(c, d); });
        return;
    case 64:
        fill([c](PIX_Pixel d) { return ((d >> 1) & 0x7f7f7f7f) + Quarter(c) + Quarter(d); });
        return;
    case 192:
        fill([c](PIX_Pixel d) { return Quarter(c) + Quarter(d) + ((c >> 1) & 0x7f7f7f7f); });
        return;
    default:
        break;
    }
    fill(
        [c, iw](PIX_Pixel d)
        {
            PIX_Pixel out = 0;
            for (int i = 0; i < 3; ++i)
            {
                const int cc = PIX_Chan(c, i);
                out = WithChan(out, i, (PIX_Chan(d, i) - cc) * (256 - iw) / 256 + cc);
            }
            const int da = PIX_Chan(d, PIX_kAlphaByte);
            return WithChan(out, PIX_kAlphaByte, iw + (da - iw) * (256 - iw) / 256);
        });
}
