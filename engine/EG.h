#pragma once

#include "engine/Signal.h"

#include <array>
#include <cstdint>

enum EnvelopeStage : std::int32_t
{
    StageOff = 0,
    StageAttack = 1,
    StageHold = 2,
    StageDecay = 3,
    StageSustain = 4,
    StageRelease = 5,
};

inline constexpr int kEnvelopeStageCount = 6;

// Every exponential segment starts from or heads for this level instead of 0, whose logarithm
// does not exist.
inline constexpr double kEnvelopeLevelFloor = 0.0000001;

// Six-stage envelope with exponential segments: every moving sample costs one multiplication by
// a per-stage multiplier, set when the stage is entered. Stage times are in seconds.
class EG
{
public:
    virtual ~EG() = default;

    // Steps one sample and returns the level.
    double NextSample();

    void EnterStage(EnvelopeStage newStage);

    // Restarts from the floor with an attack; emits CycleBegan.
    void Retrigger();

    // Changes a stage time (or the sustain level). A running stage is rescaled so that its
    // remaining part takes the matching share of the new time.
    void SetStageValue(EnvelopeStage changed, double value);

    // Engine samples per second, for the stages entered from now on.
    void SetSampleRate(double hertz) { sampleRate_ = hertz; }

    Signal<> CycleBegan;    // leaving StageOff
    Signal<> CycleFinished; // entering StageOff

    EnvelopeStage Stage() const { return stage_; }
    double Level() const { return level_; }
    double Multiplier() const { return multiplier_; }
    double SampleRate() const { return sampleRate_; }
    // Samples spent in the running stage, and where it ends.
    std::uint64_t SampleIndex() const { return sampleIndex_; }
    std::uint64_t StageEndIndex() const { return stageEndIndex_; }
    // The time of a stage in seconds, or the sustain level.
    double StageSetting(EnvelopeStage s) const { return stageSetting_[s]; }

private:
    std::uint64_t StageLength(EnvelopeStage s) const;
    double DecayTarget() const;

    EnvelopeStage stage_ = StageOff;
    double level_ = kEnvelopeLevelFloor;
    double multiplier_ = 1.0;
    // The owner sets the real rate before use; a usable default keeps an envelope that is
    // stepped before the first rate announcement well defined.
    double sampleRate_ = 44100.0;
    std::uint64_t sampleIndex_ = 0;
    std::uint64_t stageEndIndex_ = 0;
    std::array<double, kEnvelopeStageCount> stageSetting_ = {0.0, 0.001, 0.001, 0.001, 1.0, 0.2};
    double levelFloor_ = kEnvelopeLevelFloor;
};
