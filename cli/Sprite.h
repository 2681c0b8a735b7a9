#pragma once

// An audio sprite: the sounds of a batch one after another in one audio file, with a gap of silence
// between them, and the map web game engines read to play each one (name -> start and duration in
// milliseconds, the layout of howler.js sprites):
//
//   {
//     "src": ["sfx.wav"],
//     "sprite": {
//       "coin_001": [0, 341],
//       "coin_002": [441, 454]
//     }
//   }

#include <string>
#include <vector>

class AudioSprite
{
public:
    AudioSprite(int channels, int rate, double gapSeconds);

    // Appends a sound (interleaved), after the gap when it is not the first.
    void Append(const std::string& name, const std::vector<double>& interleaved);
    const std::vector<double>& Samples() const { return samples_; }
    std::size_t Count() const { return sounds_.size(); }

    // The map for the audio file named `source` (as the page will load it), ending with a newline.
    // Starts are rounded down and ends up to whole milliseconds, so each range holds its whole sound;
    // the gap keeps it clear of the next.
    std::string Map(const std::string& source) const;

private:
    struct Sound
    {
        std::string name;
        std::size_t start = 0; // frames
        std::size_t frames = 0;
    };
    int channels_;
    int rate_;
    std::size_t gapFrames_;
    std::vector<double> samples_;
    std::vector<Sound> sounds_;
};

// The map beside a sprite: the same name with ".json" in place of the extension.
std::string SpriteMapPath(const std::string& spritePath);
