#include "cli/Levels.h"

#include "engine/EngineMath.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace
{

double DbToGain(double db)
{
    return engine_math::Pow(10.0, db / 20.0);
}

// Smooth from 1 at t = 0 to 0 at t = 1, with zero slope at both ends; plain arithmetic, so the
// same bytes come out on every platform.
double FadeGain(double t)
{
    const double u = 1.0 - t;
    return u * u * (3.0 - 2.0 * u);
}

} // namespace

void FadeOutEnd(std::vector<double>& interleaved, int channels, int rate)
{
    const auto width = static_cast<std::size_t>(channels);
    const std::size_t frames = interleaved.size() / width;
    // Relative to the peak, so that a quiet sound keeps its shape and only its end is faded.
    const double level = Peak(interleaved) * DbToGain(kEndLevelDb);
    const auto loud = std::find_if(interleaved.rbegin(), interleaved.rend(),
                                   [level](double s) { return std::abs(s) > 0.0 && std::abs(s) >= level; });
    const std::size_t soundEnd = static_cast<std::size_t>(interleaved.rend() - loud + channels - 1) / width;
    const auto quiet = std::min(frames, static_cast<std::size_t>(std::llround(kEndQuietSeconds * rate)));
    const std::size_t silentFrom = std::min(soundEnd, frames - quiet);
    const auto fade = std::min(silentFrom, static_cast<std::size_t>(std::llround(kEndFadeSeconds * rate)));
    const std::size_t fadeFrom = silentFrom - fade;
    for (std::size_t i = fadeFrom; i < frames; ++i)
    {
        const double gain =
            i < silentFrom
                ? FadeGain((static_cast<double>(i - fadeFrom) + 1.0) / (static_cast<double>(fade) + 1.0))
                : 0.0;
        for (std::size_t c = 0; c < width; ++c)
            interleaved[i * width + c] *= gain;
    }
}

std::size_t LeadingSilenceFrames(const std::vector<double>& interleaved, int channels, double thresholdDb)
{
    const double threshold = DbToGain(thresholdDb);
    const auto first = std::find_if(interleaved.begin(), interleaved.end(),
                                    [threshold](double s) { return std::abs(s) >= threshold; });
    return static_cast<std::size_t>(first - interleaved.begin()) / static_cast<std::size_t>(channels);
}

double Peak(const std::vector<double>& samples)
{
    double peak = 0.0;
    for (double s : samples)
        peak = std::max(peak, std::abs(s));
    return peak;
}

std::optional<double> IntegratedLoudness(const std::vector<double>& interleaved, int channels, int rate,
                                         std::string& error)
{
    const std::unique_ptr<ebur128_state, void (*)(ebur128_state*)> meter(
        ebur128_init(static_cast<unsigned>(channels), static_cast<unsigned long>(rate), EBUR128_MODE_I),
        [](ebur128_state* state) { ebur128_destroy(&state); });
    if (!meter)
    {
        error = "the loudness meter could not be set up";
        return std::nullopt;
    }
    // The instrument's two outputs carry one signal; a mono file is measured as one channel in
    // front, which is what a game plays it as.
    const std::size_t frames = interleaved.size() / static_cast<std::size_t>(channels);
    // The meter gates 400 ms blocks, longer than many sound effects: a short sound is measured as
    // if repeated for a second, whole copies back to back, which is its own mean loudness.
    const auto second = static_cast<std::size_t>(rate);
    const std::size_t copies = frames == 0 || frames >= second ? 1 : (second + frames - 1) / frames;
    bool added = true;
    for (std::size_t i = 0; i < copies && added; ++i)
        added = ebur128_add_frames_double(meter.get(), interleaved.data(), frames) == EBUR128_SUCCESS;
    if (!added)
    {
        error = "the loudness meter could not read the sound";
        return std::nullopt;
    }
    double loudness = 0.0;
    if (ebur128_loudness_global(meter.get(), &loudness) != EBUR128_SUCCESS)
    {
        error = "the loudness meter could not measure the sound";
        return std::nullopt;
    }
    if (!std::isfinite(loudness)) return std::nullopt;
    return loudness;
}

std::string ApplyLevels(std::vector<double>& interleaved, int channels, int rate, const LevelOptions& levels,
                        std::string& error)
{
    if (levels.trimDb)
    {
        // A sound that never reaches the threshold is kept whole rather than trimmed to nothing.
        const std::size_t lead = LeadingSilenceFrames(interleaved, channels, *levels.trimDb);
        if (lead * channels < interleaved.size())
            interleaved.erase(interleaved.begin(),
                              interleaved.begin() + static_cast<std::ptrdiff_t>(lead * channels));
    }
    FadeOutEnd(interleaved, channels, rate);

    double gain = 1.0;
    if (levels.peakDb)
    {
        const double peak = Peak(interleaved);
        if (peak <= 0.0) return "is silent: --normalize leaves it as it is";
        gain = DbToGain(*levels.peakDb) / peak;
    }
    else if (levels.loudnessLufs)
    {
        const std::optional<double> loudness = IntegratedLoudness(interleaved, channels, rate, error);
        if (!error.empty())
        {
            error = "--loudness: " + error;
            return {};
        }
        if (!loudness) return "is too quiet to measure its loudness: --loudness leaves it as it is";
        gain = DbToGain(*levels.loudnessLufs - *loudness);
    }
    if (gain == 1.0) return {};
    for (double& s : interleaved)
        s *= gain;
    const double peak = Peak(interleaved);
    if (peak <= 1.0) return {};
    char text[128];
    std::snprintf(
        text, sizeof text,
        "peaks at %+.1f dBFS after --loudness: integer samples clip there (a lower target or --bits "
        "32f keeps the peaks)",
        20.0 * std::log10(peak));
    return text;
}
