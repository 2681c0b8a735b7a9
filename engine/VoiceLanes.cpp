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
    // Only a high-pass can pass its input through untouched.
    bool mayPassThrough;
};

template <typename Lanes> struct LaneState
{
    bool active[kLaneCount];
    OscillatorLanes<Lanes> oscillators[kVoiceOscillatorCount];
    Lanes sourceLevel[kVoiceSourceCount];
    // Per source: no voice plays it, or every voice does (then it runs wherever a voice sounds).
    bool sourceSilent[kVoiceSourceCount];
    bool sourceEverywhere[kVoiceSourceCount];
    Lanes envDepth[kVoiceSourceCount];
    Lanes velocityScale;
    Lanes highFrequency, lowFrequency;
    FilterLanes<Lanes> lowPass, highPass;
    // The pink noise's three low-passes, each voice's in its lane.
    FloatLanes pink[3];
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
            const LaneMask playing = s.sourceLevel[slot] > 0.0;
            s.sourceSilent[slot] = slot > 0 && !AnyLane(playing);
            s.sourceEverywhere[slot] = slot == 0 || !AnyLane(!playing);
            s.envDepth[slot] = Gather(voices, [slot](const Voice& v) { return v.envDepth_[slot]; });
        }
        for (int i = 0; i < 3; ++i)
            for (int lane = 0; lane < kLaneCount; ++lane)
                s.pink[i].v[lane] = voices[lane].oscillators_[kPinkNoiseSlot].pinkState_[i];
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
            for (int i = 0; i < 3; ++i)
                voice.oscillators_[kPinkNoiseSlot].pinkState_[i] = s.pink[i][lane];
            UnpackFilter(voice.lowPassFilter_, s.lowPass, lane);
            UnpackFilter(voice.highPassFilter_, s.highPass, lane);
        }
    }

    // count engine samples; inlined into one function per instruction set. Returns how many
    // began with a voice sounding.
    [[gnu::always_inline]] static inline int Run(Voices& voices, State& s, double* out, int count)
    {
        int sounding = 0;
        for (int n = 0; n < count; n += kBatch)
        {
            const int size = count - n < kBatch ? count - n : kBatch;
            Batch batch;
            const int live = RenderBatch(voices, s, batch, size, n == 0, out + n);
            sounding += live;
            if (live < size)
            {
                // No voice sounds any more, and none starts within a run.
                for (int k = n + live; k < count; ++k)
                    out[k] = 0.0;
                break;
            }
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
        f.mayPassThrough = AnyLane((f.mixHighPass == 1.0) & (f.mixLowPass == 0.0));
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
        hz = StateVariableFilter::ClampCutoff(hz, f.nyquist);
        const LaneMask moved = active & !(hz == f.cutoff);
        if (!AnyLane(moved)) return;
        const Lanes g = StateVariableFilter::WarpedCutoff(hz / f.sampleRate);
        f.a1 = Select(moved, StateVariableFilter::Normaliser(g, f.k), f.a1);
        f.g = Select(moved, g, f.g);
        f.cutoff = Select(moved, hz, f.cutoff);
    }

    // One step of the filter with the coefficients it had at this sample.
    // mayPass: whether any voice's filter can pass its input through (see PassesThrough).
    [[gnu::always_inline]] static inline Lanes Filter(FilterLanes<Lanes>& f, Lanes g, Lanes a1, Lanes x,
                                                      LaneMask active, bool mayPass)
    {
        LaneMask update = active;
        LaneMask through = LaneMask::None();
        if (mayPass)
        {
            through = StateVariableFilter::PassesThrough(x, f.s1, f.s2, g, a1, f.mixLowPass, f.mixHighPass);
            update = active & !through;
            if (!AnyLane(update)) return DenormalFilter(0.0 + x); // a high-pass at 0 Hz in every voice
        }
        const FilterStep<Lanes> step =
            StateVariableFilter::Step(x, f.s1, f.s2, g, f.k, a1, f.mixLowPass, f.mixBandPass, f.mixHighPass);
        f.s1 = Select(update, step.s1, f.s1);
        f.s2 = Select(update, step.s2, f.s2);
        return mayPass ? Select(through, DenormalFilter(0.0 + x), step.y) : step.y;
    }

    // One oscillator slot for the lanes where it runs; its source value (before the level).
    // retarget: whether the frequency may differ from the sample before's.
    [[gnu::always_inline]] static inline Lanes Oscillate(OscillatorLanes<Lanes>& o, LaneMask runs,
                                                         Lanes position, const State& s, bool retarget)
    {
        if (retarget) Retarget(o, runs, position, s);
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

    // A Whistle slot through the batch's samples with a voice sounding (Oscillate for each): the
    // phases step first, sample after sample, then the sines of them all are taken together.
    [[gnu::always_inline]] static inline void OscillateWhistles(OscillatorLanes<Lanes>& o,
                                                                const LaneMask* runs, const bool* anyRuns,
                                                                const double (*position)[kLaneCount],
                                                                int live, bool steady, const State& s,
                                                                Lanes* values)
    {
        Lanes phase[kBatch];
        Lanes overtonePhase[kBatch];
        for (int k = 0; k < kBatch; ++k)
        {
            phase[k] = o.state.phase;
            overtonePhase[k] = o.state.overtonePhase;
            if (k >= live || !anyRuns[k]) continue;
            if (!steady || k == 0) Retarget(o, runs[k], Lanes::Load(position[k]), s);
            Oscilator::PhaseState<Lanes> next = o.state;
            Oscilator::AdvanceWhistle(next, o.increments.increment, o.increments.overtone);
            o.state.phase = Select(runs[k], next.phase, o.state.phase);
            o.state.overtonePhase = Select(runs[k], next.overtonePhase, o.state.overtonePhase);
            o.ran = o.ran | runs[k];
        }
        Lanes sine[kBatch];
        Lanes overtoneSine[kBatch];
        engine_math::SinTwoPi(phase, sine);
        engine_math::SinTwoPi(overtonePhase, overtoneSine);
        for (int k = 0; k < live; ++k)
        {
            if (!anyRuns[k]) continue;
            o.state.output = Select(runs[k], sine[k], o.state.output);
            o.state.overtoneOutput = Select(runs[k], overtoneSine[k], o.state.overtoneOutput);
            values[k] = Oscilator::WhistleFrom(sine[k], overtoneSine[k]);
        }
    }

    // The slot's frequency at this sample, and its phase increments for it.
    [[gnu::always_inline]] static inline void Retarget(OscillatorLanes<Lanes>& o, LaneMask runs,
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
    }

    // A few engine samples are rendered stage by stage: first every voice's envelopes and glide,
    // then the filter coefficients, the oscillators, the noise, and last the mix through the
    // filters. Within a stage the samples do not wait for each other's long computations (the
    // sines and tangents), so the processor overlaps them. The order of the operations within a
    // voice, and of the random numbers across voices, is that of Voice::NextSample.
    static constexpr int kBatch = 8;

    struct Batch
    {
        bool rendering[kBatch][kLaneCount];
        double amp[kBatch][kLaneCount];
        double filterEnv[kBatch][kLaneCount];
        double position[kBatch][kLaneCount];
        Lanes white[kBatch];
        Lanes pink[kBatch];
        Lanes source[kBatch][kVoiceOscillatorCount];
        Lanes lowPassG[kBatch], lowPassA1[kBatch], highPassG[kBatch], highPassA1[kBatch];
        // Every voice sounding in the batch held its envelopes and glide throughout.
        bool steady;
    };

    // Steps the voices' envelopes and glides for up to size samples; returns how many samples
    // began with a voice sounding (the rest of the run is silent).
    static int StepControls(Voices& voices, Batch& b, int size)
    {
        // Each voice on its own (they share nothing here); the order across voices is free.
        b.steady = true;
        for (int lane = 0; lane < kLaneCount; ++lane)
        {
            Voice& voice = voices[lane];
            int k = 0;
            const bool steady = voice.active_ && IsSteady(voice.ampEnvelope_) &&
                                IsSteady(voice.filterEnvelope_) && voice.pitchEnvelope_.GlideFinished();
            if (voice.active_ && !steady) b.steady = false;
            if (steady)
            {
                // Held envelopes and a finished glide give the same values at every sample; only
                // the glide's sample count moves on.
                voice.pitchEnvelope_.NextSample();
                const double amp = voice.ampEnvelope_.NextSample();
                const double filterEnv = voice.filterEnvelope_.NextSample();
                const double position = voice.pitchEnvelope_.Position();
                voice.pitchEnvelope_.SkipFinishedSamples(static_cast<std::uint64_t>(size - 1));
                for (; k < size; ++k)
                {
                    b.rendering[k][lane] = true;
                    b.amp[k][lane] = amp;
                    b.filterEnv[k][lane] = filterEnv;
                    b.position[k][lane] = position;
                }
            }
            // The glide shares nothing with the envelopes: it is stepped after them, for the samples
            // that sound (the first ones: a freed voice stays free within a run), all at once.
            int sounding = 0;
            for (; k < size; ++k)
            {
                b.rendering[k][lane] = voice.active_;
                b.amp[k][lane] = 0.0;
                b.filterEnv[k][lane] = 0.0;
                b.position[k][lane] = 0.0;
                if (!voice.active_) continue;
                ++sounding;
                // May free the voice; this sample still sounds.
                b.amp[k][lane] = voice.ampEnvelope_.NextSample();
                b.filterEnv[k][lane] = voice.filterEnvelope_.NextSample();
            }
            if (sounding > 0) Glide(voice, b, lane, sounding);
        }
        for (int k = 0; k < size; ++k)
            if (!(b.rendering[k][0] || b.rendering[k][1] || b.rendering[k][2] || b.rendering[k][3])) return k;
        return size;
    }

    // Steps a voice's glide through the first count samples of the batch. Kept out of the
    // kernel: it runs only while a glide moves, and inlined it would crowd the steady code.
    [[gnu::noinline, gnu::flatten]] static void Glide(Voice& voice, Batch& b, int lane, int count)
    {
        double positions[kBatch];
        voice.pitchEnvelope_.NextSamples<Lanes>(positions, count);
        for (int i = 0; i < count; ++i)
            b.position[i][lane] = positions[i];
    }

    // An envelope whose next samples all equal its level, with nothing changing.
    static bool IsSteady(const EG& envelope)
    {
        return envelope.Stage() == StageSustain || envelope.Stage() == StageOff;
    }

    // The noise comes from one random sequence, drawn voice after voice, sample after sample, as
    // Voice::NextSample draws it: a white sample takes one value, then a pink one three. The
    // values are drawn first, then turned into noise in the lanes.
    [[gnu::always_inline]] static inline void Noise(const Voices& voices, State& s, Batch& b, int live)
    {
        bool white[kBatch][kLaneCount];
        bool pink[kBatch][kLaneCount];
        int count = 0;
        for (int k = 0; k < live; ++k)
            for (int lane = 0; lane < kLaneCount; ++lane)
            {
                const Voice& voice = voices[lane];
                white[k][lane] = b.rendering[k][lane] && voice.sourceLevel_[kWhiteNoiseSlot] > 0.0;
                pink[k][lane] = b.rendering[k][lane] && voice.sourceLevel_[kPinkNoiseSlot] > 0.0;
                count += white[k][lane] + 3 * pink[k][lane];
            }

        // The thread's generator state stays in a register for the batch.
        constexpr int kMostDraws = kBatch * kLaneCount * 4;
        static_assert(kMostDraws % kRandomStride == 0);
        std::uint32_t states[kMostDraws];
        std::uint32_t& sharedState = RandomState();
        NextRandomStates(sharedState, states, count);

        std::int32_t whiteDraw[kBatch][kLaneCount];
        std::int32_t pinkDraw[kBatch][3][kLaneCount];
        if (count == 4 * kLaneCount * live)
        {
            // Every voice draws both noises at every sample: four values each, in a fixed place.
            for (int k = 0; k < live; ++k)
                for (int lane = 0; lane < kLaneCount; ++lane)
                {
                    const std::uint32_t* drawn = states + 4 * (kLaneCount * k + lane);
                    whiteDraw[k][lane] = RandomValue(drawn[0]);
                    for (int i = 0; i < 3; ++i)
                        pinkDraw[k][i][lane] = RandomValue(drawn[1 + i]);
                }
        }
        else
        {
            int next = 0;
            for (int k = 0; k < live; ++k)
                for (int lane = 0; lane < kLaneCount; ++lane)
                {
                    whiteDraw[k][lane] = white[k][lane] ? RandomValue(states[next++]) : 0;
                    for (int i = 0; i < 3; ++i)
                        pinkDraw[k][i][lane] = pink[k][lane] ? RandomValue(states[next++]) : 0;
                }
        }

        const Lanes whiteLevel = s.sourceLevel[kWhiteNoiseSlot];
        const Lanes pinkLevel = s.sourceLevel[kPinkNoiseSlot];
        for (int k = 0; k < live; ++k)
        {
            const Lanes w = Oscilator::WhiteFrom(LanesFromInts<Lanes>(whiteDraw[k]));
            b.white[k] = Select(MaskOf<LaneMask>(white[k]), w * whiteLevel, Zero());
            const FloatLanes drawn[3] = {FloatLanes::FromInts(pinkDraw[k][0]),
                                         FloatLanes::FromInts(pinkDraw[k][1]),
                                         FloatLanes::FromInts(pinkDraw[k][2])};
            FloatLanes stepped[3] = {s.pink[0], s.pink[1], s.pink[2]};
            Oscilator::StepPink(stepped, drawn);
            for (int i = 0; i < 3; ++i)
                s.pink[i] = Select(pink[k], stepped[i], s.pink[i]);
            const FloatLanes p = Oscilator::PinkFrom(s.pink);
            b.pink[k] = Select(MaskOf<LaneMask>(pink[k]), Widen<Lanes>(p) * pinkLevel, Zero());
        }
    }

    [[gnu::always_inline]] static inline int RenderBatch(Voices& voices, State& s, Batch& b, int size,
                                                         bool runStarts, double* out)
    {
        const int live = StepControls(voices, b, size);
        // With every voice sounding through the batch and playing every source, every lane runs at
        // every sample: the masks are all set, and the code for that case leaves the selections out.
        bool full = live == size;
        for (int slot = 0; slot < kVoiceSourceCount; ++slot)
            full = full && s.sourceEverywhere[slot];
        for (int k = 0; k < live; ++k)
            for (int lane = 0; lane < kLaneCount; ++lane)
                full = full && b.rendering[k][lane];
        return full ? RenderLanes<true>(voices, s, b, live, runStarts, out)
                    : RenderLanes<false>(voices, s, b, live, runStarts, out);
    }

    // The stages after the controls for the live samples of a batch; kFull: every lane runs
    // everywhere (see RenderBatch).
    template <bool kFull>
    [[gnu::always_inline]] static inline int RenderLanes(Voices& voices, State& s, Batch& b, int live,
                                                         bool runStarts, double* out)
    {
        LaneMask activeMasks[kBatch];
        for (int k = 0; k < live; ++k)
            activeMasks[k] = kFull ? !LaneMask::None() : MaskOf<LaneMask>(b.rendering[k]);
        const auto active = [&](int k) { return kFull ? !LaneMask::None() : activeMasks[k]; };

        // In a steady batch the cutoffs reached at its first sample hold for the rest, and so do the
        // oscillators' frequencies (the voices sounding and their glide positions stay the same).
        bool highPassMayPass = false;
        for (int k = 0; k < live; ++k)
        {
            if (k == 0 || !b.steady)
            {
                const Lanes env = Lanes::Load(b.filterEnv[k]);
                const bool first = runStarts && k == 0;
                Retune(s.lowPass, env, kLowPassEnvelopeTarget, active(k), first);
                Retune(s.highPass, env, kHighPassEnvelopeTarget, active(k), first);
                highPassMayPass =
                    highPassMayPass || (s.highPass.mayPassThrough && AnyLane(s.highPass.g == 0.0));
            }
            b.lowPassG[k] = s.lowPass.g;
            b.lowPassA1[k] = s.lowPass.a1;
            b.highPassG[k] = s.highPass.g;
            b.highPassA1[k] = s.highPass.a1;
        }

        // Oscillator 1 always runs; the other sources only at a level above 0 (see Voice::NextSample).
        const auto runs = [&](int k, int slot)
        { return kFull || s.sourceEverywhere[slot] ? active(k) : active(k) & (s.sourceLevel[slot] > 0.0); };
        // Whether a source runs in any lane at sample k (every sample here has a voice sounding).
        const auto anyRuns = [&](int k, int slot)
        { return kFull || s.sourceEverywhere[slot] || (!s.sourceSilent[slot] && AnyLane(runs(k, slot))); };
        for (int slot = 0; slot < kVoiceOscillatorCount; ++slot)
        {
            OscillatorLanes<Lanes>& o = s.oscillators[slot];
            if (o.waveform == OscilatorWaveform::Whistle)
            {
                LaneMask slotRuns[kBatch];
                bool slotAnyRuns[kBatch];
                Lanes values[kBatch];
                for (int k = 0; k < live; ++k)
                {
                    slotRuns[k] = runs(k, slot);
                    slotAnyRuns[k] = anyRuns(k, slot);
                }
                OscillateWhistles(o, slotRuns, slotAnyRuns, b.position, live, b.steady, s, values);
                for (int k = 0; k < live; ++k)
                    b.source[k][slot] = slotAnyRuns[k] ? values[k] * s.sourceLevel[slot] : Zero();
                continue;
            }
            for (int k = 0; k < live; ++k)
            {
                const LaneMask r = runs(k, slot);
                b.source[k][slot] =
                    anyRuns(k, slot) ? Oscillate(o, r, Lanes::Load(b.position[k]), s, !b.steady || k == 0) *
                                           s.sourceLevel[slot]
                                     : Zero();
            }
        }

        if (!s.sourceSilent[kWhiteNoiseSlot] || !s.sourceSilent[kPinkNoiseSlot]) Noise(voices, s, b, live);

        for (int k = 0; k < live; ++k)
        {
            const Lanes amp = Lanes::Load(b.amp[k]);
            Lanes mix = Zero();
            for (int slot = 0; slot < kVoiceSourceCount; ++slot)
            {
                if (!anyRuns(k, slot)) continue;
                const LaneMask r = runs(k, slot);
                const Lanes source = slot == kWhiteNoiseSlot  ? b.white[k]
                                     : slot == kPinkNoiseSlot ? b.pink[k]
                                                              : b.source[k][slot];
                const Lanes d = s.envDepth[slot];
                mix = Select(r, mix + ((1.0 - d) * source + source * amp * d), mix);
            }
            mix = mix * s.velocityScale;

            // Each filter's output is denormal-guarded already; guarding it again, as the voice
            // does, changes nothing.
            Lanes y = Filter(s.highPass, b.highPassG[k], b.highPassA1[k], mix, active(k), highPassMayPass);
            y = Filter(s.lowPass, b.lowPassG[k], b.lowPassA1[k], y, active(k), s.lowPass.mayPassThrough);
            y = Select(active(k), y, Zero());
            double sum = 0.0;
            for (int lane = 0; lane < kLaneCount; ++lane)
                sum += y[lane];
            out[k] = sum;
        }
        return live;
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

#if defined(__x86_64__) || defined(__i386__)
#define BRISBLEEP_HAS_AVX2_PATH 1
// AVX2 code on the same two-register lanes: on the processors measured (AMD Zen 5) the four lanes
// in one 256-bit register ran slower than in two 128-bit ones, whose AVX2 encoding still saves the
// copies and blends that SSE2 needs.
[[gnu::target("avx2"), gnu::flatten]] int RunAvx2(Voices& voices, LaneState<SplitLanes>& s, double* out,
                                                  int count)
{
    return VoiceLanes::Kernel<SplitLanes>::Run(voices, s, out, count);
}
#else
// Elsewhere (WebAssembly) the generic lanes are all there is; the AVX2 path is never chosen.
int RunAvx2(Voices& voices, LaneState<SplitLanes>& s, double* out, int count)
{
    return RunSse2(voices, s, out, count);
}
#endif
} // namespace

bool VoiceLanes::Supports(InstructionSet set)
{
    switch (set)
    {
    case InstructionSet::Scalar:
    case InstructionSet::Sse2:
        return true;
    case InstructionSet::Avx2:
#ifdef BRISBLEEP_HAS_AVX2_PATH
        return __builtin_cpu_supports("avx2");
#else
        return false;
#endif
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
    return set == InstructionSet::Avx2 ? ::Render<SplitLanes>(voices, out, count, RunAvx2)
                                       : ::Render<SplitLanes>(voices, out, count, RunSse2);
}
