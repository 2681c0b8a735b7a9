#include "vst3/VST3Parameters.h"

#include "vst3/VST3Text.h"

#include <algorithm>
#include <cmath>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{
// A range whose normalised form is ((x - min) / (max - min))^(1 / shape), as the frame's.
class ShapedRangeParameter : public RangeParameter
{
public:
    ShapedRangeParameter(const TChar* title, ParamID id, const TChar* units, double minimum, double maximum,
                         int32 stepCount, int32 flags, UnitID unit, double shape)
        : RangeParameter(title, id, units, minimum, maximum, minimum, stepCount, flags, unit), shape(shape)
    {
    }

    ParamValue toPlain(ParamValue normalized) const override
    {
        if (shape == 1.0) return RangeParameter::toPlain(normalized);
        const double n = std::clamp(normalized, 0.0, 1.0);
        return getMin() + std::pow(n, shape) * (getMax() - getMin());
    }

    ParamValue toNormalized(ParamValue plain) const override
    {
        if (shape == 1.0) return RangeParameter::toNormalized(plain);
        const double span = getMax() - getMin();
        if (!(span > 0.0)) return 0.0;
        const double c = std::clamp(plain, getMin(), getMax());
        return std::pow((c - getMin()) / span, 1.0 / shape);
    }

private:
    double shape;
};
} // namespace

Parameter* MakeVST3Parameter(const IParameter& param, ParamID id, UnitID unit)
{
    String128 title, units;
    ToString128(title, param.Name());
    ToString128(units, param.HostLabel());
    const int32 automate = param.CanAutomate() ? ParameterInfo::kCanAutomate : 0;

    Parameter* result = nullptr;
    if ((param.Type() == IParameterType::Bool || param.Type() == IParameterType::Enum) &&
        param.DisplayTextCount() > 0)
    {
        auto* list = new StringListParameter(title, id, units, ParameterInfo::kIsList | automate, unit);
        for (int value = 0; value < param.DisplayTextCount(); ++value)
        {
            String128 entry;
            ToString128(entry, param.DisplayTextFor(value));
            list->appendString(entry);
        }
        result = list;
    }
    else
    {
        // Integers move in whole steps; real values are continuous for the host.
        int32 stepCount = 0;
        if (param.Type() == IParameterType::Int && param.Step() > 0.0)
            stepCount = static_cast<int32>(std::lround((param.Max() - param.Min()) / param.Step()));
        auto* range = new ShapedRangeParameter(title, id, units, param.Min(), param.Max(), stepCount,
                                               automate, unit, param.Shape());
        range->setPrecision(param.DisplayPrecision());
        result = range;
    }
    const double defaultNormalized = param.ToNormalized(param.Default());
    result->getInfo().defaultNormalizedValue = defaultNormalized;
    result->setNormalized(defaultNormalized);
    return result;
}
