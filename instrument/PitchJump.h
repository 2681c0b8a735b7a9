#pragma once

#include "frame/IMidiEventQueue.h"
#include "frame/IMidiMessage.h"

#include <cstdint>

// The pitch jump: when a note starts or ends, a second, transposed note is scheduled after a delay
// and for a set time, as an ordinary note-on/note-off pair in the instrument's MIDI queue.
struct PitchJump
{
    enum Trigger : std::int32_t
    {
        OnNoteOn = 0,
        OnNoteOff = 1,
        Both = 2,
    };

    std::int32_t jumpTranspose = 0; // semitones
    double jumpDelay = 0.0;         // seconds; 0 disables the jump
    double jumpTime = 200.0;        // seconds the jump note lasts
    std::int32_t jumpTrigger = OnNoteOn;

    // Adds the jump pair for message m, if any, with offsets counted in host samples at `rate`.
    // A jump that would land outside the MIDI key range is dropped as a whole.
    void ScheduleJump(const IMidiMessage& m, double rate, IMidiEventQueue& queue) const;
};
