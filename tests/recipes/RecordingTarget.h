#pragma once

#include "instrument/ParamLayoutSpec.h"
#include "instrument/SoundRecipes.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

// Positions of all parameters, clamped like a control, with every assignment recorded in order.
class RecordingTarget : public SoundTarget
{
public:
    RecordingTarget() { positions.fill(0.5); }

    void SetNormalized(int paramIdx, double normalized) override
    {
        sets.emplace_back(paramIdx, normalized);
        positions[static_cast<std::size_t>(paramIdx)] = std::clamp(normalized, 0.0, 1.0);
    }
    double GetNormalized(int paramIdx) const override
    {
        return positions[static_cast<std::size_t>(paramIdx)];
    }

    std::vector<int> Order() const
    {
        std::vector<int> order;
        for (const auto& set : sets)
            order.push_back(set.first);
        return order;
    }

    std::array<double, kParamCount> positions{};
    std::vector<std::pair<int, double>> sets;
};

// An independent copy of the generator, to predict draws.
struct ReferenceGenerator
{
    std::uint32_t state;
    int Next()
    {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7fffu);
    }
    double Unit() { return Next() / 32766.0; }
};
