#include "tools/artwork/Keyboard.h"

#include "tools/artwork/Painters.h"
#include "tools/artwork/Palette.h"

#include <algorithm>

namespace artwork::keyboard
{

namespace
{
// True where column cx of the white key of this note lies under one of the octave's black keys.
bool UnderBlackKey(int note, int cx)
{
    if (note < 0) return false;
    const int x = kOffsets[size_t(note)] + cx;
    for (int black : kBlackNotes)
        if (x >= kOffsets[size_t(black)] && x < kOffsets[size_t(black)] + kBlackWidth) return true;
    return false;
}
} // namespace

void PaintWhiteKey(Canvas& canvas, int x, int y, int note, bool held, Colour tint)
{
    using namespace palette;
    const Colour top = held ? Mix(kIvory, tint, 0.55f) : kIvory;
    const Colour bottom = held ? Mix(kIvoryShade, tint, 0.75f) : Mix(kIvory, kIvoryShade, 0.35f);
    const int lip = held ? 2 : 4; // a held key sinks, showing less of its front edge
    for (int cy = 0; cy < kWhiteHeight; ++cy)
    {
        for (int cx = 0; cx < kWhiteWidth; ++cx)
        {
            const bool underBlack = cy < kBlackHeight && UnderBlackKey(note, cx);
            if (underBlack) continue;
            Colour c;
            if (cx == kWhiteWidth - 1)
                c = kKeyGap;
            else if (cy >= kWhiteHeight - lip)
                c = Mix(bottom, kIvoryShade, held ? 0.2f : 0.7f);
            else
                c = Mix(top, bottom, float(cy) / (kWhiteHeight - lip));
            // Shade under the slot lip and below the neighbouring black keys.
            if (cy < 3) c = Mix(c, kEbony, (held ? 0.5f : 0.35f) * (3 - cy) / 3.0f);
            if (cy < kBlackHeight + 2 && (UnderBlackKey(note, cx - 1) || UnderBlackKey(note, cx + 1)) &&
                cx != kWhiteWidth - 1)
                c = Mix(c, kEbony, 0.12f);
            if (cy >= kBlackHeight && cy < kBlackHeight + 2 && UnderBlackKey(note, cx))
                c = Mix(c, kEbony, 0.3f);
            if (cx == 0 && cx != kWhiteWidth - 1) c = Mix(c, Rgb(0xFFFFFF), 0.35f);
            canvas.Set(x + cx, y + cy, c);
        }
    }
}

void PaintBlackKey(Canvas& canvas, int x, int y, bool held, Colour tint)
{
    using namespace palette;
    // Dark sides, a slightly lighter top face with a glossy stripe, and a short front lip that
    // shrinks when the key is down.
    const int lip = held ? 2 : 4;
    auto tinted = [&](Colour c) { return held ? Mix(c, tint, 0.72f) : c; };
    for (int cy = 0; cy < kBlackHeight; ++cy)
    {
        for (int cx = 0; cx < kBlackWidth; ++cx)
        {
            const float t = float(cy) / kBlackHeight;
            Colour c;
            if (cx == 0 || cx == kBlackWidth - 1)
                c = Mix(kEbony, Rgb(0x000000), 0.4f);
            else if (cy >= kBlackHeight - lip)
                c = Mix(kEbonyLight, kEbony, float(cy - (kBlackHeight - lip)) / lip);
            else
                c = Mix(Rgb(0x2A2623), kEbony, t);
            c = tinted(c);
            if (cx == 1 && cy >= 2 && cy < kBlackHeight - lip - 2)
                c = Mix(c, Rgb(0xFFFFFF), held ? 0.22f : 0.12f * (1.0f - t));
            if (cy < 2) c = Mix(c, Rgb(0x000000), 0.5f);
            canvas.Set(x + cx, y + cy, c);
        }
    }
}

void PaintIdleKeyboard(Canvas& canvas)
{
    const Colour none{};
    int x = kLeft;
    for (int octave = 0; octave <= kOctaves; ++octave)
    {
        for (int note : kWhiteNotes)
        {
            if (octave == kOctaves)
            {
                PaintWhiteKey(canvas, x, kTop, -1, false, none); // the top C ends the keyboard
                break;
            }
            PaintWhiteKey(canvas, x, kTop, note, false, none);
            x += kWhiteWidth;
        }
    }
    for (int octave = 0; octave < kOctaves; ++octave)
        for (int note : kBlackNotes)
            PaintBlackKey(canvas, kLeft + octave * kOctaveWidth + kOffsets[size_t(note)], kTop, false, none);
}

} // namespace artwork::keyboard

namespace artwork
{

Canvas PaintWhiteKeyStrip(int width, int height, Colour tint)
{
    using namespace keyboard;
    Canvas canvas(width, height);
    const int frame = height / int(kWhiteFrameNotes.size());
    for (size_t i = 0; i < kWhiteFrameNotes.size(); ++i)
        PaintWhiteKey(canvas, 0, int(i) * frame, kWhiteFrameNotes[i], true, tint);
    return canvas;
}

Canvas PaintBlackKey(int width, int height, Colour tint)
{
    Canvas canvas(width, height);
    keyboard::PaintBlackKey(canvas, 0, 0, true, tint);
    return canvas;
}

} // namespace artwork
