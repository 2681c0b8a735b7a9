#pragma once

#include <cstdint>

// Host transport information. A binding fills only what its host reports, so the caller's initial
// values stand for everything else.
struct ITimeInfo
{
    double tempo = 120.0;         // beats per minute
    double samplePosition = 0.0;  // samples since the start of the song
    double ppqPosition = 0.0;     // quarter notes
    double lastBarPosition = 0.0; // quarter notes
    double cycleStart = 0.0;      // quarter notes
    double cycleEnd = 0.0;        // quarter notes
    int32_t numerator = 4;
    int32_t denominator = 4;
    bool transportRunning = false;
    bool loopActive = false;
};
