#include "engine/DecimationFilter.h"
#include "engine/EngineMath.h"

#include "engine/DenormalFilter.h"

#include <complex>
#include <numbers>

namespace
{

// Poles of the 8th-order Bessel low-pass normalised to -3 dB at 1 rad/s, one of each conjugate pair.
constexpr std::array<std::complex<double>, 4> kBesselPoles = {{
    {-1.7574084004017807, 0.272867575102548},
    {-1.636939418126819, 0.8227956251396226},
    {-1.3738412176373478, 1.3883565758775174},
    {-0.8928697188471307, 1.9983258436412903},
}};

} // namespace

void DecimationFilter::Design(double fc)
{
    const double w = 2.0 * std::numbers::pi * fc;
    // e^(p w) with p = a + ib: radius e^(a w) and angle b w, the angle in turns (b fc) for the
    // engine's own sine and cosine.

    std::array<std::complex<double>, kOrder> poles;
    int n = 0;
    for (const auto& p : kBesselPoles)
    {
        const double radius = engine_math::Exp(p.real() * w);
        poles[n++] = radius * std::complex<double>(engine_math::CosTwoPi(p.imag() * fc),
                                                   engine_math::SinTwoPi(p.imag() * fc));
        poles[n++] = radius * std::complex<double>(engine_math::CosTwoPi(-p.imag() * fc),
                                                   engine_math::SinTwoPi(-p.imag() * fc));
    }

    // Monic polynomial (x - z1)...(x - z8), c[k] the coefficient of x^k, built one factor at a time.
    std::array<std::complex<double>, kOrder + 1> c{};
    c[0] = 1.0;
    for (int k = 0; k < kOrder; ++k)
    {
        for (int i = k + 1; i > 0; --i)
            c[i] = c[i - 1] - poles[k] * c[i];
        c[0] = -poles[k] * c[0];
    }

    // P(1), summed from the leading coefficient down.
    std::complex<double> atOne = 0.0;
    for (int k = kOrder; k >= 0; --k)
        atOne += c[k];
    gain_ = std::abs(atOne);

    feedback_[0] = 0.0;
    for (int j = 1; j <= kOrder; ++j)
        feedback_[j] = -c[kOrder - j].real() / c[kOrder].real();
}

double DecimationFilter::Process(double x)
{
    return ProcessKeepingFirst(&x, 1);
}

double DecimationFilter::ProcessKeepingFirst(const double* x, int count)
{
    static_assert(kOrder == 8, "the unrolled history below has eight taps");
    double h0 = history_[0], h1 = history_[1], h2 = history_[2], h3 = history_[3], h4 = history_[4];
    double h5 = history_[5], h6 = history_[6], h7 = history_[7], h8 = history_[8];
    double first = 0.0;
    for (int n = 0; n < count; ++n)
    {
        h8 = h7;
        h7 = h6;
        h6 = h5;
        h5 = h4;
        h4 = h3;
        h3 = h2;
        h2 = h1;
        h1 = h0;
        double y = gain_ * x[n];
        y += feedback_[1] * h1;
        y += feedback_[2] * h2;
        y += feedback_[3] * h3;
        y += feedback_[4] * h4;
        y += feedback_[5] * h5;
        y += feedback_[6] * h6;
        y += feedback_[7] * h7;
        y += feedback_[8] * h8;
        h0 = DenormalFilter(y);
        if (n == 0) first = h0;
    }
    history_ = {h0, h1, h2, h3, h4, h5, h6, h7, h8};
    return first;
}

void DecimationFilter::ClearResidueBelow(double limit)
{
    for (double h : history_)
        if (!(h < limit && h > -limit)) return;
    Reset();
}

bool DecimationFilter::IsClear() const
{
    for (double h : history_)
        if (h != 0.0) return false;
    return true;
}
