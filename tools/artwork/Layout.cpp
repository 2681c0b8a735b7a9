#include "tools/artwork/Layout.h"

#include "instrument/ParamLayout.h"

namespace artwork::layout
{

std::vector<Cell> ControlCells()
{
    // The instrument's parameter table places every control; the artwork follows it.
    std::vector<Cell> cells;
    for (const ParamLayoutSpec& row : kParamLayout)
        cells.push_back({row.x, row.y, row.w, row.h});
    return cells;
}

} // namespace artwork::layout
