#pragma once
// Geometry of the editor's eight-octave keyboard and the drawing of its keys, shared by the
// background (idle keys) and the key images (held keys drawn over it).

#include "tools/artwork/Canvas.h"

#include <array>

namespace artwork::keyboard
{

constexpr int kLeft = 138;
constexpr int kTop = 707;
constexpr int kOctaves = 8;
constexpr int kWhiteWidth = 10;
constexpr int kWhiteHeight = 60;
constexpr int kBlackWidth = 6;
constexpr int kBlackHeight = 35;
constexpr int kOctaveWidth = 7 * kWhiteWidth;
// Left edge of each note of an octave (C to B) from the octave's left edge.
constexpr std::array<int, 12> kOffsets = {0, 7, 10, 17, 20, 30, 37, 40, 47, 50, 57, 60};
constexpr std::array<int, 5> kBlackNotes = {1, 3, 6, 8, 10};
constexpr std::array<int, 7> kWhiteNotes = {0, 2, 4, 5, 7, 9, 11};
// The note each frame of the white-key strip is drawn for: C/F, D, E/B, G, A and the top C.
constexpr std::array<int, 6> kWhiteFrameNotes = {0, 2, 4, 7, 9, -1};

// A white key with its top-left at (x, y). note is 0..11, or -1 for the top C, which no black key
// overlaps. Columns under neighbouring black keys are left untouched.
void PaintWhiteKey(Canvas& canvas, int x, int y, int note, bool held, Colour tint);
void PaintBlackKey(Canvas& canvas, int x, int y, bool held, Colour tint);
// Every key idle, at the keyboard's place in the editor.
void PaintIdleKeyboard(Canvas& canvas);

} // namespace artwork::keyboard
