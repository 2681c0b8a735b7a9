#include "cli/StateText.h"

#include "cli/ClosestNames.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>

namespace
{

using Json = nlohmann::ordered_json;

std::string VersionText(std::int32_t word)
{
    const auto bits = static_cast<std::uint32_t>(word);
    return std::to_string(bits >> 16) + "." + std::to_string((bits >> 8) & 0xFF) + "." +
           std::to_string(bits & 0xFF);
}

bool IsEnum(const IParameter& p)
{
    return p.Type() == IParameterType::Enum && p.DisplayTextCount() > 0;
}

// A value as JSON text, for messages; bytes that are not UTF-8 are shown replaced.
std::string Shown(const Json& value)
{
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// What a JSON value is, for messages.
std::string Kind(const Json& value)
{
    return value.is_string()   ? "the text " + Shown(value)
           : value.is_number() ? "the number " + Shown(value)
                               : std::string(value.type_name());
}

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

std::optional<double> ValueOf(const Json& value, const IParameter& p, std::string& error)
{
    const std::string name = "\"" + std::string(p.Name()) + "\"";
    if (value.is_string() && IsEnum(p))
    {
        const std::string text = value.get<std::string>();
        std::string choices;
        for (int i = 0; i < p.DisplayTextCount(); ++i)
        {
            if (EqualsIgnoreCase(text, p.DisplayTextAt(i).text)) return p.DisplayTextAt(i).value;
            choices += (i ? ", \"" : "\"") + std::string(p.DisplayTextAt(i).text) + "\"";
        }
        error = name + " takes one of " + choices + ", not \"" + text + "\"";
        return std::nullopt;
    }
    if (!value.is_number())
    {
        error = name + " takes " + std::string(IsEnum(p) ? "a value text or a number" : "a number") +
                ", found " + Kind(value);
        return std::nullopt;
    }
    const double number = value.get<double>();
    if (!(number >= p.Min() && number <= p.Max()))
    {
        error = name + " takes " + Number(p.Min()) + " to " + Number(p.Max()) +
                (*p.Label() ? std::string(" ") + p.Label() : std::string()) + ", found " + Shown(value);
        return std::nullopt;
    }
    if (p.Type() != IParameterType::Double && number != std::floor(number))
    {
        error = name + " takes a whole number, found " + Shown(value);
        return std::nullopt;
    }
    return number;
}

} // namespace

std::string StateToText(const std::vector<const IParameter*>& params, std::int32_t versionWord)
{
    // Written by hand around the library's values so that each parameter is one line: a change of
    // sound is then a change of the lines of the parameters that moved.
    std::string text = "{\n";
    text += "  \"format\": " + Json(kStateTextFormat).dump() + ",\n";
    text += "  \"version\": " + Json(kStateTextVersion).dump() + ",\n";
    text += "  \"instrument\": " + Json(VersionText(versionWord)).dump() + ",\n";
    text += "  \"parameters\": {\n";
    for (std::size_t i = 0; i < params.size(); ++i)
    {
        const IParameter& p = *params[i];
        Json entry;
        const char* shown = IsEnum(p) ? p.DisplayTextFor(p.Value()) : nullptr;
        if (shown)
            entry["value"] = shown;
        else
            entry["value"] = p.Value();
        if (*p.Label()) entry["unit"] = p.Label();
        text += "    " + Json(p.Name()).dump() + ": " + entry.dump() + (i + 1 < params.size() ? ",\n" : "\n");
    }
    text += "  }\n}\n";
    return text;
}

bool LooksLikeStateText(std::string_view bytes)
{
    for (char c : bytes)
    {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
        return c == '{';
    }
    return false;
}

bool StateFromText(std::string_view text, const std::vector<const IParameter*>& params,
                   std::int32_t versionWord, std::vector<double>& values, std::string& error)
{
    const Json document = Json::parse(text, nullptr, false);
    if (document.is_discarded())
    {
        error = "is not valid JSON";
        return false;
    }
    if (!document.is_object())
    {
        error = "holds " + Kind(document) + ", expected a JSON object";
        return false;
    }
    const auto format = document.find("format");
    if (format == document.end() || *format != kStateTextFormat)
    {
        error = "has format " + (format == document.end() ? std::string("(none)") : Shown(*format)) +
                ", expected \"" + kStateTextFormat + "\"";
        return false;
    }
    const auto version = document.find("version");
    if (version == document.end() || *version != kStateTextVersion)
    {
        error = "has version " + (version == document.end() ? std::string("(none)") : Shown(*version)) +
                ", expected " + std::to_string(kStateTextVersion);
        return false;
    }
    const auto instrument = document.find("instrument");
    if (instrument == document.end() || *instrument != VersionText(versionWord))
    {
        error = "is for instrument version " +
                (instrument == document.end() ? std::string("(none)") : Shown(*instrument)) +
                ", expected \"" + VersionText(versionWord) + "\"";
        return false;
    }
    const auto parameters = document.find("parameters");
    if (parameters == document.end() || !parameters->is_object())
    {
        error = "has no \"parameters\" object";
        return false;
    }
    std::vector<std::string> names;
    for (const IParameter* p : params)
        names.emplace_back(p->Name());
    for (const auto& [name, entry] : parameters->items())
    {
        const auto at = std::find(names.begin(), names.end(), name);
        if (at == names.end())
        {
            error = "names an unknown parameter \"" + name + "\"";
            const std::vector<std::string> close = ClosestNames(name, names);
            for (std::size_t i = 0; i < close.size(); ++i)
                error += (i == 0 ? " (did you mean \"" : " or \"") + close[i] + "\"";
            if (!close.empty()) error += "?)";
            return false;
        }
        const IParameter& p = *params[static_cast<std::size_t>(at - names.begin())];
        const Json* value = &entry;
        if (entry.is_object())
        {
            const auto unit = entry.find("unit");
            const std::string expected = p.Label();
            if (unit != entry.end() && (!unit->is_string() || unit->get<std::string>() != expected))
            {
                error = "gives \"" + name + "\" in " + Shown(*unit) + ", expected " +
                        (expected.empty() ? std::string("no unit") : "\"" + expected + "\"");
                return false;
            }
            const auto inner = entry.find("value");
            if (inner == entry.end())
            {
                error = "gives \"" + name + "\" no \"value\"";
                return false;
            }
            value = &*inner;
        }
        const std::optional<double> number = ValueOf(*value, p, error);
        if (!number) return false;
        values[static_cast<std::size_t>(at - names.begin())] = *number;
    }
    return true;
}
