#include "vst3/VST3Parameters.h"

#include "vst3/VST3Text.h"

#include <algorithm>
#include <cmath>
#include <utility>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{
// The SDK's own answers would be linear between minimum and maximum for ranges and a floor of
// n * (entries) for lists, while the parameter itself curves and rounds a normalised value; a host
// would then show, reset to and type in values the instrument does not play. A copy of the frame
// parameter answers instead: normalised to plain gives the value the parameter takes for it.
template <typename Base> class FrameConversion : public Base
{
public:
    template <typename... Args>
    explicit FrameConversion(const IParameter& param, Args&&... args)
        : Base(std::forward<Args>(args)...), model(param)
    {
    }

    ParamValue toPlain(ParamValue normalized) const override
    {
        // Conversions run under the frame mutex (the controller's entry points hold it), so the one
        // scratch copy is never shared between threads.
        model.SetFromNormalized(std::clamp(normalized, 0.0, 1.0));
        return model.Value();
    }

    ParamValue toNormalized(ParamValue plain) const override { return model.ToNormalized(plain); }

private:
    mutable IParameter model;
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
        auto* list = new FrameConversion<StringListParameter>(param, title, id, units,
                                                              ParameterInfo::kIsList | automate, unit);
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
        auto* range = new FrameConversion<RangeParameter>(param, title, id, units, param.Min(), param.Max(),
                                                          param.Default(), stepCount, automate, unit);
        range->setPrecision(param.DisplayPrecision());
        result = range;
    }
    const double defaultNormalized = param.ToNormalized(param.Default());
    result->getInfo().defaultNormalizedValue = defaultNormalized;
    result->setNormalized(defaultNormalized);
    return result;
}
