#include "frame/IParameter.h"

#include "frame/FrameText.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

namespace
{
constexpr int kMaxDisplayPrecision = 6;

// Truncation toward zero that stays defined for values outside the int range.
int TruncateToInt(double x)
{
    if (!(x == x)) return 0;
    if (x >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (x <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(x);
}
} // namespace

void IParameter::DefineDouble(const char* name, double defaultValue, double minimum, double maximum,
                              double step, const char* label, double shape)
{
    if (type_ == IParameterType::None) type_ = IParameterType::Double;
    CopyText(name_, name);
    CopyText(label_, label);
    group_[0] = '\0';
    minimum_ = minimum;
    value_ = defaultValue;
    defaultValue_ = defaultValue;
    maximum_ = minimum + step > maximum ? minimum + step : maximum;
    step_ = step;

    displayPrecision_ = 0;
    for (double s = step; s != std::floor(s) && displayPrecision_ < kMaxDisplayPrecision; s *= 10.0)
        ++displayPrecision_;

    if (shape != 0.0) shape_ = shape;
}

void IParameter::DefineInt(const char* name, int defaultValue, int minimum, int maximum, const char* label)
{
    if (type_ == IParameterType::None) type_ = IParameterType::Int;
    DefineDouble(name, defaultValue, minimum, maximum, 1.0, label, 1.0);
}

void IParameter::DefineEnum(const char* name, int defaultValue, int count, const char* label)
{
    if (type_ == IParameterType::None) type_ = IParameterType::Enum;
    DefineInt(name, defaultValue, 0, count - 1, label);
}

void IParameter::DefineBool(const char* name, bool defaultValue, const char* label)
{
    if (type_ == IParameterType::None) type_ = IParameterType::Bool;
    DefineInt(name, defaultValue ? 1 : 0, 0, 1, label);
}

void IParameter::AddDisplayText(int value, const char* text)
{
    IDisplayText entry;
    entry.value = value;
    CopyText(entry.text, text);
    displayTexts_.push_back(entry);
}

double IParameter::FromNormalized(double normalized) const
{
    return minimum_ + std::pow(normalized, shape_) * (maximum_ - minimum_);
}

double IParameter::ToNormalized(double value) const
{
    const double range = maximum_ - minimum_;
    if (!(range > 0.0)) return 0.0; // degenerate range: every value is the minimum
    const double c = std::clamp(value, minimum_, maximum_);
    return std::pow((c - minimum_) / range, 1.0 / shape_);
}

void IParameter::SetFromNormalized(double normalized)
{
    // Hosts and controls mean [0, 1]; a value outside it would land below the minimum (or, with a
    // fractional shape, on no number at all), and a NaN is not a value.
    normalized = std::isnan(normalized) ? 0.0 : std::clamp(normalized, 0.0, 1.0);
    double v = FromNormalized(normalized);
    if (type_ != IParameterType::Double && step_ > 0.0) v = std::floor(v / step_ + 0.5) * step_;
    value_ = std::min(v, maximum_);
}

void IParameter::SetClamped(double value)
{
    if (std::isnan(value)) value = 0.0; // a damaged state reads like a missing value
    value_ = std::clamp(value, minimum_, maximum_);
}

int IParameter::AsInt() const
{
    return TruncateToInt(value_);
}

const char* IParameter::DisplayTextFor(double value) const
{
    const int key = TruncateToInt(value);
    for (const IDisplayText& entry : displayTexts_)
        if (entry.value == key) return entry.text[0] != '\0' ? entry.text : nullptr;
    return nullptr;
}

void IParameter::FormatValue(double x, bool isNormalized, std::span<char> out, bool useDisplayTexts) const
{
    if (out.empty()) return;
    if (isNormalized) x = FromNormalized(x);
    if (useDisplayTexts)
        if (const char* text = DisplayTextFor(x))
        {
            CopyText(out.data(), out.size(), text);
            return;
        }
    if (negateDisplay_) x = -x;
    if (displayPrecision_ > 0)
        std::snprintf(out.data(), out.size(), "%.*f", displayPrecision_, x);
    else
        std::snprintf(out.data(), out.size(), "%d", TruncateToInt(x));
}

const char* IParameter::HostLabel() const
{
    return DisplayTextFor(value_) ? "" : label_;
}
