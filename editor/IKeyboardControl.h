#pragma once

#include "editor/IControl.h"

#include <array>
#include <atomic>
#include <cstdint>

// Where the keyboard reads which notes the instrument holds: a count of held notes and one flag per
// MIDI note, written by the audio side and read here without a lock.
struct IHeldNotes
{
    const std::atomic<std::int32_t>* count = nullptr;
    const std::atomic<std::uint8_t>* keyDown = nullptr; // keyCount flags
    int keyCount = 0;
};

// An eight-octave keyboard (and a top C) that shows held notes and plays the key under the mouse.
// Only held keys are drawn: the idle keyboard is part of the background. Redrawn at every frame.
class IKeyboardControl : public IControl
{
public:
    static constexpr int kLeft = 138;
    static constexpr int kTop = 707;

    IKeyboardControl(IFrameBase* plugin, const IBitmapRef& whiteKeyBitmap, const IBitmapRef& blackKeyBitmap,
                     const std::array<int, 12>& keyOffsets);

    void OnMouseDown(int x, int y, const IMouseModifiers& mod) override;
    void OnMouseUp(int x, int y, const IMouseModifiers& mod) override;
    void OnMouseDrag(int x, int y, int dX, int dY, const IMouseModifiers& mod) override;
    bool Draw(IGraphics& graphics) override;
    bool IsDirty() override { return true; }

    // The key at a point, counted from the lowest key, or -1; sets touchDepth for a hit.
    int KeyFromPoint(int x, int y);
    void SetHeldNotes(const IHeldNotes& held) { heldNotes = held; }
    bool NoteHeld(int note) const;

    // Read by the instrument's audio thread once per block.
    int PressedKey() const { return pressedKey.load(std::memory_order_acquire); }
    double TouchDepth() const { return touchDepth.load(std::memory_order_relaxed); }
    int LowestNote() const { return lowestNote; }
    int KeyCount() const { return keyCount; }

private:
    int HeldNoteCount() const;
    int WhiteW() const { return whiteKeyBitmap.FrameW(); }

    IBitmapRef whiteKeyBitmap;
    IBitmapRef blackKeyBitmap;
    std::array<int32_t, 12> keyOffsets;
    int32_t octaveWidth;
    int32_t octaveCount = 8;
    std::atomic<int32_t> pressedKey{-1};
    int32_t lowestNote = 12;
    int32_t keyCount = 96;
    std::atomic<double> touchDepth{0.0};
    IHeldNotes heldNotes;
};
