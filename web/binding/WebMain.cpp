// The page's module: the instrument behind the canvas, its state in the formats the renderer reads,
// and the export of the current sound as the renderer writes it.

#include "web/binding/Base64Url.h"
#include "web/binding/WebInstance.h"

#include "cli/AudioFile.h"
#include "cli/Render.h"
#include "cli/StagedFiles.h"
#include "cli/StateFile.h"

#include "editor/IGraphics.h"
#include "engine/Random.h"
#include "frame/IStateChunk.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace
{

// What the last call that produces bytes or an error left for the page to read.
struct Result
{
    std::vector<unsigned char> bytes;
    std::string error;
};

Result& LastResult()
{
    static Result result;
    return result;
}

int Succeed(const void* data, std::size_t size)
{
    Result& result = LastResult();
    const auto* bytes = static_cast<const unsigned char*>(data);
    result.bytes.assign(bytes, bytes + size);
    result.error.clear();
    return 1;
}

int Fail(std::string error)
{
    Result& result = LastResult();
    result.bytes.clear();
    result.error = std::move(error);
    return 0;
}

Brisbleep* Instrument()
{
    return WebInstrument().get();
}

bool ValidParam(int index)
{
    return Instrument() && index >= 0 && index < Instrument()->NParams();
}

std::vector<unsigned char> StateBytes(Brisbleep& instrument)
{
    IStateChunk chunk;
    if (!instrument.SaveState(chunk)) return {};
    const auto* data = reinterpret_cast<const unsigned char*>(chunk.Data());
    return std::vector<unsigned char>(data, data + chunk.Size());
}

// Staged files need a folder; the module's memory file system has /tmp.
constexpr const char* kScratchFile = "/tmp/brisbleep-export";

// Writes through a staged file, as the renderer does, and takes the finished bytes from it; the file
// itself goes with the staging.
template <typename Write> int ResultThroughFile(Write write)
{
    TemporaryFile file(kScratchFile);
    if (!file.OpenError().empty()) return Fail(file.OpenError());
    const std::string error = write(file);
    if (!error.empty()) return Fail(error);
    // The staged file gets the permissions the umask allows, which in the module's file system leave it
    // unreadable: make it readable to take the bytes back.
    chmod(file.Path().c_str(), 0600);
    std::vector<unsigned char> bytes;
    if (std::FILE* in = std::fopen(file.Path().c_str(), "rb"))
    {
        unsigned char buffer[65536];
        std::size_t count = 0;
        while ((count = std::fread(buffer, 1, sizeof buffer, in)) > 0)
            bytes.insert(bytes.end(), buffer, buffer + count);
        std::fclose(in);
    }
    if (bytes.empty()) return Fail("the file could not be read back");
    return Succeed(bytes.data(), bytes.size());
}

} // namespace

BB_EXPORT int bb_init()
{
    if (Instrument()) return 0;
    WebInstrument() = std::make_unique<Brisbleep>(OfflineHostContext{});
    Brisbleep& instrument = *Instrument();
    if (!instrument.editorGraphics) instrument.CreateEditor();
    if (!instrument.editorGraphics || !instrument.editorGraphics->OpenWindow(nullptr)) return 1;
    instrument.OnEditorOpen();
    return 0;
}

BB_EXPORT int bb_param_count()
{
    return Instrument() ? Instrument()->NParams() : 0;
}

BB_EXPORT const char* bb_param_name(int index)
{
    return ValidParam(index) ? Instrument()->GetParam(index)->Name() : "";
}

BB_EXPORT double bb_param_value(int index)
{
    return ValidParam(index) ? Instrument()->GetParam(index)->Value() : 0.0;
}

BB_EXPORT const char* bb_param_display(int index)
{
    static char text[kParameterTextSize];
    text[0] = '\0';
    if (ValidParam(index)) Instrument()->GetParam(index)->FormatCurrentValue(text);
    return text;
}

BB_EXPORT void bb_param_set(int index, double value)
{
    if (ValidParam(index)) Instrument()->SetParameterValue(index, value);
}

BB_EXPORT void bb_seed(unsigned seed)
{
    RandomSeed(seed);
}

BB_EXPORT const char* bb_state_to_text()
{
    static std::string text;
    text.clear();
    if (Instrument())
    {
        const std::vector<unsigned char> bytes = StateBytes(*Instrument());
        text = Base64UrlEncode(bytes.data(), bytes.size());
    }
    return text.c_str();
}

BB_EXPORT int bb_state_from_text(const char* text)
{
    if (!Instrument() || !text) return 0;
    const auto bytes = Base64UrlDecode(text);
    if (!bytes || bytes->size() != static_cast<std::size_t>(Brisbleep::kStateSize)) return 0;
    std::string error;
    return LoadStateBytes(*Instrument(), reinterpret_cast<const char*>(bytes->data()), bytes->size(), "link",
                          error)
               ? 1
               : 0;
}

BB_EXPORT int bb_state_load(const char* data, int size, const char* name)
{
    if (!Instrument()) return Fail("the instrument is not running");
    if (!data || size < 0) return Fail("no file");
    std::string error;
    if (!LoadStateBytes(*Instrument(), data, static_cast<std::size_t>(size), name && *name ? name : "file",
                        error))
        return Fail(error);
    return Succeed(nullptr, 0);
}

BB_EXPORT int bb_state_save()
{
    if (!Instrument()) return Fail("the instrument is not running");
    const std::vector<unsigned char> bytes = StateBytes(*Instrument());
    if (bytes.empty()) return Fail("the state could not be saved");
    return Succeed(bytes.data(), bytes.size());
}

BB_EXPORT int bb_state_save_json()
{
    if (!Instrument()) return Fail("the instrument is not running");
    const std::string text = StateText(*Instrument());
    return Succeed(text.data(), text.size());
}

BB_EXPORT int bb_export_wav(int note, double seconds, int rate, int bits)
{
    if (!Instrument()) return Fail("the instrument is not running");
    RenderOptions options;
    options.note = note;
    options.length = seconds;
    options.rate = rate;
    // 32 bits are floating point, as the renderer's "32f".
    const auto encoding = ParseBits(bits == 32 ? std::string("32f") : std::to_string(bits));
    if (note < 0 || note > 127) return Fail("the note must be 0 to 127");
    if (!(seconds >= 0.0 && seconds <= 60.0)) return Fail("the length must be 0 to 60 seconds");
    if (rate < 8000 || rate > 384000) return Fail("the rate must be 8000 to 384000 Hz");
    if (!encoding) return Fail("bits must be 8, 16, 24 or 32");
    options.encoding = *encoding;

    // A fresh instrument with the current state, as the renderer loads one; it plays the generator
    // from where it stands (a recipe's draws end there, as in the renderer), and the export leaves
    // it there, so exporting again gives the same file.
    const std::uint32_t generator = RandomState();
    const std::vector<unsigned char> state = StateBytes(*Instrument());
    auto player = std::make_unique<Brisbleep>(OfflineHostContext{});
    RandomState() = generator;
    std::string error;
    RenderResult result;
    const bool loaded =
        LoadStateBytes(*player, reinterpret_cast<const char*>(state.data()), state.size(), "state", error);
    if (loaded) result = RenderNote(*player, options);
    RandomState() = generator;
    if (!loaded) return Fail(error);
    ApplyLevels(result.interleaved, options.channels, options.rate, options.levels, error);
    if (!error.empty()) return Fail(error);
    return ResultThroughFile(
        [&](TemporaryFile& file)
        {
            return WriteAudioFile(file, AudioFormat::Wav, options.encoding, options.rate, options.channels,
                                  result.interleaved);
        });
}

BB_EXPORT const unsigned char* bb_result_data()
{
    return LastResult().bytes.data();
}

BB_EXPORT int bb_result_size()
{
    return static_cast<int>(LastResult().bytes.size());
}

BB_EXPORT const char* bb_result_error()
{
    return LastResult().error.c_str();
}

BB_EXPORT void* bb_alloc(int size)
{
    return std::malloc(size > 0 ? static_cast<std::size_t>(size) : 1);
}

BB_EXPORT void bb_free(void* pointer)
{
    std::free(pointer);
}
