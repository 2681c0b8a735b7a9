#include "instrument/ParamLayout.h"

#include "frame/IFrameBase.h"

// The identity and channel model every deliverable's frame is built with; the binding then sets
// the API kind of its interface.
IFrameConfig BrisbleepFrameConfig()
{
    IFrameConfig config;
    config.parameterCount = kParamCount;
    config.channelIOs = "0-1 0-2";
    config.presetCount = 1;
    config.effectName = "Brisbleep";
    config.productName = "";
    config.manufacturerName = "Quorvane";
    config.version = MakeVersion(1, 0, 1);
    config.uniqueId = FourCC("spgp");
    config.manufacturerId = FourCC("Qorv");
    config.latency = 0;
    config.doesMidi = true;
    config.doesStateChunks = false;
    config.isInstrument = true;
    return config;
}
