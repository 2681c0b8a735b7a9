#pragma once

#include "midi/IMidiEventQueue.h"
#include "midi/IMidiMessage.h"

#include <cstdint>

enum PitchJumpTrigger : std::int32_t
{
    JumpOnNoteOn = 0,
    JumpOnNoteOff = 1,
    JumpOnBoth = 2,
};

// Schedules a second, transposed note after a delay when a note starts and/or ends, by queueing
// ordinary note-on/note-off messages. The queue carries offsets past the current block into later
// blocks, so delays longer than a block work.
class PitchJump
{
public:
    virtual ~PitchJump() = default;

    // Looks at one incoming message (already queued itself) and may queue a jump pair: the
    // note-on first, then its note-off. hostRate converts the delay and time to samples.
    void ScheduleJump(const IMidiMessage& message, IMidiEventQueue& queue, double hostRate) const;

    void SetTranspose(std::int32_t semitones) { transpose_ = semitones; }
    // Seconds; 0 disables the jump.
    void SetDelay(double seconds) { delay_ = seconds; }
    // Seconds the jump note is held.
    void SetTime(double seconds) { time_ = seconds; }
    void SetTrigger(std::int32_t trigger) { trigger_ = trigger; }

    std::int32_t Transpose() const { return transpose_; }
    double Delay() const { return delay_; }
    double Time() const { return time_; }
    std::int32_t Trigger() const { return trigger_; }

private:
    std::int32_t transpose_ = 0;
    double delay_ = 0.0;
    double time_ = 200.0;
    std::int32_t trigger_ = JumpOnNoteOn;
};
