#pragma once
// The editor's image table (resources/images.txt): one row per image with its resource id, file name,
// size and frame count. The generator and its test read it rather than repeating it.

#include <optional>
#include <string>
#include <vector>

namespace artwork
{

struct ImageEntry
{
    int id = 0;
    std::string file; // name under resources/img/
    int width = 0;
    int height = 0;
    int frames = 0; // 0: no control uses the image
};

// Nothing when the file cannot be read or a row is malformed.
std::optional<std::vector<ImageEntry>> ReadImageTable(const std::string& path);

} // namespace artwork
