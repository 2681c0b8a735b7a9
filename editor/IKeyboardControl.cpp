#include "editor/IKeyboardControl.h"

#include "editor/IGraphics.h"

namespace
{

constexpr int kBlackNotes[5] = {1, 3, 6, 8, 10};
constexpr int kWhiteNotes[7] = {0, 2, 4, 5, 7, 9, 11};
// White-key image frame by note in the octave (0 for black notes); the top C uses the last frame.
constexpr int kWhiteFrame[12] = {1, 0, 2, 0, 3, 1, 0, 4, 0, 5, 0, 3};
constexpr int kTopCFrame = 6;
// From a white key to the next white key, and from a black key to the next black key.
constexpr int kWhiteStep[12] = {2, 0, 2, 0, 1, 2, 0, 2, 0, 2, 0, 1};
constexpr int kBlackStep[12] = {0, 2, 0, 3, 0, 0, 2, 0, 2, 0, 3, 0};
constexpr int kLastBlackNote = 10;

IArea KeyboardRect(const IBitmapRef& white, int octaves)
{
    const int w = white.FrameW();
    return {IKeyboardControl::kLeft, IKeyboardControl::kTop, IKeyboardControl::kLeft + w + octaves * 7 * w,
            IKeyboardControl::kTop + white.FrameH()};
}

} // namespace

IKeyboardControl::IKeyboardControl(IFrameBase* plugin, const IBitmapRef& whiteKeyBitmap,
                                   const IBitmapRef& blackKeyBitmap, const std::array<int, 12>& keyOffsets)
    : IControl(plugin, KeyboardRect(whiteKeyBitmap, 8), -1), whiteKeyBitmap(whiteKeyBitmap),
      blackKeyBitmap(blackKeyBitmap), octaveWidth(7 * whiteKeyBitmap.FrameW())
{
    for (int i = 0; i < 12; ++i)
        this->keyOffsets[i] = keyOffsets[i];
    mDblAsSingleClick = true;
}

int IKeyboardControl::HeldNoteCount() const
{
    return heldNotes.count ? heldNotes.count->load(std::memory_order_relaxed) : 0;
}

bool IKeyboardControl::NoteHeld(int note) const
{
    return heldNotes.keyDown && note >= 0 && note < heldNotes.keyCount &&
           heldNotes.keyDown[note].load(std::memory_order_relaxed) != 0;
}

int IKeyboardControl::KeyFromPoint(int x, int y)
{
    if (x < mArea.L || y < mArea.T || x >= mArea.R || y >= mArea.B || octaveWidth <= 0) return -1;
    const int octave = (x - mArea.L) / octaveWidth;
    const int xo = (x - mArea.L) % octaveWidth;
    const int blackH = blackKeyBitmap.FrameH();
    if (y - mArea.T < blackH && octave < octaveCount)
    {
        for (int note : kBlackNotes)
        {
            if (xo >= keyOffsets[note] && xo < keyOffsets[note] + blackKeyBitmap.FrameW())
            {
                touchDepth.store(static_cast<double>(y - mArea.T) / blackH, std::memory_order_relaxed);
                return note + octave * 12;
            }
        }
    }
    const int w = xo / WhiteW(); // 0 to 6: xo is inside one octave
    touchDepth.store(static_cast<double>(y - mArea.T) / (mArea.B - mArea.T), std::memory_order_relaxed);
    return kWhiteNotes[w] + octave * 12;
}

void IKeyboardControl::OnMouseDown(int x, int y, const IMouseModifiers& mod)
{
    if (mod.R) return;
    const int key = KeyFromPoint(x, y);
    if (key == pressedKey.load(std::memory_order_relaxed)) return;
    if (NoteHeld(key + lowestNote)) return;
    pressedKey.store(key, std::memory_order_release);
    MarkDirty(true);
}

void IKeyboardControl::OnMouseDrag(int x, int y, int, int, const IMouseModifiers& mod)
{
    OnMouseDown(x, y, mod);
}

void IKeyboardControl::OnMouseUp(int, int, const IMouseModifiers&)
{
    if (pressedKey.load(std::memory_order_relaxed) < 0) return;
    pressedKey.store(-1, std::memory_order_release);
    MarkDirty(true);
}

bool IKeyboardControl::Draw(IGraphics& graphics)
{
    const int pressed = pressedKey.load(std::memory_order_relaxed);
    if (HeldNoteCount() == 0 && pressed == -1) return true;
    auto lit = [&](int position) { return position == pressed || NoteHeld(lowestNote + position); };

    const int ww = WhiteW();
    int position = 0;
    int x = mArea.L;
    while (position < keyCount)
    {
        const int note = position % 12;
        if (lit(position))
            graphics.DrawBitmapFrame(whiteKeyBitmap, {x, mArea.T, x + ww, mArea.B}, kWhiteFrame[note],
                                     &mBlend);
        position += kWhiteStep[note];
        x += ww;
    }
    if (lit(position))
        graphics.DrawBitmapFrame(whiteKeyBitmap, {x, mArea.T, x + ww, mArea.B}, kTopCFrame, &mBlend);

    const IArea black{0, mArea.T, blackKeyBitmap.FrameW(), mArea.T + blackKeyBitmap.FrameH()};
    int origin = mArea.L;
    for (position = 1; position <= keyCount;)
    {
        const int note = position % 12;
        if (lit(position))
        {
            const int left = origin + keyOffsets[note];
            graphics.DrawBitmapFrame(blackKeyBitmap, {left, black.T, left + black.R, black.B}, 1, &mBlend);
        }
        position += kBlackStep[note];
        if (note == kLastBlackNote) origin += octaveWidth;
    }
    return true;
}
