#pragma once

#include <array>

// Anti-alias low-pass in front of the decimation of the oversampled engine signal: an 8th-order
// all-pole recursion whose poles are those of a Bessel prototype mapped to the z-plane, so the
// response stays free of ringing while it cuts everything above the host's Nyquist frequency.
class DecimationFilter
{
public:
    static constexpr int kOrder = 8;

    // Designs the filter for a corner at fc cycles per engine sample (0.0625 for eight times
    // oversampling); the gain makes the response exactly 1 at 0 Hz. The history is left alone.
    void Design(double fc);
    // Forgets every earlier output.
    void Reset() { history_.fill(0.0); }
    // Clears the history when every value in it is smaller than limit in magnitude. Fed with
    // silence the recursion would otherwise circulate rounding residue near 1e-16 for ever.
    void ClearResidueBelow(double limit);
    // True when the history holds only zeros: silence in gives exact silence out.
    bool IsClear() const;
    // Filters one engine sample and returns the new output.
    double Process(double x);
    // Filters count engine samples and returns the output of the first: the decimation to one host
    // sample, with the history kept in registers.
    double ProcessKeepingFirst(const double* x, int count);

    double Gain() const { return gain_; }
    // The weight of the output j samples back, 1 to kOrder.
    double Feedback(int j) const { return feedback_[j]; }
    // The output j samples back; 0 is the latest.
    double History(int j) const { return history_[j]; }

private:
    double gain_ = 0.0;
    // feedback_[j] weighs the output j samples back; index 0 is unused.
    std::array<double, kOrder + 1> feedback_{};
    // history_[0] is the latest output, history_[j] the output j samples earlier.
    std::array<double, kOrder + 1> history_{};
};
