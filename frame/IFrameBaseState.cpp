// The state and preset operations of IFrameBase.
#include "frame/FrameText.h"
#include "frame/IFrameBase.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace
{
constexpr double kStateTolerance = 0.00001;
constexpr const char* kUserPresetName = "user preset";
} // namespace

bool IFrameBase::SerializeParams(IStateChunk& chunk)
{
    Lock lock(mutex_);
    bool ok = true;
    for (const auto& param : parameters_)
        ok = chunk.PutDouble(param->Value()) > 0 && ok;
    return ok;
}

int32_t IFrameBase::UnserializeParams(const IStateChunk& chunk, int32_t position)
{
    Lock lock(mutex_);
    // A value whose bytes are missing becomes 0 clamped into range; the ones after it stay as they are.
    for (int i = 0; i < NParams() && position >= 0; ++i)
    {
        double v = 0.0;
        position = chunk.GetDouble(v, position);
        parameters_[i]->SetClamped(v);
    }
    NotifyAllParameters();
    return position;
}

bool IFrameBase::ParamsMatch(const IStateChunk& chunk, int32_t position)
{
    for (const auto& param : parameters_)
    {
        double stored = 0.0;
        position = chunk.GetDouble(stored, position);
        if (position < 0 || !(std::fabs(param->Value() - stored) < kStateTolerance)) return false;
    }
    return true;
}

IPresetEntry* IFrameBase::GetPreset(int idx)
{
    return idx >= 0 && idx < NPresets() ? presets_[idx].get() : nullptr;
}

const char* IFrameBase::PresetName(int idx) const
{
    return idx >= 0 && idx < NPresets() ? presets_[idx]->name : "";
}

bool IFrameBase::ApplyPreset(int idx)
{
    IPresetEntry* preset = GetPreset(idx);
    if (!preset) return false;
    bool ok = false;
    if (preset->initialised)
        ok = LoadState(preset->chunk, 0) > 0;
    else
    {
        // An empty slot becomes a user preset holding the current state.
        preset->initialised = true;
        int userPresets = 0;
        for (const auto& p : presets_)
            userPresets += std::strstr(p->name, kUserPresetName) != nullptr;
        std::snprintf(preset->name, sizeof preset->name, "%s %d", kUserPresetName, userPresets + 1);
        preset->chunk.Clear();
        ok = SaveState(preset->chunk);
    }
    if (ok)
    {
        currentPreset_ = idx;
        OnPresetChange();
        RefreshEditorFromParameters();
    }
    return ok;
}

void IFrameBase::ModifyCurrentPreset(const char* name)
{
    IPresetEntry* preset = GetPreset(currentPreset_);
    if (!preset) return;
    preset->chunk.Clear();
    SaveState(preset->chunk);
    if (name && name[0] != '\0') CopyText(preset->name, name);
}

void IFrameBase::FillPresetsFromState(const char* name, int count)
{
    for (int n = 0; n < count; ++n)
    {
        IPresetEntry* empty = nullptr;
        for (const auto& p : presets_)
            if (!p->initialised)
            {
                empty = p.get();
                break;
            }
        if (!empty) return;
        empty->initialised = true;
        CopyText(empty->name, name ? name : "Empty");
        empty->chunk.Clear();
        SaveState(empty->chunk);
    }
}

bool IFrameBase::SerializePresets(IStateChunk& chunk)
{
    if (presets_.empty()) return true;
    bool ok = true;
    for (const auto& p : presets_)
    {
        const uint8_t flag = p->initialised ? 1 : 0;
        ok = chunk.PutString(p->name) > 0 && ok;
        ok = chunk.PutBytes(&flag, 1) > 0 && ok;
        if (p->initialised) ok = chunk.PutBytes(p->chunk.Data(), p->chunk.Size()) > 0 && ok;
    }
    return ok && chunk.Size() > 0;
}

int32_t IFrameBase::UnserializePresets(const IStateChunk& chunk, int32_t position)
{
    // One name text across the loop: a stored length of 0 repeats the previous preset's name.
    std::string name;
    for (int i = 0; i < NPresets() && position >= 0; ++i)
    {
        IPresetEntry& preset = *presets_[i];
        position = chunk.GetString(name, position);
        uint8_t flag = 0;
        position = chunk.GetByte(flag, position);
        if (position < 0) break;
        // A preset is changed only once it was read completely, so a damaged bank never leaves one
        // marked as holding a state that it does not have.
        if (flag != 0)
        {
            position = LoadState(chunk, position);
            if (position <= 0) break;
            // Store what the live parameters now hold: the state as it was clamped on loading.
            preset.chunk.Clear();
            SaveState(preset.chunk);
        }
        CopyText(preset.name, name.c_str()); // longer names are cut to 255 characters
        preset.initialised = flag != 0;
    }
    if (currentPreset_ >= 0) ApplyPreset(currentPreset_);
    return position;
}
