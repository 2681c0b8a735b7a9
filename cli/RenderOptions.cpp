#include "cli/RenderOptions.h"

#include <filesystem>
#include <iterator>

#include "cli/ClosestNames.h"
#include "cli/NoteName.h"
#include "cli/SoundBatch.h"
#include "cli/Sprite.h"
#include "cli/StagedFiles.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdlib>
#include <iostream>
#include <sstream>

namespace
{

constexpr const char* kExamples = R"(Examples:
  brisbleep-render -o coin.wav
      the default patch, note A4 (69) at full velocity, held 1 s, 16-bit mono WAV at 44100 Hz
  brisbleep-render -o laser.flac --note C6 --length 0.3 --set "Osc1 Type=Square" --set "Pitch End=-1"
      a falling square wave, written as FLAC
  brisbleep-render -o hit.ogg --rate 48000 --channels 2 --set "White Level=0" --set 1=Off
      white noise only (parameters by name or by index), mono Ogg Vorbis at 48000 Hz
  brisbleep-render -o blip.wav --bits 32f --state blip.state --set "Output Gain=-3"
      a saved state with one change, as 32-bit float WAV
  brisbleep-render --set "Pitch Jump Delay=0.1" --set "Pitch Jump Transpose=12" --save-state jump.state
      only write the state after the settings (no audio file)
  brisbleep-render -o coin.wav --editor-png editor.png
      also draws the editor while the note is held (knobs, meters, the held key) into a PNG file
  brisbleep-render --recipe coin --count 8 --normalize -1 --trim --no-clobber -o sfx/
      eight coin sounds, each peaking at -1 dBFS without leading silence, never overwriting a file
  brisbleep-render --recipe blip --count 4 --loudness -23 --sprite ui.ogg
      four blips at -23 LUFS in one Ogg file, with the sprite map ui.json beside it
  brisbleep-render --state patch.fxp --save-json patch.json
      a VST2 program (also .fxb with --program N, .vstpreset, or the VST3 state) as JSON text
  brisbleep-render --state patch.json -o - | aplay
      a sound kept as JSON, played without a file
  brisbleep-render --list-params
      every parameter with its index, range, default, unit and value texts

Values are given in the parameter's own unit (dB, s, Hz, semitones...), which may follow the
number ("Output Gain=-3 dB"); a value shown as a range end counts as that end ("Filter LP
Resonance=0.707"); the two pitch notes also take note names ("Pitch High Note=C 7");
enumerations take their display text ("Osc1 Type=Square") or their number. A state file holds
the instrument's 484-byte state, optionally preceded by the 8-byte chunk header, or the state as
JSON text, or a plug-in preset (VST3 state, .vstpreset, .fxp, .fxb). The rendering
stops when every voice has finished and the output stays below -120 dBFS, or --max-tail seconds
after the note-off.
Every file ends with a short fade, silent in its last 2 ms.
On failure a one-line message goes to standard error, the exit status is 1, and no output file
is left behind; a batch keeps the files it finished and lists them. SIGINT and SIGTERM stop a
run cleanly, with exit status 130 or 143.)";

std::string Lowered(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// CLI11 reports the first problem in its own words; give it one line naming the option.
std::string OneLine(const std::string& text)
{
    std::string out = text;
    for (char& c : out)
        if (c == '\n') c = ' ';
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

// What each option that takes a number expects, for the message when its value is not one.
struct NumberExpectation
{
    const char* option;
    const char* expects;
};
constexpr NumberExpectation kNumberExpectations[] = {
    {"--rate", "a whole number of hertz from 8000 to 384000"},
    {"--block", "a whole number of frames from 1 to 65536"},
    {"--velocity", "a whole number from 1 to 127"},
    {"--length", "a number of seconds from 0 to 3600"},
    {"--max-tail", "a number of seconds from 0 to 3600"},
    {"--channels", "1 or 2"},
    {"--seed", "a whole number from 0 to 4294967295"},
    {"--mutate", "a whole number from 0 to 100000"},
    {"--count", "a whole number from 1 to 100000"},
    {"--normalize", "a peak level in dBFS from -96 to 0"},
    {"--loudness", "a loudness in LUFS from -70 to 0"},
    {"--trim", "a level in dBFS from -120 to 0"},
    {"--sprite-gap", "a number of seconds from 0 to 10"},
    {"--program", "a whole number from 0 (the first program of the bank)"},
};

// CLI11 names a value it could not convert as "Could not convert: --seed = abc" (or "seed");
// say instead what the option takes.
std::string ConversionMessage(const std::string& what)
{
    for (const NumberExpectation& e : kNumberExpectations)
    {
        const std::string bare = std::string(e.option).substr(2);
        const std::size_t at = what.find(": ");
        if (at == std::string::npos) continue;
        const std::size_t equals = what.find(" = ", at);
        const std::string name =
            what.substr(at + 2, equals == std::string::npos ? std::string::npos : equals - at - 2);
        if (name != e.option && name != bare) continue;
        std::string message = std::string(e.option) + " takes " + e.expects;
        if (equals != std::string::npos) message += ", not \"" + what.substr(equals + 3) + "\"";
        return message;
    }
    return {};
}

// For "The following argument was not expected: --lenght": the options closest to what was typed.
std::string UnexpectedArgumentMessage(const CLI::App& app, const std::string& what)
{
    const std::size_t colon = what.rfind(": ");
    if (colon == std::string::npos) return {};
    // The unexpected words, among them the option's values: the first that looks like an option.
    std::string name;
    std::istringstream words(what.substr(colon + 2));
    for (std::string word; name.empty() && words >> word;)
        if (word.size() > 1 && word[0] == '-' && !std::isdigit(static_cast<unsigned char>(word[1])))
            name = word.substr(0, word.find('='));
    if (name.empty()) return {};
    std::vector<std::string> options;
    for (const CLI::Option* option : app.get_options())
        for (const std::string& longName : option->get_lnames())
            options.push_back("--" + longName);
    options.push_back("--help");
    options.push_back("--version");
    std::string bare = name;
    while (!bare.empty() && bare.front() == '-')
        bare.erase(0, 1);
    const std::vector<std::string> close = ClosestNames("--" + bare, options);
    std::string message = "unknown option \"" + name + "\"";
    for (std::size_t i = 0; i < close.size(); ++i)
        message += (i == 0 ? " (did you mean \"" : " or \"") + close[i] + "\"";
    message += close.empty() ? "" : "?)";
    return message;
}

std::string UnknownFormat(const std::string& path)
{
    return "cannot tell the format of \"" + path +
           "\" from its extension: use .wav, .flac or .ogg, or --format";
}

} // namespace

namespace
{
// Whether two output paths lead to one file: the same text, or the same place once the parts that
// exist are resolved (links, "..", a directory given two ways).
bool SameFile(const std::string& a, const std::string& b)
{
    if (a.empty() || b.empty()) return false;
    if (a == b) return true;
    std::error_code ea, eb;
    const std::filesystem::path pa = std::filesystem::weakly_canonical(a, ea);
    const std::filesystem::path pb = std::filesystem::weakly_canonical(b, eb);
    return !ea && !eb && pa == pb;
}
} // namespace

ParseOutcome ParseRenderOptions(int argc, const char* const* argv, RenderOptions& options)
{
    CLI::App app{"brisbleep-render: plays one note of the Brisbleep instrument headless into an audio file.",
                 "brisbleep-render"};
    app.footer(kExamples);
    app.get_formatter()->column_width(34);
    app.set_version_flag("--version", "brisbleep-render " BRISBLEEP_VERSION);

    std::string format, bits, note;
    app.add_option("-o,--output", options.output,
                   "Audio file to write; the format follows the extension (.wav, .flac, .ogg); - writes to "
                   "standard output (WAV unless --format says otherwise)")
        ->type_name("FILE");
    app.add_option("--format", format, "Output format, overriding the extension: wav, flac or ogg")
        ->type_name("wav|flac|ogg");
    app.add_option("--bits", bits,
                   "Sample format: 8 (unsigned), 16, 24 or 32f (float) for WAV, 16 or 24 for FLAC [16]")
        ->type_name("8|16|24|32f");
    app.add_option("--rate", options.rate, "Sample rate in Hz, 8000 to 384000 (Ogg: to 200000) [44100]")
        ->type_name("HZ");
    app.add_option("--block", options.block, "Frames per processing block, 1 to 65536 [512]")->type_name("N");
    app.add_option("--note", note, "MIDI note: a number 0 to 127 or a name such as C4 (= 60), F#2, Bb5 [69]")
        ->type_name("NOTE");
    app.add_option("--velocity", options.velocity, "Note-on velocity, 1 to 127 [127]")->type_name("1-127");
    app.add_option("--length", options.length, "Seconds the note is held before its note-off [1]")
        ->type_name("SECONDS");
    app.add_option("--max-tail", options.maxTail,
                   "Longest time rendered after the note-off while voices still sound [10]")
        ->type_name("SECONDS");
    app.add_option("--channels", options.channels,
                   "1 (mono: the instrument's signal) or 2 (both outputs, the same signal) [1]")
        ->type_name("1|2");
    app.add_option("--set", options.settings,
                   "Set a parameter, by name or index, in its own unit; repeatable, applied in order")
        ->type_name("\"NAME=VALUE\"")
        ->allow_extra_args(false);
    app.add_option("--state", options.statePath, "Load a saved state before the --set changes")
        ->type_name("FILE");
    CLI::Option* saveState =
        app.add_option("--save-state", options.saveStatePath,
                       "Write the state after all settings are applied; without FILE, beside each audio file")
            ->type_name("[FILE]")
            ->expected(0, 1);
    app.add_option("--program", options.program, "With --state BANK.fxb: the program to load, from 0 [0]")
        ->type_name("N");
    app.add_option(
           "--save-json", options.saveJsonPath,
           "Write the state as JSON (every parameter by name, in its unit) once all settings are applied")
        ->type_name("FILE");
    app.add_flag("--print-state", options.printState,
                 "Print the state as JSON once all settings are applied");
    app.add_option("--sprite", options.spritePath,
                   "Render the batch into one audio file, with the howler.js sprite map (name -> start and "
                   "duration in ms) beside it as FILE.json")
        ->type_name("FILE");
    app.add_option("--sprite-gap", options.spriteGap,
                   "Seconds of silence between the sounds of a sprite [0.1]")
        ->type_name("SECONDS");
    AddGenerationOptions(app, options);
    app.add_option("--editor-png", options.editorPngPath,
                   "Draw the editor into a PNG file: after the settings, or with -o while the note is held")
        ->type_name("FILE");
    app.add_flag("--no-clobber", options.noClobber,
                 "Refuse to replace an existing file instead of overwriting it");
    double normalize = 0.0, loudness = 0.0;
    std::string trim;
    CLI::Option* normalizeOption =
        app.add_option("--normalize", normalize, "Bring the peak of each sound to DB dBFS, -96 to 0")
            ->type_name("DB");
    CLI::Option* loudnessOption =
        app.add_option("--loudness", loudness,
                       "Bring each sound to an integrated loudness (EBU R128) of LUFS, -70 to 0")
            ->type_name("LUFS");
    CLI::Option* trimOption =
        app.add_option("--trim", trim, "Remove the silence before the first sample at or above DB dBFS [-60]")
            ->type_name("[DB]")
            ->expected(0, 1);
    app.add_flag("--list-params", options.listParams,
                 "Print every parameter: index, name, range, default, unit and value texts");

    try
    {
        app.parse(argc, argv);
    }
    catch (const CLI::CallForHelp&)
    {
        std::cout << app.help();
        return {ParseOutcome::Done, {}};
    }
    catch (const CLI::CallForVersion& version)
    {
        std::cout << version.what() << '\n';
        return {ParseOutcome::Done, {}};
    }
    catch (const CLI::ConversionError& error)
    {
        std::string message = ConversionMessage(error.what());
        if (message.empty()) message = OneLine(error.what());
        return {ParseOutcome::Failed, message + " (see --help)"};
    }
    catch (const CLI::ExtrasError& error)
    {
        std::string message = UnexpectedArgumentMessage(app, error.what());
        if (message.empty()) message = OneLine(error.what());
        return {ParseOutcome::Failed, message + " (see --help)"};
    }
    catch (const CLI::ParseError& error)
    {
        std::string message = OneLine(error.what());
        return {ParseOutcome::Failed, message + " (see --help)"};
    }

    const auto fail = [](std::string message) {
        return ParseOutcome{ParseOutcome::Failed, std::move(message)};
    };

    if (options.listParams) return {};
    if (normalizeOption->count() > 0)
    {
        if (!std::isfinite(normalize) || normalize < -96.0 || normalize > 0.0)
            return fail("--normalize takes a peak level in dBFS from -96 to 0");
        options.levels.peakDb = normalize;
    }
    if (loudnessOption->count() > 0)
    {
        if (!std::isfinite(loudness) || loudness < -70.0 || loudness > 0.0)
            return fail("--loudness takes a loudness in LUFS from -70 to 0");
        if (options.levels.peakDb) return fail("--normalize and --loudness both set the level: give one");
        options.levels.loudnessLufs = loudness;
    }
    if (trimOption->count() > 0)
    {
        double level = kDefaultTrimDb;
        if (!trim.empty())
        {
            char* end = nullptr;
            level = std::strtod(trim.c_str(), &end);
            if (end == trim.c_str() || *end != '\0' || !std::isfinite(level) || level < -120.0 || level > 0.0)
                return fail("--trim takes a level in dBFS from -120 to 0, not \"" + trim + "\"");
        }
        options.levels.trimDb = level;
    }
    options.saveStateBeside = saveState->count() > 0 && options.saveStatePath.empty();
    if (const std::string problem = CheckGenerationOptions(options); !problem.empty()) return fail(problem);
    if (!options.spritePath.empty())
    {
        if (!options.output.empty()) return fail("--sprite writes the audio itself: leave out -o");
        if (options.saveStateBeside)
            return fail("--save-state beside the audio files does not apply to --sprite");
        if (!std::isfinite(options.spriteGap) || options.spriteGap < 0.0 || options.spriteGap > 10.0)
            return fail("--sprite-gap takes a number of seconds from 0 to 10");
        if (options.spritePath == kStandardOutput)
            return fail("--sprite needs a file: its map goes beside it");
    }
    if (options.output.empty() && options.saveStatePath.empty() && options.editorPngPath.empty() &&
        options.saveJsonPath.empty() && !options.printState && options.spritePath.empty())
        return fail("no output file given: use -o FILE (see --help)");
    if (options.program < -1 || (options.program >= 0 && options.statePath.empty()))
        return fail("--program picks a program of the bank given to --state, from 0");
    if (options.printState && IsStandardOutput(options.output))
        return fail("--print-state and -o - would both write to standard output: give -o a file");
    if (options.count > 1 && (options.printState || !options.saveJsonPath.empty()))
        return fail("--print-state and --save-json describe one sound: not with --count");
    const std::string spriteMap =
        options.spritePath.empty() ? std::string() : SpriteMapPath(options.spritePath);
    // Two outputs written to one file would leave only the last: refused before anything is rendered.
    const struct
    {
        const char* option;
        const std::string& path;
    } outputs[] = {{"-o", options.output},
                   {"--save-state", options.saveStatePath},
                   {"--save-json", options.saveJsonPath},
                   {"--editor-png", options.editorPngPath},
                   {"--sprite", options.spritePath},
                   {"the sprite map", options.spritePath.empty() ? options.spritePath : spriteMap}};
    for (std::size_t i = 0; i < std::size(outputs); ++i)
        for (std::size_t j = i + 1; j < std::size(outputs); ++j)
            if (!outputs[i].path.empty() && SameFile(outputs[i].path, outputs[j].path))
                return fail(std::string(outputs[i].option) + " and " + outputs[j].option +
                            " name the same file \"" + outputs[j].path + "\": give each output its own file");

    if (!format.empty())
    {
        const auto parsed = ParseAudioFormat(format);
        if (!parsed) return fail("unknown format \"" + format + "\": use wav, flac or ogg");
        options.format = *parsed;
    }
    else if (!options.spritePath.empty())
    {
        const auto fromName = FormatFromExtension(options.spritePath);
        if (!fromName) return fail(UnknownFormat(options.spritePath));
        options.format = *fromName;
    }
    else if (!options.output.empty() && !IsStandardOutput(options.output) && !IsOutputDirectory(options))
    {
        auto fromName = FormatFromExtension(options.output);
        std::error_code ec;
        // A device or a FIFO has no extension to tell the format: WAV, as on standard output.
        const auto kind = std::filesystem::status(options.output, ec).type();
        if (!fromName && kind != std::filesystem::file_type::regular &&
            kind != std::filesystem::file_type::directory && kind != std::filesystem::file_type::not_found &&
            kind != std::filesystem::file_type::none)
            fromName = AudioFormat::Wav;
        if (!fromName && !std::filesystem::exists(options.output, ec) &&
            std::filesystem::path(options.output).extension().empty())
            return fail("-o \"" + options.output +
                        "\" has no extension and there is no directory of that name: " +
                        "end it with / to write into a new directory, or use .wav, .flac or .ogg");
        if (!fromName) return fail(UnknownFormat(options.output));
        options.format = *fromName;
    }
    if (options.output == kStandardOutput && options.count > 1)
        return fail("-o - writes one sound to standard output: --count needs a pattern or a directory");

    if (!bits.empty())
    {
        const auto parsed = ParseBits(Lowered(bits));
        if (!parsed) return fail("unknown sample format \"" + bits + "\" for --bits: use 8, 16, 24 or 32f");
        if (options.format == AudioFormat::Ogg) return fail("--bits does not apply to Ogg Vorbis output");
        if (options.format == AudioFormat::Flac && *parsed == SampleEncoding::Float32)
            return fail("FLAC stores integers only: use --bits 16 or 24");
        if (options.format == AudioFormat::Flac && *parsed == SampleEncoding::Pcm8)
            return fail("8-bit samples are for WAV output: use --bits 16 or 24 for FLAC");
        options.encoding = *parsed;
    }
    if (options.format == AudioFormat::Ogg) options.encoding = SampleEncoding::Vorbis;

    if (options.rate < kMinRate || options.rate > kMaxRate)
        return fail("sample rate " + std::to_string(options.rate) +
                    " is out of range: use 8000 to 384000 Hz");
    if (options.format == AudioFormat::Ogg && options.rate > kMaxVorbisRate)
        return fail("Ogg Vorbis output takes at most 200000 Hz, not " + std::to_string(options.rate) +
                    ": use a lower --rate, or WAV or FLAC");
    if (options.block < 1 || options.block > kMaxBlock)
        return fail("block size " + std::to_string(options.block) +
                    " is out of range: use 1 to 65536 frames");
    if (!note.empty())
    {
        const auto parsed = ParseNote(note);
        if (!parsed)
            return fail("invalid note \"" + note + "\": use 0 to 127 or a name from C-1 to G9, such as C4");
        options.note = *parsed;
    }
    if (options.velocity < 1 || options.velocity > 127)
        return fail("velocity " + std::to_string(options.velocity) + " is out of range: use 1 to 127");
    if (!std::isfinite(options.length) || options.length < 0.0 || options.length > 3600.0)
        return fail("note length must be 0 to 3600 seconds");
    if (!std::isfinite(options.maxTail) || options.maxTail < 0.0 || options.maxTail > 3600.0)
        return fail("--max-tail must be 0 to 3600 seconds");
    if (std::llround(options.rate * (options.length + options.maxTail)) < 1)
        return fail("nothing to render: --length and --max-tail are both 0");
    if (options.channels != 1 && options.channels != 2)
        return fail("channel count " + std::to_string(options.channels) + " is not supported: use 1 or 2");
    return {};
}
