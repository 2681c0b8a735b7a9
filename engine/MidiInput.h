#pragma once

#include "engine/Signal.h"
#include "midi/IMidiEventQueue.h"

#include <array>
#include <atomic>
#include <cstdint>

// The instrument's MIDI receiver: holds the timed messages of the current block, plays those that
// are due sample by sample, tracks which keys are down and turns messages into signals. MIDI
// channels are ignored; every channel plays the same voices.
class MidiInput
{
public:
    static constexpr int kKeyCount = 128;

    // Plays every queued message whose offset is not beyond the current sample, then moves on to
    // the next sample. Called once per host sample, before that sample is rendered.
    void PlayDueMessages();
    // Plays the messages due at the current sample, then moves past it and the samples after it
    // that no queued message falls on, limit samples at most; returns how many were passed (at
    // least 1). The caller renders those samples in one go.
    int PlayDueMessagesAndAdvance(int limit);
    // After the block's last sample: hands the messages not yet due to the next block and starts
    // counting samples from 0 again.
    void EndBlock(int frames)
    {
        queue.EndBlock(frames);
        blockPosition_ = 0;
    }
    // The sample of the block about to be played.
    std::int32_t BlockPosition() const { return blockPosition_; }

    IMidiEventQueue queue;
    // The editor's keyboard reads these two without the frame mutex; atomics make such a read
    // merely stale, never a data race.
    std::atomic<std::int32_t> heldKeyCount{0};
    std::array<std::atomic<std::uint8_t>, kKeyCount> keyDown{};

    Signal<int, int> NoteOnSignal;           // note, velocity
    Signal<int, int> NoteOffSignal;          // note, velocity
    Signal<double> PitchWheelSignal;         // -1 to just below 1
    Signal<int, int> AftertouchSignal;       // note, pressure
    Signal<int> ChannelPressureSignal;       // pressure
    Signal<int, double> ControlChangeSignal; // controller, value 0 to 1
    Signal<int> ProgramChangeSignal;         // program

private:
    std::int32_t blockPosition_ = 0;

    void Play(const IMidiMessage& message);
    void PressKey(int key, int velocity);
    void ReleaseKey(int key, int velocity);

public:
    // Channel mode messages a host sends when its transport stops or a user asks for a panic.
    static constexpr int kAllSoundOff = 120;
    static constexpr int kAllNotesOff = 123;

    // Played at its sample, either panic releases every held key (NoteOffSignal per key); then all
    // notes off emits AllNotesOffSignal, so that every sounding voice releases, and all sound off
    // emits AllSoundOffSignal, so that every voice falls silent at once. The control change itself
    // is still reported through ControlChangeSignal.
    Signal<> AllNotesOffSignal;
    Signal<> AllSoundOffSignal;

    static bool IsPanic(const IMidiMessage& message)
    {
        return (message.status & 0xF0) == 0xB0 &&
               (message.data1 == kAllSoundOff || message.data1 == kAllNotesOff);
    }
    // Drops the scheduled (pitch-jump) messages waiting at `offset` or later. Called when a panic
    // arrives, before notes that follow it schedule their own: those are kept.
    void DropScheduledFrom(std::int32_t offset)
    {
        queue.RemovePendingIf([offset](const IMidiMessage& m) { return m.scheduled && m.offset >= offset; });
    }

private:
    void Panic(bool silence);
};
