#include "RecordingTarget.h"

#include "instrument/Brisbleep.h"

#include "engine/Random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <thread>

namespace
{

// The parameters every category recipe assigns, in the order it assigns them.
const std::vector<int> kRecipeOrder = {1,  4,  7,  8,  18, 24, 27, 28, 29, 30, 31, 32, 33, 36, 37, 38, 39,
                                       42, 45, 40, 41, 43, 44, 51, 52, 53, 54, 55, 46, 47, 48, 49, 50};

const SoundRecipe kAllRecipes[] = {SoundRecipe::Coin, SoundRecipe::Shoot, SoundRecipe::Powerup,
                                   SoundRecipe::Hit,  SoundRecipe::Jump,  SoundRecipe::Blip,
                                   SoundRecipe::Blade};

// The parameter's value when set to a normalised position, through the instrument's own parameter.
class ParameterReader
{
public:
    ParameterReader() : instrument_(std::make_unique<Brisbleep>(OfflineHostContext{})) {}
    double ValueAt(int paramIdx, double normalized)
    {
        IParameter* p = instrument_->GetParam(paramIdx);
        p->SetFromNormalized(normalized);
        return p->Value();
    }

private:
    std::unique_ptr<Brisbleep> instrument_;
};

} // namespace

TEST(RandomSource, UnseededThreadDrawsFortyOneAndRandomSoundTakesTheOscillatorBranch)
{
    int first = -1;
    std::thread([&] { first = RandomInt(); }).join();
    EXPECT_EQ(first, 41);
    EXPECT_EQ(first % 9, 5);

    RecordingTarget target;
    std::thread([&] { ApplyRandomSound(target); }).join();
    ASSERT_GE(target.sets.size(), 4u);
    EXPECT_EQ(target.sets[0], std::make_pair(4, 1.0));
    EXPECT_EQ(target.sets[1], std::make_pair(7, 0.0));
    EXPECT_EQ(target.sets[2], std::make_pair(8, 0.0));
    EXPECT_EQ(target.sets[3].first, 1);
}

TEST(RandomInRange, ReadsRangeAndCurveFromTheLayoutRow)
{
    ParameterReader reader;
    RandomSeed(7);
    // "= 1" on "Pitch Curve": the row is linear, the parameter is not.
    const double curveOne = RandomInRange(kPitchCurve, 1.0, 1.0);
    EXPECT_DOUBLE_EQ(curveOne, 0.875 / 7.875);
    EXPECT_NEAR(reader.ValueAt(kPitchCurve, curveOne), 0.13243658205599632, 1e-15);

    // A curved row: the cutoff's position follows the cube root.
    EXPECT_DOUBLE_EQ(RandomInRange(kFilterLpCutoff, 2756.25, 2756.25), 0.5);

    // The delay limits of the coin and power-up recipes, as the parameter reads them.
    EXPECT_NEAR(reader.ValueAt(kPitchJumpDelay, 0.06), 0.0072765424100590574, 1e-16);
    EXPECT_NEAR(reader.ValueAt(kPitchJumpDelay, 0.18), 0.09327522619715675, 1e-15);
    for (int i = 0; i < 2000; ++i)
    {
        const double coin = RandomInRange(kPitchJumpDelay, 0.01, 0.3);
        EXPECT_GE(coin, 0.002);
        EXPECT_LE(coin, 0.06 * 32767.0 / 32766.0 + 1e-15);
        const double powerup = RandomInRange(kPitchJumpDelay, 0.0, 0.9);
        EXPECT_GE(powerup, 0.0);
        EXPECT_LE(powerup, 0.18 * 32767.0 / 32766.0 + 1e-15);
    }
}

TEST(SoundRecipes, AssignOnlyTheirParametersInTableOrder)
{
    for (SoundRecipe recipe : kAllRecipes)
    {
        RecordingTarget target;
        RandomSeed(99);
        ApplySoundRecipe(recipe, target);
        EXPECT_EQ(target.Order(), kRecipeOrder) << static_cast<int>(recipe);
        for (int untouched : {0,  2,  3,  5,  6,  9,  10, 11, 12, 13, 14, 15, 16, 17,
                              19, 20, 21, 22, 23, 25, 26, 34, 35, 56, 57, 58, 59})
            EXPECT_EQ(target.positions[untouched], 0.5) << static_cast<int>(recipe) << " " << untouched;
    }
}

TEST(SoundRecipes, CoinDrawsInRowOrderWithTheDelayChoiceBeforeItsRange)
{
    bool sawNoDelay = false, sawDelay = false;
    for (std::uint32_t seed = 1; seed < 40; ++seed)
    {
        RecordingTarget target;
        RandomSeed(seed);
        ApplySoundRecipe(SoundRecipe::Coin, target);

        ReferenceGenerator g{seed};
        EXPECT_DOUBLE_EQ(target.sets[0].second, 2.0 / 7.0); // "= 2" still draws once
        g.Next();
        // "Amp Env Attack" 0.001 to 0.2 s on a cubic curve.
        const double a = std::cbrt(0.0 / 9.999), b = std::cbrt(0.199 / 9.999);
        const double u = g.Unit();
        EXPECT_DOUBLE_EQ(target.sets[8].second, a * (1 - u) + b * u);
        for (int i = 0; i < 16; ++i)
            g.Next();
        const double choice = g.Unit();
        const double range = g.Unit();
        ASSERT_EQ(target.sets[30].first, kPitchJumpDelay);
        if (choice < 0.3)
        {
            sawNoDelay = true;
            EXPECT_EQ(target.sets[30].second, 0.0);
        }
        else
        {
            sawDelay = true;
            EXPECT_DOUBLE_EQ(target.sets[30].second, 0.002 * (1 - range) + 0.06 * range);
        }
        const double time = g.Unit();
        EXPECT_DOUBLE_EQ(target.sets[31].second, (0.0 / 1.99) * (1 - time) + (0.19 / 1.99) * time);
        g.Next(); // trigger
        EXPECT_EQ(RandomInt(), g.Next()) << "the recipe made a different number of draws";
    }
    EXPECT_TRUE(sawNoDelay);
    EXPECT_TRUE(sawDelay);
}

TEST(SoundRecipes, PowerupChoosesSinOrSawAndFixedCellsHoldTheirPositions)
{
    ParameterReader reader;
    bool sawSin = false, sawSaw = false;
    for (std::uint32_t k = 1; k < 30; ++k)
    {
        const std::uint32_t seed = k * 2654435761u; // spread: small seeds give small first draws
        RecordingTarget target;
        RandomSeed(seed);
        ApplySoundRecipe(SoundRecipe::Powerup, target);
        ReferenceGenerator g{seed};
        const bool sin = g.Unit() < 0.5;
        const double wave = reader.ValueAt(kOsc1Type, target.sets[0].second);
        EXPECT_EQ(wave, sin ? 2.0 : 4.0);
        (sin ? sawSin : sawSaw) = true;
        EXPECT_EQ(target.positions[kPitchJumpTrigger], 1.0);
        EXPECT_EQ(target.positions[kOsc1Level], 1.0);
        EXPECT_EQ(target.positions[kPitchStart], 0.5); // "= 0" on -1..1
    }
    EXPECT_TRUE(sawSin);
    EXPECT_TRUE(sawSaw);
}

TEST(SoundRecipes, RandomNeverSilencesOscillatorOneAndBladeAlwaysDoes)
{
    ParameterReader reader;
    int noiseOnly = 0;
    for (std::uint32_t seed = 0; seed < 900; ++seed)
    {
        RecordingTarget random;
        RandomSeed(seed);
        ApplyRandomSound(random);
        if (random.positions[kOsc1Level] == 1.0)
        {
            ASSERT_EQ(random.sets[3].first, kOsc1Type);
            EXPECT_NE(reader.ValueAt(kOsc1Type, random.sets[3].second), 0.0) << seed;
            EXPECT_EQ(random.sets.size(), 4u + 25u);
        }
        else
        {
            ++noiseOnly;
            EXPECT_EQ(random.positions[7] + random.positions[kPinkLevel], 1.0);
            EXPECT_EQ(random.sets.size(), 3u + 25u);
        }
        // Only the listed parameters move: filters, pitch notes, crusher and gain stay.
        for (int untouched : {0, 40, 41, 43, 44, 34, 35, 56, 57, 58, 59, 2, 9, 21})
            EXPECT_EQ(random.positions[untouched], 0.5);

        RecordingTarget blade;
        ApplySoundRecipe(SoundRecipe::Blade, blade);
        EXPECT_EQ(reader.ValueAt(kOsc1Type, blade.positions[kOsc1Type]), 0.0);
        EXPECT_EQ(blade.positions[kOsc1Level], 0.0);
        EXPECT_EQ(blade.positions[7], 1.0);
    }
    // Two draws in nine choose a noise source.
    EXPECT_NEAR(noiseOnly / 900.0, 2.0 / 9.0, 0.05);
}

TEST(Mutation, ZeroAmountRewritesEveryListedPositionUnchanged)
{
    RecordingTarget target;
    for (int i = 0; i < kParamCount; ++i)
        target.positions[i] = (i + 1) / 64.0;
    const auto before = target.positions;
    ApplyMutation(target, 0.0);
    const std::vector<int> order = {18, 24, 27, 28, 29, 30, 31, 32, 33, 36, 37, 38, 39, 42, 45,
                                    40, 41, 43, 44, 51, 52, 53, 54, 55, 46, 47, 48, 49, 50};
    EXPECT_EQ(target.Order(), order);
    EXPECT_EQ(target.positions, before);
}

TEST(Mutation, StepsStayWithinTheAmountAndTheTriggerMovesTenTimesFurther)
{
    RandomSeed(4242);
    double largest = 0.0, largestTrigger = 0.0;
    for (int round = 0; round < 200; ++round)
    {
        RecordingTarget target;
        ApplyMutation(target, 0.1);
        for (const auto& [param, value] : target.sets)
        {
            const double step = std::abs(value - 0.5);
            if (param == kPitchJumpTrigger)
                largestTrigger = std::max(largestTrigger, step);
            else
                largest = std::max(largest, step);
        }
        for (double p : target.positions)
        {
            EXPECT_GE(p, 0.0);
            EXPECT_LE(p, 1.0);
        }
    }
    EXPECT_LE(largest, 0.1 * (1 + 2.0 / 32766.0));
    EXPECT_GT(largest, 0.09);
    EXPECT_LE(largestTrigger, 1.0 * (1 + 2.0 / 32766.0));
    EXPECT_GT(largestTrigger, 0.5);
}
