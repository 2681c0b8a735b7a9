#include "instrument/DecimationFilter.h"

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

void DesignDecimationFilter(DecimationFilter& filter, double fc)
{
    const double w = 2.0 * std::numbers::pi * fc;

    std::array<std::complex<double>, DecimationFilter::kOrder> poles;
    int n = 0;
    for (const auto& p : kBesselPoles)
    {
        const double radius = std::exp(p.real() * w);
        poles[n++] = radius * std::complex<double>(std::cos(p.imag() * w), std::sin(p.imag() * w));
        poles[n++] = radius * std::complex<double>(std::cos(-p.imag() * w), std::sin(-p.imag() * w));
    }

    // Monic polynomial (x - z1)...(x - z8), c[k] the coefficient of x^k, built one factor at a time.
    std::array<std::complex<double>, DecimationFilter::kOrder + 1> c{};
    c[0] = 1.0;
    for (int k = 0; k < DecimationFilter::kOrder; ++k)
    {
        for (int i = k + 1; i > 0; --i)
            c[i] = c[i - 1] - poles[k] * c[i];
        c[0] = -poles[k] * c[0];
    }

    // P(1), summed from the leading coefficient down.
    std::complex<double> atOne = 0.0;
    for (int k = DecimationFilter::kOrder; k >= 0; --k)
        atOne += c[k];
    filter.gain = std::abs(atOne);

    filter.feedback[0] = 0.0;
    for (int j = 1; j <= DecimationFilter::kOrder; ++j)
        filter.feedback[j] = -c[DecimationFilter::kOrder - j].real() / c[DecimationFilter::kOrder].real();
}

double DecimationFilter::Process(double x)
{
    for (int j = kOrder; j > 0; --j)
        history[j] = history[j - 1];
    double y = gain * x;
    for (int j = 1; j <= kOrder; ++j)
        y += feedback[j] * history[j];
    history[0] = DenormalFilter(y);
    return history[0];
}
