#include "engine/MidiInput.h"

namespace
{
// Keys of scheduled pitch-jump notes are 8-bit values and may lie above the MIDI range; such a
// message has no key to press, release or touch.
bool IsMidiKey(int key)
{
    return key >= 0 && key < MidiInput::kKeyCount;
}
} // namespace

void MidiInput::PlayDueMessages()
{
    const std::int32_t current = blockPosition_;
    while (!queue.Empty() && queue.Front().offset <= current)
    {
        // A copy: a listener may push into the queue, which can move its storage.
        const IMidiMessage message = queue.Front();
        queue.PopFront();
        Play(message);
    }
    blockPosition_ = current + 1;
}

int MidiInput::PlayDueMessagesAndAdvance(int limit)
{
    const std::int32_t current = blockPosition_;
    PlayDueMessages();
    // Whatever is still queued lies after the current sample (the queue is kept in offset order).
    std::int64_t quiet = queue.Empty() ? limit : std::int64_t{queue.Front().offset} - current;
    if (quiet > limit) quiet = limit;
    if (quiet < 1) quiet = 1;
    blockPosition_ = current + static_cast<std::int32_t>(quiet);
    return static_cast<int>(quiet);
}

void MidiInput::Play(const IMidiMessage& message)
{
    const int key = message.data1;
    const int value = message.data2;
    switch (message.status & 0xF0)
    {
    case 0xE0:
        PitchWheelSignal.Emit((key + 128 * value - 8192) / 8192.0);
        break;
    case 0xC0:
        ProgramChangeSignal.Emit(key);
        break;
    case 0xB0:
        if (key == kAllSoundOff || key == kAllNotesOff) Panic(key == kAllSoundOff);
        ControlChangeSignal.Emit(key, value / 127.0);
        break;
    case 0xA0:
        if (IsMidiKey(key) && keyDown[key].load(std::memory_order_relaxed) == 1)
            AftertouchSignal.Emit(key, value);
        break;
    case 0xD0:
        ChannelPressureSignal.Emit(key);
        break;
    case 0x90:
        if (value >= 1)
            PressKey(key, value);
        else
            ReleaseKey(key, value);
        break;
    case 0x80:
        ReleaseKey(key, value);
        break;
    default:
        break; // only channel messages are queued
    }
}

void MidiInput::PressKey(int key, int velocity)
{
    if (!IsMidiKey(key) || keyDown[key].load(std::memory_order_relaxed) != 0) return;
    keyDown[key].store(1, std::memory_order_relaxed);
    heldKeyCount.fetch_add(1, std::memory_order_relaxed);
    NoteOnSignal.Emit(key, velocity);
}

void MidiInput::ReleaseKey(int key, int velocity)
{
    if (!IsMidiKey(key) || keyDown[key].load(std::memory_order_relaxed) != 1) return;
    keyDown[key].store(0, std::memory_order_relaxed);
    heldKeyCount.fetch_sub(1, std::memory_order_relaxed);
    NoteOffSignal.Emit(key, velocity);
}

void MidiInput::Panic(bool silence)
{
    for (int key = 0; key < kKeyCount; ++key)
        ReleaseKey(key, 0);
    (silence ? AllSoundOffSignal : AllNotesOffSignal).Emit();
}
