// "--set" values written the way the host or the editor displays them.

#include "cli/ParamSettings.h"
#include "cli/NoteName.h"

#include "instrument/Brisbleep.h"
#include "instrument/ParamLayout.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{

class SetValues : public ::testing::Test
{
protected:
    SetValues() : instrument(std::make_unique<Brisbleep>(OfflineHostContext{}))
    {
        for (int i = 0; i < instrument->NParams(); ++i)
            params.push_back(instrument->GetParam(i));
    }

    // The value a setting resolves to; fails the test when it is refused.
    double Value(const std::string& setting, int expectedIndex)
    {
        std::string error;
        const auto a = ParseAssignment(setting, params, error);
        EXPECT_TRUE(a.has_value()) << setting << ": " << error;
        if (!a) return -1e300;
        EXPECT_EQ(a->index, expectedIndex) << setting;
        return a->value;
    }
    std::string Refusal(const std::string& setting)
    {
        std::string error;
        EXPECT_FALSE(ParseAssignment(setting, params, error).has_value()) << setting;
        return error;
    }

    std::unique_ptr<Brisbleep> instrument;
    std::vector<const IParameter*> params;
};

} // namespace

TEST_F(SetValues, TheUnitMayFollowTheNumber)
{
    EXPECT_EQ(Value("Output Gain=-3 dB", kOutputGain), -3.0);
    EXPECT_EQ(Value("Output Gain=-3dB", kOutputGain), -3.0);
    EXPECT_EQ(Value("Amp Env Release=0.5 s", kAmpEnvRelease), 0.5);
    EXPECT_EQ(Value("Filter LP Cutoff=2000hz", kFilterLpCutoff), 2000.0);
    EXPECT_EQ(Value("Osc1 Octave=2 oct", kOsc1Octave), 2.0);
    EXPECT_EQ(Value("Pitch Jump Transpose=-5 st", kPitchJumpTranspose), -5.0);
    // Only the parameter's own unit.
    EXPECT_NE(Refusal("Output Gain=-3 Hz").find("invalid value \"-3 Hz\" for \"Output Gain\""),
              std::string::npos);
    EXPECT_NE(Refusal("Osc1 Phase=0.5 s").find("expected a number"), std::string::npos);
    EXPECT_NE(Refusal("Output Gain=dB").find("invalid value"), std::string::npos);
}

TEST_F(SetValues, PitchEnvelopeNotesTakeNoteNames)
{
    EXPECT_EQ(Value("Pitch High Note=C7", kPitchHighNote), 96.0);
    EXPECT_EQ(Value("Pitch High Note=G 9", kPitchHighNote), 127.0); // as the editor writes it
    EXPECT_EQ(Value("Pitch Low Note=C 0", kPitchLowNote), 12.0);
    EXPECT_EQ(Value("Pitch Low Note=f#3", kPitchLowNote), 54.0);
    EXPECT_EQ(Value("Pitch Low Note=40", kPitchLowNote), 40.0);
    EXPECT_NE(Refusal("Pitch Low Note=B-1").find("out of range: use 12 to 127"), std::string::npos);
    EXPECT_NE(Refusal("Pitch Low Note=H2").find("expected a note number or a name such as C4"),
              std::string::npos);
    EXPECT_NE(Refusal("Osc1 Octave=C4").find("expected a number"), std::string::npos);

    EXPECT_EQ(ParseNote("C# 4"), 61);
    EXPECT_EQ(ParseNote("Bb-1"), 10);
    EXPECT_FALSE(ParseNote("C  4").has_value());
    EXPECT_FALSE(ParseNote("C ").has_value());
}

TEST_F(SetValues, ARangeEndTypedAsDisplayedIsThatEnd)
{
    // The resonance minimum 0.7071067811865476 is displayed with three decimals.
    EXPECT_EQ(Value("Filter LP Resonance=0.707", kFilterLpResonance), 0.7071067811865476);
    EXPECT_EQ(Value("Filter HP Resonance=0.7066", 44), 0.7071067811865476);
    EXPECT_NE(Refusal("Filter HP Resonance=0.7064").find("out of range"), std::string::npos);
    // Amplitude sustain stops just above 0, which it displays as 0.000.
    EXPECT_EQ(Value("Amp Env Sustain=0", 32), 0.000001);
    EXPECT_EQ(Value("Output Gain=12.04", kOutputGain), 12.0);
    EXPECT_NE(Refusal("Output Gain=12.06").find("out of range: use -48 to 12 dB"), std::string::npos);
    // Whole-number parameters have no such margin.
    EXPECT_NE(Refusal("Osc1 Octave=7").find("out of range: use -6 to 6 oct"), std::string::npos);
    EXPECT_NE(Refusal("Osc1 Type=8").find("out of range"), std::string::npos);
}
