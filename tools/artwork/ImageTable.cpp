#include "tools/artwork/ImageTable.h"

#include <fstream>
#include <sstream>

namespace artwork
{

std::optional<std::vector<ImageEntry>> ReadImageTable(const std::string& path)
{
    std::ifstream in(path);
    if (!in) return std::nullopt;
    std::vector<ImageEntry> entries;
    std::string line;
    while (std::getline(in, line))
    {
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        std::istringstream fields(line);
        ImageEntry e;
        std::string rest;
        if (!(fields >> e.id >> e.file >> e.width >> e.height >> e.frames) || (fields >> rest))
            return std::nullopt;
        if (e.width <= 0 || e.height <= 0 || e.frames < 0) return std::nullopt;
        entries.push_back(e);
    }
    return entries;
}

} // namespace artwork
