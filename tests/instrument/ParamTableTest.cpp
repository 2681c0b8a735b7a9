#include "InstrumentHarness.h"

#include "instrument/ParamLayout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace
{

std::string Display(const IParameter& p, double value)
{
    char text[64];
    p.FormatValue(value, false, text, true);
    return text;
}

} // namespace

TEST(ParamTable, NamesAreUniqueWithTheTwoFamousSpellings)
{
    std::set<std::string> names;
    for (const ParamLayoutSpec& row : kParamLayout)
    {
        EXPECT_TRUE(names.insert(row.name).second) << row.name;
        EXPECT_LE(std::strlen(row.name), 31u);
        EXPECT_LE(std::strlen(row.label), 31u);
    }
    EXPECT_STREQ(kParamLayout[17].name, "Osc3 Cents");
    EXPECT_STREQ(kParamLayout[27].name, "Whiite EnvDepth");
    EXPECT_STREQ(kParamLayout[27].tooltip, "White EnvDepth");
    EXPECT_STREQ(kParamLayout[0].tooltip, "Output Gain");
    EXPECT_STREQ(kParamLayout[48].tooltip, "Delay to trigger the new note");
    EXPECT_STREQ(kParamLayout[59].name, "Mutation %");
    EXPECT_EQ(kParamLayout[35].step, 0.001); // the row keeps its value; the parameter steps by 1
}

TEST(ParamTable, ParametersTakeKindRangeAndDisplayFromTheirRows)
{
    InstrumentHarness h;
    ASSERT_EQ(h->NParams(), 60);
    for (int i = 0; i < 60; ++i)
    {
        const IParameter& p = *h->GetParam(i);
        const ParamLayoutSpec& row = kParamLayout[i];
        EXPECT_STREQ(p.Name(), row.name);
        EXPECT_STREQ(p.Label(), row.label);
        const bool real = p.Type() == IParameterType::Double;
        EXPECT_EQ(p.Min(), real ? row.minValue : std::trunc(row.minValue)) << row.name;
        EXPECT_EQ(p.Max(), real ? row.maxValue : std::trunc(row.maxValue)) << row.name;
        EXPECT_EQ(p.Default(), real ? row.defaultValue : std::trunc(row.defaultValue)) << row.name;
        EXPECT_EQ(p.Value(), p.Default()) << row.name;
    }
    for (int i : {1, 2, 3, 50, 56})
        EXPECT_EQ(h->GetParam(i)->Type(), IParameterType::Enum) << i;
    for (int i : {9, 10, 11, 12, 13, 14, 15, 16, 17, 34, 35, 47})
    {
        EXPECT_EQ(h->GetParam(i)->Type(), IParameterType::Int) << i;
        EXPECT_EQ(h->GetParam(i)->Step(), 1.0) << i;
        EXPECT_EQ(h->GetParam(i)->DisplayPrecision(), 0) << i;
    }
    EXPECT_EQ(h->GetParam(kOutputGain)->Type(), IParameterType::Double);
    EXPECT_EQ(h->GetParam(kOutputGain)->DisplayPrecision(), 1);
    EXPECT_EQ(h->GetParam(kOsc1SquareDuty)->DisplayPrecision(), 2);
    EXPECT_EQ(h->GetParam(kPitchCurve)->DisplayPrecision(), 3);
    EXPECT_EQ(h->GetParam(kAmpEnvAttack)->Shape(), 3.0);
    EXPECT_EQ(h->GetParam(kAmpEnvAttack + 3)->Shape(), 2.0);

    const IParameter& osc1 = *h->GetParam(1);
    const char* waveforms[] = {"Off", "Triangle", "Sin", "Square", "Saw", "Breaker", "Tan", "Whistle"};
    for (int v = 0; v < 8; ++v)
        EXPECT_EQ(Display(osc1, v), waveforms[v]);
    EXPECT_EQ(Display(osc1, osc1.Value()), "Triangle");
    EXPECT_EQ(Display(*h->GetParam(2), h->GetParam(2)->Value()), "Off");
    EXPECT_EQ(Display(*h->GetParam(3), h->GetParam(3)->Value()), "Off");
    EXPECT_EQ(Display(*h->GetParam(50), 1), "On NoteOff");
    EXPECT_EQ(Display(*h->GetParam(50), 2), "Both");
    EXPECT_EQ(Display(*h->GetParam(56), 1), "Inside");
    EXPECT_EQ(Display(*h->GetParam(56), 2), "After");
    EXPECT_STREQ(osc1.HostLabel(), "");
    EXPECT_EQ(Display(*h->GetParam(kOutputGain), -6.0), "-6.0");
    EXPECT_EQ(h->GetParam(kPitchHighNote)->DisplayTextCount(), 0);
}

TEST(ParamTable, RangeEndsAndDefaultsUsersMeet)
{
    InstrumentHarness h;
    const IParameter& lowNote = *h->GetParam(kPitchLowNote);
    EXPECT_EQ(lowNote.Step(), 1.0);
    EXPECT_EQ(h->GetParam(32)->Min(), 0.000001); // amplitude sustain never reaches 0
    EXPECT_EQ(h->GetParam(54)->Min(), 0.001);
    EXPECT_EQ(h->GetParam(kFilterLpCutoff)->Default(), 22050.0);
    EXPECT_EQ(h->GetParam(kFilterLpCutoff)->Max(), 22050.0);
    EXPECT_EQ(h->GetParam(kFilterHpCutoff)->Default(), 0.0);
    EXPECT_EQ(h->GetParam(kFilterLpResonance)->Default(), 0.7071067811865476);
    EXPECT_EQ(h->GetParam(kFilterHpResonance)->Default(), h->GetParam(kFilterHpResonance)->Min());
}

TEST(ParamTable, CurveAndJumpDelayReadOneAtTheMiddleOfTheirControls)
{
    InstrumentHarness h;
    const IParameter& curve = *h->GetParam(kPitchCurve);
    EXPECT_DOUBLE_EQ(curve.Shape(), 3.1699250014423126);
    EXPECT_NEAR(curve.FromNormalized(0.5), 1.0, 1e-12);
    EXPECT_DOUBLE_EQ(curve.FromNormalized(0.0), 0.125);
    EXPECT_DOUBLE_EQ(curve.FromNormalized(1.0), 8.0);
    const IParameter& delay = *h->GetParam(kPitchJumpDelay);
    EXPECT_DOUBLE_EQ(delay.Shape(), 2.321928094887362);
    EXPECT_NEAR(delay.FromNormalized(0.5), 1.0, 1e-12);
    // The rows themselves keep shape 1 for the sound recipes.
    EXPECT_EQ(kParamLayout[kPitchCurve].shape, 1.0);
    EXPECT_EQ(kParamLayout[kPitchJumpDelay].shape, 1.0);
}

TEST(ParamTable, EngineStartsFromTheDefaultsAndTheDefaultPresetHoldsThem)
{
    InstrumentHarness h;
    for (const Voice& voice : h->renderer.Voices().Voices())
    {
        EXPECT_EQ(voice.Oscillator(0).Waveform(), OscilatorWaveform::Triangle);
        EXPECT_EQ(voice.Oscillator(1).Waveform(), OscilatorWaveform::Off);
        EXPECT_EQ(voice.Oscillator(2).Waveform(), OscilatorWaveform::Off);
        EXPECT_EQ(voice.SourceLevel(0), 1.0); // 0 dB
        for (int s = 1; s < 5; ++s)
            EXPECT_EQ(voice.SourceLevel(s), 0.0) << s; // -96 dB switches a source off
        EXPECT_EQ(voice.Pitch().EndPosition(), 0.0);
        EXPECT_EQ(voice.AmpEnvelope().StageSetting(StageRelease), 0.2);
    }
    EXPECT_DOUBLE_EQ(h->renderer.Compression().Exponent(), 1.0 / 2.2);
    EXPECT_NEAR(h->renderer.OutputGainTarget(), std::pow(10.0, -6.0 / 20.0), 1e-12);
    EXPECT_EQ(h->renderer.OutputGain(), 0.0); // fades in from silence
    EXPECT_EQ(h->pitchJump.Time(), 0.5);
    EXPECT_EQ(h->renderer.Crusher().TargetRate(), 44100.0);
    EXPECT_EQ(h->renderer.Crusher().BitDepth(), 24.0);
    EXPECT_EQ(h->renderer.GetCrushPosition(), 0);
    EXPECT_DOUBLE_EQ(h->mutationAmount, 0.05);

    ASSERT_EQ(h->NPresets(), 1);
    EXPECT_STREQ(h->PresetName(0), "-");
    const IPresetEntry& preset = *h->GetPreset(0);
    EXPECT_TRUE(preset.initialised);
    ASSERT_EQ(preset.chunk.Size(), 484);
    std::int32_t version = 0;
    EXPECT_EQ(preset.chunk.GetInt32(version, 0), 4);
    EXPECT_EQ(version, 0x00010001);
    double gain = 0.0;
    preset.chunk.GetDouble(gain, 4);
    EXPECT_EQ(gain, -6.0);
}

TEST(ParamTable, EditorRowsPlaceTheControlsAndCarryTheirTooltips)
{
    struct Place
    {
        int index, x, y, w, h;
        const char* tooltip;
    };
    // The switches (50, 56) are the two short controls; the right-hand columns and the rows whose
    // tooltip differs from the name are the ones most easily mistyped.
    const Place places[] = {
        {0, 752, 32, 72, 68, "Output Gain"},
        {8, 104, 304, 72, 68, "Pink Level"},
        {27, 176, 236, 72, 68, "White EnvDepth"},
        {34, 320, 304, 72, 68, "Pitch High Note"},
        {36, 464, 304, 72, 68, "Pitch Envelope Duration"},
        {37, 536, 304, 72, 68,
         "Pitch Start. -1=starts with the low note; 0=starts with input note pitch; 1=start with the high "
         "note"},
        {38, 608, 304, 72, 68,
         "Pitch End. -1=ends with the low note; 0=ends with input note pitch; 1=ends the high note"},
        {39, 680, 304, 72, 68, "Pitch Curve. 1 = linear"},
        {46, 752, 304, 72, 68, "Compression Factor"},
        {48, 752, 472, 72, 68, "Delay to trigger the new note"},
        {49, 752, 540, 72, 68, "Duration of the new note"},
        {50, 752, 612, 72, 44, "When the new note is created?"},
        {55, 320, 472, 72, 68, "Filter Env Release"},
        {56, 680, 190, 72, 44, "BitCrush Position. Inside the oversampling or at the end of the processing."},
        {57, 680, 32, 72, 68, "BitCrush Sample Rate"},
        {58, 680, 100, 72, 68, "BitCrush Bit Depth"},
        {59, 32, 558, 72, 68, "Mutation %"},
    };
    for (const Place& p : places)
    {
        const ParamLayoutSpec& row = kParamLayout[static_cast<std::size_t>(p.index)];
        EXPECT_EQ(row.x, p.x) << p.index;
        EXPECT_EQ(row.y, p.y) << p.index;
        EXPECT_EQ(row.w, p.w) << p.index;
        EXPECT_EQ(row.h, p.h) << p.index;
        EXPECT_STREQ(row.tooltip, p.tooltip) << p.index;
    }
    // No two controls overlap, so every one can be reached with the mouse.
    for (std::size_t i = 0; i < kParamLayout.size(); ++i)
        for (std::size_t j = i + 1; j < kParamLayout.size(); ++j)
        {
            const ParamLayoutSpec& a = kParamLayout[i];
            const ParamLayoutSpec& b = kParamLayout[j];
            const bool apart = a.x + a.w <= b.x || b.x + b.w <= a.x || a.y + a.h <= b.y || b.y + b.h <= a.y;
            EXPECT_TRUE(apart) << a.name << " overlaps " << b.name;
        }
}
