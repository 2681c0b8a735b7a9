#include "frame/IParameter.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace
{
std::string Format(const IParameter& p, double x, bool normalized = false, bool texts = true)
{
    char buf[64];
    p.FormatValue(x, normalized, buf, texts);
    return buf;
}

IParameter Waveforms()
{
    IParameter p;
    p.DefineEnum("Wave", 0, 3, "wave");
    p.AddDisplayText(0, "Off");
    p.AddDisplayText(1, "Triangle");
    p.AddDisplayText(2, "Sin");
    return p;
}
} // namespace

TEST(IParameter, DefineKeepsMaximumAboveMinimumPlusStep)
{
    IParameter p;
    p.DefineDouble("x", 0, 0, 0.5, 1, "", 1);
    EXPECT_EQ(p.Max(), 1.0);
    EXPECT_EQ(p.DisplayPrecision(), 0);
    EXPECT_EQ(p.Type(), IParameterType::Double);
}

TEST(IParameter, DefineTypesAndZeroShape)
{
    IParameter e;
    e.DefineEnum("e", 2, 8);
    EXPECT_EQ(e.Type(), IParameterType::Enum);
    EXPECT_EQ(e.Min(), 0.0);
    EXPECT_EQ(e.Max(), 7.0);
    EXPECT_EQ(e.Value(), 2.0);
    EXPECT_EQ(e.Default(), 2.0);

    IParameter i;
    i.DefineInt("i", 0, -24, 24, "st");
    EXPECT_EQ(i.Type(), IParameterType::Int);
    EXPECT_STREQ(i.Label(), "st");

    IParameter s;
    s.DefineDouble("s", 0, 0, 1, 0.1, "", 3);
    EXPECT_EQ(s.Shape(), 3.0);
    s.DefineDouble("s", 0, 0, 1, 0.1, "", 0); // shape 0 keeps the current curve
    EXPECT_EQ(s.Shape(), 3.0);
    EXPECT_EQ(s.Type(), IParameterType::Double);

    // A fresh parameter is an undefined, automatable 0..1 range with a linear curve.
    IParameter fresh;
    EXPECT_EQ(fresh.Type(), IParameterType::None);
    EXPECT_TRUE(fresh.CanAutomate());
    EXPECT_EQ(fresh.ToNormalized(0.25), 0.25);
    fresh.DefineDouble("f", 0, 0, 4, 0.5, "", 0);
    EXPECT_EQ(fresh.Shape(), 1.0);
}

TEST(IParameter, OverlongNamesAreCut)
{
    IParameter p;
    const std::string longName(40, 'n');
    p.DefineDouble(longName.c_str(), 0, 0, 1, 0.1, longName.c_str());
    EXPECT_EQ(std::string(p.Name()), std::string(31, 'n'));
    EXPECT_EQ(std::string(p.Label()), std::string(31, 'n'));
}

TEST(IParameter, DisplayPrecisionFromStep)
{
    const std::pair<double, int> cases[] = {{1, 0},      {0.5, 1},     {0.1, 1},      {0.3, 1},
                                            {2.5, 1},    {0.25, 2},    {0.01, 2},     {0.001, 3},
                                            {0.0001, 4}, {0.00001, 5}, {0.0000001, 6}};
    for (const auto& [step, precision] : cases)
    {
        IParameter p;
        p.DefineDouble("p", 0, 0, 10, step);
        EXPECT_EQ(p.DisplayPrecision(), precision) << "step " << step;
    }
}

TEST(IParameter, SetFromNormalizedRoundsNonDoubleTypes)
{
    IParameter e;
    e.DefineEnum("e", 0, 8);
    e.SetFromNormalized(0.5); // 3.5 rounds up to 4
    EXPECT_EQ(e.Value(), 4.0);
    e.SetFromNormalized(1);
    EXPECT_EQ(e.Value(), 7.0);
    EXPECT_DOUBLE_EQ(e.ToNormalized(), 1.0);

    IParameter i;
    i.DefineInt("i", 0, -24, 24);
    i.SetFromNormalized(0.51); // 0.48 rounds to 0
    EXPECT_EQ(i.Value(), 0.0);
    EXPECT_EQ(i.AsInt(), 0);

    IParameter d;
    d.DefineDouble("d", 0, 0, 1, 0.5);
    d.SetFromNormalized(0.3);
    EXPECT_DOUBLE_EQ(d.Value(), 0.3);
}

TEST(IParameter, SetFromNormalizedStaysWithinTheUnitInterval)
{
    IParameter d;
    d.DefineDouble("d", 0.5, 0, 1, 0.01);
    d.SetFromNormalized(-0.5); // would otherwise give -0.5, below the range
    EXPECT_EQ(d.Value(), 0.0);
    d.SetFromNormalized(1.5);
    EXPECT_EQ(d.Value(), 1.0);
    d.SetFromNormalized(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(d.Value(), 0.0);

    IParameter curved; // a fractional power of a negative number is not a number
    curved.DefineDouble("c", 5, 2, 10, 0.1, "", 2.5);
    curved.SetFromNormalized(-0.1);
    EXPECT_EQ(curved.Value(), 2.0);

    IParameter semis;
    semis.DefineInt("s", 0, -24, 24);
    semis.SetFromNormalized(-1); // -24 - 48 without the limit
    EXPECT_EQ(semis.Value(), -24.0);
}

TEST(IParameter, StepRoundingCountsFromZeroAndCapsAtMaximum)
{
    IParameter p;
    p.DefineInt("p", 1, 1, 7);
    p.DefineDouble("p", 1, 1, 7, 2); // the type stays Int, the step becomes 2
    EXPECT_EQ(p.Type(), IParameterType::Int);
    p.SetFromNormalized(0); // 1 is not a multiple of 2: the nearest multiple counted from 0 is 2
    EXPECT_EQ(p.Value(), 2.0);
    p.SetFromNormalized(1); // 7 rounds up to 8, then the maximum caps it
    EXPECT_EQ(p.Value(), 7.0);
}

TEST(IParameter, NormalizedConversionWithShape)
{
    IParameter p;
    p.DefineDouble("p", 0, 0, 100, 0.01, "", 2);
    EXPECT_DOUBLE_EQ(p.FromNormalized(0.5), 25.0);
    EXPECT_DOUBLE_EQ(p.ToNormalized(25), 0.5);
    EXPECT_EQ(p.ToNormalized(-5), 0.0);
    EXPECT_EQ(p.ToNormalized(500), 1.0);
    for (double n = 0; n <= 1.0; n += 0.125)
        EXPECT_NEAR(p.ToNormalized(p.FromNormalized(n)), n, 1e-12);
}

TEST(IParameter, SetClampedDoesNotRound)
{
    IParameter p;
    p.DefineInt("p", 0, -2, 2);
    p.SetClamped(1.4);
    EXPECT_EQ(p.Value(), 1.4);
    EXPECT_EQ(p.AsInt(), 1);
    p.SetClamped(-9);
    EXPECT_EQ(p.Value(), -2.0);
    p.SetClamped(-1.7);
    EXPECT_EQ(p.AsInt(), -1); // toward zero
}

TEST(IParameter, FormatUsesDisplayTexts)
{
    IParameter p = Waveforms();
    p.SetClamped(2);
    EXPECT_EQ(Format(p, 2), "Sin");
    char buf[32];
    p.FormatCurrentValue(buf);
    EXPECT_STREQ(buf, "Sin");
    EXPECT_STREQ(p.HostLabel(), "");
    EXPECT_EQ(Format(p, 2, false, false), "2");
    EXPECT_EQ(Format(p, 1.0, true), "Sin"); // normalised 1 is the maximum
    EXPECT_EQ(Format(p, 1.9), "Triangle");  // truncated before the lookup
}

TEST(IParameter, FormatNumbers)
{
    IParameter fine;
    fine.DefineDouble("f", 0, 0, 100, 0.01);
    EXPECT_EQ(Format(fine, 12.346), "12.35");
    IParameter whole;
    whole.DefineDouble("w", 0, 0, 100, 1);
    EXPECT_EQ(Format(whole, 12.346), "12");
    EXPECT_EQ(Format(whole, 12.9), "12");
    whole.SetNegateDisplay(true);
    EXPECT_EQ(Format(whole, 3), "-3");

    char tiny[3];
    fine.FormatValue(12.346, false, tiny, true);
    EXPECT_STREQ(tiny, "12");
}

TEST(IParameter, EmptyDisplayTextFallsBackToNumberAndLabel)
{
    IParameter p;
    p.DefineEnum("p", 1, 3, "Hz");
    p.AddDisplayText(0, "Off");
    p.AddDisplayText(1, "");
    p.AddDisplayText(1, "Shadowed"); // only the first match counts
    EXPECT_EQ(Format(p, 1), "1");
    EXPECT_STREQ(p.HostLabel(), "Hz");
    EXPECT_EQ(Format(p, 2), "2"); // no entry at all
    p.SetClamped(0);
    EXPECT_STREQ(p.HostLabel(), "");
}
