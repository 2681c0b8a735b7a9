#pragma once

#include <cstdint>
#include <cstring>

// Four doubles worked on side by side, one per voice. Every operation is the plain IEEE one per
// lane (+, -, x, / and comparisons; no fused multiply-add, the engine is built with contraction
// off), so a lane computes bit for bit what the same expression computes on one double.
//
// The four lanes are held in Parts hardware vectors: one 32-byte vector for AVX2, two 16-byte
// ones for SSE2, whose instructions have no 32-byte form (left to the compiler, a 32-byte vector
// would be split into single elements wherever SSE2 lacks an operation). Values are wrapped in
// structs: a bare vector passed between functions built for different instruction sets changes
// the calling convention, a struct does not.

template <int Bytes> struct LaneVectors;
template <> struct LaneVectors<32>
{
    using Double = double __attribute__((vector_size(32)));
    using Int64 = std::int64_t __attribute__((vector_size(32)));
    using UInt64 = std::uint64_t __attribute__((vector_size(32)));
    using Int32 = std::int32_t __attribute__((vector_size(16)));
};
template <> struct LaneVectors<16>
{
    using Double = double __attribute__((vector_size(16)));
    using Int64 = std::int64_t __attribute__((vector_size(16)));
    using UInt64 = std::uint64_t __attribute__((vector_size(16)));
    using Int32 = std::int32_t __attribute__((vector_size(8)));
};

inline constexpr int kLaneCount = 4;

// A true/false per lane, all ones where true.
template <int Parts> struct BasicLaneMask
{
    static constexpr int kPartLanes = kLaneCount / Parts;
    using Bits = typename LaneVectors<8 * kPartLanes>::Int64;
    Bits part[Parts];

    static BasicLaneMask None()
    {
        BasicLaneMask m;
        for (Bits& p : m.part)
            p = Bits{};
        return m;
    }
    bool operator[](int lane) const { return part[lane / kPartLanes][lane % kPartLanes] != 0; }

    friend BasicLaneMask operator&(BasicLaneMask a, BasicLaneMask b)
    {
        for (int i = 0; i < Parts; ++i)
            a.part[i] &= b.part[i];
        return a;
    }
    friend BasicLaneMask operator|(BasicLaneMask a, BasicLaneMask b)
    {
        for (int i = 0; i < Parts; ++i)
            a.part[i] |= b.part[i];
        return a;
    }
    friend BasicLaneMask operator!(BasicLaneMask a)
    {
        for (Bits& p : a.part)
            p = ~p;
        return a;
    }
};

template <int Parts> struct BasicLanes
{
    static constexpr int kCount = kLaneCount;
    static constexpr int kPartLanes = kLaneCount / Parts;
    using Vector = typename LaneVectors<8 * kPartLanes>::Double;
    using Mask = BasicLaneMask<Parts>;
    Vector part[Parts];

    static BasicLanes Splat(double x)
    {
        BasicLanes r;
        for (Vector& p : r.part)
            for (int i = 0; i < kPartLanes; ++i)
                p[i] = x;
        return r;
    }
    static BasicLanes Load(const double* p)
    {
        BasicLanes r;
        std::memcpy(r.part, p, sizeof r.part);
        return r;
    }
    double operator[](int lane) const { return part[lane / kPartLanes][lane % kPartLanes]; }

    // Applies a part-wise operation; the scalar operand of the mixed forms is broadcast first.
    template <typename Op> static BasicLanes Map(BasicLanes a, BasicLanes b, Op op)
    {
        for (int i = 0; i < Parts; ++i)
            a.part[i] = op(a.part[i], b.part[i]);
        return a;
    }
    template <typename Op> static Mask Compare(BasicLanes a, BasicLanes b, Op op)
    {
        Mask m;
        for (int i = 0; i < Parts; ++i)
            m.part[i] = op(a.part[i], b.part[i]);
        return m;
    }

#define BRISBLEEP_LANE_OPERATOR(op)                                                                          \
    friend BasicLanes operator op(BasicLanes a, BasicLanes b)                                                \
    {                                                                                                        \
        return Map(a, b, [](Vector x, Vector y) { return x op y; });                                         \
    }                                                                                                        \
    friend BasicLanes operator op(BasicLanes a, double b)                                                    \
    {                                                                                                        \
        return a op Splat(b);                                                                                \
    }                                                                                                        \
    friend BasicLanes operator op(double a, BasicLanes b)                                                    \
    {                                                                                                        \
        return Splat(a) op b;                                                                                \
    }
#define BRISBLEEP_LANE_COMPARISON(op)                                                                        \
    friend Mask operator op(BasicLanes a, BasicLanes b)                                                      \
    {                                                                                                        \
        return Compare(a, b, [](Vector x, Vector y) { return x op y; });                                     \
    }                                                                                                        \
    friend Mask operator op(BasicLanes a, double b)                                                          \
    {                                                                                                        \
        return a op Splat(b);                                                                                \
    }

    BRISBLEEP_LANE_OPERATOR(+)
    BRISBLEEP_LANE_OPERATOR(-)
    BRISBLEEP_LANE_OPERATOR(*)
    BRISBLEEP_LANE_OPERATOR(/)
    BRISBLEEP_LANE_COMPARISON(<)
    BRISBLEEP_LANE_COMPARISON(<=)
    BRISBLEEP_LANE_COMPARISON(>)
    BRISBLEEP_LANE_COMPARISON(>=)
    BRISBLEEP_LANE_COMPARISON(==)
#undef BRISBLEEP_LANE_OPERATOR
#undef BRISBLEEP_LANE_COMPARISON

    friend BasicLanes operator-(BasicLanes a)
    {
        for (Vector& p : a.part)
            p = -p;
        return a;
    }
};

// The four lanes in one 256-bit register, and in two 128-bit ones (what SSE2 has, and what the
// voices use with AVX2 as well; see VoiceLanes.cpp).
using Lanes = BasicLanes<1>;
using SplitLanes = BasicLanes<2>;

// a where the mask is set, b elsewhere: the lane form of cond ? a : b (a blend instruction where
// the processor has one).
template <int Parts>
BasicLanes<Parts> Select(BasicLaneMask<Parts> mask, BasicLanes<Parts> a, BasicLanes<Parts> b)
{
    for (int i = 0; i < Parts; ++i)
        a.part[i] = mask.part[i] ? a.part[i] : b.part[i];
    return a;
}

// The scalar form, so that one template serves a double and four lanes.
inline double Select(bool condition, double a, double b)
{
    return condition ? a : b;
}

// |x| with the sign bit cleared, as std::abs does (also for -0.0 and NaN).
template <int Parts> BasicLanes<Parts> Abs(BasicLanes<Parts> x)
{
    using Bits = typename BasicLaneMask<Parts>::Bits;
    using Vector = typename BasicLanes<Parts>::Vector;
    for (Vector& p : x.part)
        p = reinterpret_cast<Vector>(reinterpret_cast<Bits>(p) & 0x7fffffffffffffff);
    return x;
}

inline double Abs(double x)
{
    return __builtin_fabs(x);
}

template <int Parts> bool AnyLane(BasicLaneMask<Parts> mask)
{
    std::int64_t any = 0;
    for (int lane = 0; lane < kLaneCount; ++lane)
        any |= mask.part[lane / mask.kPartLanes][lane % mask.kPartLanes];
    return any != 0;
}

template <typename Mask> Mask MaskOf(const bool (&lanes)[kLaneCount])
{
    Mask m;
    for (int lane = 0; lane < kLaneCount; ++lane)
        m.part[lane / Mask::kPartLanes][lane % Mask::kPartLanes] = -std::int64_t{lanes[lane]};
    return m;
}

// The integer part of each lane, as an integer and as a double, for lanes in 0 <= x < 2^31: there
// truncation is the floor.
template <int Parts> struct LaneTruncation
{
    int ints[kLaneCount];
    BasicLanes<Parts> asDouble;
};
template <int Parts> LaneTruncation<Parts> TruncateNonNegative(BasicLanes<Parts> x)
{
    using Ints = typename LaneVectors<8 * BasicLanes<Parts>::kPartLanes>::Int32;
    using Vector = typename BasicLanes<Parts>::Vector;
    LaneTruncation<Parts> t;
    for (int i = 0; i < Parts; ++i)
    {
        const Ints ints = __builtin_convertvector(x.part[i], Ints);
        t.asDouble.part[i] = __builtin_convertvector(ints, Vector);
        for (int k = 0; k < BasicLanes<Parts>::kPartLanes; ++k)
            t.ints[i * BasicLanes<Parts>::kPartLanes + k] = ints[k];
    }
    return t;
}

// Lanes from four whole numbers (every int is exact as a double).
template <typename Lanes> Lanes LanesFromInts(const std::int32_t (&values)[kLaneCount])
{
    using Ints = typename LaneVectors<8 * Lanes::kPartLanes>::Int32;
    Lanes r;
    for (int i = 0; i < Lanes::kCount / Lanes::kPartLanes; ++i)
    {
        Ints ints;
        std::memcpy(&ints, values + i * Lanes::kPartLanes, sizeof ints);
        r.part[i] = __builtin_convertvector(ints, typename Lanes::Vector);
    }
    return r;
}

// Four floats side by side, one per voice, in one 16-byte vector (SSE2 has every operation used).
// As with the double lanes, each operation is the plain IEEE single-precision one per lane.
struct FloatLanes
{
    using Vector = float __attribute__((vector_size(16)));
    using Bits = std::int32_t __attribute__((vector_size(16)));
    Vector v;

    // From four whole numbers below 2^24, which floats hold exactly.
    static FloatLanes FromInts(const std::int32_t (&values)[kLaneCount])
    {
        Bits ints;
        std::memcpy(&ints, values, sizeof ints);
        return {__builtin_convertvector(ints, Vector)};
    }
    float operator[](int lane) const { return v[lane]; }

    friend FloatLanes operator+(FloatLanes a, FloatLanes b) { return {a.v + b.v}; }
    friend FloatLanes operator-(FloatLanes a, FloatLanes b) { return {a.v - b.v}; }
    friend FloatLanes operator+(FloatLanes a, float b) { return {a.v + b}; }
    friend FloatLanes operator-(FloatLanes a, float b) { return {a.v - b}; }
    friend FloatLanes operator*(FloatLanes a, float b) { return {a.v * b}; }
    friend FloatLanes operator*(FloatLanes a, FloatLanes b) { return {a.v * b.v}; }
};

// a where the lane is set, b elsewhere.
inline FloatLanes Select(const bool (&lanes)[kLaneCount], FloatLanes a, FloatLanes b)
{
    FloatLanes::Bits mask;
    for (int lane = 0; lane < kLaneCount; ++lane)
        mask[lane] = -std::int32_t{lanes[lane]};
    return {mask ? a.v : b.v};
}

// The float lanes as doubles (exactly).
template <typename Lanes> Lanes Widen(FloatLanes x)
{
    using Half = float __attribute__((vector_size(8)));
    Lanes r;
    if constexpr (Lanes::kPartLanes == 4)
        r.part[0] = __builtin_convertvector(x.v, typename Lanes::Vector);
    else
    {
        r.part[0] =
            __builtin_convertvector(Half(__builtin_shufflevector(x.v, x.v, 0, 1)), typename Lanes::Vector);
        r.part[1] =
            __builtin_convertvector(Half(__builtin_shufflevector(x.v, x.v, 2, 3)), typename Lanes::Vector);
    }
    return r;
}
