// Speed of the editor's drawing primitives at the editor's size (846 x 768): full-frame blits in
// each mode the controls use, the fills behind text, PNG decoding and cached-glyph text.
#include <benchmark/benchmark.h>

#include <png.h>

#include <cstring>
#include <memory>
#include <vector>

#include "raster/PIX_Blit.h"
#include "raster/PIX_CachedFont.h"
#include "raster/PIX_Png.h"

namespace
{
constexpr int kWidth = 846;
constexpr int kHeight = 768;

void Pattern(PIX_IBitmap& bmp)
{
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            PIX_Row(bmp, y)[x] = static_cast<PIX_Pixel>((x * 7 + y * 13) & 0xff) << 24 | (x & 0xff) << 16 |
                                 (y & 0xff) << 8 | ((x ^ y) & 0xff);
}

void BlitFrame(benchmark::State& state, float weight, int mode)
{
    PIX_MemBitmap src(kWidth, kHeight);
    PIX_SysBitmap dst(kWidth, kHeight);
    Pattern(src);
    Pattern(dst);
    for (auto _ : state)
    {
        PIX_Blit(&dst, &src, 0, 0, nullptr, weight, mode);
        benchmark::DoNotOptimize(dst.Bits()[0]);
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void BM_BlitCopy(benchmark::State& s)
{
    BlitFrame(s, 1.0f, PIX_kCopy);
}
void BM_BlitHalf(benchmark::State& s)
{
    BlitFrame(s, 0.5f, PIX_kCopy);
}
void BM_BlitSourceAlpha(benchmark::State& s)
{
    BlitFrame(s, 1.0f, PIX_kUseSourceAlpha);
}
void BM_BlitSourceAlphaGreyed(benchmark::State& s)
{
    BlitFrame(s, 0.25f, PIX_kUseSourceAlpha);
}
void BM_BlitAddSourceAlpha(benchmark::State& s)
{
    BlitFrame(s, 1.0f, PIX_kUseSourceAlpha | PIX_kAdd);
}
void BM_BlitDodgeSourceAlpha(benchmark::State& s)
{
    BlitFrame(s, 1.0f, PIX_kUseSourceAlpha | PIX_kDodge);
}

void BM_FillQuarter(benchmark::State& state)
{
    PIX_SysBitmap dst(kWidth, kHeight);
    Pattern(dst);
    for (auto _ : state)
    {
        PIX_Fill(&dst, 0, 0, kWidth, kHeight, 0xff102030, 0.25f, PIX_kCopy);
        benchmark::DoNotOptimize(dst.Bits()[0]);
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

std::vector<unsigned char> EncodeFrame()
{
    PIX_MemBitmap src(kWidth, kHeight);
    Pattern(src);
    std::vector<unsigned char> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t n)
        {
            auto* v = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(p));
            v->insert(v->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, kWidth, kHeight, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    for (int y = 0; y < kHeight; ++y)
        png_write_row(png, reinterpret_cast<png_bytep>(PIX_Row(src, y)));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

void BM_DecodePng(benchmark::State& state)
{
    const std::vector<unsigned char> bytes = EncodeFrame();
    for (auto _ : state)
    {
        std::unique_ptr<PIX_MemBitmap> bmp(PIX_LoadPNGFromMemory(bytes.data(), bytes.size()));
        benchmark::DoNotOptimize(bmp->Bits()[0]);
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void BM_DrawCachedText(benchmark::State& state)
{
    PIX_FontRequest request;
    request.height = 12;
    std::strcpy(request.face, "Verdana");
    PIX_CachedFont font;
    font.SetPlatformFont(PIX_CreatePlatformFont(request), PIX_kFontOwnsPlatformFont);
    font.SetTextColor(0xff000000);
    PIX_SysBitmap dst(kWidth, 40);
    const char* text = "Attack 12.5 ms  Decay 300 ms  Sustain 0.75  Release 1.2 s";
    for (auto _ : state)
    {
        PIX_Rect area{4, 4, kWidth - 4, 36};
        font.DrawText(&dst, text, -1, &area, PIX_kTextNoClip | PIX_kTextCentre);
        benchmark::DoNotOptimize(dst.Bits()[0]);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(std::strlen(text)));
}
} // namespace

BENCHMARK(BM_BlitCopy);
BENCHMARK(BM_BlitHalf);
BENCHMARK(BM_BlitSourceAlpha);
BENCHMARK(BM_BlitSourceAlphaGreyed);
BENCHMARK(BM_BlitAddSourceAlpha);
BENCHMARK(BM_BlitDodgeSourceAlpha);
BENCHMARK(BM_FillQuarter);
BENCHMARK(BM_DecodePng);
BENCHMARK(BM_DrawCachedText);
