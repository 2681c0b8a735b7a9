#pragma once

#include <cstdint>
#include <span>
#include <vector>

enum class IParameterType : int32_t
{
    None = 0,
    Bool = 1,
    Int = 2,
    Enum = 3,
    Double = 4,
};

// Fixed-size text field length (including the terminating NUL) of names, labels and display texts.
inline constexpr int kParameterTextSize = 32;

// A text shown in place of a number, for one integer value of the parameter.
struct IDisplayText
{
    int32_t value = 0;
    char text[kParameterTextSize] = {};
};

// One automatable value. Hosts see it normalised to [0, 1] through the shape curve
// n = ((x - min) / (max - min))^(1 / shape); the instrument reads the real value.
// Nothing here locks: callers hold the frame mutex when the audio thread may run.
class IParameter
{
public:
    IParameter() = default;

    // The first Define call fixes the type; DefineInt and DefineEnum route through DefineDouble, which
    // then keeps the type already chosen. Texts longer than 31 characters are cut.
    void DefineDouble(const char* name, double defaultValue, double minimum, double maximum, double step,
                      const char* label = "", double shape = 1.0);
    void DefineInt(const char* name, int defaultValue, int minimum, int maximum, const char* label = "");
    void DefineEnum(const char* name, int defaultValue, int count, const char* label = "");
    // An on/off switch: an integer parameter from 0 to 1.
    void DefineBool(const char* name, bool defaultValue, const char* label = "");

    // Entries keep their order; lookups take the first entry with a matching value.
    void AddDisplayText(int value, const char* text);

    double FromNormalized(double normalized) const;
    double ToNormalized(double value) const;
    double ToNormalized() const { return ToNormalized(value_); }

    // Non-Double types round to the nearest multiple of the step (counted from 0, halves up);
    // the result is capped at the maximum but not raised to the minimum. The normalised value is
    // taken within [0, 1] (NaN as 0).
    void SetFromNormalized(double normalized);
    // For real values from a host or a stored state: clamped, never rounded.
    void SetClamped(double value);

    // Truncates toward zero.
    int AsInt() const;

    // Writes the display text of x (a real value, or a normalised one when isNormalized) into out,
    // always NUL-terminated and cut to fit.
    void FormatValue(double x, bool isNormalized, std::span<char> out, bool useDisplayTexts) const;
    void FormatCurrentValue(std::span<char> out) const { FormatValue(value_, false, out, true); }
    // The unit label for the host; empty when a display text already names the current value.
    const char* HostLabel() const;

    // The non-empty display text of the first entry for value (truncated), or nullptr.
    const char* DisplayTextFor(double value) const;
    int DisplayTextCount() const { return static_cast<int>(displayTexts_.size()); }
    const IDisplayText& DisplayTextAt(int i) const { return displayTexts_[i]; }

    IParameterType Type() const { return type_; }
    double Value() const { return value_; }
    double Min() const { return minimum_; }
    double Max() const { return maximum_; }
    double Step() const { return step_; }
    double Shape() const { return shape_; }
    double Default() const { return defaultValue_; }
    int DisplayPrecision() const { return displayPrecision_; }
    const char* Name() const { return name_; }
    const char* Label() const { return label_; }
    const char* Group() const { return group_; }
    bool NegateDisplay() const { return negateDisplay_; }
    void SetNegateDisplay(bool negate) { negateDisplay_ = negate; }
    bool CanAutomate() const { return canAutomate_; }
    void SetCanAutomate(bool canAutomate) { canAutomate_ = canAutomate; }

private:
    IParameterType type_ = IParameterType::None;
    double value_ = 0.0;
    double minimum_ = 0.0;
    double maximum_ = 1.0;
    double step_ = 1.0;
    double shape_ = 1.0;
    double defaultValue_ = 0.0;
    int32_t displayPrecision_ = 0;
    char name_[kParameterTextSize] = {};
    char label_[kParameterTextSize] = {};
    char group_[kParameterTextSize] = {};
    bool negateDisplay_ = false;
    bool canAutomate_ = true;
    std::vector<IDisplayText> displayTexts_;
};
