#pragma once
// The instrument's colours, in one place so every image agrees.

#include "tools/artwork/Canvas.h"

namespace artwork::palette
{

constexpr Colour kPanel = Rgb(0xEDE4CF);      // cream face plate
constexpr Colour kPanelShade = Rgb(0xE2D7BE); // recessed fields on the face plate
constexpr Colour kInk = Rgb(0x2A2622);        // captions, value text and rules
constexpr Colour kInkSoft = Rgb(0x6B6358);    // secondary captions and tick marks
constexpr Colour kAccent = Rgb(0xE0542A);     // lit arcs, held keys, bullets
constexpr Colour kAccentBright = Rgb(0xFF8A4C);
constexpr Colour kCharcoal = Rgb(0x2B2826); // knob bodies and button caps
constexpr Colour kCharcoalLight = Rgb(0x4A4541);
constexpr Colour kCharcoalDark = Rgb(0x191716);
constexpr Colour kRed = Rgb(0xB8312A); // the red button caps
constexpr Colour kRedLight = Rgb(0xD4493C);
constexpr Colour kRedDark = Rgb(0x86211C);
constexpr Colour kCream = Rgb(0xF4EBD9); // text on dark surfaces
constexpr Colour kBand = Rgb(0x5B5855);  // the striped band
constexpr Colour kBandStripe = Rgb(0x474441);
constexpr Colour kLed = Rgb(0xFFB23E); // lit dot-matrix dots
constexpr Colour kLedOff = Rgb(0x3A2C20);
constexpr Colour kDisplay = Rgb(0x1C1512); // dot-matrix window
constexpr Colour kLcd = Rgb(0xCBD3AE);     // index display window
constexpr Colour kIvory = Rgb(0xF7F2E7);   // idle white keys
constexpr Colour kIvoryShade = Rgb(0xD8D1C2);
constexpr Colour kKeyGap = Rgb(0x4E4A44);
constexpr Colour kEbony = Rgb(0x15130F);
constexpr Colour kEbonyLight = Rgb(0x3E3A35);
constexpr Colour kMeterGreen = Rgb(0x43D65B);
constexpr Colour kMeterYellow = Rgb(0xF3CF2F);
constexpr Colour kMeterRed = Rgb(0xF2452E);

} // namespace artwork::palette
