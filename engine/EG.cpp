#include "engine/EG.h"

#include <cmath>
#include <limits>

namespace
{
// Seconds times rate, truncated to a sample count. Negative or NaN products give 0 and huge
// ones saturate, so the conversion is always defined.
std::uint64_t ToSampleCount(double samples)
{
    if (!(samples > 0.0)) return 0;
    if (samples >= 18446744073709549568.0) return std::numeric_limits<std::uint64_t>::max();
    return static_cast<std::uint64_t>(samples);
}

// First-order multiplier from level a to level b over n samples. Deliberately not the exact
// n-th root: the segment falls slightly short and the next stage starts from its own value.
double SegmentMultiplier(double from, double to, double samples)
{
    return 1.0 + (std::log(to) - std::log(from)) / samples;
}
} // namespace

std::uint64_t EG::StageLength(EnvelopeStage s) const
{
    return ToSampleCount(stageSetting[s] * sampleRate);
}

double EG::DecayTarget() const
{
    const double sustain = stageSetting[StageSustain];
    return levelFloor > sustain ? levelFloor : sustain;
}

double EG::NextSample()
{
    if (stage == StageOff || stage == StageSustain) return level;
    // The end test comes before the multiplication, so a stage of n samples contributes exactly
    // n multiplied samples and the next stage's first sample already carries its own multiplier.
    // A stage entered here with no length at all (a rate near 0) has its index already one past
    // its end at the next sample; "at or past" ends it then instead of never.
    if (sampleIndex >= stageEndIndex)
        EnterStage(static_cast<EnvelopeStage>((stage + 1) % kEnvelopeStageCount));
    level *= multiplier;
    ++sampleIndex;
    return level;
}

void EG::EnterStage(EnvelopeStage newStage)
{
    if (newStage == stage) return;
    if (stage == StageOff) CycleBegan.Emit();
    if (newStage == StageOff)
    {
        CycleFinished.Emit();
        stage = StageOff;
        sampleIndex = 0;
        stageEndIndex = 0;
        return;
    }
    stage = newStage;
    sampleIndex = 0;
    stageEndIndex = newStage == StageSustain ? 0 : StageLength(newStage);
    const auto samples = static_cast<double>(stageEndIndex);
    switch (newStage)
    {
    case StageAttack:
        level = levelFloor;
        multiplier = SegmentMultiplier(level, 1.0, samples);
        break;
    case StageHold:
        level = 1.0;
        multiplier = 1.0; // a flat segment, also when it has no length
        break;
    case StageDecay:
        level = 1.0;
        multiplier = SegmentMultiplier(1.0, DecayTarget(), samples);
        break;
    case StageSustain:
        level = stageSetting[StageSustain];
        multiplier = 1.0;
        break;
    case StageRelease:
        multiplier = SegmentMultiplier(level, levelFloor, samples);
        break;
    default:
        break;
    }
}

void EG::Retrigger()
{
    level = levelFloor;
    stage = StageOff;
    multiplier = 1.0;
    sampleIndex = 0;
    stageEndIndex = 0;
    EnterStage(StageAttack);
}

void EG::SetStageValue(EnvelopeStage changed, double value)
{
    stageSetting[changed] = value;
    if (changed == stage)
    {
        if (stage == StageAttack || stage == StageHold || stage == StageDecay || stage == StageRelease)
        {
            const double target = stage == StageDecay     ? DecayTarget()
                                  : stage == StageRelease ? levelFloor
                                                          : 1.0;
            const double progress = static_cast<double>(sampleIndex) / static_cast<double>(stageEndIndex);
            const std::uint64_t remaining = ToSampleCount((1.0 - progress) * value * sampleRate);
            stageEndIndex = sampleIndex + remaining;
            // With nothing left of the stage it ends at the next sample; the multiplier stays
            // as it was instead of being divided by zero.
            if (remaining > 0) multiplier = SegmentMultiplier(level, target, static_cast<double>(remaining));
        }
        else if (stage == StageSustain)
        {
            level = value;
        }
    }
    if (stage == StageDecay && changed == StageSustain && stageEndIndex > sampleIndex)
        multiplier =
            SegmentMultiplier(level, DecayTarget(), static_cast<double>(stageEndIndex - sampleIndex));
}
