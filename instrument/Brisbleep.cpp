#include "instrument/Brisbleep.h"

#include "instrument/ParamLayoutSpec.h"

#include "engine/DebugTrace.h"
#include "engine/DenormalFilter.h"
#include "engine/Oscilator.h"

#include "editor/IGraphics.h"

#include <cmath>
#include <mutex>

namespace
{

// ln(10) / 20: exp(v * kDecibelToExponent) is 10^(v / 20).
constexpr double kDecibelToExponent = 0.1151292546497;

double DecibelsToGain(double decibels, double silentBelow)
{
    return decibels < silentBelow ? 0.0 : std::exp(decibels * kDecibelToExponent);
}

// The corner of the anti-alias filter, in cycles per engine sample: the host's Nyquist frequency
// at eight times oversampling.
constexpr double kDecimationCorner = 0.0625;

} // namespace

Brisbleep::Brisbleep(BrisbleepBinding::HostContext host) : BrisbleepBinding(host)
{
    DesignDecimationFilter(decimation, kDecimationCorner);
    decimation.ClearHistory();

    CreateParameters();
    for (int i = 0; i < kParamCount; ++i)
        OnParameterChange(i);
    CreateEditor();

    FillPresetsFromState("-", 1);

    SampleRateChanged.Connect<&VoiceManager::SetSampleRate>(&voiceManager);
    midiReceiver.NoteOnSignal.Connect<&VoiceManager::NoteOn>(&voiceManager);
    midiReceiver.NoteOffSignal.Connect<&VoiceManager::NoteOff>(&voiceManager);
    midiReceiver.ProgramChangeSignal.Connect<&Brisbleep::OnProgramChange>(this);
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
    std::lock_guard<std::recursive_mutex> lock(Mutex());
    hostSampleRate = GetSampleRate();
    decimation.ClearHistory();
    midiReceiver.queue.Reserve(GetBlockSize());
    SampleRateChanged.Emit(hostSampleRate * oversampling);
    OscillatorSampleRate = static_cast<std::int32_t>(hostSampleRate * oversampling);
    crusher.sourceRate = hostSampleRate;
}

void Brisbleep::OnParameterChange(int index)
{
    std::lock_guard<std::recursive_mutex> lock(Mutex());
    const IParameter* p = index >= 0 && index < kParamCount ? GetParam(index) : nullptr;
    if (p == nullptr) return;
    const double v = p->Value();
    const int n = p->AsInt();
    VoiceManager& voices = voiceManager;

    switch (index)
    {
    case kOutputGain:
        outputGainTarget = DecibelsToGain(v, -96.0);
        return;
    case 1:
    case 2:
    case 3:
        voices.SetWaveform(index - kOsc1Type, static_cast<OscilatorWaveform>(n));
        return;
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
        voices.SetSourceLevel(index - kOsc1Level, DecibelsToGain(v, -95.0));
        return;
    case 9:
    case 10:
    case 11:
        voices.SetOctave(index - kOsc1Octave, n);
        return;
    case 12:
    case 13:
    case 14:
        voices.SetTranspose(index - kOsc1Transpose, n);
        return;
    case 15:
    case 16:
    case 17:
        voices.SetCents(index - kOsc1Cents, n);
        return;
    case 18:
    case 19:
    case 20:
        voices.SetSquareDuty(index - kOsc1SquareDuty, v);
        return;
    case 21:
    case 22:
    case 23:
        voices.SetStartPhase(index - kOsc1Phase, v);
        return;
    case 24:
    case 25:
    case 26:
    case 27:
    case 28:
        voices.SetEnvDepth(index - kOsc1EnvDepth, v);
        return;
    case 29:
    case 30:
    case 31:
    case 32:
    case 33:
        voices.SetStageValue(EnvelopeTarget::Amplitude,
                             static_cast<EnvelopeStage>(StageAttack + (index - kAmpEnvAttack)), v);
        return;
    case kPitchHighNote:
        voices.SetHighNote(n);
        return;
    case kPitchLowNote:
        voices.SetLowNote(n);
        return;
    case kPitchDuration:
        voices.SetPitchDuration(v);
        return;
    case kPitchStart:
        voices.SetPitchStart(v);
        return;
    case kPitchEnd:
        voices.SetPitchEnd(v);
        return;
    case kPitchCurve:
        voices.SetPitchCurve(v);
        return;
    case kFilterLpCutoff:
        voices.SetLowPassCutoff(v);
        return;
    case kFilterLpResonance:
        voices.SetLowPassResonance(v);
        return;
    case kFilterLpEnvDepth:
        voices.SetLowPassEnvDepth(v);
        return;
    case kFilterHpCutoff:
        voices.SetHighPassCutoff(v);
        return;
    case kFilterHpResonance:
        voices.SetHighPassResonance(v);
        return;
    case kFilterHpEnvDepth:
        voices.SetHighPassEnvDepth(v);
        return;
    case kCompressionFactor:
        compressor.SetCompressionFactor(v);
        return;
    case kPitchJumpTranspose:
        pitchJump.jumpTranspose = n;
        return;
    case kPitchJumpDelay:
        pitchJump.jumpDelay = v;
        return;
    case kPitchJumpTime:
        pitchJump.jumpTime = v;
        return;
    case kPitchJumpTrigger:
        pitchJump.jumpTrigger = n;
        return;
    case 51:
    case 52:
    case 53:
    case 54:
    case 55:
        voices.SetStageValue(EnvelopeTarget::Filter,
                             static_cast<EnvelopeStage>(StageAttack + (index - kFilterEnvAttack)), v);
        return;
    case kBitCrushPosition:
        crushPosition = n;
        return;
    case kBitCrushSampleRate:
        crusher.targetRate = v;
        return;
    case kBitCrushBitDepth:
        crusher.bitDepth = v;
        return;
    case kMutationPercent:
        mutationAmount = v / 100.0;
        return;
    default:
        return;
    }
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
    std::array<Voice, VoiceManager::kVoiceCount>& voices = voiceManager.voices;

    peakMeter.ResetPeaks();
    for (int i = 0; i < frames; ++i)
    {
        midiReceiver.PlayDueMessages();
        double y = 0.0;
        for (int j = 0; j < oversampling; ++j)
        {
            double s = 0.0;
            for (Voice& voice : voices)
                s += voice.NextSample();
            if (crushPosition == 1) s = crusher.Process(s);
            s = DenormalFilter(s);
            decimation.Process(s);
            if (j == 0) y = decimation.history[0];
        }
        if (crushPosition == 2) y = crusher.Process(y);
        y = compressor.Compress(y);
        outputGain = outputGainTarget * outputGainStep + outputGain * outputGainSmoothing;
        const double out = y * outputGain;
        left[i] = out;
        if (rightConnected) right[i] = out;
        peakMeter.AddSamples(left[i], right != nullptr ? right[i] : 0.0);
    }
    peakMeter.UpdateLevels();
    if (editorGraphics != nullptr && GetEditor() == static_cast<IFrameEditor*>(editorGraphics))
    {
        if (IControl* meter = editorGraphics->GetControl(leftMeterControl))
            meter->TakeValueFromPlugin(peakMeter.levelLeft);
        if (IControl* meter = editorGraphics->GetControl(rightMeterControl))
            meter->TakeValueFromPlugin(peakMeter.levelRight);
    }

    midiReceiver.queue.EndBlock(frames);
    midiReceiver.blockPosition = 0;
}

void Brisbleep::OnMidiMessage(const IMidiMessage& message)
{
    if (message.status >= 0x80 && message.status <= 0xEF) midiReceiver.queue.Push(message);
    pitchJump.ScheduleJump(message, midiReceiver.queue, hostSampleRate);
    if (keyboardControl != nullptr) keyboardControl->MarkDirty();
    SendMidiToHost(message);
}

bool Brisbleep::SaveState(IStateChunk& chunk)
{
    std::lock_guard<std::recursive_mutex> lock(Mutex());
    chunk.PutInt32(GetVersion());
    return SerializeParams(chunk);
}

int32_t Brisbleep::LoadState(const IStateChunk& chunk, int32_t position)
{
    std::lock_guard<std::recursive_mutex> lock(Mutex());
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
    for (const Voice& voice : voiceManager.voices)
        if (voice.active) return false;
    return midiReceiver.queue.Empty();
}
