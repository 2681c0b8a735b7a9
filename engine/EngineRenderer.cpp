#include "engine/EngineRenderer.h"

#include "engine/DenormalFilter.h"

namespace
{
// The corner of the anti-alias filter, in cycles per engine sample: the host's Nyquist frequency
// at eight times oversampling.
constexpr double kDecimationCorner = 0.0625;

} // namespace

EngineRenderer::EngineRenderer()
{
    decimation_.Design(kDecimationCorner);
    decimation_.Reset();
}

void EngineRenderer::SetHostSampleRate(double hertz)
{
    hostSampleRate_ = hertz;
    decimation_.Reset();
    voices_.SetSampleRate(hertz * kOversampling);
    crusher_.SetSourceRate(hertz);
}

bool EngineRenderer::AnyVoiceActive() const
{
    return voices_.AnyActive();
}

double EngineRenderer::NextSample()
{
    double engine[kOversampling];
    const int sounding = voices_.Render(engine, kOversampling);
    return FinishSample(engine, sounding > 0);
}

double EngineRenderer::FinishSample(const double* engine, bool voicesSounding)
{
    return ApplyOutputGain(compressor_.Compress(Decimate(engine, voicesSounding)));
}

double EngineRenderer::Decimate(const double* engine, bool voicesSounding)
{
    if (!voicesSounding) decimation_.ClearResidueBelow(kResidueLimit);
    // Decimation keeps the filter output of the first of the eight engine samples; the other
    // seven only advance the filter.
    double samples[kOversampling];
    for (int i = 0; i < kOversampling; ++i)
    {
        double s = engine[i];
        if (crushPosition_ == CrushInside) s = crusher_.Process(s);
        samples[i] = DenormalFilter(s);
    }
    double y = decimation_.ProcessKeepingFirst(samples, kOversampling);
    if (crushPosition_ == CrushAfter) y = crusher_.Process(y);
    return y;
}

double EngineRenderer::ApplyOutputGain(double compressed)
{
    StepOutputGain();
    return compressed * outputGain_;
}

bool EngineRenderer::IsSilent() const
{
    // Compress(0) is 0 only for a positive exponent; the crusher matters only where it is used.
    return !voices_.AnyActive() && decimation_.IsClear() && compressor_.Exponent() > 0.0 &&
           (crushPosition_ != CrushInside && crushPosition_ != CrushAfter ? true
                                                                          : crusher_.HeldSample() == 0.0);
}

bool EngineRenderer::SettleIntoSilence()
{
    if (!voices_.AnyActive()) decimation_.ClearResidueBelow(kResidueLimit);
    return IsSilent();
}

void EngineRenderer::SkipSilence(int frames)
{
    if (frames <= 0) return;
    if (crushPosition_ == CrushInside) crusher_.SkipZeros(std::int64_t{frames} * kOversampling);
    if (crushPosition_ == CrushAfter) crusher_.SkipZeros(frames);
    // The glide settles on a value it then keeps; from there on the remaining steps change nothing.
    for (int i = 0; i < frames; ++i)
    {
        const double before = outputGain_;
        StepOutputGain();
        if (outputGain_ == before) break;
    }
}

void EngineRenderer::Render(double* out, int frames)
{
    // The voices depend on nothing after them, so they run ahead a stretch of host samples at a
    // time, which lets them share their lanes' set-up over many samples.
    constexpr int kStretch = 64;
    double engine[kStretch * kOversampling];
    for (int done = 0; done < frames;)
    {
        const int count = frames - done < kStretch ? frames - done : kStretch;
        const int sounding = voices_.Render(engine, count * kOversampling);
        double* stretch = out + done;
        for (int i = 0; i < count; ++i)
            stretch[i] = Decimate(engine + i * kOversampling, i * kOversampling < sounding);
        compressor_.Compress(stretch, count);
        for (int i = 0; i < count; ++i)
            stretch[i] = ApplyOutputGain(stretch[i]);
        done += count;
    }
}
