#include "engine/PitchJump.h"

namespace
{
constexpr std::uint8_t kNoteOffStatus = 0x80;
constexpr std::uint8_t kNoteOnStatus = 0x90;
constexpr std::uint8_t kFullVelocity = 127;
constexpr int kHighestKey = 127;
} // namespace

void PitchJump::ScheduleJump(const IMidiMessage& message, IMidiEventQueue& queue, double hostRate) const
{
    if (jumpDelay == 0.0) return;

    // The status byte alone decides: a note-on with velocity 0 still counts as a note-on here and
    // schedules a pair whose note-on carries that velocity 0 (the receiver then treats it as a
    // release of the jump key). Only a real note-off status triggers the on-note-off jump.
    const std::uint8_t type = message.status & 0xF0;
    std::uint8_t velocity = 0;
    if (type == kNoteOnStatus && (jumpTrigger == JumpOnNoteOn || jumpTrigger == JumpOnBoth))
        velocity = message.data2;
    else if (type == kNoteOffStatus && (jumpTrigger == JumpOnNoteOff || jumpTrigger == JumpOnBoth))
        velocity = kFullVelocity;
    else
        return;

    // A jump that lands outside the MIDI key range has no note to play: the pair is dropped.
    const int key = message.data1 + jumpTranspose;
    if (key < 0 || key > kHighestKey) return;

    const auto delay = static_cast<std::int32_t>(hostRate * jumpDelay);
    const auto length = static_cast<std::int32_t>(hostRate * jumpTime);
    const auto channel = static_cast<std::uint8_t>(message.status & 0x0F);

    IMidiMessage on;
    on.offset = message.offset + delay;
    on.status = static_cast<std::uint8_t>(kNoteOnStatus | channel);
    on.data1 = static_cast<std::uint8_t>(key);
    on.data2 = velocity;
    queue.Push(on);

    IMidiMessage off;
    off.offset = message.offset + length + delay;
    off.status = static_cast<std::uint8_t>(kNoteOffStatus | channel);
    off.data1 = static_cast<std::uint8_t>(key);
    off.data2 = 0;
    queue.Push(off);
}
