#pragma once

// Memoryless power-law compressor: |x|^p with the sign kept, limited to +-2. With p below 1
// quiet samples are raised more than loud ones; full scale stays at +-1.
class Compressor
{
public:
    virtual ~Compressor() = default;

    // factor 0 (no compression, p = 1) to 1 (strongest, p = 0.2).
    void SetCompressionFactor(double factor) { exponent_ = 1.0 / (factor * 4.0 + 1.0); }

    double Compress(double x) const;
    // Compress of count values in place, eight at a time in lanes (the same bits as one by one).
    void Compress(double* values, int count) const;

    // The power p; 0 until a factor is set.
    double Exponent() const { return exponent_; }

private:
    double exponent_ = 0.0;
};
