#pragma once

// What brisbleep-render does to a rendered sound before it is written: leading silence trimmed, a
// clean end, and a gain that brings the sound to a peak level or an integrated loudness.

#include <optional>
#include <string>
#include <vector>

struct LevelOptions
{
    std::optional<double> peakDb;       // --normalize: the peak, in dBFS
    std::optional<double> loudnessLufs; // --loudness: EBU R128 integrated loudness, in LUFS
    std::optional<double> trimDb;       // --trim: leading samples below this level are dropped
};

inline constexpr double kDefaultTrimDb = -60.0;

// The clean end: the sound is over at its last sample at or above kEndLevelDb below its peak; a fade
// over
// kEndFadeSeconds brings it to silence there, and the file's last kEndQuietSeconds are silent
// whatever happens (a --max-tail cut ends while the sound still plays). What follows the end is
// made exact silence; the length of the file does not change.
inline constexpr double kEndLevelDb = -60.0;
inline constexpr double kEndFadeSeconds = 0.010;
inline constexpr double kEndQuietSeconds = 0.002;

// Gives the sound its clean end. A voice ends when its amplitude envelope does, but a source the
// envelope does not fully control (an envelope depth below 1) or a resonant filter may still be
// loud then, so without this a sound could stop dead, and --max-tail can cut anywhere.
void FadeOutEnd(std::vector<double>& interleaved, int channels, int rate);

// The number of whole frames before the first sample at or above `thresholdDb`; all of them when
// none is.
std::size_t LeadingSilenceFrames(const std::vector<double>& interleaved, int channels, double thresholdDb);

// The largest magnitude.
double Peak(const std::vector<double>& samples);

// The integrated loudness in LUFS, or nothing when the sound is too quiet to have one (below the
// absolute gate of -70 LUFS); `error` names a failure of the meter. A sound shorter than a second is
// measured repeated to a second, since the meter's blocks are 400 ms long.
std::optional<double> IntegratedLoudness(const std::vector<double>& interleaved, int channels, int rate,
                                         std::string& error);

// Applies trim, clean end and gain in that order. A sound without a level to measure (silent, or
// too quiet for the loudness meter) keeps its level; the returned note then says why,
// otherwise it is empty. `error` names a failure of the meter.
std::string ApplyLevels(std::vector<double>& interleaved, int channels, int rate, const LevelOptions& levels,
                        std::string& error);
