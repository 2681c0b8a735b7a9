#include "engine/Voice.h"

#include "engine/DenormalFilter.h"
#include "engine/NoteFrequency.h"

Voice::Voice()
{
    lowPassFilter.SetType(FilterType::LowPass);
    highPassFilter.SetType(FilterType::HighPass);
    ampEnvelope.CycleFinished.Connect<&Voice::OnAmpCycleFinished>(this);
}

void Voice::NoteOn(std::int32_t noteNumber, std::int32_t noteVelocity)
{
    for (int i = 0; i < kVoiceSourceCount; ++i)
        oscillators[i].Restart(startPhase[i]);
    note = noteNumber;
    velocity = noteVelocity;
    active = true;
    ampEnvelope.Retrigger();
    pitchEnvelope.Restart();
    lowPassFilter.Reset();
    highPassFilter.Reset();
    filterEnvelope.Retrigger();
    frequenciesDirty = true;
}

void Voice::UpdateBaseFrequencies()
{
    for (int i = 0; i < kVoiceSourceCount; ++i)
    {
        const std::int32_t m = transpose[i] + 12 * octave[i] + note;
        baseFrequency[i] = FastPow(2.0, (m - 69) / 12.0) * 440.0 * FastPow(2.0, cents[i] / 1200.0);
    }
    frequenciesDirty = false;
}

double Voice::NextSample()
{
    if (!active) return 0.0;
    if (frequenciesDirty) UpdateBaseFrequencies();

    pitchEnvelope.NextSample();
    for (int i = 0; i < kVoiceSourceCount; ++i)
        frequency[i] = pitchEnvelope.BlendFrequency(baseFrequency[i]);

    // The amplitude envelope may end its release here and free the voice; this sample is still
    // rendered in full.
    const double amp = ampEnvelope.NextSample();
    const double filterEnv = filterEnvelope.NextSample();

    lowPassFilter.SetCutoff(
        EnvelopeCutoff(lowPassCutoff, lowPassEnvDepth, filterEnv, kLowPassEnvelopeTarget));
    highPassFilter.SetCutoff(
        EnvelopeCutoff(highPassCutoff, highPassEnvDepth, filterEnv, kHighPassEnvelopeTarget));

    // Oscillator 1 always runs; the others and the noise sources are skipped at level 0, which
    // also keeps their phases and the random sequence untouched.
    std::array<double, kVoiceSourceCount> source;
    source[0] = oscillators[0].NextSample(frequency[0]) * sourceLevel[0];
    for (int i = 1; i < kVoiceOscillatorCount; ++i)
        source[i] = sourceLevel[i] > 0.0 ? oscillators[i].NextSample(frequency[i]) * sourceLevel[i] : 0.0;
    source[kWhiteNoiseSlot] = sourceLevel[kWhiteNoiseSlot] > 0.0
                                  ? Oscilator::NextWhiteSample() * sourceLevel[kWhiteNoiseSlot]
                                  : 0.0;
    source[kPinkNoiseSlot] = sourceLevel[kPinkNoiseSlot] > 0.0
                                 ? oscillators[kPinkNoiseSlot].NextPinkSample() * sourceLevel[kPinkNoiseSlot]
                                 : 0.0;

    double mix = 0.0;
    for (int i = 0; i < kVoiceSourceCount; ++i)
    {
        const double d = envDepth[i];
        mix += (1.0 - d) * source[i] + source[i] * amp * d;
    }
    mix *= velocity / 127.0;

    double y = DenormalFilter(highPassFilter.Process(mix));
    y = DenormalFilter(lowPassFilter.Process(y));
    return y;
}
