#include "engine/Voice.h"

#include "engine/DenormalFilter.h"
#include "engine/NoteFrequency.h"

Voice::Voice()
{
    lowPassFilter_.SetType(FilterType::LowPass);
    highPassFilter_.SetType(FilterType::HighPass);
    ampEnvelope_.CycleFinished.Connect<&Voice::OnAmpCycleFinished>(this);
}

void Voice::NoteOn(std::int32_t noteNumber, std::int32_t noteVelocity)
{
    for (int i = 0; i < kVoiceSourceCount; ++i)
        oscillators_[i].Restart(startPhase_[i]);
    note_ = noteNumber;
    velocity_ = noteVelocity;
    velocityScale_ = velocity_ / 127.0;
    active_ = true;
    ampEnvelope_.Retrigger();
    pitchEnvelope_.Restart();
    lowPassFilter_.Reset();
    highPassFilter_.Reset();
    filterEnvelope_.Retrigger();
    frequenciesDirty_ = true;
}

void Voice::NoteOff()
{
    for (EG* envelope : {&ampEnvelope_, &filterEnvelope_})
        if (envelope->Stage() != StageRelease) envelope->EnterStage(StageRelease);
}

void Voice::SetSampleRate(double rate)
{
    ampEnvelope_.SetSampleRate(rate);
    filterEnvelope_.SetSampleRate(rate);
    pitchEnvelope_.SetSampleRate(rate);
    for (StateVariableFilter* filter : {&lowPassFilter_, &highPassFilter_})
    {
        filter->SetSampleRate(rate); // the cutoff is clamped to the new Nyquist limit
        filter->Reset();
    }
    for (Oscilator& oscillator : oscillators_)
        oscillator.SetSampleRate(static_cast<std::int32_t>(rate));
}

void Voice::SetOctave(int slot, std::int32_t octaves)
{
    octave_[slot] = octaves;
    frequenciesDirty_ = true;
}

void Voice::SetTranspose(int slot, std::int32_t semitones)
{
    transpose_[slot] = semitones;
    frequenciesDirty_ = true;
}

void Voice::SetCents(int slot, std::int32_t cents)
{
    cents_[slot] = cents;
    frequenciesDirty_ = true;
}

void Voice::SetStageValue(EnvelopeTarget envelope, EnvelopeStage stage, double value)
{
    (envelope == EnvelopeTarget::Amplitude ? ampEnvelope_ : filterEnvelope_).SetStageValue(stage, value);
}

void Voice::UpdateBaseFrequencies()
{
    for (int i = 0; i < kVoiceSourceCount; ++i)
    {
        const std::int32_t m = transpose_[i] + 12 * octave_[i] + note_;
        baseFrequency_[i] = FastPow(2.0, (m - 69) / 12.0) * 440.0 * FastPow(2.0, cents_[i] / 1200.0);
    }
    frequenciesDirty_ = false;
}

double Voice::NextSample()
{
    if (!active_) return 0.0;
    if (frequenciesDirty_) UpdateBaseFrequencies();

    pitchEnvelope_.NextSample();

    // The amplitude envelope may end its release here and free the voice; this sample is still
    // rendered in full.
    const double amp = ampEnvelope_.NextSample();
    const double filterEnv = filterEnvelope_.NextSample();

    lowPassFilter_.SetCutoff(
        EnvelopeCutoff(lowPassCutoff_, lowPassEnvDepth_, filterEnv, kLowPassEnvelopeTarget));
    highPassFilter_.SetCutoff(
        EnvelopeCutoff(highPassCutoff_, highPassEnvDepth_, filterEnv, kHighPassEnvelopeTarget));

    // Oscillator 1 always runs; the others and the noise sources are skipped at level 0, which
    // also keeps their phases and the random sequence untouched. A skipped source adds exactly
    // nothing to the mix, so it is left out of the sum as well.
    double mix = 0.0;
    const auto add = [&](int i, double source)
    {
        const double d = envDepth_[i];
        mix += (1.0 - d) * source + source * amp * d;
    };
    frequency_[0] = pitchEnvelope_.BlendFrequency(baseFrequency_[0]);
    add(0, oscillators_[0].NextSample(frequency_[0]) * sourceLevel_[0]);
    for (int i = 1; i < kVoiceOscillatorCount; ++i)
    {
        if (!(sourceLevel_[i] > 0.0)) continue;
        frequency_[i] = pitchEnvelope_.BlendFrequency(baseFrequency_[i]);
        add(i, oscillators_[i].NextSample(frequency_[i]) * sourceLevel_[i]);
    }
    if (sourceLevel_[kWhiteNoiseSlot] > 0.0)
        add(kWhiteNoiseSlot, Oscilator::NextWhiteSample() * sourceLevel_[kWhiteNoiseSlot]);
    if (sourceLevel_[kPinkNoiseSlot] > 0.0)
        add(kPinkNoiseSlot, oscillators_[kPinkNoiseSlot].NextPinkSample() * sourceLevel_[kPinkNoiseSlot]);
    mix *= velocityScale_;

    double y = DenormalFilter(highPassFilter_.Process(mix));
    y = DenormalFilter(lowPassFilter_.Process(y));
    return y;
}

void Voice::Silence()
{
    ampEnvelope_.EnterStage(StageOff);
    filterEnvelope_.EnterStage(StageOff);
    active_ = false;
}
