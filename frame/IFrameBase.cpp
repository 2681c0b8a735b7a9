#include "frame/IFrameBase.h"

#include "frame/FrameText.h"
#include "frame/IdentifyHost.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <new>
#include <string_view>
#include <type_traits>

namespace
{
// Reads a leading decimal integer the way "%d" does (white space, then an optional sign, then
// digits) and advances past it. False, with no advance, when there is none or it does not fit.
bool ParseLeadingInt(std::string_view& text, int& value)
{
    std::string_view rest = text;
    while (!rest.empty() && std::isspace(static_cast<unsigned char>(rest.front())))
        rest.remove_prefix(1);
    bool negative = false;
    if (!rest.empty() && (rest.front() == '+' || rest.front() == '-'))
    {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    unsigned magnitude = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), magnitude);
    const unsigned limit = negative ? 2147483648u : 2147483647u;
    if (error != std::errc() || magnitude > limit) return false;
    value = negative ? static_cast<int>(0u - magnitude) : static_cast<int>(magnitude);
    text.remove_prefix(end - text.data());
    return true;
}

// One configuration "inputs-outputs"; a number that does not parse, and every one after it, is 0.
IChannelIO ParseChannelIO(std::string_view text)
{
    IChannelIO io;
    if (!ParseLeadingInt(text, io.inputs) || text.empty() || text.front() != '-') return io;
    text.remove_prefix(1);
    ParseLeadingInt(text, io.outputs);
    return io;
}

template <typename Sample> void PassThrough(Sample** inputs, Sample** outputs, int nIn, int nOut, int frames)
{
    if (!outputs || frames <= 0) return;
    for (int i = 0; i < nOut; ++i)
    {
        if (!outputs[i]) continue;
        if (i < nIn && inputs && inputs[i])
            std::memmove(outputs[i], inputs[i], sizeof(Sample) * frames); // host buffers may alias
        else
            std::fill_n(outputs[i], frames, Sample(0));
    }
}
} // namespace

IFrameBase::IFrameBase(const IFrameConfig& config)
    : uniqueId_(config.uniqueId), manufacturerId_(config.manufacturerId), version_(config.version),
      apiKind_(config.apiKind), doesStateChunks_(config.doesStateChunks), isInstrument_(config.isInstrument),
      doesMidi_(config.doesMidi), latency_(config.latency)
{
    int nIn = 0;
    int nOut = 0;
    std::string_view channels = config.channelIOs ? config.channelIOs : "";
    while (!channels.empty())
    {
        const size_t space = channels.find(' ');
        const std::string_view part = channels.substr(0, space);
        if (!part.empty())
        {
            const IChannelIO io = ParseChannelIO(part);
            channelIOs_.push_back(io);
            nIn = std::max(nIn, io.inputs);
            nOut = std::max(nOut, io.outputs);
        }
        channels.remove_prefix(space == std::string_view::npos ? channels.size() : space + 1);
    }

    CopyText(effectName_, config.effectName);
    CopyText(productName_, config.productName);
    CopyText(manufacturerName_, config.manufacturerName);

    for (int i = 0; i < config.parameterCount; ++i)
        parameters_.push_back(std::make_unique<IParameter>());
    for (int i = 0; i < config.presetCount; ++i)
        presets_.push_back(std::make_unique<IPresetEntry>());

    inputData_.assign(nIn, nullptr);
    outputData_.assign(nOut, nullptr);
    for (int i = 0; i < nIn; ++i)
    {
        inputChannels_.push_back(std::make_unique<IInputChannel>());
        inputChannels_.back()->source = &inputData_[i];
    }
    for (int i = 0; i < nOut; ++i)
    {
        outputChannels_.push_back(std::make_unique<IOutputChannel>());
        outputChannels_.back()->destination = &outputData_[i];
    }
    // Ready for blocks before the host announces a maximum (some never do).
    SizeScratch(PreparedBlockSize());
}

IFrameBase::~IFrameBase()
{
    // The editor refers back to the frame, so it goes first.
    editor_.reset();
}

void IFrameBase::OnReset()
{
    Lock lock(mutex_);
}

void IFrameBase::OnParameterChange(int)
{
    Lock lock(mutex_);
}

void IFrameBase::RenderDouble(double** inputs, double** outputs, int frames)
{
    PassThrough(inputs, outputs, NInChannels(), NOutChannels(), frames);
}

void IFrameBase::RenderFloat(float** inputs, float** outputs, int frames)
{
    PassThrough(inputs, outputs, NInChannels(), NOutChannels(), frames);
}

void IFrameBase::OnActiveChange(bool)
{
    Lock lock(mutex_);
}

void IFrameBase::OnMidiMessage(const IMidiMessage& message)
{
    SendMidiToHost(message);
}

void IFrameBase::OnSysEx(const ISysExMessage&) {}

bool IFrameBase::GetMidiNoteName(int, std::span<char> out)
{
    if (!out.empty()) out[0] = '\0';
    return false;
}

bool IFrameBase::SaveState(IStateChunk& chunk)
{
    return SerializeParams(chunk);
}

int32_t IFrameBase::LoadState(const IStateChunk& chunk, int32_t position)
{
    return UnserializeParams(chunk, position);
}

bool IFrameBase::StateMatches(const IStateChunk& chunk, int32_t position)
{
    return ParamsMatch(chunk, position);
}

void IFrameBase::OnParameterContextMenu(int, int, int) {}

void IFrameBase::SetParameterFromEditor(int paramIdx, double normalizedValue)
{
    Lock lock(mutex_);
    IParameter* param = GetParam(paramIdx);
    // Hosts accept normalised values only within [0, 1]; a NaN from a broken control changes nothing.
    if (!param || std::isnan(normalizedValue)) return;
    normalizedValue = std::clamp(normalizedValue, 0.0, 1.0);
    param->SetFromNormalized(normalizedValue);
    SendHostParameterValue(paramIdx, normalizedValue); // the host gets the unrounded value
    OnParameterChange(paramIdx);
}

bool IFrameBase::SetParameterFromHost(int paramIdx, double value, bool isNormalized)
{
    Lock lock(mutex_);
    IParameter* param = GetParam(paramIdx);
    if (!param) return false;
    if (isNormalized)
        param->SetFromNormalized(value);
    else
        param->SetClamped(value);
    OnParameterChange(paramIdx);
    if (editor_) editor_->PushValueToControls(paramIdx, value, isNormalized);
    return true;
}

void IFrameBase::AttachEditor(IFrameEditor* editor)
{
    if (!editor) return;
    Lock lock(mutex_);
    for (int i = 0; i < NParams(); ++i)
        editor->PushValueToControls(i, parameters_[i]->ToNormalized(), true);
    editor->PrepareDraw();
    if (editor_.get() != editor) editor_.reset(editor);
}

bool IFrameBase::SendSysExToHost(const ISysExMessage&)
{
    return false;
}

void IFrameBase::RefreshEditorFromParameters()
{
    Lock lock(mutex_);
    if (!editor_) return;
    for (int i = 0; i < NParams(); ++i)
        editor_->PushValueToControls(i, parameters_[i]->Value(), false);
}

void IFrameBase::SetMaxBlockSize(int frames)
{
    blockSize_ = std::max(frames, 0);
    SizeScratch(PreparedBlockSize());
}

void IFrameBase::SizeScratch(int frames)
{
    auto resize = [frames](std::vector<double>& scratch)
    {
        if (scratch.size() == static_cast<size_t>(frames)) return;
        // A buffer that cannot grow keeps its size; processing then renders in smaller pieces.
        try
        {
            std::vector<double> fresh(frames, 0.0);
            scratch.swap(fresh);
        }
        catch (const std::bad_alloc&)
        {
        }
    };
    for (auto& channel : inputChannels_)
        resize(channel->scratch);
    for (auto& channel : outputChannels_)
        resize(channel->scratch);
}

bool IFrameBase::LegalIO(int inputs, int outputs) const
{
    return std::any_of(channelIOs_.begin(), channelIOs_.end(),
                       [&](const IChannelIO& io)
                       { return io.inputs == inputs && (outputs == -1 || io.outputs == outputs); });
}

bool IFrameBase::IsInChannelConnected(int idx) const
{
    return idx >= 0 && idx < NInChannels() && inputChannels_[idx]->connected;
}

bool IFrameBase::IsOutChannelConnected(int idx) const
{
    return idx >= 0 && idx < NOutChannels() && outputChannels_[idx]->connected;
}

void IFrameBase::SetInputChannelConnected(int idx, bool connected)
{
    if (idx < 0 || idx >= NInChannels()) return;
    IInputChannel& channel = *inputChannels_[idx];
    channel.connected = connected;
    if (!connected) // an unconnected input reads silence from its scratch
        std::fill(channel.scratch.begin(), channel.scratch.end(), 0.0);
}

void IFrameBase::SetOutputChannelConnected(int idx, bool connected)
{
    if (idx < 0 || idx >= NOutChannels()) return;
    outputChannels_[idx]->connected = connected;
    outputChannels_[idx]->hostDestination = nullptr;
}

template <typename Sample>
void IFrameBase::ProcessBlock(Sample** inputs, Sample** outputs, int frames, bool accumulate)
{
    constexpr bool kHostDouble = std::is_same_v<Sample, double>;
    Lock lock(mutex_);
    if (frames < 0) return;

    auto usesHostInput = [&](int i, const IInputChannel& c) { return c.connected && inputs && inputs[i]; };
    auto usesHostOutput = [&](int i, const IOutputChannel& c)
    { return c.connected && outputs && outputs[i]; };

    // Channels rendered through their scratch buffers bound how many samples one pass can take.
    size_t limit = static_cast<size_t>(frames);
    for (int i = 0, host = 0; i < NInChannels(); ++i)
    {
        const IInputChannel& c = *inputChannels_[i];
        const bool fromHost = c.connected && usesHostInput(host, c);
        host += c.connected;
        if (!kHostDouble || !fromHost) limit = std::min(limit, c.scratch.size());
    }
    for (int i = 0, host = 0; i < NOutChannels(); ++i)
    {
        const IOutputChannel& c = *outputChannels_[i];
        const bool toHost = c.connected && usesHostOutput(host, c);
        host += c.connected;
        if (!kHostDouble || !toHost) limit = std::min(limit, c.scratch.size());
    }

    int done = 0;
    do
    {
        const int n = static_cast<int>(std::min(limit, static_cast<size_t>(frames - done)));
        if (n == 0 && frames > 0)
        {
            // No buffer to render into (scratch memory could never be had): silence.
            for (int i = 0, host = 0; i < NOutChannels(); ++i)
            {
                const IOutputChannel& c = *outputChannels_[i];
                if (!c.connected) continue;
                if (usesHostOutput(host, c) && !accumulate)
                    std::fill_n(outputs[host] + done, frames - done, Sample(0));
                ++host;
            }
            return;
        }

        for (int i = 0, host = 0; i < NInChannels(); ++i)
        {
            IInputChannel& c = *inputChannels_[i];
            double* slot = c.scratch.data();
            if (c.connected)
            {
                if (usesHostInput(host, c))
                {
                    Sample* source = inputs[host] + done;
                    if constexpr (kHostDouble)
                        slot = source;
                    else
                        std::copy_n(source, n, c.scratch.data());
                }
                else // no host buffer for it: silence, not the samples of an earlier block
                    std::fill_n(c.scratch.data(), n, 0.0);
                ++host;
            }
            *c.source = slot;
        }
        for (int i = 0, host = 0; i < NOutChannels(); ++i)
        {
            IOutputChannel& c = *outputChannels_[i];
            double* slot = c.scratch.data();
            c.hostDestination = nullptr;
            if (c.connected)
            {
                if (usesHostOutput(host, c))
                {
                    Sample* destination = outputs[host] + done;
                    if constexpr (kHostDouble)
                        slot = destination;
                    else
                        c.hostDestination = destination;
                }
                ++host;
            }
            *c.destination = slot;
        }

        RenderDouble(inputData_.data(), outputData_.data(), n);

        if constexpr (!kHostDouble)
            for (auto& channel : outputChannels_)
            {
                float* destination = channel->hostDestination;
                if (!destination) continue;
                const double* rendered = channel->scratch.data();
                if (accumulate)
                    for (int s = 0; s < n; ++s)
                        destination[s] += static_cast<float>(rendered[s]);
                else
                    for (int s = 0; s < n; ++s)
                        destination[s] = static_cast<float>(rendered[s]);
            }
        done += n;
    } while (done < frames);
}

void IFrameBase::ProcessDoubleReplacing(double** inputs, double** outputs, int frames)
{
    ProcessBlock(inputs, outputs, frames, false);
}

void IFrameBase::ProcessReplacing(float** inputs, float** outputs, int frames)
{
    ProcessBlock(inputs, outputs, frames, false);
}

void IFrameBase::ProcessAccumulating(float** inputs, float** outputs, int frames)
{
    ProcessBlock(inputs, outputs, frames, true);
}

IParameter* IFrameBase::GetParam(int idx)
{
    return idx >= 0 && idx < NParams() ? parameters_[idx].get() : nullptr;
}

const IParameter* IFrameBase::GetParam(int idx) const
{
    return idx >= 0 && idx < NParams() ? parameters_[idx].get() : nullptr;
}

void IFrameBase::NotifyAllParameters()
{
    for (int i = 0; i < NParams(); ++i)
        OnParameterChange(i);
}

void IFrameBase::SetHost(const char* productText, int32_t hostVersion)
{
    hostKind_ = IdentifyHost(productText);
    hostVersion_ = hostVersion;
}
