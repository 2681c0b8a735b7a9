#include "instrument/PitchJump.h"

void PitchJump::ScheduleJump(const IMidiMessage& m, double rate, IMidiEventQueue& queue) const
{
    if (jumpDelay == 0.0)
        return;
    const auto delay = static_cast<std::int32_t>(rate * jumpDelay);
    const auto length = static_cast<std::int32_t>(rate * jumpTime);

    const int kind = m.status & 0xF0;
    const bool fromNoteOn = kind == 0x90 && (jumpTrigger == OnNoteOn || jumpTrigger == Both);
    const bool fromNoteOff = kind == 0x80 && (jumpTrigger == OnNoteOff || jumpTrigger == Both);
    if (!fromNoteOn && !fromNoteOff)
        return;

    const int key = m.data1 + jumpTranspose;
    if (key < 0 || key > 127)
        return;
    const int channel = m.status & 0x0F;

    IMidiMessage on;
    on.offset = m.offset + delay;
    on.status = static_cast<std::uint8_t>(0x90 + channel);
    on.data1 = static_cast<std::uint8_t>(key);
    on.data2 = fromNoteOn ? m.data2 : 127;
    queue.Push(on);

    IMidiMessage off;
    off.offset = m.offset + length + delay;
    off.status = static_cast<std::uint8_t>(0x80 + channel);
    off.data1 = static_cast<std::uint8_t>(key);
    off.data2 = 0;
    queue.Push(off);
}
