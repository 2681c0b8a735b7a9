#pragma once
// A picture of the whole editor put together from the generated images, the way the editor draws
// them: background, knobs with value texts, meters, buttons, keys. For looking at, not shipped.

#include <iosfwd>
#include <string>

namespace artwork
{

bool WriteEditorPreview(const std::string& imageDir, const std::string& path, std::ostream& err);

} // namespace artwork
