#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class AudioFormat
{
    Wav,
    Flac,
    Ogg
};

enum class SampleEncoding
{
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

// Writes interleaved samples to `path` in one go. The file is written under a temporary name in the
// same directory and renamed into place only when everything succeeded, so a failed run never
// leaves a partial file behind (nor replaces an existing one). Returns an empty text on success,
// otherwise a one-line description of the problem.
std::string WriteAudioFile(const std::string& path, AudioFormat format, SampleEncoding encoding,
                           int sampleRate, int channels, const std::vector<double>& interleaved);

// Same temporary-file-then-rename rule for arbitrary bytes (saved states).
std::string WriteFileAtomically(const std::string& path, const void* data, std::size_t size);
