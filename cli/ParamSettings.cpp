#include "cli/ParamSettings.h"

#include "cli/ClosestNames.h"
#include "cli/NoteName.h"

#include "instrument/ParamLayout.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ostream>

namespace
{

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

std::optional<double> ParseNumber(std::string_view text)
{
    double value = 0.0;
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::string Number(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

std::string Quoted(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 2);
    out.push_back('"');
    out.append(text);
    out.push_back('"');
    return out;
}

bool IsWhole(IParameterType type)
{
    return type == IParameterType::Int || type == IParameterType::Enum;
}

std::string ValueTexts(const IParameter& p)
{
    std::string texts;
    for (int i = 0; i < p.DisplayTextCount(); ++i)
    {
        if (i > 0) texts += ", ";
        texts += Quoted(p.DisplayTextAt(i).text);
    }
    return texts;
}

// The value as a host displays it may carry the unit: "-3 dB", "0.5s", "2000 Hz".
std::string_view WithoutUnit(std::string_view text, const IParameter& p)
{
    const std::string_view unit = p.Label();
    if (unit.empty() || text.size() <= unit.size()) return text;
    if (!EqualsIgnoreCase(text.substr(text.size() - unit.size()), unit)) return text;
    return Trimmed(text.substr(0, text.size() - unit.size()));
}

// The pitch envelope's two notes are shown as note names in the editor ("C 7"), so they take
// names as well as numbers.
bool IsNoteParameter(int index)
{
    return index == kPitchHighNote || index == kPitchLowNote;
}

// Whether a value lies in the parameter's range as the host displays it: a value typed as shown
// ("0.707" for the resonance minimum 0.70710678...) counts as that end of the range.
bool InDisplayedRange(const IParameter& p, double value)
{
    if (value >= p.Min() && value <= p.Max()) return true;
    if (p.Type() != IParameterType::Double) return false;
    const double scale = std::pow(10.0, p.DisplayPrecision());
    const auto shown = [scale](double x) { return std::round(x * scale) / scale; };
    return shown(value) >= shown(p.Min()) && shown(value) <= shown(p.Max());
}

std::optional<int> FindParameter(std::string_view name, const std::vector<const IParameter*>& params)
{
    for (std::size_t i = 0; i < params.size(); ++i)
        if (EqualsIgnoreCase(name, params[i]->Name())) return static_cast<int>(i);
    const auto number = ParseNumber(name);
    if (number && *number == std::floor(*number) && *number >= 0 &&
        *number < static_cast<double>(params.size()))
        return static_cast<int>(*number);
    return std::nullopt;
}

} // namespace

std::optional<ParamAssignment>
ParseAssignment(std::string_view text, const std::vector<const IParameter*>& params, std::string& error)
{
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos)
    {
        error = "--set " + Quoted(text) + " has no value: write \"NAME=VALUE\"";
        return std::nullopt;
    }
    const std::string_view name = Trimmed(text.substr(0, equals));
    const std::string_view valueText = Trimmed(text.substr(equals + 1));

    const auto index = FindParameter(name, params);
    if (!index)
    {
        std::vector<std::string> names;
        for (const IParameter* p : params)
            names.emplace_back(p->Name());
        const auto close = ClosestNames(name, names);
        error = "unknown parameter " + Quoted(name);
        for (std::size_t i = 0; i < close.size(); ++i)
            error += (i == 0 ? " (did you mean " : i + 1 == close.size() ? " or " : ", ") + Quoted(close[i]);
        error += close.empty() ? "; see --list-params" : "?)";
        return std::nullopt;
    }
    const IParameter& p = *params[*index];

    std::optional<double> value;
    for (int i = 0; i < p.DisplayTextCount() && !value; ++i)
        if (EqualsIgnoreCase(valueText, p.DisplayTextAt(i).text)) value = p.DisplayTextAt(i).value;
    if (!value) value = ParseNumber(WithoutUnit(valueText, p));
    if (!value && IsNoteParameter(*index))
        if (const auto note = ParseNote(valueText)) value = *note;
    if (!value)
    {
        error = "invalid value " + Quoted(valueText) + " for " + Quoted(p.Name());
        error += p.DisplayTextCount() > 0  ? ": use one of " + ValueTexts(p)
                 : IsNoteParameter(*index) ? ": expected a note number or a name such as C4"
                                           : ": expected a number";
        return std::nullopt;
    }
    if (IsWhole(p.Type()) && *value != std::floor(*value))
    {
        error = "value " + Number(*value) + " for " + Quoted(p.Name()) + " must be a whole number";
        return std::nullopt;
    }
    if (!InDisplayedRange(p, *value))
    {
        error = "value " + Number(*value) + " for " + Quoted(p.Name()) + " is out of range: use " +
                Number(p.Min()) + " to " + Number(p.Max());
        if (p.Label()[0] != '\0') error += std::string(" ") + p.Label();
        return std::nullopt;
    }
    return ParamAssignment{*index, std::clamp(*value, p.Min(), p.Max())};
}

void PrintParameterList(std::ostream& out, const std::vector<const IParameter*>& params)
{
    char line[512];
    std::snprintf(line, sizeof line, "%-5s %-22s %10s %10s %10s  %-5s %s\n", "INDEX", "NAME", "MIN", "MAX",
                  "DEFAULT", "UNIT", "VALUES");
    out << line;
    for (std::size_t i = 0; i < params.size(); ++i)
    {
        const IParameter& p = *params[i];
        std::snprintf(line, sizeof line, "%-5zu %-22s %10s %10s %10s  %-5s ", i, p.Name(),
                      Number(p.Min()).c_str(), Number(p.Max()).c_str(), Number(p.Default()).c_str(),
                      p.Label()[0] != '\0' ? p.Label() : "-");
        std::string texts;
        for (int t = 0; t < p.DisplayTextCount(); ++t)
            texts += (t > 0 ? ", " : "") + std::to_string(p.DisplayTextAt(t).value) + "=" +
                     p.DisplayTextAt(t).text;
        out << line << texts << '\n';
    }
}
