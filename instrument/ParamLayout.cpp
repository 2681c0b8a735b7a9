#include "instrument/ParamLayout.h"

#include "engine/Oscilator.h"

#include <cmath>

// Name, x, y, w, h, default, minimum, maximum, step, label, shape, tooltip.
const std::array<ParamLayoutSpec, kParamCount> kParamLayout = {{
    /*  0 */ {"Output Gain", 752, 32, 72, 68, -6.0, -48.0, 12.0, 0.1, "dB", 1.0, "Output Gain"},
    /*  1 */ {"Osc1 Type", 32, 32, 72, 68, 1.0, 0.0, 7.0, 1.0, "", 1.0, "Osc1 Type"},
    /*  2 */ {"Osc2 Type", 32, 100, 72, 68, 0.0, 0.0, 7.0, 1.0, "", 1.0, "Osc2 Type"},
    /*  3 */ {"Osc3 Type", 32, 168, 72, 68, 0.0, 0.0, 7.0, 1.0, "", 1.0, "Osc3 Type"},
    /*  4 */ {"Osc1 Level", 104, 32, 72, 68, 0.0, -96.0, 0.0, 0.1, "dB", 1.0, "Osc1 Level"},
    /*  5 */ {"Osc2 Level", 104, 100, 72, 68, -96.0, -96.0, 0.0, 0.1, "dB", 1.0, "Osc2 Level"},
    /*  6 */ {"Osc3 Level", 104, 168, 72, 68, -96.0, -96.0, 0.0, 0.1, "dB", 1.0, "Osc3 Level"},
    /*  7 */ {"White Level", 104, 236, 72, 68, -96.0, -96.0, 0.0, 0.1, "dB", 1.0, "White Level"},
    /*  8 */ {"Pink Level", 104, 304, 72, 68, -96.0, -96.0, 0.0, 0.1, "dB", 1.0, "Pink Level"},
    /*  9 */ {"Osc1 Octave", 248, 32, 72, 68, 0.0, -6.0, 6.0, 1.0, "oct", 1.0, "Osc1 Octave"},
    /* 10 */ {"Osc2 Octave", 248, 100, 72, 68, 0.0, -6.0, 6.0, 1.0, "oct", 1.0, "Osc2 Octave"},
    /* 11 */ {"Osc3 Octave", 248, 168, 72, 68, 0.0, -6.0, 6.0, 1.0, "oct", 1.0, "Osc3 Octave"},
    /* 12 */ {"Osc1 Transpose", 320, 32, 72, 68, 0.0, -12.0, 12.0, 1.0, "st", 1.0, "Osc1 Transpose"},
    /* 13 */ {"Osc2 Transpose", 320, 100, 72, 68, 0.0, -12.0, 12.0, 1.0, "st", 1.0, "Osc2 Transpose"},
    /* 14 */ {"Osc3 Transpose", 320, 168, 72, 68, 0.0, -12.0, 12.0, 1.0, "st", 1.0, "Osc3 Transpose"},
    /* 15 */ {"Osc1 Cents", 392, 32, 72, 68, 0.0, -100.0, 100.0, 1.0, "cts", 1.0, "Osc1 Cents"},
    /* 16 */ {"Osc2 Cents", 392, 100, 72, 68, 0.0, -100.0, 100.0, 1.0, "cts", 1.0, "Osc2 Cents"},
    /* 17 */ {"Osc3 Cents", 392, 168, 72, 68, 0.0, -100.0, 100.0, 1.0, "cts", 1.0, "Osc3 Cents"},
    /* 18 */ {"Osc1 Square Duty", 536, 32, 72, 68, 0.5, 0.01, 0.5, 0.01, "", 1.0, "Osc1 Square Duty"},
    /* 19 */ {"Osc2 Square Duty", 536, 100, 72, 68, 0.5, 0.01, 0.5, 0.01, "", 1.0, "Osc2 Square Duty"},
    /* 20 */ {"Osc3 Square Duty", 536, 168, 72, 68, 0.5, 0.01, 0.5, 0.01, "", 1.0, "Osc3 Square Duty"},
    /* 21 */ {"Osc1 Phase", 464, 32, 72, 68, 0.0, 0.0, 1.0, 0.001, "", 1.0, "Osc1 Phase"},
    /* 22 */ {"Osc2 Phase", 464, 100, 72, 68, 0.0, 0.0, 1.0, 0.001, "", 1.0, "Osc2 Phase"},
    /* 23 */ {"Osc3 Phase", 464, 168, 72, 68, 0.0, 0.0, 1.0, 0.001, "", 1.0, "Osc3 Phase"},
    /* 24 */ {"Osc1 EnvDepth", 176, 32, 72, 68, 1.0, 0.0, 1.0, 0.01, "", 1.0, "Osc1 EnvDepth"},
    /* 25 */ {"Osc2 EnvDepth", 176, 100, 72, 68, 1.0, 0.0, 1.0, 0.01, "", 1.0, "Osc2 EnvDepth"},
    /* 26 */ {"Osc3 EnvDepth", 176, 168, 72, 68, 1.0, 0.0, 1.0, 0.01, "", 1.0, "Osc3 EnvDepth"},
    // The misspelt name is the one hosts store in automation and projects; only the tooltip is fixed.
    /* 27 */ {"Whiite EnvDepth", 176, 236, 72, 68, 1.0, 0.0, 1.0, 0.01, "", 1.0, "White EnvDepth"},
    /* 28 */ {"Pink EnvDepth", 176, 304, 72, 68, 1.0, 0.0, 1.0, 0.01, "", 1.0, "Pink EnvDepth"},
    /* 29 */ {"Amp Env Attack", 32, 404, 72, 68, 0.01, 0.001, 10.0, 0.001, "s", 3.0, "Amp Env Attack"},
    /* 30 */ {"Amp Env Hold", 104, 404, 72, 68, 0.001, 0.001, 10.0, 0.001, "s", 3.0, "Amp Env Hold"},
    /* 31 */ {"Amp Env Decay", 176, 404, 72, 68, 0.001, 0.001, 10.0, 0.001, "s", 3.0, "Amp Env Decay"},
    /* 32 */ {"Amp Env Sustain", 248, 404, 72, 68, 1.0, 0.000001, 1.0, 0.001, "", 2.0, "Amp Env Sustain"},
    /* 33 */ {"Amp Env Release", 320, 404, 72, 68, 0.2, 0.001, 10.0, 0.001, "s", 3.0, "Amp Env Release"},
    /* 34 */ {"Pitch High Note", 320, 304, 72, 68, 96.0, 12.0, 127.0, 1.0, "", 1.0, "Pitch High Note"},
    /* 35 */ {"Pitch Low Note", 392, 304, 72, 68, 12.0, 12.0, 127.0, 0.001, "", 1.0, "Pitch Low Note"},
    /* 36 */
    {"Pitch Duration", 464, 304, 72, 68, 1.0, 0.001, 10.0, 0.001, "s", 3.0, "Pitch Envelope Duration"},
    /* 37 */
    {"Pitch Start", 536, 304, 72, 68, 0.0, -1.0, 1.0, 0.001, "", 1.0,
     "Pitch Start. -1=starts with the low note; 0=starts with input note pitch; 1=start with the high note"},
    /* 38 */
    {"Pitch End", 608, 304, 72, 68, 0.0, -1.0, 1.0, 0.001, "", 1.0,
     "Pitch End. -1=ends with the low note; 0=ends with input note pitch; 1=ends the high note"},
    /* 39 */ {"Pitch Curve", 680, 304, 72, 68, 1.0, 0.125, 8.0, 0.005, "", 1.0, "Pitch Curve. 1 = linear"},
    /* 40 */
    {"Filter LP Cutoff", 464, 404, 72, 68, 22050.0, 0.0, 22050.0, 0.1, "Hz", 3.0, "Filter LP Cutoff"},
    /* 41 */
    {"Filter LP Resonance", 536, 404, 72, 68, 0.7071067811865476, 0.7071067811865476, 6.0, 0.001, "", 2.0,
     "Filter LP Resonance"},
    /* 42 */ {"Filter LP Env Depth", 608, 404, 72, 68, 0.0, -1.0, 1.0, 0.1, "", 1.0, "Filter LP Env Depth"},
    /* 43 */ {"Filter HP Cutoff", 464, 472, 72, 68, 0.0, 0.0, 22050.0, 0.1, "Hz", 3.0, "Filter HP Cutoff"},
    /* 44 */
    {"Filter HP Resonance", 536, 472, 72, 68, 0.7071067811865476, 0.7071067811865476, 6.0, 0.001, "", 2.0,
     "Filter HP Resonance"},
    /* 45 */ {"Filter HP Env Depth", 608, 472, 72, 68, 0.0, -1.0, 1.0, 0.1, "", 1.0, "Filter HP Env Depth"},
    /* 46 */ {"Compression Factor", 752, 304, 72, 68, 0.3, 0.0, 1.0, 0.001, "", 1.0, "Compression Factor"},
    /* 47 */
    {"Pitch Jump Transpose", 752, 404, 72, 68, 0.0, -48.0, 48.0, 1.0, "st", 1.0, "Pitch Jump Transpose"},
    /* 48 */
    {"Pitch Jump Delay", 752, 472, 72, 68, 0.0, 0.0, 5.0, 0.001, "s", 1.0, "Delay to trigger the new note"},
    /* 49 */
    {"Pitch Jump Time", 752, 540, 72, 68, 0.5, 0.01, 2.0, 0.001, "s", 1.0, "Duration of the new note"},
    /* 50 */
    {"Pitch Jump Trigger", 752, 612, 72, 44, 0.0, 0.0, 2.0, 1.0, "", 1.0, "When the new note is created?"},
    /* 51 */ {"Filter Env Attack", 32, 472, 72, 68, 0.01, 0.001, 10.0, 0.001, "s", 3.0, "Filter Env Attack"},
    /* 52 */ {"Filter Env Hold", 104, 472, 72, 68, 0.001, 0.001, 10.0, 0.001, "s", 3.0, "Filter Env Hold"},
    /* 53 */ {"Filter Env Decay", 176, 472, 72, 68, 0.001, 0.001, 10.0, 0.001, "s", 3.0, "Filter Env Decay"},
    /* 54 */ {"Filter Env Sustain", 248, 472, 72, 68, 1.0, 0.001, 1.0, 0.001, "", 2.0, "Filter Env Sustain"},
    /* 55 */
    {"Filter Env Release", 320, 472, 72, 68, 0.2, 0.001, 10.0, 0.001, "s", 3.0, "Filter Env Release"},
    /* 56 */
    {"BitCrush Position", 680, 190, 72, 44, 0.0, 0.0, 2.0, 1.0, "", 1.0,
     "BitCrush Position. Inside the oversampling or at the end of the processing."},
    /* 57 */
    {"BitCrush Sample Rate", 680, 32, 72, 68, 44100.0, 200.0, 44100.0, 0.1, "", 1.0, "BitCrush Sample Rate"},
    /* 58 */ {"BitCrush Bit Depth", 680, 100, 72, 68, 24.0, 1.0, 24.0, 0.01, "", 1.0, "BitCrush Bit Depth"},
    /* 59 */ {"Mutation %", 32, 558, 72, 68, 5.0, 0.0, 10.0, 0.1, "", 1.0, "Mutation %"},
}};

namespace
{

const char* const kJumpTriggerTexts[] = {"On NoteOn", "On NoteOff", "Both"};
const char* const kCrushPositionTexts[] = {"Off", "Inside", "After"};

template <std::size_t N> constexpr ParamTraits Enum(const char* const (&texts)[N])
{
    return {ParamKind::Enum, {texts, static_cast<int>(N)}, false};
}
constexpr ParamTraits Waveform{
    ParamKind::Enum,
    {kOscilatorWaveformNames.data(), static_cast<int>(kOscilatorWaveformNames.size())},
    false};
constexpr ParamTraits Double{ParamKind::Double, {nullptr, 0}, false};
constexpr ParamTraits MiddleIsOne{ParamKind::Double, {nullptr, 0}, true};
constexpr ParamTraits Int{ParamKind::Int, {nullptr, 0}, false};

bool InTable(int index)
{
    return index >= 0 && index < kParamCount;
}

} // namespace

const std::array<ParamTraits, kParamCount> kParamTraits = {{
    /* kOutputGain */ Double,
    /* kOsc1Type..kOsc3Type */ Waveform,
    Waveform,
    Waveform,
    /* kOsc1Level..kPinkLevel */ Double,
    Double,
    Double,
    Double,
    Double,
    /* kOsc1Octave..kOsc3Octave */ Int,
    Int,
    Int,
    /* kOsc1Transpose..kOsc3Transpose */ Int,
    Int,
    Int,
    /* kOsc1Cents..kOsc3Cents */ Int,
    Int,
    Int,
    /* kOsc1SquareDuty..kOsc3SquareDuty */ Double,
    Double,
    Double,
    /* kOsc1Phase..kOsc3Phase */ Double,
    Double,
    Double,
    /* kOsc1EnvDepth..kPinkEnvDepth */ Double,
    Double,
    Double,
    Double,
    Double,
    /* kAmpEnvAttack..kAmpEnvRelease */ Double,
    Double,
    Double,
    Double,
    Double,
    /* kPitchHighNote, kPitchLowNote */ Int,
    Int,
    /* kPitchDuration, kPitchStart, kPitchEnd */ Double,
    Double,
    Double,
    /* kPitchCurve */ MiddleIsOne,
    /* kFilterLpCutoff..kFilterHpEnvDepth */ Double,
    Double,
    Double,
    Double,
    Double,
    Double,
    /* kCompressionFactor */ Double,
    /* kPitchJumpTranspose */ Int,
    /* kPitchJumpDelay */ MiddleIsOne,
    /* kPitchJumpTime */ Double,
    /* kPitchJumpTrigger */ Enum(kJumpTriggerTexts),
    /* kFilterEnvAttack..kFilterEnvRelease */ Double,
    Double,
    Double,
    Double,
    Double,
    /* kBitCrushPosition */ Enum(kCrushPositionTexts),
    /* kBitCrushSampleRate, kBitCrushBitDepth, kMutationPercent */ Double,
    Double,
    Double,
}};

EnumTexts ParamEnumTexts(int index)
{
    return InTable(index) ? kParamTraits[index].texts : EnumTexts{nullptr, 0};
}

ParamKind ParamKindOf(int index)
{
    return InTable(index) ? kParamTraits[index].kind : ParamKind::Double;
}

bool HasComputedShape(int index)
{
    return InTable(index) && kParamTraits[index].middleIsOne;
}

double MiddleIsOneShape(const ParamLayoutSpec& row)
{
    return std::log2((row.minValue - row.maxValue) / (row.minValue - 1.0));
}
