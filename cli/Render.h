#pragma once

#include "cli/RenderOptions.h"

#include <functional>
#include <string>
#include <vector>

class Brisbleep;

struct RenderResult
{
    std::vector<double> interleaved; // channels samples per frame
    long long noteOffFrame = 0;      // where the note-off was sent
    bool tailCut = false;            // still sounding when --max-tail ran out
    bool stopped = false;            // a stop signal ended the render early (cli/StopSignal.h)
};

// Plays one note on the instrument the way a host does: announces rate and block size, switches
// processing on, delivers the note-on before the first block and the note-off before the block
// that contains it (at its sample offset), and processes blocks until every voice is free, no
// MIDI is pending and a whole block stayed below -120 dBFS, or the tail limit is reached. What
// follows the last sample at or above that level after the note-off is trimmed, so the length
// does not depend on the block size.
// A stop signal ends the render after the current block, with `stopped` set.
// beforeNoteOff, when given, runs once after the last block that ends before the note-off, while
// the note still sounds.
RenderResult RenderNote(Brisbleep& instrument, const RenderOptions& options,
                        const std::function<void()>& beforeNoteOff = {});
