#include "cli/SoundBatch.h"

#include "cli/AudioFile.h"
#include "cli/Levels.h"
#include "cli/ParamSettings.h"
#include "cli/Render.h"
#include "cli/Sprite.h"
#include "cli/StagedFiles.h"
#include "cli/StateFile.h"
#include "cli/StopSignal.h"

#include "editor/IEditorSnapshot.h"
#include "instrument/Brisbleep.h"

#include "engine/Random.h"

#include <CLI/CLI.hpp>

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <iomanip>
#include <memory>
#include <ostream>
#include <random>
#include <vector>

namespace
{

struct RecipeAction
{
    std::string_view name;
    void (Brisbleep::*action)();
};

// The editor's sound buttons, by the names the command line takes.
constexpr RecipeAction kRecipeActions[] = {
    {"coin", &Brisbleep::CoinRecipe},       {"shoot", &Brisbleep::ShootRecipe},
    {"powerup", &Brisbleep::PowerupRecipe}, {"hit", &Brisbleep::HitRecipe},
    {"jump", &Brisbleep::JumpRecipe},       {"blip", &Brisbleep::BlipRecipe},
    {"blade", &Brisbleep::BladeRecipe},     {"random", &Brisbleep::RandomSound},
    {"reset", &Brisbleep::ResetToInitial},
};

// Names users of other sound-effect generators type for the same buttons.
struct RecipeAlias
{
    std::string_view alias;
    std::string_view name;
};
constexpr RecipeAlias kRecipeAliases[] = {{"laser", "shoot"}, {"pickup", "coin"}, {"select", "blip"}};

// The recipe a typed name means: any case, or an alias; unknown names are returned as typed so
// that the check can name them.
std::string CanonicalRecipe(const std::string& typed)
{
    std::string lowered(typed);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const RecipeAlias& a : kRecipeAliases)
        if (lowered == a.alias) return std::string(a.name);
    for (const RecipeAction& a : kRecipeActions)
        if (lowered == a.name) return lowered;
    return typed;
}

constexpr int kMaxCount = 100000;
constexpr int kMaxMutations = 100000;

std::string_view ExtensionOf(AudioFormat format)
{
    switch (format)
    {
    case AudioFormat::Flac:
        return ".flac";
    case AudioFormat::Ogg:
        return ".ogg";
    case AudioFormat::Wav:
        break;
    }
    return ".wav";
}

struct FileSummary
{
    std::string path;
    std::uint32_t seed;
    double seconds;
    double peak;
};

std::string Decibels(double level)
{
    if (level <= 0.0) return "-inf dBFS";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f dBFS", 20.0 * std::log10(level));
    return text;
}

std::vector<const IParameter*> Parameters(const Brisbleep& instrument)
{
    std::vector<const IParameter*> params;
    for (int i = 0; i < instrument.NParams(); ++i)
        params.push_back(instrument.GetParam(i));
    return params;
}

// One variation: the instrument built afresh, the loaded state, the seeded generator, the recipe,
// the mutations and finally the --set changes, which therefore always win.
bool PrepareVariation(Brisbleep& instrument, const RenderOptions& options, std::uint32_t seed,
                      std::string& error)
{
    if (!options.statePath.empty() && !LoadStateFile(instrument, options.statePath, error, options.program))
        return false;
    RandomSeed(seed);
    if (!options.recipe.empty()) RunRecipeAction(instrument, options.recipe);
    for (int i = 0; i < options.mutations; ++i)
        instrument.MutateSound();
    const std::vector<const IParameter*> params = Parameters(instrument);
    for (const std::string& setting : options.settings)
    {
        const auto assignment = ParseAssignment(setting, params, error);
        if (!assignment) return false;
        instrument.SetParameterValue(assignment->index, assignment->value);
    }
    return true;
}

} // namespace

void AddGenerationOptions(CLI::App& app, RenderOptions& options)
{
    app.add_option(
           "--recipe", options.recipe,
           "Make the sound with an editor button first: coin, shoot, powerup, hit, jump, blip, blade, "
           "random or reset, in any case; laser, pickup and select also name shoot, coin and blip "
           "(--set changes apply after it)")
        ->type_name(RecipeNames())
        ->transform([](const std::string& typed) { return CanonicalRecipe(typed); });
    app.add_option("--mutate", options.mutations, "Mutate the sound K times after the recipe [0]")
        ->type_name("K");
    app.add_option("--seed", options.seed,
                   "Seed the generator behind recipes, mutations and noise, for repeatable sounds "
                   "[the clock, printed]")
        ->type_name("N")
        ->each([&options](const std::string&) { options.seedGiven = true; });
    app.add_option("--count", options.count,
                   "Render N variations (seeds N, N+1, ...); -o is then a pattern such as coin_%03d.wav "
                   "or a directory [1]")
        ->type_name("N");
}

std::string CheckGenerationOptions(const RenderOptions& options)
{
    if (!options.recipe.empty() &&
        std::none_of(std::begin(kRecipeActions), std::end(kRecipeActions),
                     [&](const RecipeAction& a) { return a.name == options.recipe; }))
        return "unknown recipe \"" + options.recipe + "\": use " + RecipeNames();
    if (options.mutations < 0 || options.mutations > kMaxMutations)
        return "--mutate must be 0 to " + std::to_string(kMaxMutations);
    if (options.count < 1 || options.count > kMaxCount)
        return "--count must be 1 to " + std::to_string(kMaxCount);
    if (options.saveStateBeside && options.output.empty())
        return "--save-state without a file name saves beside the audio files: give -o";
    if (options.count > 1 && !options.saveStatePath.empty())
        return "with --count, states go beside each audio file: give --save-state without a file name";
    if (options.count > 1 && options.output.empty() && options.spritePath.empty())
        return "--count needs -o (a pattern or a directory) or --sprite";
    return {};
}

bool UsesGeneration(const RenderOptions& options)
{
    return !options.recipe.empty() || options.mutations > 0 || options.seedGiven || options.count > 1 ||
           options.saveStateBeside || IsOutputDirectory(options) || !options.spritePath.empty() ||
           options.output.find('%') != std::string::npos;
}

bool RunRecipeAction(Brisbleep& instrument, std::string_view name)
{
    for (const RecipeAction& a : kRecipeActions)
    {
        if (a.name != name) continue;
        (instrument.*a.action)();
        return true;
    }
    return false;
}

std::string RecipeNames()
{
    std::string names;
    for (const RecipeAction& a : kRecipeActions)
    {
        if (!names.empty()) names += '|';
        names += a.name;
    }
    return names;
}

bool IsOutputDirectory(const RenderOptions& options)
{
    const std::string& output = options.output;
    if (output.empty()) return false;
    if (output.back() == '/') return true;
    std::error_code ec;
    return options.count > 1 && std::filesystem::is_directory(output, ec);
}

std::optional<OutputNames> OutputNames::Parse(const RenderOptions& options, std::string& error)
{
    const std::string& output = options.output;
    const std::string& recipe = options.recipe;
    OutputNames names;
    if (IsOutputDirectory(options))
    {
        std::string dir = output;
        if (dir.back() != '/') dir += '/';
        names.prefix_ = dir + (recipe.empty() ? "sound" : recipe) + "_";
        names.suffix_ = std::string(ExtensionOf(options.format));
        names.width_ = 3;
        names.zeroPad_ = true;
        names.numbered_ = true;
        return names;
    }
    // Only "%%" and one integer field "%d", "%Nd" or "%0Nd" are accepted: the pattern is never
    // handed to printf, so no other conversion can read what is not there.
    std::string* part = &names.prefix_;
    for (std::size_t i = 0; i < output.size(); ++i)
    {
        const char c = output[i];
        if (c != '%')
        {
            *part += c;
            continue;
        }
        if (i + 1 < output.size() && output[i + 1] == '%')
        {
            *part += '%';
            ++i;
            continue;
        }
        if (names.numbered_)
        {
            error = "output pattern \"" + output + "\" has more than one number field";
            return std::nullopt;
        }
        std::size_t j = i + 1;
        if (j < output.size() && output[j] == '0')
        {
            names.zeroPad_ = true;
            ++j;
        }
        if (j < output.size() && output[j] >= '1' && output[j] <= '9') names.width_ = output[j++] - '0';
        if (j >= output.size() || output[j] != 'd')
        {
            error = "output pattern \"" + output + "\" must number files with %d, %3d or %03d";
            return std::nullopt;
        }
        names.numbered_ = true;
        part = &names.suffix_;
        i = j;
    }
    return names;
}

std::string OutputNames::Name(int number) const
{
    if (!numbered_) return prefix_;
    std::string digits = std::to_string(number);
    if (static_cast<int>(digits.size()) < width_)
        digits.insert(0, static_cast<std::size_t>(width_) - digits.size(), zeroPad_ ? '0' : ' ');
    return prefix_ + digits + suffix_;
}

std::string StatePathBeside(const std::string& audioPath)
{
    std::filesystem::path path(audioPath);
    path.replace_extension(".state");
    return path.string();
}

bool GeneratorUsedSince(std::uint32_t seed)
{
    // Three draws of 15 bits: a generator that moved on matches a fresh one by chance once in 2^45.
    int next[3];
    for (int& value : next)
        value = RandomInt();
    RandomSeed(seed);
    for (int value : next)
        if (RandomInt() != value) return true;
    return false;
}

void PrintRandomSeed(std::ostream& out, std::uint32_t seed)
{
    out << "seed " << seed << " (random; --seed " << seed << " repeats it)\n";
}

namespace
{

void PrintSounds(std::ostream& out, const std::vector<FileSummary>& written)
{
    for (const FileSummary& file : written)
        out << "  " << file.path << "  " << std::fixed << std::setprecision(3) << file.seconds << " s  peak "
            << Decibels(file.peak) << "  seed " << file.seed << '\n';
}

void PrintSummary(std::ostream& out, const std::vector<FileSummary>& written, int asked)
{
    out << "wrote " << written.size();
    if (static_cast<int>(written.size()) != asked) out << " of " << asked;
    out << (asked == 1 ? " file" : " files") << (written.empty() ? "\n" : ":\n");
    PrintSounds(out, written);
}

// The name of sound `number` of a sprite: the recipe (or "sound") and three digits.
std::string SpriteSoundName(const std::string& recipe, int number)
{
    std::string digits = std::to_string(number);
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    return (recipe.empty() ? "sound" : recipe) + "_" + digits;
}

} // namespace

int RunGeneration(const RenderOptions& options, std::ostream& out, std::ostream& err)
{
    std::vector<FileSummary> written;
    bool progressShown = false;
    // Every way out says how many files were written: a batch that stops early keeps its finished
    // files, so the user must know which ones they are.
    const auto finish = [&](int status)
    {
        if (progressShown) err << "\r\033[K" << std::flush;
        if (status != 0 || !written.empty()) PrintSummary(out, written, options.count);
        return status;
    };
    const auto fail = [&](const std::string& message)
    {
        if (progressShown) err << "\r\033[K";
        err << "brisbleep-render: " << message << '\n';
        progressShown = false;
        return written.empty() ? 1 : finish(1);
    };
    const auto stop = [&]
    {
        if (progressShown) err << "\r\033[K";
        progressShown = false;
        err << "brisbleep-render: stopped by " << StopSignalName(StopSignal()) << '\n';
        return finish(StopStatus(StopSignal()));
    };

    std::string error;
    std::optional<OutputNames> names;
    if (!options.output.empty())
    {
        names = OutputNames::Parse(options, error);
        if (!names) return fail(error);
        if (options.count > 1 && !names->Numbered())
        {
            std::error_code ec;
            if (!std::filesystem::exists(options.output, ec) &&
                std::filesystem::path(options.output).extension().empty())
                return fail("there is no directory \"" + options.output +
                            "\": end -o with / to create it, or give a pattern such as coin_%03d.wav");
            return fail("with --count " + std::to_string(options.count) +
                        ", -o needs a number field (coin_%03d.wav) or a directory");
        }
        if (IsOutputDirectory(options))
        {
            std::error_code ec;
            std::filesystem::create_directories(options.output, ec);
            if (ec) return fail("cannot create directory \"" + options.output + "\": " + ec.message());
        }
    }

    // Every output is checked before the first render, so that a path that cannot be written is
    // reported at once.
    const auto statePathOf = [&options](const std::string& path)
    { return options.saveStateBeside ? StatePathBeside(path) : options.saveStatePath; };
    for (int i = 0; i < options.count; ++i)
    {
        const std::string path = names ? names->Name(i + 1) : std::string();
        if (!path.empty() && !(error = CheckCanCreate(path, options.noClobber)).empty()) return fail(error);
        const std::string statePath = statePathOf(path);
        if (!statePath.empty() && !(error = CheckCanCreate(statePath, options.noClobber)).empty())
            return fail(error);
    }
    std::optional<AudioSprite> sprite;
    std::vector<FileSummary> spriteSounds; // written only with the sprite, at the end
    if (!options.spritePath.empty())
    {
        sprite.emplace(options.channels, options.rate, options.spriteGap);
        for (const std::string& path : {options.spritePath, SpriteMapPath(options.spritePath)})
            if (!(error = CheckCanCreate(path, options.noClobber)).empty()) return fail(error);
    }
    StagedFiles editorFiles(options.noClobber);
    TemporaryFile* editorPng = nullptr;
    if (!options.editorPngPath.empty() && !(editorPng = editorFiles.Add(options.editorPngPath, error)))
        return fail(error);

    // Without --seed the seed comes from the system's entropy source: two runs in the same second
    // must not make the same "random" sounds.
    const std::uint32_t seed = options.seedGiven ? options.seed : std::random_device{}();
    if (!options.seedGiven) PrintRandomSeed(out, seed);

    const bool showProgress = options.count > 1 && isatty(STDERR_FILENO);
    for (int i = 0; i < options.count; ++i)
    {
        if (StopSignal() != 0) return stop();
        const std::uint32_t variationSeed = seed + static_cast<std::uint32_t>(i);
        const std::string path = names    ? names->Name(i + 1)
                                 : sprite ? SpriteSoundName(options.recipe, i + 1)
                                          : std::string();
        if (showProgress)
        {
            err << "\rrendering " << (i + 1) << "/" << options.count << "  " << path << std::flush;
            progressShown = true;
        }

        auto instrument = std::make_unique<Brisbleep>(OfflineHostContext{});
        if (!PrepareVariation(*instrument, options, variationSeed, error)) return fail(error);

        // The state and the audio of one variation appear together, as soon as both are written.
        StagedFiles files(options.noClobber);
        const std::string statePath = statePathOf(path);
        TemporaryFile* state = statePath.empty() ? nullptr : files.Add(statePath, error);
        if (!statePath.empty() && (!state || !SaveStateFile(*instrument, *state, error))) return fail(error);
        TemporaryFile* json = options.saveJsonPath.empty() ? nullptr : files.Add(options.saveJsonPath, error);
        if (!options.saveJsonPath.empty() && (!json || !SaveStateTextFile(*instrument, *json, error)))
            return fail(error);
        if (options.printState) out << StateText(*instrument);

        // The editor is drawn as the last variation leaves it, while its note still sounds.
        const bool drawEditor = editorPng && i == options.count - 1;
        bool drawn = false;
        std::function<void()> beforeNoteOff;
        if (drawEditor)
            beforeNoteOff = [&]
            {
                error = WriteStagedEditorPng(*instrument->editorGraphics, *editorPng);
                drawn = true;
            };
        if (path.empty() && !sprite)
        {
            if (drawEditor) beforeNoteOff();
            if (!error.empty()) return fail(error);
            if (!(error = files.CommitAll()).empty()) return fail(error);
            continue;
        }

        RenderResult result = RenderNote(*instrument, options, beforeNoteOff);
        if (result.stopped) return stop();
        if (drawEditor && !drawn) beforeNoteOff(); // the render ended before the note-off
        if (!error.empty()) return fail(error);
        const std::string levelNote =
            ApplyLevels(result.interleaved, options.channels, options.rate, options.levels, error);
        if (!error.empty()) return fail(error);
        if (!levelNote.empty())
            err << (progressShown ? "\r\033[K" : "") << "brisbleep-render: note: \"" << path << "\" "
                << levelNote << '\n';
        const double seconds =
            static_cast<double>(result.interleaved.size()) / options.channels / options.rate;
        if (sprite)
        {
            sprite->Append(path, result.interleaved);
            spriteSounds.push_back({path, variationSeed, seconds, Peak(result.interleaved)});
            if (!(error = files.CommitAll()).empty()) return fail(error);
            continue;
        }
        TemporaryFile* audio = files.Add(path, error);
        if (!audio) return fail(error);
        error = WriteAudioFile(*audio, options.format, options.encoding, options.rate, options.channels,
                               result.interleaved);
        if (error.empty()) error = files.CommitAll();
        if (StopSignal() != 0 && !error.empty()) return stop();
        if (!error.empty()) return fail(error);
        written.push_back({path, variationSeed, seconds, Peak(result.interleaved)});
    }
    if (sprite)
    {
        // The sprite and its map appear together, once every sound is in.
        StagedFiles spriteFiles(options.noClobber);
        const std::string mapPath = SpriteMapPath(options.spritePath);
        TemporaryFile* audio = spriteFiles.Add(options.spritePath, error);
        TemporaryFile* map = audio ? spriteFiles.Add(mapPath, error) : nullptr;
        if (!map) return fail(error);
        error = WriteAudioFile(*audio, options.format, options.encoding, options.rate, options.channels,
                               sprite->Samples());
        const std::string text = sprite->Map(std::filesystem::path(options.spritePath).filename().string());
        if (error.empty()) error = WriteBytes(*map, text.data(), text.size());
        if (error.empty()) error = map->Close();
        if (error.empty()) error = spriteFiles.CommitAll();
        if (!error.empty()) return StopSignal() != 0 ? stop() : fail(error);
        if (progressShown) err << "\r\033[K" << std::flush;
        progressShown = false;
        out << "wrote " << options.spritePath << " and its map " << mapPath << " with " << sprite->Count()
            << (sprite->Count() == 1 ? " sound" : " sounds") << ":\n";
        PrintSounds(out, spriteSounds);
    }
    error = editorFiles.CommitAll();
    if (!error.empty()) return fail(error);
    if (StopSignal() != 0) return stop();
    return finish(0);
}
