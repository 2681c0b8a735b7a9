#include "cli/Sprite.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <filesystem>

AudioSprite::AudioSprite(int channels, int rate, double gapSeconds)
    : channels_(channels), rate_(rate), gapFrames_(static_cast<std::size_t>(std::llround(gapSeconds * rate)))
{
}

void AudioSprite::Append(const std::string& name, const std::vector<double>& interleaved)
{
    if (!sounds_.empty())
        samples_.resize(samples_.size() + gapFrames_ * static_cast<std::size_t>(channels_), 0.0);
    const std::size_t start = samples_.size() / static_cast<std::size_t>(channels_);
    samples_.insert(samples_.end(), interleaved.begin(), interleaved.end());
    sounds_.push_back({name, start, interleaved.size() / static_cast<std::size_t>(channels_)});
}

std::string AudioSprite::Map(const std::string& source) const
{
    using Json = nlohmann::ordered_json;
    std::string text = "{\n  \"src\": [" + Json(source).dump() + "],\n  \"sprite\": {\n";
    for (std::size_t i = 0; i < sounds_.size(); ++i)
    {
        const Sound& s = sounds_[i];
        // Whole milliseconds, computed in integers so that no rounding of doubles can shorten a range.
        const auto rate = static_cast<unsigned long long>(rate_);
        const unsigned long long begin = s.start * 1000ULL / rate;
        const unsigned long long end = ((s.start + s.frames) * 1000ULL + rate - 1) / rate;
        text += "    " + Json(s.name).dump() + ": [" + std::to_string(begin) + ", " +
                std::to_string(end - begin) + "]" + (i + 1 < sounds_.size() ? ",\n" : "\n");
    }
    return text + "  }\n}\n";
}

std::string SpriteMapPath(const std::string& spritePath)
{
    std::filesystem::path path(spritePath);
    path.replace_extension(".json");
    return path.string();
}
