#pragma once

#include <cstdint>

// Sample-rate and resolution reduction of a mono signal. New values are taken once every
// N + 1 calls, N = sourceRate / targetRate truncated, and rounded to a grid of 2^-bitDepth.
class ZKBitCrusher2
{
public:
    virtual ~ZKBitCrusher2() = default;

    // One sample through the crusher; returns the value currently being held.
    double Process(double x);

    double sourceRate = 44100.0;
    double targetRate = 44100.0;
    double bitDepth = 16.0;
    std::int64_t holdCounter = 0;
    double heldSample = 0.0;
};
