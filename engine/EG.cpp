#include "engine/EG.h"
#include "engine/EngineMath.h"

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

// First-order multiplier_ from level_ a to level_ b over n samples. Deliberately not the exact
// n-th root: the segment falls slightly short and the next stage_ starts from its own value.
double SegmentMultiplier(double from, double to, double samples)
{
    return 1.0 + (engine_math::Log(to) - engine_math::Log(from)) / samples;
}
} // namespace

std::uint64_t EG::StageLength(EnvelopeStage s) const
{
    return ToSampleCount(stageSetting_[s] * sampleRate_);
}

double EG::DecayTarget() const
{
    const double sustain = stageSetting_[StageSustain];
    return levelFloor_ > sustain ? levelFloor_ : sustain;
}

double EG::NextSample()
{
    if (stage_ == StageOff || stage_ == StageSustain) return level_;
    // The end test comes before the multiplication, so a stage_ of n samples contributes exactly
    // n multiplied samples and the next stage_'s first sample already carries its own multiplier_.
    // A stage_ entered here with no length at all (a rate near 0) has its index already one past
    // its end at the next sample; "at or past" ends it then instead of never.
    if (sampleIndex_ >= stageEndIndex_)
        EnterStage(static_cast<EnvelopeStage>((stage_ + 1) % kEnvelopeStageCount));
    level_ *= multiplier_;
    ++sampleIndex_;
    return level_;
}

void EG::EnterStage(EnvelopeStage newStage)
{
    if (newStage == stage_) return;
    if (stage_ == StageOff) CycleBegan.Emit();
    if (newStage == StageOff)
    {
        CycleFinished.Emit();
        stage_ = StageOff;
        sampleIndex_ = 0;
        stageEndIndex_ = 0;
        return;
    }
    stage_ = newStage;
    sampleIndex_ = 0;
    stageEndIndex_ = newStage == StageSustain ? 0 : StageLength(newStage);
    const auto samples = static_cast<double>(stageEndIndex_);
    switch (newStage)
    {
    case StageAttack:
        level_ = levelFloor_;
        multiplier_ = SegmentMultiplier(level_, 1.0, samples);
        break;
    case StageHold:
        level_ = 1.0;
        multiplier_ = 1.0; // a flat segment, also when it has no length
        break;
    case StageDecay:
        level_ = 1.0;
        multiplier_ = SegmentMultiplier(1.0, DecayTarget(), samples);
        break;
    case StageSustain:
        level_ = stageSetting_[StageSustain];
        multiplier_ = 1.0;
        break;
    case StageRelease:
        multiplier_ = SegmentMultiplier(level_, levelFloor_, samples);
        break;
    default:
        break;
    }
}

void EG::Retrigger()
{
    level_ = levelFloor_;
    stage_ = StageOff;
    multiplier_ = 1.0;
    sampleIndex_ = 0;
    stageEndIndex_ = 0;
    EnterStage(StageAttack);
}

void EG::SetStageValue(EnvelopeStage changed, double value)
{
    stageSetting_[changed] = value;
    if (changed == stage_)
    {
        if (stage_ == StageAttack || stage_ == StageHold || stage_ == StageDecay || stage_ == StageRelease)
        {
            const double target = stage_ == StageDecay     ? DecayTarget()
                                  : stage_ == StageRelease ? levelFloor_
                                                           : 1.0;
            const double progress = static_cast<double>(sampleIndex_) / static_cast<double>(stageEndIndex_);
            const std::uint64_t remaining = ToSampleCount((1.0 - progress) * value * sampleRate_);
            stageEndIndex_ = sampleIndex_ + remaining;
            // With nothing left of the stage_ it ends at the next sample; the multiplier_ stays
            // as it was instead of being divided by zero.
            if (remaining > 0)
                multiplier_ = SegmentMultiplier(level_, target, static_cast<double>(remaining));
        }
        else if (stage_ == StageSustain)
        {
            level_ = value;
        }
    }
    if (stage_ == StageDecay && changed == StageSustain && stageEndIndex_ > sampleIndex_)
        multiplier_ =
            SegmentMultiplier(level_, DecayTarget(), static_cast<double>(stageEndIndex_ - sampleIndex_));
}
