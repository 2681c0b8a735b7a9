#pragma once

#include "engine/Compressor.h"
#include "engine/DecimationFilter.h"
#include "engine/PeakMeter.h"
#include "engine/VoiceManager.h"
#include "engine/ZKBitCrusher2.h"

#include <cstdint>

// Where the bit crusher sits: off, on every oversampled engine sample, or on the host-rate output.
enum CrushPosition : std::int32_t
{
    CrushOff = 0,
    CrushInside = 1,
    CrushAfter = 2,
};

// The sound chain behind one host sample: the four voices run eight times oversampled into the
// anti-alias filter and are decimated, optionally bit-crushed inside or after the oversampling,
// compressed and scaled by the smoothed output gain. It also keeps the output's peak meter.
// Everything here runs on the audio thread and never allocates.
class EngineRenderer
{
public:
    static constexpr int kOversampling = 8;

    EngineRenderer();

    // Announces the host rate: the voices run at eight times it, the crusher's hold counts host
    // samples, and the anti-alias filter forgets its history. Sounding voices keep sounding.
    void SetHostSampleRate(double hertz);
    double HostSampleRate() const { return hostSampleRate_; }

    VoiceManager& Voices() { return voices_; }
    const VoiceManager& Voices() const { return voices_; }
    bool AnyVoiceActive() const;

    void SetCrushPosition(std::int32_t position) { crushPosition_ = position; }
    void SetCrushSampleRate(double hertz) { crusher_.SetTargetRate(hertz); }
    void SetCrushBitDepth(double bits) { crusher_.SetBitDepth(bits); }
    void SetCompressionFactor(double factor) { compressor_.SetCompressionFactor(factor); }
    // The linear gain the output glides towards, about 63 % of the way in 100 host samples.
    void SetOutputGain(double gain) { outputGainTarget_ = gain; }

    // One host sample of the whole chain.
    double NextSample();
    // True when the next host samples are exactly 0.0 for as long as no note starts: no voice
    // sounds, the anti-alias filter holds no residue and the crusher holds no value.
    bool IsSilent() const;
    // Clears the anti-alias filter's residue as the next sample would, then tells IsSilent().
    bool SettleIntoSilence();
    // Advances frames host samples of silence (IsSilent() must hold): the crusher's hold and the
    // output gain's glide move on exactly as NextSample would move them, without rendering.
    void SkipSilence(int frames);
    // frames host samples into out, with no MIDI in between.
    void Render(double* out, int frames);

    // The meter sees each output frame between these two calls; the end returns the block's
    // smoothed levels.
    void BeginMeterBlock() { meter_.ResetPeaks(); }
    void MeterFrame(double left, double right) { meter_.AddSamples(left, right); }
    PeakLevels EndMeterBlock() { return meter_.UpdateLevels(); }

    std::int32_t GetCrushPosition() const { return crushPosition_; }
    const ZKBitCrusher2& Crusher() const { return crusher_; }
    const Compressor& Compression() const { return compressor_; }
    const DecimationFilter& AntiAliasFilter() const { return decimation_; }
    const PeakMeter& Meter() const { return meter_; }
    double OutputGain() const { return outputGain_; }
    double OutputGainTarget() const { return outputGainTarget_; }

    // Below this level (2^-50, about -300 dBFS before the compressor) and with no voice sounding, the
    // anti-alias filter's residue is cleared so that silence is exactly 0.0 again.
    static constexpr double kResidueLimit = 0x1p-50;

private:
    // The rest of the chain for one host sample from its eight engine samples; voicesSounding
    // tells whether a voice sounded as the first of them began.
    double FinishSample(const double* engine, bool voicesSounding);
    // The chain up to the compressor, and from it on; the compressor holds no state, so a caller
    // may compress many samples at once in between.
    double Decimate(const double* engine, bool voicesSounding);
    double ApplyOutputGain(double compressed);

    void StepOutputGain()
    {
        outputGain_ = outputGainTarget_ * kOutputGainStep + outputGain_ * kOutputGainSmoothing;
    }

    // One-pole glide of the output gain: each host sample keeps 0.99 of the old gain.
    static constexpr double kOutputGainSmoothing = 0.99;
    static constexpr double kOutputGainStep = 1.0 - kOutputGainSmoothing;

    double hostSampleRate_ = 44100.0;
    VoiceManager voices_;
    DecimationFilter decimation_;
    std::int32_t crushPosition_ = CrushOff;
    ZKBitCrusher2 crusher_;
    Compressor compressor_;
    double outputGainTarget_ = 1.0;
    double outputGain_ = 0.0;
    PeakMeter meter_;
};
