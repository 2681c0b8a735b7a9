#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TemporaryFile;

enum class AudioFormat
{
    Wav,
    Flac,
    Ogg
};

enum class SampleEncoding
{
    Pcm8, // unsigned, as 8-bit WAV stores it
    Pcm16,
    Pcm24,
    Float32,
    Vorbis
};

// The Vorbis encoder has no setup for higher sample rates; WAV and FLAC take every rate we offer.
inline constexpr int kMaxVorbisRate = 200000;

std::optional<AudioFormat> ParseAudioFormat(std::string_view text);
// The format named by the file's extension (.wav, .flac, .ogg or .oga, any case).
std::optional<AudioFormat> FormatFromExtension(std::string_view path);
std::optional<SampleEncoding> ParseBits(std::string_view text);

// Writes interleaved samples into a staged output file and closes it; moving it into place is left
// to the caller, so that a run with several outputs commits them together. Returns an empty text on
// success, otherwise a one-line description of the problem.
std::string WriteAudioFile(TemporaryFile& file, AudioFormat format, SampleEncoding encoding, int sampleRate,
                           int channels, const std::vector<double>& interleaved);
