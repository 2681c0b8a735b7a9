#include "tools/artwork/GlyphWidths.h"
#include "tools/artwork/Painters.h"
#include "tools/artwork/Palette.h"

#include <map>

namespace artwork
{

namespace
{
// Tints of the unused red key variants and the accents of the spare knobs.
constexpr Colour kHeld = palette::kAccent;
constexpr Colour kHeldRed = Rgb(0xD8322A);
constexpr Colour kTeal = Rgb(0x2E9C8F);
constexpr Colour kGold = Rgb(0xD9A12B);
} // namespace

Artwork FindArtwork(const std::string& file)
{
    static const std::map<std::string, Artwork> painters = {
        {"about.png", {PaintAbout, [](int, int) { return 1; }}},
        {"Background.png", {PaintBackground, [](int, int) { return 1; }}},
        {"KnobNes.png",
         {[](int w, int h) { return PaintKnobStrip(w, h, h / w, palette::kAccent); },
          [](int w, int h) { return h / w; }}},
        {"pianowhitekey.png",
         {[](int w, int h) { return PaintWhiteKeyStrip(w, h, kHeld); }, [](int, int) { return 6; }}},
        {"pianoblackkey.png",
         {[](int w, int h) { return PaintBlackKey(w, h, kHeld); }, [](int, int) { return 1; }}},
        {"pianowhiteredkey.png",
         {[](int w, int h) { return PaintWhiteKeyStrip(w, h, kHeldRed); }, [](int, int) { return 6; }}},
        {"pianoblackredkey.png",
         {[](int w, int h) { return PaintBlackKey(w, h, kHeldRed); }, [](int, int) { return 1; }}},
        {"PeakMeterL.png",
         {[](int w, int h) { return PaintMeterStrip(w, h, h / 128, true); },
          [](int, int h) { return h / 128; }}},
        {"PeakMeterR.png",
         {[](int w, int h) { return PaintMeterStrip(w, h, h / 128, false); },
          [](int, int h) { return h / 128; }}},
        {"KnobSNes.png",
         {[](int w, int h) { return PaintKnobStrip(w, h, h / w, palette::kAccent); },
          [](int w, int h) { return h / w; }}},
        {"KnobSNes2.png",
         {[](int w, int h) { return PaintKnobStrip(w, h, h / w, kTeal); },
          [](int w, int h) { return h / w; }}},
        {"Switch.png", {[](int w, int h) { return PaintSwitchStrip(w, h, 2); }, [](int, int) { return 2; }}},
        {"KnobNes2.png",
         {[](int w, int h) { return PaintKnobStrip(w, h, h / w, kTeal); },
          [](int w, int h) { return h / w; }}},
        {"KnobNes3.png",
         {[](int w, int h) { return PaintKnobStrip(w, h, h / w, kGold); },
          [](int w, int h) { return h / w; }}},
        {"Eyetype_3_12.png",
         {[](int w, int h) { return PaintFont(w, h, FontStyle::Small); },
          [](int, int) { return kGlyphFrames; }}},
        {"Eyetype_3_14.png",
         {[](int w, int h) { return PaintFont(w, h, FontStyle::Medium); },
          [](int, int) { return kGlyphFrames; }}},
        {"Eyetype_3_20.png",
         {[](int w, int h) { return PaintFont(w, h, FontStyle::Large); },
          [](int, int) { return kGlyphFrames; }}},
        {"Eyetype_3_14_white.png",
         {[](int w, int h) { return PaintFont(w, h, FontStyle::MediumLight); },
          [](int, int) { return kGlyphFrames; }}},
        {"Buttons.png", {PaintButtonStrip, [](int, int) { return 30; }}},
        {"Switch3.png", {[](int w, int h) { return PaintSwitchStrip(w, h, 3); }, [](int, int) { return 3; }}},
        {"ButtonsSmall.png", {PaintSmallButtonStrip, [](int, int) { return 9; }}},
    };
    const auto it = painters.find(file);
    return it == painters.end() ? Artwork{} : it->second;
}

} // namespace artwork
