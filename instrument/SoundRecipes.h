#pragma once

// Sound generation on the instrument's parameters: the category recipes, the random sound and the
// mutation. They move parameters by normalised position through a SoundTarget, which the
// instrument implements by moving the parameters' editor controls as a user would, so the host
// and the engine hear every change. Random draws come from the calling thread's generator.

#include <string_view>

// Where generated sounds are written and current positions are read.
class SoundTarget
{
public:
    virtual ~SoundTarget() = default;
    // Moves parameter paramIdx to a normalised position (clamped by the receiver).
    virtual void SetNormalized(int paramIdx, double normalized) = 0;
    // The parameter's current normalised position, through its own range and shape.
    virtual double GetNormalized(int paramIdx) const = 0;
};

// The seven category recipes, in the order of the recipe table's columns.
enum class SoundRecipe
{
    Coin,
    Shoot,
    Powerup,
    Hit,
    Jump,
    Blip,
    Blade
};
inline constexpr int kSoundRecipeCount = 7;

// One draw of the generator scaled by 1 / 32766: [0, 32767 / 32766], slightly above 1 at the top.
double UnitDraw();

// A random normalised position between the positions of lo and hi (values in the parameter's own
// unit). Range and curve come from the parameter's layout row, which for "Pitch Curve" and "Pitch
// Jump Delay" differs from the parameter's own curve. One draw, even when lo equals hi.
double RandomInRange(int paramIdx, double lo, double hi);

// Assigns the recipe's parameters in table order; parameters it does not name are left alone.
void ApplySoundRecipe(SoundRecipe recipe, SoundTarget& target);

// A random waveform or noise source with random envelopes, pitch, filter depths and jump.
void ApplyRandomSound(SoundTarget& target);

// Moves each mutable parameter by up to amount (a normalised half-width) from its current position,
// and the pitch-jump trigger by up to ten times that.
void ApplyMutation(SoundTarget& target, double amount);
