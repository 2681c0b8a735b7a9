#pragma once

#include "raster/PIX_Bitmap.h"

// Source rectangle of a blit; right and bottom are exclusive.
struct PIX_Rect
{
    int L = 0;
    int T = 0;
    int R = 0;
    int B = 0;
};

// Raster modes: the low byte selects the operation, PIX_kUseSourceAlpha weights it by the source
// pixel's alpha. Low bytes from PIX_kChannelCopy up copy one byte of each pixel (PIX_ChannelCopy).
enum : int
{
    PIX_kCopy = 0,
    PIX_kAdd = 1,
    PIX_kDodge = 2,
    PIX_kMultiply = 3,
    PIX_kOverlay = 4,
    PIX_kHSVAdjust = 5,
    PIX_kChannelCopy = 0xF0,
    PIX_kUseSourceAlpha = 0x10000,
};

// Byte indices within a pixel value.
enum : int
{
    PIX_kBlueByte = 0,
    PIX_kGreenByte = 1,
    PIX_kRedByte = 2,
    PIX_kAlphaByte = 3,
};

// Mode that copies byte srcByte of each source pixel into byte destByte of the destination pixel.
constexpr int PIX_ChannelCopy(int srcByte, int destByte)
{
    return PIX_kChannelCopy | ((destByte & 3) << 2) | (srcByte & 3);
}

// Composites rect of src (the whole source when rect is null) at (x, y) of dest. Weight 0 to 1.
// Out-of-range parts are clipped; nothing is drawn for empty requests.
//
// With PIX_kHSVAdjust the source pixels are adjustments rather than colours: red turns the hue by
// red / 256 of a full turn, green and blue scale saturation and value by channel / 128.
void PIX_Blit(PIX_IBitmap* dest, PIX_IBitmap* src, int x, int y, const PIX_Rect* rect, float weight,
              int mode);

// Fills a w x h rectangle at (x, y) of dest with colour. With PIX_kUseSourceAlpha the weight is
// scaled by the colour's alpha.
void PIX_Fill(PIX_IBitmap* dest, int x, int y, int w, int h, PIX_Pixel colour, float weight, int mode);
