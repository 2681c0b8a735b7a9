#include "engine/PitchJump.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
constexpr std::uint8_t kNoteOffStatus = 0x80;
constexpr std::uint8_t kNoteOnStatus = 0x90;
constexpr std::uint8_t kFullVelocity = 127;
constexpr int kHighestKey = 127;

// Sample counts and offsets are 32-bit. An absurd host rate must not make the conversion or the
// offset sums undefined, so they saturate at the 32-bit limits (NaN counts as 0).
constexpr std::int64_t kOffsetMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kOffsetMax = std::numeric_limits<std::int32_t>::max();

std::int32_t TruncateToOffset(double samples)
{
    if (std::isnan(samples)) return 0;
    const double limited =
        std::clamp(samples, static_cast<double>(kOffsetMin), static_cast<double>(kOffsetMax));
    return static_cast<std::int32_t>(limited);
}

std::int32_t AddOffsets(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(std::clamp(std::int64_t{a} + b, kOffsetMin, kOffsetMax));
}
} // namespace

void PitchJump::ScheduleJump(const IMidiMessage& message, IMidiEventQueue& queue, double hostRate) const
{
    if (delay_ == 0.0) return;

    // The status byte alone decides: a note-on with velocity 0 still counts as a note-on here and
    // schedules a pair whose note-on carries that velocity 0 (the receiver then treats it as a
    // release of the jump key). Only a real note-off status triggers the on-note-off jump.
    const std::uint8_t type = message.status & 0xF0;
    std::uint8_t velocity = 0;
    if (type == kNoteOnStatus && (trigger_ == JumpOnNoteOn || trigger_ == JumpOnBoth))
        velocity = message.data2;
    else if (type == kNoteOffStatus && (trigger_ == JumpOnNoteOff || trigger_ == JumpOnBoth))
        velocity = kFullVelocity;
    else
        return;

    // A jump that lands outside the MIDI key range has no note to play: the pair is dropped.
    const int key = message.data1 + transpose_;
    if (key < 0 || key > kHighestKey) return;

    const std::int32_t delay = TruncateToOffset(hostRate * delay_);
    const std::int32_t length = TruncateToOffset(hostRate * time_);
    const auto channel = static_cast<std::uint8_t>(message.status & 0x0F);

    IMidiMessage on;
    on.offset = AddOffsets(message.offset, delay);
    on.status = static_cast<std::uint8_t>(kNoteOnStatus | channel);
    on.data1 = static_cast<std::uint8_t>(key);
    on.data2 = velocity;
    on.scheduled = true;
    queue.Push(on);

    IMidiMessage off;
    off.offset = AddOffsets(AddOffsets(message.offset, length), delay);
    off.status = static_cast<std::uint8_t>(kNoteOffStatus | channel);
    off.data1 = static_cast<std::uint8_t>(key);
    off.data2 = 0;
    off.scheduled = true;
    queue.Push(off);
}
