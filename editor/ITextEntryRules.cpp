#include "editor/ITextEntryRules.h"

#include "editor/IControl.h"
#include "frame/IParameter.h"

#include <cstdlib>
#include <cstring>
#include <string>

bool TextEntryAccepts(const IParameter* param, char c)
{
    if (!param) return true;
    const bool sign = c == '+' || c == '-';
    const bool digit = c >= '0' && c <= '9';
    switch (param->Type())
    {
    case IParameterType::Bool:
    case IParameterType::Int:
    case IParameterType::Enum:
        return sign || digit;
    case IParameterType::Double:
        return sign || digit || c == '.';
    default:
        return true;
    }
}

double TextEntryValue(const IParameter& param, const char* text)
{
    const IParameterType type = param.Type();
    if (type == IParameterType::Bool || type == IParameterType::Enum)
    {
        for (int i = 0; i < param.DisplayTextCount(); ++i)
            if (std::strcmp(param.DisplayTextAt(i).text, text) == 0) return param.DisplayTextAt(i).value;
        // The entry of these types takes digits and signs only, so no text could ever match a word:
        // the number typed is the value (a switch without texts is set to 1 by typing 1).
        return std::atof(text);
    }
    double value = std::atof(text);
    if (param.NegateDisplay()) value = -value;
    return value;
}

void CommitTextEntry(IControl& control, IParameter* param, const char* text)
{
    const std::string kept = std::string(text ? text : "").substr(0, kTextEntryMaxLength);
    if (param)
        control.SetValueFromUser(param->ToNormalized(TextEntryValue(*param, kept.c_str())));
    else
        control.OnTextEntryDone(kept.c_str());
}
