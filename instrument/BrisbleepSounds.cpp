// The instrument's sound buttons: recipes, mutation and the sound history.

#include "instrument/Brisbleep.h"
#include "instrument/SoundRecipes.h"

#include "editor/IBitmapFontControls.h"
#include "editor/IGraphics.h"

#include <cstdio>
#include <mutex>

namespace
{

// Writes through the parameters' controls, as if the user had moved them, so each change reaches the
// parameter, the host and the engine; reads the parameters' own positions.
class ControlTarget : public SoundTarget
{
public:
    ControlTarget(IFrameBase& plugin, IGraphics& graphics) : plugin_(plugin), editorGraphics(graphics) {}
    void SetNormalized(int paramIdx, double normalized) override
    {
        editorGraphics.SetControlsAsUser(paramIdx, normalized);
    }
    double GetNormalized(int paramIdx) const override { return plugin_.GetParam(paramIdx)->ToNormalized(); }

private:
    IFrameBase& plugin_;
    IGraphics& editorGraphics;
};

} // namespace

void Brisbleep::ResetToInitial()
{
    ApplyPreset(0);
}

void Brisbleep::RandomSound()
{
    if (editorGraphics == nullptr) return;
    ControlTarget target(*this, *editorGraphics);
    ApplyRandomSound(target);
    RecordSound();
}

void Brisbleep::ApplyRecipe(SoundRecipe recipe)
{
    if (editorGraphics == nullptr) return;
    ControlTarget target(*this, *editorGraphics);
    ApplySoundRecipe(recipe, target);
    RecordSound();
}

void Brisbleep::CoinRecipe()
{
    ApplyRecipe(SoundRecipe::Coin);
}
void Brisbleep::ShootRecipe()
{
    ApplyRecipe(SoundRecipe::Shoot);
}
void Brisbleep::PowerupRecipe()
{
    ApplyRecipe(SoundRecipe::Powerup);
}
void Brisbleep::HitRecipe()
{
    ApplyRecipe(SoundRecipe::Hit);
}
void Brisbleep::JumpRecipe()
{
    ApplyRecipe(SoundRecipe::Jump);
}
void Brisbleep::BlipRecipe()
{
    ApplyRecipe(SoundRecipe::Blip);
}
void Brisbleep::BladeRecipe()
{
    ApplyRecipe(SoundRecipe::Blade);
}

void Brisbleep::MutateSound()
{
    if (editorGraphics == nullptr) return;
    ControlTarget target(*this, *editorGraphics);
    ApplyMutation(target, mutationAmount);
    RecordSound();
}

namespace
{
SoundHistory::Entry CurrentSound(const IFrameBase& plugin)
{
    SoundHistory::Entry sound(kParamCount);
    for (int i = 0; i < kParamCount; ++i)
        sound[static_cast<std::size_t>(i)] = plugin.GetParam(i)->ToNormalized();
    return sound;
}
} // namespace

void Brisbleep::RecordSound()
{
    if (editorGraphics == nullptr) return;
    soundHistory.Record(CurrentSound(*this));
    ShowCurrentEntry();
}

void Brisbleep::SaveSound()
{
    if (editorGraphics == nullptr) return;
    soundHistory.Save(CurrentSound(*this));
}

void Brisbleep::PreviousSound()
{
    if (editorGraphics == nullptr || !soundHistory.Previous()) return;
    ApplyCurrentEntry();
    ShowCurrentEntry();
}

void Brisbleep::NextSound()
{
    if (editorGraphics == nullptr || !soundHistory.Next()) return;
    ApplyCurrentEntry();
    ShowCurrentEntry();
}

void Brisbleep::ApplyCurrentEntry()
{
    const SoundHistory::Entry* entry = soundHistory.Current();
    if (editorGraphics == nullptr || entry == nullptr) return;
    for (int i = 0; i < kParamCount && i < static_cast<int>(entry->size()); ++i)
        editorGraphics->SetControlsAsUser(i, (*entry)[static_cast<std::size_t>(i)]);
}

void Brisbleep::ShowCurrentEntry()
{
    if (indexDisplay == nullptr) return;
    char text[16];
    std::snprintf(text, sizeof text, "%d", soundHistory.CurrentIndex());
    indexDisplay->SetText(text);
}
