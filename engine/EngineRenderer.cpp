#include "engine/EngineRenderer.h"

#include "engine/DenormalFilter.h"

namespace
{
// The corner of the anti-alias filter, in cycles per engine sample: the host's Nyquist frequency
// at eight times oversampling.
constexpr double kDecimationCorner = 0.0625;

// One-pole glide of the output gain: each host sample keeps 0.99 of the old gain.
constexpr double kOutputGainSmoothing = 0.99;
constexpr double kOutputGainStep = 1.0 - kOutputGainSmoothing;
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
    outputGain_ = outputGainTarget_ * kOutputGainStep + outputGain_ * kOutputGainSmoothing;
    return y * outputGain_;
}

void EngineRenderer::Render(double* out, int frames)
{
    for (int i = 0; i < frames; ++i)
        out[i] = NextSample();
}
