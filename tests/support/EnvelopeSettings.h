#pragma once

#include "engine/EG.h"

#include <array>

// Sets every stage of an envelope at rest: times of attack, hold, decay, the sustain level and
// the release time, indexed by stage (the StageOff entry is ignored).
inline void SetStageSettings(EG& envelope, const std::array<double, kEnvelopeStageCount>& settings)
{
    for (int s = StageAttack; s <= StageRelease; ++s)
        envelope.SetStageValue(static_cast<EnvelopeStage>(s), settings[s]);
}
