#pragma once

#include <cstdint>
#include <cstring>

// Four doubles worked on side by side, one per voice. Every operation is the plain IEEE one per
// lane (+, -, x, / and comparisons; no fused multiply-add, the engine is built with contraction
// off), so a lane computes bit for bit what the same expression computes on one double. The
// compiler's generic vectors let one kernel become SSE2 code (two registers per value) or AVX2
// code (one register) depending on the function it is inlined into.
//
// Values are wrapped in structs: a bare 32-byte vector passed between functions built for
// different instruction sets changes the calling convention, a struct does not.

struct LaneMask
{
    using Bits = std::int64_t __attribute__((vector_size(32)));
    Bits bits; // all ones where true

    static LaneMask None() { return {Bits{0, 0, 0, 0}}; }

    friend LaneMask operator&(LaneMask a, LaneMask b) { return {a.bits & b.bits}; }
    friend LaneMask operator|(LaneMask a, LaneMask b) { return {a.bits | b.bits}; }
    friend LaneMask operator!(LaneMask a) { return {~a.bits}; }
};

struct Lanes
{
    using Vector = double __attribute__((vector_size(32)));
    static constexpr int kCount = 4;
    Vector v;

    static Lanes Splat(double x) { return {Vector{x, x, x, x}}; }
    static Lanes Load(const double* p)
    {
        Lanes r;
        std::memcpy(&r.v, p, sizeof r.v);
        return r;
    }
    void Store(double* p) const { std::memcpy(p, &v, sizeof v); }
    double operator[](int lane) const { return v[lane]; }

    friend Lanes operator+(Lanes a, Lanes b) { return {a.v + b.v}; }
    friend Lanes operator-(Lanes a, Lanes b) { return {a.v - b.v}; }
    friend Lanes operator*(Lanes a, Lanes b) { return {a.v * b.v}; }
    friend Lanes operator/(Lanes a, Lanes b) { return {a.v / b.v}; }
    friend Lanes operator-(Lanes a) { return {-a.v}; }
    friend Lanes operator+(Lanes a, double b) { return {a.v + b}; }
    friend Lanes operator-(Lanes a, double b) { return {a.v - b}; }
    friend Lanes operator*(Lanes a, double b) { return {a.v * b}; }
    friend Lanes operator/(Lanes a, double b) { return {a.v / b}; }
    friend Lanes operator+(double a, Lanes b) { return {a + b.v}; }
    friend Lanes operator-(double a, Lanes b) { return {a - b.v}; }
    friend Lanes operator*(double a, Lanes b) { return {a * b.v}; }
    friend Lanes operator/(double a, Lanes b) { return {a / b.v}; }

    friend LaneMask operator<(Lanes a, Lanes b) { return {a.v < b.v}; }
    friend LaneMask operator<=(Lanes a, Lanes b) { return {a.v <= b.v}; }
    friend LaneMask operator>(Lanes a, Lanes b) { return {a.v > b.v}; }
    friend LaneMask operator>=(Lanes a, Lanes b) { return {a.v >= b.v}; }
    friend LaneMask operator==(Lanes a, Lanes b) { return {a.v == b.v}; }
    friend LaneMask operator<(Lanes a, double b) { return {a.v < b}; }
    friend LaneMask operator<=(Lanes a, double b) { return {a.v <= b}; }
    friend LaneMask operator>(Lanes a, double b) { return {a.v > b}; }
    friend LaneMask operator>=(Lanes a, double b) { return {a.v >= b}; }
    friend LaneMask operator==(Lanes a, double b) { return {a.v == b}; }
};

// a where the mask is set, b elsewhere: the lane form of cond ? a : b.
inline Lanes Select(LaneMask mask, Lanes a, Lanes b)
{
    using Bits = LaneMask::Bits;
    return {reinterpret_cast<Lanes::Vector>((reinterpret_cast<Bits>(a.v) & mask.bits) |
                                            (reinterpret_cast<Bits>(b.v) & ~mask.bits))};
}

// The scalar form, so that one template serves a double and four lanes.
inline double Select(bool condition, double a, double b)
{
    return condition ? a : b;
}

// |x| with the sign bit cleared, as std::abs does (also for -0.0 and NaN).
inline Lanes Abs(Lanes x)
{
    using Bits = LaneMask::Bits;
    constexpr std::int64_t kNoSign = 0x7fffffffffffffff;
    return {reinterpret_cast<Lanes::Vector>(reinterpret_cast<Bits>(x.v) &
                                            Bits{kNoSign, kNoSign, kNoSign, kNoSign})};
}

inline double Abs(double x)
{
    return __builtin_fabs(x);
}

inline bool AnyLane(LaneMask mask)
{
    return (mask.bits[0] | mask.bits[1] | mask.bits[2] | mask.bits[3]) != 0;
}

inline bool LaneSet(LaneMask mask, int lane)
{
    return mask.bits[lane] != 0;
}

inline LaneMask MaskOf(const bool (&lanes)[Lanes::kCount])
{
    return {LaneMask::Bits{-std::int64_t{lanes[0]}, -std::int64_t{lanes[1]}, -std::int64_t{lanes[2]},
                           -std::int64_t{lanes[3]}}};
}

// The integer part of each lane, as an integer and as a double, for lanes in 0 <= x < 2^31: there
// truncation is the floor.
struct LaneTruncation
{
    using Ints = std::int32_t __attribute__((vector_size(16)));
    Ints ints;
    Lanes asDouble;
};
inline LaneTruncation TruncateNonNegative(Lanes x)
{
    const LaneTruncation::Ints ints = __builtin_convertvector(x.v, LaneTruncation::Ints);
    return {ints, {__builtin_convertvector(ints, Lanes::Vector)}};
}
