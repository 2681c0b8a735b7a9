#pragma once

// The instrument's sixty parameters: one row per parameter index, giving the parameter's
// definition (range, default, step, unit, curve) and the place and tooltip of its editor control.

#include <array>
#include <cstddef>

struct ParamLayoutSpec
{
    const char* name;
    int x;
    int y;
    int w;
    int h;
    double defaultValue;
    double minValue;
    double maxValue;
    double step;
    const char* label;
    double shape;
    const char* tooltip;
};

inline constexpr int kParamCount = 60;

// Parameter indices used by the routing and the audio code.
enum ParamIndex : int
{
    kOutputGain = 0,
    kOsc1Type = 1,
    kOsc3Type = 3,
    kOsc1Level = 4,
    kPinkLevel = 8,
    kOsc1Octave = 9,
    kOsc3Octave = 11,
    kOsc1Transpose = 12,
    kOsc3Transpose = 14,
    kOsc1Cents = 15,
    kOsc3Cents = 17,
    kOsc1SquareDuty = 18,
    kOsc3SquareDuty = 20,
    kOsc1Phase = 21,
    kOsc3Phase = 23,
    kOsc1EnvDepth = 24,
    kPinkEnvDepth = 28,
    kAmpEnvAttack = 29,
    kAmpEnvRelease = 33,
    kPitchHighNote = 34,
    kPitchLowNote = 35,
    kPitchDuration = 36,
    kPitchStart = 37,
    kPitchEnd = 38,
    kPitchCurve = 39,
    kFilterLpCutoff = 40,
    kFilterLpResonance = 41,
    kFilterLpEnvDepth = 42,
    kFilterHpCutoff = 43,
    kFilterHpResonance = 44,
    kFilterHpEnvDepth = 45,
    kCompressionFactor = 46,
    kPitchJumpTranspose = 47,
    kPitchJumpDelay = 48,
    kPitchJumpTime = 49,
    kPitchJumpTrigger = 50,
    kFilterEnvAttack = 51,
    kFilterEnvRelease = 55,
    kBitCrushPosition = 56,
    kBitCrushSampleRate = 57,
    kBitCrushBitDepth = 58,
    kMutationPercent = 59,
};

// Rows indexed by parameter index.
extern const std::array<ParamLayoutSpec, kParamCount> kParamLayout;

// How the parameter of an index is defined from its row.
enum class ParamKind
{
    Double,
    Int,
    Enum
};

ParamKind ParamKindOf(int index);

// Display texts of an enumerated parameter, in value order (empty for other parameters).
struct EnumTexts
{
    const char* const* texts;
    int count;
};
EnumTexts ParamEnumTexts(int index);

// Curve exponent for which the control's middle (normalised 0.5) yields the value 1.
double MiddleIsOneShape(const ParamLayoutSpec& row);

// Whether the parameter's shape is computed by MiddleIsOneShape instead of taken from the row.
bool HasComputedShape(int index);
