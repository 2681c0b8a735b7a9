#include "engine/VoiceLanes.h"

#include "engine/DenormalFilter.h"
#include "engine/Lanes.h"
#include "engine/Voice.h"

static_assert(VoiceLanes::kVoiceCount == kLaneCount, "one lane per voice");

namespace
{
// The noise sources are the last two slots; the oscillators before them run in lanes.
static_assert(kWhiteNoiseSlot == kVoiceOscillatorCount && kPinkNoiseSlot == kVoiceOscillatorCount + 1);

template <typename Lanes> struct OscillatorLanes
{
    using LaneMask = typename Lanes::Mask;
    OscilatorWaveform waveform = OscilatorWaveform::Off;
    Oscilator::PhaseState<Lanes> state;
    Lanes rate;
    Lanes incrementFrequency; // NaN where the increments are out of date
    Oscilator::Increments<Lanes> increments;
    Lanes squareDuty;
    Lanes baseFrequency;
    Lanes frequency;
    LaneMask ran;        // lanes that stepped at least once
    LaneMask recomputed; // lanes whose increments changed
};

template <typename Lanes> struct FilterLanes
{
    Lanes s1, s2, g, k, a1;
    Lanes mixLowPass, mixBandPass, mixHighPass;
    Lanes cutoff, sampleRate, nyquist;
    Lanes knobCutoff, envDepth;
    // With no envelope depth in any voice the cutoff is the knob's for the whole run: one retune
    // at its first sample settles it.
    bool followsEnvelope;
};

template <typename Lanes> struct LaneState
{
    bool active[kLaneCount];
    OscillatorLanes<Lanes> oscillators[kVoiceOscillatorCount];
    Lanes sourceLevel[kVoiceSourceCount];
    Lanes envDepth[kVoiceSourceCount];
    Lanes velocityScale;
    Lanes highFrequency, lowFrequency;
    FilterLanes<Lanes> lowPass, highPass;
};

using Voices = std::array<Voice, VoiceLanes::kVoiceCount>;

template <typename Lanes, typename Get> Lanes Gather(const Voices& voices, Get get)
{
    double values[kLaneCount];
    for (int lane = 0; lane < kLaneCount; ++lane)
        values[lane] = get(voices[lane]);
    return Lanes::Load(values);
}

bool IsNoise(OscilatorWaveform waveform)
{
    return waveform == OscilatorWaveform::WhiteNoise || waveform == OscilatorWaveform::PinkNoise;
}
} // namespace

// Member access of the voices' private state lives in this class, the only friend they have.
template <typename Lanes> class VoiceLanes::Kernel
{
    using LaneMask = typename Lanes::Mask;
    using State = LaneState<Lanes>;
    static Lanes Zero() { return Lanes::Splat(0.0); }
    template <typename Get> static Lanes Gather(const Voices& voices, Get get)
    {
        return ::Gather<Lanes>(voices, get);
    }

public:
    // Reads what the run needs; false when the voices cannot share lanes.
    static bool Pack(Voices& voices, State& s)
    {
        for (int lane = 0; lane < kLaneCount; ++lane)
        {
            Voice& voice = voices[lane];
            s.active[lane] = voice.active_;
            if (voice.active_ && voice.frequenciesDirty_) voice.UpdateBaseFrequencies();
        }
        for (int slot = 0; slot < kVoiceOscillatorCount; ++slot)
        {
            OscillatorLanes<Lanes>& o = s.oscillators[slot];
            bool first = true;
            for (int lane = 0; lane < kLaneCount; ++lane)
            {
                const Voice& voice = voices[lane];
                if (!voice.active_ || (slot > 0 && !(voice.sourceLevel_[slot] > 0.0))) continue;
                const OscilatorWaveform waveform = voice.oscillators_[slot].waveform_;
                if (IsNoise(waveform) || (!first && waveform != o.waveform)) return false;
                o.waveform = waveform;
                first = false;
            }
            const auto osc = [slot](const Voice& v) -> const Oscilator& { return v.oscillators_[slot]; };
            o.state.phase = Gather(voices, [&](const Voice& v) { return osc(v).phase_; });
            o.state.output = Gather(voices, [&](const Voice& v) { return osc(v).output_; });
            o.state.overtonePhase = Gather(voices, [&](const Voice& v) { return osc(v).overtonePhase_; });
            o.state.overtoneOutput = Gather(voices, [&](const Voice& v) { return osc(v).overtoneOutput_; });
            o.rate = Gather(voices, [&](const Voice& v) { return static_cast<double>(osc(v).sampleRate_); });
            o.incrementFrequency = Gather(voices,
                                          [&](const Voice& v)
                                          {
                                              const Oscilator& x = osc(v);
                                              return x.incrementRate_ == x.sampleRate_ ? x.incrementFrequency_
                                                                                       : __builtin_nan("");
                                          });
            o.increments.increment = Gather(voices, [&](const Voice& v) { return osc(v).increment_; });
            o.increments.overtone = Gather(voices, [&](const Voice& v) { return osc(v).overtoneIncrement_; });
            o.increments.sawScale = Gather(voices, [&](const Voice& v) { return osc(v).sawScale_; });
            o.squareDuty = Gather(voices, [&](const Voice& v) { return osc(v).squareDuty_; });
            o.baseFrequency = Gather(voices, [slot](const Voice& v) { return v.baseFrequency_[slot]; });
            o.frequency = Gather(voices, [slot](const Voice& v) { return v.frequency_[slot]; });
            o.ran = LaneMask::None();
            o.recomputed = LaneMask::None();
        }
        for (int slot = 0; slot < kVoiceSourceCount; ++slot)
        {
            s.sourceLevel[slot] = Gather(voices, [slot](const Voice& v) { return v.sourceLevel_[slot]; });
            s.envDepth[slot] = Gather(voices, [slot](const Voice& v) { return v.envDepth_[slot]; });
        }
        s.velocityScale = Gather(voices, [](const Voice& v) { return v.velocityScale_; });
        s.highFrequency = Gather(voices, [](const Voice& v) { return v.pitchEnvelope_.HighFrequency(); });
        s.lowFrequency = Gather(voices, [](const Voice& v) { return v.pitchEnvelope_.LowFrequency(); });
        PackFilter(voices, s.lowPass, &Voice::lowPassFilter_, &Voice::lowPassCutoff_,
                   &Voice::lowPassEnvDepth_);
        PackFilter(voices, s.highPass, &Voice::highPassFilter_, &Voice::highPassCutoff_,
                   &Voice::highPassEnvDepth_);
        return true;
    }

    // Writes back what the run changed, for the voices that were rendered.
    static void Unpack(Voices& voices, const State& s)
    {
        for (int lane = 0; lane < kLaneCount; ++lane)
        {
            if (!s.active[lane]) continue;
            Voice& voice = voices[lane];
            for (int slot = 0; slot < kVoiceOscillatorCount; ++slot)
            {
                const OscillatorLanes<Lanes>& o = s.oscillators[slot];
                Oscilator& x = voice.oscillators_[slot];
                if (o.ran[lane])
                {
                    x.phase_ = o.state.phase[lane];
                    x.output_ = o.state.output[lane];
                    x.overtonePhase_ = o.state.overtonePhase[lane];
                    x.overtoneOutput_ = o.state.overtoneOutput[lane];
                    voice.frequency_[slot] = o.frequency[lane];
                }
                if (o.recomputed[lane])
                {
                    x.incrementFrequency_ = o.incrementFrequency[lane];
                    x.incrementRate_ = x.sampleRate_;
                    x.increment_ = o.increments.increment[lane];
                    x.overtoneIncrement_ = o.increments.overtone[lane];
                    x.sawScale_ = o.increments.sawScale[lane];
                }
            }
            UnpackFilter(voice.lowPassFilter_, s.lowPass, lane);
            UnpackFilter(voice.highPassFilter_, s.highPass, lane);
        }
    }

    // count engine samples; inlined into one function per instruction set. Returns how many
    // began with a voice sounding.
    [[gnu::always_inline]] static inline int Run(Voices& voices, State& s, double* out, int count)
    {
        int sounding = 0;
        for (int n = 0; n < count; ++n)
        {
            bool any = false;
            out[n] = NextSample(voices, s, n == 0, any);
            sounding += any ? 1 : 0;
        }
        return sounding;
    }

private:
    using FilterMember = StateVariableFilter Voice::*;
    using DoubleMember = double Voice::*;

    static void PackFilter(const Voices& voices, FilterLanes<Lanes>& f, FilterMember filter,
                           DoubleMember knob, DoubleMember depth)
    {
        const auto get = [&](double StateVariableFilter::*field)
        { return Gather(voices, [&](const Voice& v) { return (v.*filter).*field; }); };
        f.s1 = get(&StateVariableFilter::s1_);
        f.s2 = get(&StateVariableFilter::s2_);
        f.g = get(&StateVariableFilter::g_);
        f.k = get(&StateVariableFilter::k_);
        f.a1 = get(&StateVariableFilter::a1_);
        f.mixLowPass = get(&StateVariableFilter::mixLowPass_);
        f.mixBandPass = get(&StateVariableFilter::mixBandPass_);
        f.mixHighPass = get(&StateVariableFilter::mixHighPass_);
        f.cutoff = get(&StateVariableFilter::cutoff_);
        f.sampleRate = get(&StateVariableFilter::sampleRate_);
        f.nyquist = f.sampleRate * 0.5;
        f.knobCutoff = Gather(voices, [&](const Voice& v) { return v.*knob; });
        f.envDepth = Gather(voices, [&](const Voice& v) { return v.*depth; });
        f.followsEnvelope = AnyLane(!(f.envDepth == 0.0));
    }

    static void UnpackFilter(StateVariableFilter& filter, const FilterLanes<Lanes>& f, int lane)
    {
        filter.s1_ = f.s1[lane];
        filter.s2_ = f.s2[lane];
        filter.g_ = f.g[lane];
        filter.a1_ = f.a1[lane];
        filter.cutoff_ = f.cutoff[lane];
    }

    // The filter's cutoff as its SetCutoff sets it: clamped, with new coefficients only where it moved.
    [[gnu::always_inline]] static inline void Retune(FilterLanes<Lanes>& f, Lanes envelope, double target,
                                                     LaneMask active, bool first)
    {
        if (!f.followsEnvelope && !first) return;
        Lanes hz = EnvelopeCutoff(f.knobCutoff, f.envDepth, envelope, target);
        hz = Select(hz < 0.0, Zero(), Select(hz > f.nyquist, f.nyquist, hz));
        const LaneMask moved = active & !(hz == f.cutoff);
        if (!AnyLane(moved)) return;
        const Lanes g = StateVariableFilter::WarpedCutoff(hz / f.sampleRate);
        f.a1 = Select(moved, StateVariableFilter::Normaliser(g, f.k), f.a1);
        f.g = Select(moved, g, f.g);
        f.cutoff = Select(moved, hz, f.cutoff);
    }

    [[gnu::always_inline]] static inline Lanes Filter(FilterLanes<Lanes>& f, Lanes x, LaneMask active)
    {
        // A high-pass at 0 Hz passes every voice through: nothing to compute.
        const LaneMask through =
            StateVariableFilter::PassesThrough(x, f.s1, f.s2, f.g, f.a1, f.mixLowPass, f.mixHighPass);
        if (!AnyLane(active & !through)) return DenormalFilter(0.0 + x);
        const FilterStep<Lanes> step = StateVariableFilter::Step(x, f.s1, f.s2, f.g, f.k, f.a1, f.mixLowPass,
                                                                 f.mixBandPass, f.mixHighPass);
        const LaneMask update = active & !step.bypassed;
        f.s1 = Select(update, step.s1, f.s1);
        f.s2 = Select(update, step.s2, f.s2);
        return step.y;
    }

    // One oscillator slot for the lanes where it runs; its source value (before the level).
    [[gnu::always_inline]] static inline Lanes Oscillate(OscillatorLanes<Lanes>& o, LaneMask runs,
                                                         Lanes position, const State& s)
    {
        const Lanes frequency =
            PitchEnvelope::Blend(position, o.baseFrequency, s.highFrequency, s.lowFrequency);
        o.frequency = Select(runs, frequency, o.frequency);
        const LaneMask stale = runs & !(frequency == o.incrementFrequency);
        if (AnyLane(stale))
        {
            const Oscilator::Increments<Lanes> fresh = Oscilator::IncrementsFor(o.rate, frequency);
            o.increments.increment = Select(stale, fresh.increment, o.increments.increment);
            o.increments.overtone = Select(stale, fresh.overtone, o.increments.overtone);
            o.increments.sawScale = Select(stale, fresh.sawScale, o.increments.sawScale);
            o.incrementFrequency = Select(stale, frequency, o.incrementFrequency);
            o.recomputed = o.recomputed | stale;
        }
        Oscilator::PhaseState<Lanes> next = o.state;
        const Lanes value = Oscilator::Step(o.waveform, next, o.increments.increment, o.increments.overtone,
                                            o.increments.sawScale, o.squareDuty);
        o.state.phase = Select(runs, next.phase, o.state.phase);
        o.state.output = Select(runs, next.output, o.state.output);
        o.state.overtonePhase = Select(runs, next.overtonePhase, o.state.overtonePhase);
        o.state.overtoneOutput = Select(runs, next.overtoneOutput, o.state.overtoneOutput);
        o.ran = o.ran | runs;
        return value;
    }

    // One engine sample of the four voices, in the order of operations of Voice::NextSample.
    [[gnu::always_inline]] static inline double NextSample(Voices& voices, State& s, bool first, bool& any)
    {
        bool rendering[kLaneCount];
        double amp[kLaneCount] = {};
        double filterEnv[kLaneCount] = {};
        double position[kLaneCount] = {};
        for (int lane = 0; lane < kLaneCount; ++lane)
        {
            Voice& voice = voices[lane];
            rendering[lane] = voice.active_;
            if (!voice.active_) continue;
            any = true;
            voice.pitchEnvelope_.NextSample();
            amp[lane] = voice.ampEnvelope_.NextSample(); // may free the voice; this sample still sounds
            filterEnv[lane] = voice.filterEnvelope_.NextSample();
            position[lane] = voice.pitchEnvelope_.Position();
        }
        if (!any) return 0.0;
        const LaneMask active = MaskOf<LaneMask>(rendering);
        const Lanes ampLanes = Lanes::Load(amp);
        const Lanes envLanes = Lanes::Load(filterEnv);
        const Lanes positionLanes = Lanes::Load(position);

        Retune(s.lowPass, envLanes, kLowPassEnvelopeTarget, active, first);
        Retune(s.highPass, envLanes, kHighPassEnvelopeTarget, active, first);

        // Oscillator 1 always runs; the other sources only at a level above 0 (see Voice::NextSample).
        LaneMask runs[kVoiceSourceCount];
        Lanes source[kVoiceSourceCount];
        for (int slot = 0; slot < kVoiceSourceCount; ++slot)
            runs[slot] = slot == 0 ? active : active & (s.sourceLevel[slot] > 0.0);
        for (int slot = 0; slot < kVoiceOscillatorCount; ++slot)
            source[slot] =
                AnyLane(runs[slot])
                    ? Oscillate(s.oscillators[slot], runs[slot], positionLanes, s) * s.sourceLevel[slot]
                    : Zero();
        // The noise comes from one random sequence, drawn voice after voice.
        double white[kLaneCount] = {};
        double pink[kLaneCount] = {};
        for (int lane = 0; lane < kLaneCount; ++lane)
        {
            if (!rendering[lane]) continue;
            Voice& voice = voices[lane];
            if (voice.sourceLevel_[kWhiteNoiseSlot] > 0.0)
                white[lane] = Oscilator::NextWhiteSample() * voice.sourceLevel_[kWhiteNoiseSlot];
            if (voice.sourceLevel_[kPinkNoiseSlot] > 0.0)
                pink[lane] =
                    voice.oscillators_[kPinkNoiseSlot].NextPinkSample() * voice.sourceLevel_[kPinkNoiseSlot];
        }
        source[kWhiteNoiseSlot] = Lanes::Load(white);
        source[kPinkNoiseSlot] = Lanes::Load(pink);

        Lanes mix = Zero();
        for (int slot = 0; slot < kVoiceSourceCount; ++slot)
        {
            if (!AnyLane(runs[slot])) continue;
            const Lanes d = s.envDepth[slot];
            const Lanes term = (1.0 - d) * source[slot] + source[slot] * ampLanes * d;
            mix = Select(runs[slot], mix + term, mix);
        }
        mix = mix * s.velocityScale;

        Lanes y = DenormalFilter(Filter(s.highPass, mix, active));
        y = DenormalFilter(Filter(s.lowPass, y, active));
        y = Select(active, y, Zero());
        double sum = 0.0;
        for (int lane = 0; lane < kLaneCount; ++lane)
            sum += y[lane];
        return sum;
    }
};

namespace
{
template <typename Lanes>
int Render(Voices& voices, double* out, int count, int (*run)(Voices&, LaneState<Lanes>&, double*, int))
{
    LaneState<Lanes> state;
    if (!VoiceLanes::Kernel<Lanes>::Pack(voices, state)) return -1;
    const int sounding = run(voices, state, out, count);
    VoiceLanes::Kernel<Lanes>::Unpack(voices, state);
    return sounding;
}

[[gnu::flatten]] int RunSse2(Voices& voices, LaneState<SplitLanes>& s, double* out, int count)
{
    return VoiceLanes::Kernel<SplitLanes>::Run(voices, s, out, count);
}

[[gnu::target("avx2"), gnu::flatten]] int RunAvx2(Voices& voices, LaneState<Lanes>& s, double* out, int count)
{
    return VoiceLanes::Kernel<Lanes>::Run(voices, s, out, count);
}
} // namespace

bool VoiceLanes::Supports(InstructionSet set)
{
    switch (set)
    {
    case InstructionSet::Scalar:
    case InstructionSet::Sse2:
        return true;
    case InstructionSet::Avx2:
        return __builtin_cpu_supports("avx2");
    }
    return false;
}

VoiceLanes::InstructionSet VoiceLanes::Best()
{
    static const InstructionSet best =
        Supports(InstructionSet::Avx2) ? InstructionSet::Avx2 : InstructionSet::Sse2;
    return best;
}

int VoiceLanes::Render(std::array<Voice, kVoiceCount>& voices, double* out, int count, InstructionSet set)
{
    if (set == InstructionSet::Scalar || !Supports(set)) return -1;
    return set == InstructionSet::Avx2 ? ::Render<Lanes>(voices, out, count, RunAvx2)
                                       : ::Render<SplitLanes>(voices, out, count, RunSse2);
}
