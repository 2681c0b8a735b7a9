// Feeds arbitrary bytes to the plug-in's set-chunk opcode, as a host restoring a damaged project would,
// program and bank alike, and checks that the instance stays usable: parameters stay normalised, its
// own bank reads back, and a note renders finite audio.
#include "vst2/IBindingVST2.h"

#include <cmath>
#include <cstdlib>
#include <vector>

namespace
{
intptr_t FuzzHost(vst2::EffectRecord*, int32_t opcode, int32_t, intptr_t, void*, float)
{
    return opcode == vst2::HostOp::kProcessEvents ? 1 : 0;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    vst2::EffectRecord* effect = VSTPluginMain(&FuzzHost);
    if (!effect) std::abort();
    auto dispatch = [effect](int32_t opcode, int32_t index, intptr_t value, void* ptr)
    { return effect->dispatcher(effect, opcode, index, value, ptr, 0.0f); };

    dispatch(vst2::EffectOp::kOpen, 0, 0, nullptr);
    const bool program = size > 0 && (data[0] & 1);
    std::vector<uint8_t> payload(size > 0 ? data + 1 : data, data + size);
    dispatch(vst2::EffectOp::kSetChunk, program, static_cast<intptr_t>(payload.size()), payload.data());

    for (int i = 0; i < effect->numParams; ++i)
    {
        const float n = effect->getParameter(effect, i);
        if (!(n >= 0.0f && n <= 1.0f)) std::abort();
    }

    void* bank = nullptr;
    const intptr_t bankSize = dispatch(vst2::EffectOp::kGetChunk, 0, 0, &bank);
    if (bankSize <= 0) std::abort();
    const std::vector<uint8_t> saved(static_cast<uint8_t*>(bank), static_cast<uint8_t*>(bank) + bankSize);
    if (dispatch(vst2::EffectOp::kSetChunk, 0, bankSize, const_cast<uint8_t*>(saved.data())) != 1)
        std::abort();

    vst2::VstMidiEvent note{};
    note.type = vst2::kMidiEventType;
    note.byteSize = sizeof(note);
    note.midiData[0] = char(0x90);
    note.midiData[1] = 60;
    note.midiData[2] = 100;
    vst2::VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<vst2::VstEvent*>(&note);
    dispatch(vst2::EffectOp::kSetBlockSize, 0, 256, nullptr);
    dispatch(vst2::EffectOp::kMainsChanged, 0, 1, nullptr);
    dispatch(vst2::EffectOp::kProcessEvents, 0, 0, &events);
    std::vector<float> left(256), right(256);
    float* outputs[] = {left.data(), right.data()};
    effect->processReplacing(effect, nullptr, outputs, 256);
    for (int s = 0; s < 256; ++s)
        if (!std::isfinite(left[s]) || !std::isfinite(right[s])) std::abort();

    dispatch(vst2::EffectOp::kClose, 0, 0, nullptr);
    return 0;
}
