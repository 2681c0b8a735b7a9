#include "cli/NoteName.h"

#include <cctype>
#include <charconv>

namespace
{

constexpr const char* kNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
// Semitones above C of the letters A to G.
constexpr int kLetterOffsets[7] = {9, 11, 0, 2, 4, 5, 7};

std::optional<int> ParseInt(std::string_view text)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty()) return std::nullopt;
    return value;
}

} // namespace

std::optional<int> ParseNote(std::string_view text)
{
    std::optional<int> note;
    if (!text.empty() && (std::isdigit(static_cast<unsigned char>(text[0])) != 0))
    {
        note = ParseInt(text);
    }
    else if (!text.empty())
    {
        const int letter = std::toupper(static_cast<unsigned char>(text[0]));
        if (letter < 'A' || letter > 'G') return std::nullopt;
        int semitone = kLetterOffsets[letter - 'A'];
        std::size_t pos = 1;
        if (pos < text.size() && text[pos] == '#')
            ++semitone, ++pos;
        else if (pos < text.size() && text[pos] == 'b')
            --semitone, ++pos;
        // The editor writes note names with a space before the octave ("C# 4").
        if (pos < text.size() && text[pos] == ' ') ++pos;
        const std::optional<int> octave = ParseInt(text.substr(pos));
        if (!octave) return std::nullopt;
        note = (*octave + 1) * 12 + semitone;
    }
    if (!note || *note < 0 || *note > 127) return std::nullopt;
    return note;
}

std::string NoteName(int note)
{
    return std::string(kNames[note % 12]) + std::to_string(note / 12 - 1);
}
