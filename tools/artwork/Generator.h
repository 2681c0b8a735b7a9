#pragma once
// Draws every image of the image table into a folder, and lays them out on a contact sheet.

#include "tools/artwork/ImageTable.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace artwork
{

// Writes one PNG per table row into outDir (which must exist). Problems are reported on err;
// the result is false when any image could not be drawn or written.
bool GenerateAll(const std::vector<ImageEntry>& table, const std::string& outDir, std::ostream& err);

// One picture of all images in outDir: film strips are unrolled into rows of frames, over a
// checkerboard that shows their transparency.
bool WriteContactSheet(const std::vector<ImageEntry>& table, const std::string& imageDir,
                       const std::string& path, std::ostream& err);

} // namespace artwork
