#include "engine/DecimationFilter.h"

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

    std::array<std::complex<double>, kOrder> poles;
    int n = 0;
    for (const auto& p : kBesselPoles)
    {
        const double radius = std::exp(p.real() * w);
        poles[n++] = radius * std::complex<double>(std::cos(p.imag() * w), std::sin(p.imag() * w));
        poles[n++] = radius * std::complex<double>(std::cos(-p.imag() * w), std::sin(-p.imag() * w));
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
    for (int j = kOrder; j > 0; --j)
        history_[j] = history_[j - 1];
    double y = gain_ * x;
    for (int j = 1; j <= kOrder; ++j)
        y += feedback_[j] * history_[j];
    history_[0] = DenormalFilter(y);
    return history_[0];
}
