#pragma once

#include "cli/AudioFile.h"
#include "cli/Levels.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Everything a brisbleep-render run is asked to do.
struct RenderOptions
{
    std::string output;
    AudioFormat format = AudioFormat::Wav;
    SampleEncoding encoding = SampleEncoding::Pcm16;
    int rate = 44100;
    int block = 512;
    int note = 69;
    int velocity = 127;
    double length = 1.0;               // seconds the note is held
    double maxTail = 10.0;             // seconds rendered at most after the note-off
    int channels = 1;                  // the instrument is mono; games want the smaller file
    std::vector<std::string> settings; // "NAME=VALUE"
    std::string statePath;
    std::string saveStatePath;
    std::string saveJsonPath;  // the state as text
    bool printState = false;   // the state as text on standard output
    int program = -1;          // the program of an .fxb bank given to --state, from 0
    std::string editorPngPath; // the editor drawn headless; with -o, just before the note-off
    bool listParams = false;
    bool noClobber = false; // an existing file is refused instead of replaced
    LevelOptions levels;

    // Sound generation (cli/SoundBatch.h).
    std::string recipe; // an editor sound button; empty for none
    int mutations = 0;
    bool seedGiven = false;
    std::uint32_t seed = 0;
    int count = 1;
    bool saveStateBeside = false;
    std::string spritePath; // the batch in one audio file, with its map beside it
    double spriteGap = 0.1; // seconds of silence between the sounds of a sprite // --save-state without a
                            // file: a state beside each audio file
};

struct ParseOutcome
{
    enum Kind
    {
        Run,   // options are valid
        Done,  // help or version printed: exit successfully
        Failed // message holds the one-line problem
    } kind = Run;
    std::string message;
};

inline constexpr int kMinRate = 8000;
inline constexpr int kMaxRate = 384000;
inline constexpr int kMaxBlock = 65536;

ParseOutcome ParseRenderOptions(int argc, const char* const* argv, RenderOptions& options);
