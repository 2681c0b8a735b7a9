#include "cli/Render.h"

#include "cli/StopSignal.h"

#include "instrument/Brisbleep.h"

#include <algorithm>
#include <cmath>

namespace
{

// -120 dBFS. Once the voices are free the 8th-order decimation recursion keeps circulating
// rounding residue near 1e-16, which the compressor curve lifts to about 1e-7 at the output: far
// below hearing and below 24-bit resolution, but never exactly zero. Below this level the output
// counts as silent.
constexpr double kSilence = 1e-6;

// With a strong compression curve that residue is lifted to about -85 dBFS and never falls below
// kSilence, so once every voice is free only this long after the idle point counts as sound: the
// decimation filter's own tail is over within a few samples.
constexpr double kIdleTailSeconds = 0.01;

} // namespace

RenderResult RenderNote(Brisbleep& instrument, const RenderOptions& options,
                        const std::function<void()>& beforeNoteOff)
{
    const int channels = options.channels;
    const int block = options.block;
    instrument.SetHostSampleRate(options.rate);
    instrument.SetHostBlockSize(block);
    instrument.ConnectOutputs(channels);
    instrument.SetProcessing(true);

    RenderResult result;
    const auto noteOff = static_cast<long long>(std::llround(options.length * options.rate));
    const auto limit = noteOff + static_cast<long long>(std::llround(options.maxTail * options.rate));
    result.noteOffFrame = noteOff;

    // 64-bit buffers, as hosts that process in double precision hand them over.
    std::vector<double> samples(static_cast<std::size_t>(block) * channels);
    std::vector<double*> outputs(channels);
    for (int c = 0; c < channels; ++c)
        outputs[c] = samples.data() + static_cast<std::size_t>(c) * block;

    instrument.DeliverMidi(IMidiMessage::Make(0x90, options.note, options.velocity, 0));
    bool noteOffSent = false;
    long long lastSound = -1; // last frame with an audible sample
    long long position = 0;
    long long soundEnd = limit; // frames from here on are filter residue only
    const auto idleTail = static_cast<long long>(std::llround(kIdleTailSeconds * options.rate));
    while (position < limit)
    {
        const int frames = static_cast<int>(std::min<long long>(block, limit - position));
        if (!noteOffSent && noteOff < position + frames)
        {
            if (beforeNoteOff) beforeNoteOff();
            instrument.DeliverMidi(
                IMidiMessage::Make(0x80, options.note, 0, static_cast<int>(noteOff - position)));
            noteOffSent = true;
        }
        instrument.ProcessBlock(outputs.data(), frames);

        bool silent = true;
        for (int i = 0; i < frames; ++i)
        {
            for (int c = 0; c < channels; ++c)
            {
                const double s = outputs[c][i];
                result.interleaved.push_back(s);
                if (std::abs(s) >= kSilence && position + i < soundEnd)
                {
                    silent = false;
                    lastSound = position + i;
                }
            }
        }
        position += frames;
        const bool idle = noteOffSent && instrument.IsIdle();
        if (idle && soundEnd == limit) soundEnd = position + idleTail;
        if (idle && (silent || position >= soundEnd)) break;
        if (StopSignal() != 0)
        {
            result.stopped = true;
            break;
        }
    }
    result.tailCut = position >= limit && !instrument.IsIdle();

    // Keep the held part whole; after it, only up to the last sound.
    const long long keep = std::min(position, std::max(noteOff, lastSound + 1));
    result.interleaved.resize(static_cast<std::size_t>(keep) * channels);
    instrument.SetProcessing(false);
    return result;
}
