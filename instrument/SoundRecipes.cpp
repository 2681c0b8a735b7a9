#include "instrument/SoundRecipes.h"

#include "instrument/ParamLayoutSpec.h"

#include "engine/Random.h"

#include <array>
#include <cmath>

namespace
{

// One cell of the recipe table: how one recipe sets one parameter.
struct RecipeCell
{
    enum Kind
    {
        Minimum, // normalised 0, no draw
        Maximum, // normalised 1, no draw
        Range,   // RandomInRange (lo, hi)
        Choice   // a draw u first; u < threshold: Range (lo, hi), else Range (otherLo, otherHi)
    } kind;
    double lo = 0.0;
    double hi = 0.0;
    double threshold = 0.0;
    double otherLo = 0.0;
    double otherHi = 0.0;
};

constexpr RecipeCell kMin{RecipeCell::Minimum};
constexpr RecipeCell kMax{RecipeCell::Maximum};
constexpr RecipeCell To(double lo, double hi)
{
    return {RecipeCell::Range, lo, hi};
}
constexpr RecipeCell Is(double value)
{
    return To(value, value);
}
constexpr RecipeCell Choose(double threshold, RecipeCell below, RecipeCell above)
{
    return {RecipeCell::Choice, below.lo, below.hi, threshold, above.lo, above.hi};
}

constexpr double kMinResonance = 0.7071067811865476;
constexpr int kWhiteLevelIdx = 7;

struct RecipeRow
{
    int paramIdx;
    std::array<RecipeCell, kSoundRecipeCount> cells; // Coin, Shoot, Powerup, Hit, Jump, Blip, Blade
};

// Assignments run row by row, so this order is also the order of the draws and of the changes the
// host receives.
const RecipeRow kRecipeTable[] = {
    {1, {Is(2), To(2, 4), Choose(0.5, Is(2), Is(4)), To(3, 4), Is(3), To(3, 4), Is(0)}},
    {4, {kMax, kMax, kMax, kMax, kMax, kMax, kMin}},
    {7, {kMin, kMin, kMin, kMin, kMin, kMin, kMax}},
    {8, {kMin, kMin, kMin, kMin, kMin, kMin, kMin}},
    {18, {kMax, To(0.01, 0.5), To(0.01, 0.5), To(0.01, 0.5), To(0.01, 0.5), To(0.01, 0.5), kMax}},
    {24, {kMax, kMax, kMax, kMax, kMax, kMax, kMax}},
    {27, {kMax, kMax, kMax, kMax, kMax, kMax, kMax}},
    {28, {kMax, kMax, kMax, kMax, kMax, kMax, kMax}},
    {29,
     {To(0.001, 0.2), To(0.001, 0.2), To(0.001, 0.2), To(0.001, 0.2), To(0.001, 0.2), To(0.001, 0.2),
      To(0.001, 0.2)}},
    {30, {To(0.001, 0.4), To(0.001, 0.4), To(0.001, 0.4), To(0.001, 0.2), kMin, kMin, To(0.001, 0.4)}},
    {31,
     {To(0.001, 0.4), To(0.1, 0.8), To(0.001, 0.4), To(0.001, 0.2), To(0.001, 0.2), To(0.001, 0.2),
      To(0.001, 0.4)}},
    {32, {kMin, kMin, To(0.001, 1), kMin, kMax, kMax, kMin}},
    {33,
     {To(0.03, 0.3), To(0.03, 0.3), To(0.02, 0.3), To(0.03, 0.2), To(0.03, 0.2), To(0.03, 0.2),
      To(0.03, 0.3)}},
    {36, {Is(1), To(0.1, 0.5), To(0.1, 3), To(0.1, 0.3), To(0.1, 0.3), Is(1), Is(0.1)}},
    {37, {Is(0), Is(0), Is(0), Is(0), Is(0), Is(0), Is(0)}},
    {38, {Is(0), To(-0.5, 0), To(0, 1), To(-0.5, 0), To(0.1, 1), Is(0), Is(0)}},
    {39, {Is(1), To(0.125, 8), To(0.125, 8), To(0.125, 8), To(0.125, 8), Is(1), Is(1)}},
    {42, {To(-1, 1), To(-1, 1), To(-1, 1), To(-1, 1), To(-1, 1), To(-1, 1), To(-1, 1)}},
    {45, {To(-1, 1), To(-1, 1), To(-1, 1), To(-1, 1), To(-1, 1), To(-1, 1), To(-1, 1)}},
    {40,
     {kMax, Is(22050), To(1000, 22050), To(8000, 22050), To(8000, 22050), To(8000, 22050), To(200, 8000)}},
    {41,
     {kMin, kMin, To(kMinResonance, 6), To(kMinResonance, 6), kMin, To(kMinResonance, 6),
      To(kMinResonance, 6)}},
    {43, {kMin, To(0, 800), To(800, 22050), To(0, 800), kMin, To(0, 800), To(0, 800)}},
    {44,
     {kMin, kMin, To(kMinResonance, 6), To(kMinResonance, 6), kMin, To(kMinResonance, 6),
      To(kMinResonance, 6)}},
    {51,
     {To(0.001, 10), To(0.001, 10), To(0.001, 0.2), To(0.001, 0.2), To(0.001, 0.2), To(0.001, 0.2),
      To(0.001, 0.2)}},
    {52,
     {To(0.001, 10), To(0.001, 10), To(0.001, 0.4), To(0.001, 0.4), To(0.001, 0.2), To(0.001, 0.2),
      To(0.001, 0.4)}},
    {53,
     {To(0.001, 10), To(0.001, 10), To(0.001, 0.4), To(0.001, 0.4), To(0.001, 0.2), To(0.001, 0.2),
      To(0.001, 0.4)}},
    {54, {To(0.001, 1), To(0.001, 1), To(0.001, 1), To(0.001, 1), To(0.001, 1), To(0.001, 1), To(0.001, 1)}},
    {55,
     {To(0.001, 10), To(0.001, 10), To(0.001, 0.3), To(0.001, 0.3), To(0.001, 0.2), To(0.001, 0.2),
      To(0.03, 0.3)}},
    {46, {Is(0.3), Is(0.3), To(0.3, 0.5), To(0.3, 0.5), To(0.3, 0.5), To(0.3, 0.5), To(0.2, 0.7)}},
    {47, {To(5, 24), Is(0), Is(0), Is(0), Is(0), Is(0), Is(0)}},
    {48, {Choose(0.3, Is(0), To(0.01, 0.3)), kMin, To(0, 0.9), kMin, kMin, kMin, Is(0)}},
    {49, {To(0.01, 0.2), kMin, To(0.01, 0.2), kMin, kMin, kMin, To(0.01, 0.1)}},
    {50, {To(0, 2), kMin, kMax, kMin, kMin, kMin, Is(0)}},
};

// The random sound's steps after the choice of source: each parameter gets a fresh draw times scale.
struct ScaledDraw
{
    int paramIdx;
    double scale;
};
const ScaledDraw kRandomSoundSteps[] = {
    {18, 1.0}, {24, 1.0}, {27, 1.0}, {28, 1.0},            //
    {29, 0.2}, {30, 0.2}, {31, 0.2}, {32, 0.2}, {33, 0.2}, //
    {36, 0.2},                                             //
    {37, 1.0}, {38, 1.0}, {39, 1.0}, {42, 1.0}, {45, 1.0}, //
    {51, 0.2}, {52, 0.2}, {53, 0.2}, {54, 0.2}, {55, 0.2}, //
    {46, 1.0}, {47, 1.0}, {48, 0.2}, {49, 0.2}, {50, 1.0}, //
};

// What a mutation moves, in order; the pitch-jump trigger follows with a wider step.
constexpr int kMutatedParams[] = {18, 24, 27, 28, 29, 30, 31, 32, 33, 36, 37, 38, 39, 42,
                                  45, 40, 41, 43, 44, 51, 52, 53, 54, 55, 46, 47, 48, 49};
constexpr double kTriggerMutationFactor = 10.0;

// The unit draw divides by one less than the generator's top, so the very top draw exceeds 1.
constexpr double kUnitDrawDivisor = 32766.0;

void ApplyCell(int paramIdx, const RecipeCell& cell, SoundTarget& target)
{
    switch (cell.kind)
    {
    case RecipeCell::Minimum:
        target.SetNormalized(paramIdx, 0.0);
        return;
    case RecipeCell::Maximum:
        target.SetNormalized(paramIdx, 1.0);
        return;
    case RecipeCell::Range:
        target.SetNormalized(paramIdx, RandomInRange(paramIdx, cell.lo, cell.hi));
        return;
    case RecipeCell::Choice:
        if (UnitDraw() < cell.threshold)
            target.SetNormalized(paramIdx, RandomInRange(paramIdx, cell.lo, cell.hi));
        else
            target.SetNormalized(paramIdx, RandomInRange(paramIdx, cell.otherLo, cell.otherHi));
        return;
    }
}

// u x m - (1 - u) x m + n, kept in this form so the result is the same to the last bit.
double MutatedPosition(double position, double amount)
{
    const double u = UnitDraw();
    return u * amount - (1.0 - u) * amount + position;
}

} // namespace

double UnitDraw()
{
    return RandomInt() / kUnitDrawDivisor;
}

double RandomInRange(int paramIdx, double lo, double hi)
{
    const ParamLayoutSpec& row = kParamLayout[paramIdx];
    const double span = row.maxValue - row.minValue;
    const double a = std::pow((lo - row.minValue) / span, 1.0 / row.shape);
    const double b = std::pow((hi - row.minValue) / span, 1.0 / row.shape);
    const double u = UnitDraw();
    // A fixed value must land exactly on its position, which the blend can miss by a rounding step;
    // an unchanged control is then not sent to the host again.
    if (lo == hi) return a;
    return a * (1.0 - u) + b * u;
}

void ApplySoundRecipe(SoundRecipe recipe, SoundTarget& target)
{
    const int column = static_cast<int>(recipe);
    for (const RecipeRow& row : kRecipeTable)
        ApplyCell(row.paramIdx, row.cells[column], target);
}

void ApplyRandomSound(SoundTarget& target)
{
    // One source in nine is pink noise alone, one white noise alone, the rest oscillator 1 with any
    // waveform but "Off".
    const int choice = RandomInt() % 9;
    if (choice == 8)
    {
        target.SetNormalized(kOsc1Level, 0.0);
        target.SetNormalized(kWhiteLevelIdx, 0.0);
        target.SetNormalized(kPinkLevel, 1.0);
    }
    else if (choice == 7)
    {
        target.SetNormalized(kOsc1Level, 0.0);
        target.SetNormalized(kWhiteLevelIdx, 1.0);
        target.SetNormalized(kPinkLevel, 0.0);
    }
    else
    {
        target.SetNormalized(kOsc1Level, 1.0);
        target.SetNormalized(kWhiteLevelIdx, 0.0);
        target.SetNormalized(kPinkLevel, 0.0);
        target.SetNormalized(kOsc1Type, RandomInRange(kOsc1Type, 1, 7));
    }
    for (const ScaledDraw& step : kRandomSoundSteps)
        target.SetNormalized(step.paramIdx, UnitDraw() * step.scale);
}

void ApplyMutation(SoundTarget& target, double amount)
{
    for (int paramIdx : kMutatedParams)
    {
        const double position = target.GetNormalized(paramIdx);
        target.SetNormalized(paramIdx, MutatedPosition(position, amount));
    }
    const double trigger = target.GetNormalized(kPitchJumpTrigger);
    target.SetNormalized(kPitchJumpTrigger, MutatedPosition(trigger, kTriggerMutationFactor * amount));
}
