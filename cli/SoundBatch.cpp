#include "cli/SoundBatch.h"

#include "cli/AudioFile.h"
#include "cli/ParamSettings.h"
#include "cli/Render.h"
#include "cli/StagedFiles.h"
#include "cli/StateFile.h"

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

double PeakOf(const std::vector<double>& samples)
{
    double peak = 0.0;
    for (double s : samples)
        peak = std::max(peak, std::abs(s));
    return peak;
}

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
    if (!options.statePath.empty() && !LoadStateFile(instrument, options.statePath, error)) return false;
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
    if (options.count > 1 && options.output.empty()) return "--count needs -o (a pattern or a directory)";
    return {};
}

bool UsesGeneration(const RenderOptions& options)
{
    return !options.recipe.empty() || options.mutations > 0 || options.seedGiven || options.count > 1 ||
           options.saveStateBeside || IsOutputDirectory(options) ||
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

int RunGeneration(const RenderOptions& options, std::ostream& out, std::ostream& err)
{
    const auto fail = [&err](const std::string& message)
    {
        err << "brisbleep-render: " << message << '\n';
        return 1;
    };

    std::string error;
    std::optional<OutputNames> names;
    if (!options.output.empty())
    {
        names = OutputNames::Parse(options, error);
        if (!names) return fail(error);
        if (options.count > 1 && !names->Numbered())
            return fail("with --count " + std::to_string(options.count) +
                        ", -o needs a number field (coin_%03d.wav) or a directory");
        if (IsOutputDirectory(options))
        {
            std::error_code ec;
            std::filesystem::create_directories(options.output, ec);
            if (ec) return fail("cannot create directory \"" + options.output + "\": " + ec.message());
        }
    }

    // Every output is checked before the first render, so that a path that cannot be written is
    // reported at once; the files are kept under temporary names and appear together only when the
    // whole batch succeeded.
    const auto statePathOf = [&options](const std::string& path)
    { return options.saveStateBeside ? StatePathBeside(path) : options.saveStatePath; };
    for (int i = 0; i < options.count; ++i)
    {
        const std::string path = names ? names->Name(i + 1) : std::string();
        if (!path.empty() && !(error = CheckCanCreate(path)).empty()) return fail(error);
        const std::string statePath = statePathOf(path);
        if (!statePath.empty() && !(error = CheckCanCreate(statePath)).empty()) return fail(error);
    }
    StagedFiles files;
    TemporaryFile* editorPng = nullptr;
    if (!options.editorPngPath.empty() && !(editorPng = files.Add(options.editorPngPath, error)))
        return fail(error);

    // Without --seed the seed comes from the system's entropy source: two runs in the same second
    // must not make the same "random" sounds.
    const std::uint32_t seed = options.seedGiven ? options.seed : std::random_device{}();
    if (!options.seedGiven) out << "seed " << seed << " (random; --seed " << seed << " repeats it)\n";

    const bool showProgress = options.count > 1 && isatty(STDERR_FILENO);
    std::vector<FileSummary> written;
    for (int i = 0; i < options.count; ++i)
    {
        const std::uint32_t variationSeed = seed + static_cast<std::uint32_t>(i);
        const std::string path = names ? names->Name(i + 1) : std::string();
        if (showProgress)
            err << "\rrendering " << (i + 1) << "/" << options.count << "  " << path << std::flush;

        auto instrument = std::make_unique<Brisbleep>(OfflineHostContext{});
        if (!PrepareVariation(*instrument, options, variationSeed, error)) return fail(error);

        const std::string statePath = statePathOf(path);
        TemporaryFile* state = statePath.empty() ? nullptr : files.Add(statePath, error);
        if (!statePath.empty() && (!state || !SaveStateFile(*instrument, *state, error))) return fail(error);

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
        if (path.empty())
        {
            if (drawEditor) beforeNoteOff();
            if (!error.empty()) return fail(error);
            continue;
        }

        const RenderResult result = RenderNote(*instrument, options, beforeNoteOff);
        if (drawEditor && !drawn) beforeNoteOff(); // the render ended before the note-off
        if (!error.empty()) return fail(error);
        TemporaryFile* audio = files.Add(path, error);
        if (!audio) return fail(error);
        error = WriteAudioFile(*audio, options.format, options.encoding, options.rate, options.channels,
                               result.interleaved);
        if (!error.empty()) return fail(error);
        const double frames = static_cast<double>(result.interleaved.size()) / options.channels;
        written.push_back({path, variationSeed, frames / options.rate, PeakOf(result.interleaved)});
    }
    error = files.CommitAll();
    if (!error.empty()) return fail(error);
    if (showProgress) err << "\r\033[K" << std::flush;

    out << "wrote " << written.size() << (written.size() == 1 ? " file" : " files") << ":\n";
    for (const FileSummary& file : written)
        out << "  " << file.path << "  " << std::fixed << std::setprecision(3) << file.seconds << " s  peak "
            << Decibels(file.peak) << "  seed " << file.seed << '\n';
    return 0;
}
