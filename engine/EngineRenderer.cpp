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
    if (!voices_.AnyActive()) decimation_.ClearResidueBelow(kResidueLimit);
    // Decimation keeps the filter output of the first of the eight engine samples; the other
    // seven only advance the filter.
    double engine[kOversampling];
    for (double& s : engine)
    {
        s = voices_.NextSample();
        if (crushPosition_ == CrushInside) s = crusher_.Process(s);
        s = DenormalFilter(s);
    }
    double y = decimation_.ProcessKeepingFirst(engine, kOversampling);
    if (crushPosition_ == CrushAfter) y = crusher_.Process(y);
    y = compressor_.Compress(y);
    StepOutputGain();
    return y * outputGain_;
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
    for (int i = 0; i < frames; ++i)
        out[i] = NextSample();
}
