#pragma once

// Sound generation in brisbleep-render: a recipe (the editor's buttons), mutations and a seeded
// generator, rendered once or as a numbered batch of variations.

#include "cli/RenderOptions.h"

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace CLI
{
class App;
}

class Brisbleep;

// Registers --recipe, --mutate, --seed and --count.
void AddGenerationOptions(CLI::App& app, RenderOptions& options);
// Checks them once parsed; the one-line problem, or an empty text.
std::string CheckGenerationOptions(const RenderOptions& options);

// True when the run needs the generation path: a recipe, mutations, a seed, several files, or
// states saved beside the audio files.
bool UsesGeneration(const RenderOptions& options);

// Whether -o names a directory in which the files are named after the recipe: a path ending in '/',
// or an existing directory when several files are asked for. A single file written over an existing
// directory stays an error, as for any output that cannot be written.
bool IsOutputDirectory(const RenderOptions& options);

// Runs the editor action of a recipe name (coin, shoot, powerup, hit, jump, blip, blade, random,
// reset); false for an unknown name.
bool RunRecipeAction(Brisbleep& instrument, std::string_view name);
// The recipe names, separated by '|'.
std::string RecipeNames();

// Where the files of a batch go: a printf-like pattern with one integer field ("coin_%03d.wav"),
// or a directory, in which files are named after the recipe.
class OutputNames
{
public:
    // Parses -o; nothing and a one-line error for a malformed pattern.
    static std::optional<OutputNames> Parse(const RenderOptions& options, std::string& error);
    // The name of file `number` (counted from 1).
    std::string Name(int number) const;
    // Whether names differ by number (a pattern field or a directory).
    bool Numbered() const { return numbered_; }

private:
    std::string prefix_;
    std::string suffix_;
    int width_ = 0;
    bool zeroPad_ = false;
    bool numbered_ = false;
};

// The saved state beside an audio file: the same name with ".state" in place of the extension.
std::string StatePathBeside(const std::string& audioPath);

// Whether the engine's generator has drawn a number since it was seeded with `seed` (it compares
// the next draws with those of a fresh generator, which moves the generator on).
bool GeneratorUsedSince(std::uint32_t seed);
// "seed N (random; --seed N repeats it)".
void PrintRandomSeed(std::ostream& out, std::uint32_t seed);

// Renders every requested variation. Variation i (from 0) is made on a freshly built instrument
// whose generator is seeded with seed + i, so each file can be made again on its own with
// --seed (seed + i). Each file (with its state) is moved into place as soon as it is finished. Prints
// the seed when it was not given, a progress line on a terminal and a summary of the files written,
// also when a failure or a stop signal ends the batch early. Returns the exit status: 0 when every
// file was written, 1 after a failure, 128 + the signal number after a stop signal.
int RunGeneration(const RenderOptions& options, std::ostream& out, std::ostream& err);
