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

// Parameter indices, in the order of the table below, the state and the host's list.
enum ParamIndex : int
{
    kOutputGain = 0,
    kOsc1Type = 1,
    kOsc2Type = 2,
    kOsc3Type = 3,
    kOsc1Level = 4,
    kOsc2Level = 5,
    kOsc3Level = 6,
    kWhiteLevel = 7,
    kPinkLevel = 8,
    kOsc1Octave = 9,
    kOsc2Octave = 10,
    kOsc3Octave = 11,
    kOsc1Transpose = 12,
    kOsc2Transpose = 13,
    kOsc3Transpose = 14,
    kOsc1Cents = 15,
    kOsc2Cents = 16,
    kOsc3Cents = 17,
    kOsc1SquareDuty = 18,
    kOsc2SquareDuty = 19,
    kOsc3SquareDuty = 20,
    kOsc1Phase = 21,
    kOsc2Phase = 22,
    kOsc3Phase = 23,
    kOsc1EnvDepth = 24,
    kOsc2EnvDepth = 25,
    kOsc3EnvDepth = 26,
    kWhiteEnvDepth = 27,
    kPinkEnvDepth = 28,
    kAmpEnvAttack = 29,
    kAmpEnvHold = 30,
    kAmpEnvDecay = 31,
    kAmpEnvSustain = 32,
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
    kFilterEnvHold = 52,
    kFilterEnvDecay = 53,
    kFilterEnvSustain = 54,
    kFilterEnvRelease = 55,
    kBitCrushPosition = 56,
    kBitCrushSampleRate = 57,
    kBitCrushBitDepth = 58,
    kMutationPercent = 59,
};
static_assert(kMutationPercent + 1 == kParamCount);

// Rows indexed by parameter index.
extern const std::array<ParamLayoutSpec, kParamCount> kParamLayout;

// How the parameter of an index is defined from its row.
enum class ParamKind
{
    Double,
    Int,
    Enum
};

// Display texts of an enumerated parameter, in value order (empty for other parameters).
struct EnumTexts
{
    const char* const* texts;
    int count;
};

// What the layout row does not say about a parameter: its kind, the texts of an enumerated one,
// and whether its curve is computed so that the control's middle yields the value 1.
struct ParamTraits
{
    ParamKind kind;
    EnumTexts texts;
    bool middleIsOne;
};

// Rows indexed by parameter index, beside kParamLayout.
extern const std::array<ParamTraits, kParamCount> kParamTraits;

// Lookups that answer a plain double with no texts for an index outside the table.
ParamKind ParamKindOf(int index);
EnumTexts ParamEnumTexts(int index);
// Whether the parameter's shape is computed by MiddleIsOneShape instead of taken from the row.
bool HasComputedShape(int index);

// Curve exponent for which the control's middle (normalised 0.5) yields the value 1.
double MiddleIsOneShape(const ParamLayoutSpec& row);
