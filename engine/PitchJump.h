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

    std::int32_t jumpTranspose = 0; // semitones
    double jumpDelay = 0.0;         // seconds; 0 disables the jump
    double jumpTime = 200.0;        // seconds the jump note is held
    std::int32_t jumpTrigger = JumpOnNoteOn;
};
