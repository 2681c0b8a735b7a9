// The worklet's module: the instrument that plays, at the audio context's rate, one render quantum
// at a time. Nothing here allocates once bb_audio_init has run.

#include "web/binding/WebInstance.h"

#include "instrument/KeyboardState.h"

namespace
{

// The browser's render quantum.
constexpr int kQuantum = 128;

float gOutput[kQuantum];

// The on-screen keyboard lives in the page's editor; the page reports its held key here.
class ReportedKeyboard final : public KeyboardState
{
public:
    int PressedKey() const override { return key; }
    double TouchDepth() const override { return depth; }
    void MarkDirty() override {}

    int key = -1;
    double depth = 0.0;
};

ReportedKeyboard gKeyboard;

} // namespace

BB_EXPORT int bb_audio_init(double rate)
{
    if (WebInstrument()) return 0;
    WebInstrument() = std::make_unique<Brisbleep>(OfflineHostContext{});
    Brisbleep& instrument = *WebInstrument();
    instrument.keyboardControl = &gKeyboard;
    instrument.SetHostSampleRate(rate);
    instrument.SetHostBlockSize(kQuantum);
    instrument.ConnectOutputs(1);
    instrument.SetProcessing(true);
    return 0;
}

BB_EXPORT float* bb_audio_buffer()
{
    return gOutput;
}

BB_EXPORT void bb_audio_process(int frames)
{
    Brisbleep* instrument = WebInstrument().get();
    if (!instrument || frames < 1 || frames > kQuantum) return;
    float* outputs[] = {gOutput};
    instrument->ProcessBlock(outputs, frames);
}

BB_EXPORT void bb_audio_midi(int status, int data1, int data2)
{
    Brisbleep* instrument = WebInstrument().get();
    if (!instrument) return;
    IMidiMessage message;
    message.status = static_cast<std::uint8_t>(status);
    message.data1 = static_cast<std::uint8_t>(data1);
    message.data2 = static_cast<std::uint8_t>(data2);
    instrument->DeliverMidi(message);
}

BB_EXPORT void bb_audio_set_param(int index, double value)
{
    Brisbleep* instrument = WebInstrument().get();
    if (instrument && index >= 0 && index < instrument->NParams())
        instrument->SetParameterValue(index, value);
}

BB_EXPORT void bb_audio_keyboard(int key, double depth)
{
    gKeyboard.key = key;
    gKeyboard.depth = depth;
}

BB_EXPORT double bb_audio_meter(int side)
{
    // The levels the meters of an editor attached here would show, smoothed block by block.
    Brisbleep* instrument = WebInstrument().get();
    if (!instrument) return 0.0;
    const PeakMeter& meter = instrument->renderer.Meter();
    return side == 0 ? meter.levelLeft : meter.levelRight;
}
