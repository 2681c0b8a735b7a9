#include "cli/AudioFile.h"

#include "cli/ClosestNames.h"
#include "cli/OggStreamSerial.h"
#include "cli/PlatformFiles.h"
#include "cli/StagedFiles.h"

#include <sndfile.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace
{

// Reads the finished file back, gives its Ogg pages the renderer's fixed serial number and writes
// it again in place (the size does not change).
std::string FixOggSerial(int fd)
{
    const off_t size = lseek(fd, 0, SEEK_END);
    if (size < 0 || lseek(fd, 0, SEEK_SET) != 0) return std::strerror(errno);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    for (std::size_t done = 0; done < bytes.size();)
    {
        const ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
        if (got <= 0) return got < 0 ? std::strerror(errno) : "the file was cut short";
        done += static_cast<std::size_t>(got);
    }
    if (!SetOggStreamSerial(bytes, kRenderOggSerial)) return "the encoder wrote a malformed Ogg stream";
    for (std::size_t done = 0; done < bytes.size();)
    {
        const std::int64_t put =
            WriteAt(fd, bytes.data() + done, bytes.size() - done, static_cast<std::int64_t>(done));
        if (put <= 0) return put < 0 ? std::strerror(errno) : "the file could not be completed";
        done += static_cast<std::size_t>(put);
    }
    return {};
}

int SndFileFormat(AudioFormat format, SampleEncoding encoding)
{
    switch (format)
    {
    case AudioFormat::Wav:
        return SF_FORMAT_WAV | (encoding == SampleEncoding::Pcm8    ? SF_FORMAT_PCM_U8
                                : encoding == SampleEncoding::Pcm16 ? SF_FORMAT_PCM_16
                                : encoding == SampleEncoding::Pcm24 ? SF_FORMAT_PCM_24
                                                                    : SF_FORMAT_FLOAT);
    case AudioFormat::Flac:
        return SF_FORMAT_FLAC | (encoding == SampleEncoding::Pcm24 ? SF_FORMAT_PCM_24 : SF_FORMAT_PCM_16);
    case AudioFormat::Ogg:
        return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    }
    return 0;
}

} // namespace

std::optional<AudioFormat> ParseAudioFormat(std::string_view text)
{
    if (EqualsIgnoreCase(text, "wav")) return AudioFormat::Wav;
    if (EqualsIgnoreCase(text, "flac")) return AudioFormat::Flac;
    if (EqualsIgnoreCase(text, "ogg")) return AudioFormat::Ogg;
    return std::nullopt;
}

std::optional<AudioFormat> FormatFromExtension(std::string_view path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::nullopt;
    const std::string_view extension = path.substr(dot + 1);
    if (EqualsIgnoreCase(extension, "oga")) return AudioFormat::Ogg;
    return ParseAudioFormat(extension);
}

std::optional<SampleEncoding> ParseBits(std::string_view text)
{
    if (text == "8") return SampleEncoding::Pcm8;
    if (text == "16") return SampleEncoding::Pcm16;
    if (text == "24") return SampleEncoding::Pcm24;
    if (text == "32f") return SampleEncoding::Float32;
    return std::nullopt;
}

std::string WriteAudioFile(TemporaryFile& file, AudioFormat format, SampleEncoding encoding, int sampleRate,
                           int channels, const std::vector<double>& interleaved)
{
    const std::string& path = file.Destination();

    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = SndFileFormat(format, encoding);
    if (sf_format_check(&info) == 0)
        return CannotWrite(path, "the format does not support this sample rate or encoding");

    SNDFILE* sound = sf_open_fd(file.Fd(), SFM_WRITE, &info, SF_FALSE);
    if (sound == nullptr) return CannotWrite(path, sf_strerror(nullptr));
    // Integer formats saturate instead of wrapping samples beyond full scale.
    sf_command(sound, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    // The PEAK chunk carries a time stamp; without it the same render gives the same bytes every time.
    sf_command(sound, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
    const sf_count_t frames = static_cast<sf_count_t>(interleaved.size() / channels);
    const sf_count_t written = sf_writef_double(sound, interleaved.data(), frames);
    std::string error = written == frames ? std::string() : std::string(sf_strerror(sound));
    if (sf_close(sound) != 0 && error.empty()) error = "the file could not be completed";
    if (error.empty() && format == AudioFormat::Ogg) error = FixOggSerial(file.Fd());
    if (!error.empty()) return CannotWrite(path, error);
    return file.Close();
}
