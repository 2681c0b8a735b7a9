#include "instrument/Brisbleep.h"
#include "engine/EngineMath.h"

#include "instrument/ParamLayout.h"

#include "engine/DebugTrace.h"
#include "engine/Oscilator.h"

#include "editor/IGraphics.h"

#include <algorithm>
#include <cmath>
#include <mutex>

namespace
{

// ln(10) / 20: exp(v * kDecibelToExponent) is 10^(v / 20).
constexpr double kDecibelToExponent = 0.1151292546497;

double DecibelsToGain(double decibels, double silentBelow)
{
    return decibels < silentBelow ? 0.0 : engine_math::Exp(decibels * kDecibelToExponent);
}

// Where a parameter's value goes: a run of `count` neighbouring parameters shares one route and
// tells it which of them changed as `slot` (0 for the first).
struct ParamRoute
{
    ParamIndex first;
    int count;
    void (*apply)(Brisbleep& instrument, int slot, const IParameter& param);
};

VoiceManager& VoicesOf(Brisbleep& instrument)
{
    return instrument.renderer.Voices();
}

EnvelopeStage StageOfSlot(int slot)
{
    return static_cast<EnvelopeStage>(StageAttack + slot);
}

constexpr ParamRoute kParamRoutes[] = {
    {kOutputGain, 1,
     [](Brisbleep& b, int, const IParameter& p)
     { b.renderer.SetOutputGain(DecibelsToGain(p.Value(), -96.0)); }},
    {kOsc1Type, 3,
     [](Brisbleep& b, int slot, const IParameter& p)
     { VoicesOf(b).SetWaveform(slot, static_cast<OscilatorWaveform>(p.AsInt())); }},
    {kOsc1Level, 5,
     [](Brisbleep& b, int slot, const IParameter& p)
     { VoicesOf(b).SetSourceLevel(slot, DecibelsToGain(p.Value(), -95.0)); }},
    {kOsc1Octave, 3,
     [](Brisbleep& b, int slot, const IParameter& p) { VoicesOf(b).SetOctave(slot, p.AsInt()); }},
    {kOsc1Transpose, 3,
     [](Brisbleep& b, int slot, const IParameter& p) { VoicesOf(b).SetTranspose(slot, p.AsInt()); }},
    {kOsc1Cents, 3,
     [](Brisbleep& b, int slot, const IParameter& p) { VoicesOf(b).SetCents(slot, p.AsInt()); }},
    {kOsc1SquareDuty, 3,
     [](Brisbleep& b, int slot, const IParameter& p) { VoicesOf(b).SetSquareDuty(slot, p.Value()); }},
    {kOsc1Phase, 3,
     [](Brisbleep& b, int slot, const IParameter& p) { VoicesOf(b).SetStartPhase(slot, p.Value()); }},
    {kOsc1EnvDepth, 5,
     [](Brisbleep& b, int slot, const IParameter& p) { VoicesOf(b).SetEnvDepth(slot, p.Value()); }},
    {kAmpEnvAttack, 5,
     [](Brisbleep& b, int slot, const IParameter& p)
     { VoicesOf(b).SetStageValue(EnvelopeTarget::Amplitude, StageOfSlot(slot), p.Value()); }},
    {kPitchHighNote, 1, [](Brisbleep& b, int, const IParameter& p) { VoicesOf(b).SetHighNote(p.AsInt()); }},
    {kPitchLowNote, 1, [](Brisbleep& b, int, const IParameter& p) { VoicesOf(b).SetLowNote(p.AsInt()); }},
    {kPitchDuration, 1,
     [](Brisbleep& b, int, const IParameter& p) { VoicesOf(b).SetPitchDuration(p.Value()); }},
    {kPitchStart, 1, [](Brisbleep& b, int, const IParameter& p) { VoicesOf(b).SetPitchStart(p.Value()); }},
    {kPitchEnd, 1, [](Brisbleep& b, int, const IParameter& p) { VoicesOf(b).SetPitchEnd(p.Value()); }},
    {kPitchCurve, 1, [](Brisbleep& b, int, const IParameter& p) { VoicesOf(b).SetPitchCurve(p.Value()); }},
    {kFilterLpCutoff, 1,
     [](Brisbleep& b, int, const IParameter& p) { VoicesOf(b).SetLowPassCutoff(p.Value()); }},
    {kFilterLpResonance, 1,
     [](Brisbleep& b, int, const IParameter& p) { VoicesOf(b).SetLowPassResonance(p.Value()); }},
    {kFilterLpEnvDepth, 1,
     [](Brisbleep& b, int, const IParameter& p) { VoicesOf(b).SetLowPassEnvDepth(p.Value()); }},
    {kFilterHpCutoff, 1,
     [](Brisbleep& b, int, const IParameter& p) { VoicesOf(b).SetHighPassCutoff(p.Value()); }},
    {kFilterHpResonance, 1,
     [](Brisbleep& b, int, const IParameter& p) { VoicesOf(b).SetHighPassResonance(p.Value()); }},
    {kFilterHpEnvDepth, 1,
     [](Brisbleep& b, int, const IParameter& p) { VoicesOf(b).SetHighPassEnvDepth(p.Value()); }},
    {kCompressionFactor, 1,
     [](Brisbleep& b, int, const IParameter& p) { b.renderer.SetCompressionFactor(p.Value()); }},
    {kPitchJumpTranspose, 1,
     [](Brisbleep& b, int, const IParameter& p) { b.pitchJump.SetTranspose(p.AsInt()); }},
    {kPitchJumpDelay, 1, [](Brisbleep& b, int, const IParameter& p) { b.pitchJump.SetDelay(p.Value()); }},
    {kPitchJumpTime, 1, [](Brisbleep& b, int, const IParameter& p) { b.pitchJump.SetTime(p.Value()); }},
    {kPitchJumpTrigger, 1, [](Brisbleep& b, int, const IParameter& p) { b.pitchJump.SetTrigger(p.AsInt()); }},
    {kFilterEnvAttack, 5,
     [](Brisbleep& b, int slot, const IParameter& p)
     { VoicesOf(b).SetStageValue(EnvelopeTarget::Filter, StageOfSlot(slot), p.Value()); }},
    {kBitCrushPosition, 1,
     [](Brisbleep& b, int, const IParameter& p) { b.renderer.SetCrushPosition(p.AsInt()); }},
    {kBitCrushSampleRate, 1,
     [](Brisbleep& b, int, const IParameter& p) { b.renderer.SetCrushSampleRate(p.Value()); }},
    {kBitCrushBitDepth, 1,
     [](Brisbleep& b, int, const IParameter& p) { b.renderer.SetCrushBitDepth(p.Value()); }},
    {kMutationPercent, 1,
     [](Brisbleep& b, int, const IParameter& p) { b.mutationAmount = p.Value() / 100.0; }},
};

// The routes follow the table's order without gaps or overlaps, so every parameter has one.
constexpr bool RoutesCoverEveryParameterOnce()
{
    int next = 0;
    for (const ParamRoute& route : kParamRoutes)
    {
        if (route.first != next || route.count < 1) return false;
        next += route.count;
    }
    return next == kParamCount;
}
static_assert(RoutesCoverEveryParameterOnce());

const ParamRoute* RouteOf(int index)
{
    for (const ParamRoute& route : kParamRoutes)
        if (index >= route.first && index < route.first + route.count) return &route;
    return nullptr;
}

} // namespace

Brisbleep::Brisbleep(BrisbleepBinding::HostContext host) : BrisbleepBinding(host)
{
    CreateParameters();
    for (int i = 0; i < kParamCount; ++i)
        OnParameterChange(i);
    CreateEditor();

    FillPresetsFromState("-", 1);

    midiReceiver.NoteOnSignal.Connect<&VoiceManager::NoteOn>(&renderer.Voices());
    midiReceiver.NoteOffSignal.Connect<&VoiceManager::NoteOff>(&renderer.Voices());
    midiReceiver.ProgramChangeSignal.Connect<&Brisbleep::OnProgramChange>(this);
    midiReceiver.AllNotesOffSignal.Connect<&VoiceManager::ReleaseAll>(&renderer.Voices());
    midiReceiver.AllSoundOffSignal.Connect<&VoiceManager::SilenceAll>(&renderer.Voices());
}

Brisbleep::~Brisbleep() = default;

void Brisbleep::CreateParameters()
{
    for (int i = 0; i < kParamCount; ++i)
    {
        const ParamLayoutSpec& row = kParamLayout[i];
        IParameter* p = GetParam(i);
        switch (ParamKindOf(i))
        {
        case ParamKind::Enum:
        {
            const EnumTexts texts = ParamEnumTexts(i);
            p->DefineEnum(row.name, static_cast<int>(row.defaultValue), texts.count, row.label);
            for (int v = 0; v < texts.count; ++v)
                p->AddDisplayText(v, texts.texts[v]);
            break;
        }
        case ParamKind::Int:
            p->DefineInt(row.name, static_cast<int>(row.defaultValue), static_cast<int>(row.minValue),
                         static_cast<int>(row.maxValue), row.label);
            break;
        case ParamKind::Double:
            p->DefineDouble(row.name, row.defaultValue, row.minValue, row.maxValue, row.step, row.label,
                            HasComputedShape(i) ? MiddleIsOneShape(row) : row.shape);
            break;
        }
    }
}

void Brisbleep::OnProgramChange(int program)
{
    TraceProgramChange(program);
}

void Brisbleep::OnReset()
{
    Lock lock(Mutex());
    midiReceiver.queue.Reserve(PreparedBlockSize());
    renderer.SetHostSampleRate(GetSampleRate());
}

void Brisbleep::OnParameterChange(int index)
{
    Lock lock(Mutex());
    const IParameter* param = GetParam(index);
    const ParamRoute* route = RouteOf(index);
    if (param != nullptr && route != nullptr) route->apply(*this, index - route->first, *param);
}

void Brisbleep::PollKeyboard(int pressedKey, double touchDepth)
{
    const int note = pressedKey + 12;
    if (lastKeyboardNote >= 12 && lastKeyboardNote != note)
    {
        IMidiMessage off;
        off.status = 0x80;
        off.data1 = static_cast<std::uint8_t>(lastKeyboardNote);
        OnMidiMessage(off);
    }
    if (note >= 12 && note != lastKeyboardNote)
    {
        IMidiMessage on;
        on.status = 0x90;
        on.data1 = static_cast<std::uint8_t>(note);
        on.data2 = static_cast<std::uint8_t>(static_cast<int>(touchDepth * 126.0 + 0.5) + 1);
        OnMidiMessage(on);
    }
    lastKeyboardNote = note;
}

void Brisbleep::RenderDouble(double** /*inputs*/, double** outputs, int frames)
{
    if (keyboardControl != nullptr)
        PollKeyboard(keyboardControl->PressedKey(), keyboardControl->TouchDepth());

    const bool rightConnected = NOutChannels() > 1 && IsOutChannelConnected(1);
    double* left = outputs[0];
    double* right = NOutChannels() > 1 ? outputs[1] : nullptr;

    renderer.BeginMeterBlock();
    // An idle instance (nothing sounding, no message due in this block) writes silence without
    // rendering it: the result is the same 0.0 the engine would produce, at a fraction of the cost.
    const IMidiEventQueue& queue = midiReceiver.queue;
    const bool nothingDue = queue.Empty() || queue.Front().offset >= frames;
    if (nothingDue && renderer.SettleIntoSilence())
    {
        renderer.SkipSilence(frames);
        std::fill_n(left, frames, 0.0);
        if (rightConnected) std::fill_n(right, frames, 0.0);
        for (int i = 0; i < frames; ++i)
            renderer.MeterFrame(0.0, right != nullptr ? right[i] : 0.0);
    }
    else
    {
        // Between two messages the engine renders a whole stretch at once.
        for (int i = 0; i < frames;)
        {
            const int quiet = midiReceiver.PlayDueMessagesAndAdvance(frames - i);
            renderer.Render(left + i, quiet);
            for (int k = i; k < i + quiet; ++k)
            {
                if (rightConnected) right[k] = left[k];
                renderer.MeterFrame(left[k], right != nullptr ? right[k] : 0.0);
            }
            i += quiet;
        }
    }
    const PeakLevels levels = renderer.EndMeterBlock();
    if (editorGraphics != nullptr && GetEditor() == static_cast<IFrameEditor*>(editorGraphics))
    {
        if (IControl* meter = editorGraphics->GetControl(leftMeterControl))
            meter->TakeValueFromPlugin(levels.left);
        if (IControl* meter = editorGraphics->GetControl(rightMeterControl))
            meter->TakeValueFromPlugin(levels.right);
    }

    midiReceiver.EndBlock(frames);
}

void Brisbleep::OnMidiMessage(const IMidiMessage& message)
{
    // A panic cancels the pitch jumps of earlier notes; its release or silence plays at its sample.
    if (MidiInput::IsPanic(message)) midiReceiver.DropScheduledFrom(message.offset);
    if (message.status >= 0x80 && message.status <= 0xEF) midiReceiver.queue.Push(message);
    pitchJump.ScheduleJump(message, midiReceiver.queue, renderer.HostSampleRate());
    if (keyboardControl != nullptr) keyboardControl->MarkDirty();
    SendMidiToHost(message);
}

bool Brisbleep::SaveState(IStateChunk& chunk)
{
    Lock lock(Mutex());
    chunk.PutInt32(GetVersion());
    return SerializeParams(chunk);
}

int32_t Brisbleep::LoadState(const IStateChunk& chunk, int32_t position)
{
    Lock lock(Mutex());
    std::int32_t version = 0;
    position = chunk.GetInt32(version, position);
    return UnserializeParams(chunk, position);
}

bool Brisbleep::StateMatches(const IStateChunk& chunk, int32_t position)
{
    std::int32_t version = 0;
    position = chunk.GetInt32(version, position);
    return position >= 0 && version == GetVersion() && ParamsMatch(chunk, position);
}

bool Brisbleep::IsIdle() const
{
    return !renderer.AnyVoiceActive() && midiReceiver.queue.Empty();
}
