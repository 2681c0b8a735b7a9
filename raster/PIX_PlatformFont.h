#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the graphics context asks of a platform font. Quality values are the usual ones:
// 0 default, 3 not antialiased, 4 antialiased, 5 subpixel antialiased.
struct PIX_FontRequest
{
    int height = 0;      // character height in pixels; negative: the em size instead
    int escapement = 0;  // tenths of a degree
    int orientation = 0; // tenths of a degree
    int weight = 400;    // 400 normal, 700 bold
    bool italic = false;
    int quality = 0;
    char face[32] = {};
};

enum : int
{
    PIX_kQualityDefault = 0,
    PIX_kQualityNonAntialiased = 3,
    PIX_kQualityAntialiased = 4,
    PIX_kQualityClearType = 5,
};

// One rasterised glyph: coverage bytes (0 to 255), placed relative to the top of the text line.
struct PIX_GlyphImage
{
    int advance = 0;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> coverage; // width * height, row by row
};

// A face opened through fontconfig and FreeType; opaque to callers.
class PIX_PlatformFont;

// None when no face can be found or opened. "Arial" and "Verdana" fall back to Liberation Sans,
// their metric-compatible stand-in, when the machine does not have them.
PIX_PlatformFont* PIX_CreatePlatformFont(const PIX_FontRequest& request);
void PIX_DeletePlatformFont(PIX_PlatformFont* font);

// Character height: the distance from one line of text to the next.
int PIX_PlatformFontHeight(const PIX_PlatformFont* font);
// The family that was actually opened.
std::string PIX_PlatformFontFamily(const PIX_PlatformFont* font);
// Renders one character code; false when the font cannot render it.
bool PIX_RasteriseGlyph(PIX_PlatformFont* font, std::uint32_t code, PIX_GlyphImage& out);
