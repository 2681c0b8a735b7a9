#pragma once

#include <cstdint>

// What a short MIDI message means. A note on with velocity 0 reports NoteOff, as running-status
// senders use it that way.
enum class IMidiKind : int32_t
{
    None = 0,
    NoteOff,
    NoteOn,
    PolyAftertouch,
    ControlChange,
    ProgramChange,
    ChannelAftertouch,
    PitchWheel,
};

// One short MIDI message, timed by its sample offset inside the block that is about to be rendered.
struct IMidiMessage
{
    int32_t offset = 0;
    uint8_t status = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;
    // Set on notes the instrument schedules for itself (a pitch jump), never on a host's message:
    // a MIDI panic drops those still waiting.
    bool scheduled = false;

    // A message from its status and data bytes (each taken modulo 256), as a host hands it over.
    static IMidiMessage Make(int status, int data1, int data2, int32_t offset = 0)
    {
        IMidiMessage m;
        m.offset = offset;
        m.status = static_cast<uint8_t>(status);
        m.data1 = static_cast<uint8_t>(data1);
        m.data2 = static_cast<uint8_t>(data2);
        return m;
    }

    IMidiKind Kind() const
    {
        if (status >= 0xF0) return IMidiKind::None;
        switch (status >> 4)
        {
        case 0x8:
            return IMidiKind::NoteOff;
        case 0x9:
            return data2 == 0 ? IMidiKind::NoteOff : IMidiKind::NoteOn;
        case 0xA:
            return IMidiKind::PolyAftertouch;
        case 0xB:
            return IMidiKind::ControlChange;
        case 0xC:
            return IMidiKind::ProgramChange;
        case 0xD:
            return IMidiKind::ChannelAftertouch;
        case 0xE:
            return IMidiKind::PitchWheel;
        default:
            return IMidiKind::None; // a data byte where a status byte belongs
        }
    }

    // Low nibble of a channel message; -1 for system messages, which carry no channel.
    int Channel() const { return Kind() == IMidiKind::None ? -1 : status & 0x0F; }

    // Key of a note or polyphonic aftertouch message, else -1.
    int NoteNumber() const
    {
        const IMidiKind k = Kind();
        return (k == IMidiKind::NoteOff || k == IMidiKind::NoteOn || k == IMidiKind::PolyAftertouch) ? data1
                                                                                                     : -1;
    }

    // Velocity of a note message, else -1.
    int Velocity() const
    {
        const IMidiKind k = Kind();
        return (k == IMidiKind::NoteOff || k == IMidiKind::NoteOn) ? data2 : -1;
    }

    // Controller number of a control change, else -1.
    int ControlNumber() const { return Kind() == IMidiKind::ControlChange ? data1 : -1; }

    // Controller value scaled to 0..1 for a control change, else -1.
    double ControlValue() const { return Kind() == IMidiKind::ControlChange ? data2 / 127.0 : -1.0; }

    // Program number of a program change, else -1.
    int ProgramNumber() const { return Kind() == IMidiKind::ProgramChange ? data1 : -1; }

    // Pitch-wheel position in [-1, +1) with 0 at the centre (data 0, 64); 0 for other kinds.
    double PitchWheel() const
    {
        if (Kind() != IMidiKind::PitchWheel) return 0.0;
        return (data1 + 128 * data2 - 8192) / 8192.0;
    }
};

// A system-exclusive message. The bytes belong to the sender and are valid only during the call that
// hands the message over.
struct ISysExMessage
{
    int32_t offset = 0;
    int32_t size = 0;
    const uint8_t* data = nullptr;
};
