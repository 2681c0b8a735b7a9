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
    // The state count calls of Process(0.0) would leave, in a handful of steps.
    void SkipZeros(std::int64_t count);

    // Changes take effect when the running hold ends.
    void SetSourceRate(double hertz) { sourceRate_ = hertz; }
    void SetTargetRate(double hertz) { targetRate_ = hertz; }
    void SetBitDepth(double bits) { bitDepth_ = bits; }

    double SourceRate() const { return sourceRate_; }
    double TargetRate() const { return targetRate_; }
    double BitDepth() const { return bitDepth_; }
    // Calls left before the next new value.
    std::int64_t HoldCounter() const { return holdCounter_; }
    double HeldSample() const { return heldSample_; }

private:
    double sourceRate_ = 44100.0;
    double targetRate_ = 44100.0;
    double bitDepth_ = 16.0;
    std::int64_t holdCounter_ = 0;
    double heldSample_ = 0.0;
};
