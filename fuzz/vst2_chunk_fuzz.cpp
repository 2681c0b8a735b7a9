// Feeds arbitrary bytes to the plug-in's set-chunk opcode, as a host restoring a damaged project would,
// program and bank alike, and checks that the instance stays usable: parameters stay normalised, its
// own bank reads back, and a note renders finite audio. One instance serves the whole run; it is
// returned to its first bank before every input.
#include "Vst2FuzzInstance.h"

#include <cmath>
#include <cstdlib>
#include <vector>

namespace
{
intptr_t FuzzHost(vst2::EffectRecord*, int32_t opcode, int32_t, intptr_t, void*, float)
{
    return opcode == vst2::HostOp::kProcessEvents ? 1 : 0;
}

std::vector<uint8_t> Bank(vst2::EffectRecord* effect)
{
    void* bank = nullptr;
    const intptr_t size = effect->dispatcher(effect, vst2::EffectOp::kGetChunk, 0, 0, &bank, 0.0f);
    if (size <= 0 || !bank) FuzzFail("no bank");
    return {static_cast<uint8_t*>(bank), static_cast<uint8_t*>(bank) + size};
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static vst2::EffectRecord* effect = OpenVst2Instance(&FuzzHost, 64);
    static std::vector<uint8_t> pristine = Bank(effect);
    auto dispatch = [](int32_t opcode, int32_t index, intptr_t value, void* ptr)
    { return effect->dispatcher(effect, opcode, index, value, ptr, 0.0f); };

    if (dispatch(vst2::EffectOp::kSetChunk, 0, static_cast<intptr_t>(pristine.size()), pristine.data()) != 1)
        FuzzFail("first bank not taken back");
    dispatch(vst2::EffectOp::kSetProgram, 0, 0, nullptr);

    const bool program = size > 0 && (data[0] & 1);
    std::vector<uint8_t> payload(size > 0 ? data + 1 : data, data + size);
    dispatch(vst2::EffectOp::kSetChunk, program, static_cast<intptr_t>(payload.size()), payload.data());

    for (int i = 0; i < effect->numParams; ++i)
    {
        const float n = effect->getParameter(effect, i);
        if (!(n >= 0.0f && n <= 1.0f)) FuzzFail("parameter not normalised");
    }

    std::vector<uint8_t> saved = Bank(effect);
    if (dispatch(vst2::EffectOp::kSetChunk, 0, static_cast<intptr_t>(saved.size()), saved.data()) != 1)
        FuzzFail("own bank not taken back");

    vst2::VstMidiEvent note{};
    note.type = vst2::kMidiEventType;
    note.byteSize = sizeof(note);
    note.midiData[0] = char(0x90);
    note.midiData[1] = 60;
    note.midiData[2] = 100;
    vst2::VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<vst2::VstEvent*>(&note);
    dispatch(vst2::EffectOp::kProcessEvents, 0, 0, &events);
    static std::vector<float> left(64), right(64);
    float* outputs[] = {left.data(), right.data()};
    effect->processReplacing(effect, nullptr, outputs, 64);
    RequireSaneAudio(left.data(), 64);
    RequireSaneAudio(right.data(), 64);
    // Silence for the next input.
    note.midiData[0] = char(0xB0);
    note.midiData[1] = 120;
    note.midiData[2] = 0;
    dispatch(vst2::EffectOp::kProcessEvents, 0, 0, &events);
    effect->processReplacing(effect, nullptr, outputs, 1);
    return 0;
}
