#include "tools/artwork/Layout.h"

namespace artwork::layout
{

std::vector<Cell> ControlCells()
{
    std::vector<Cell> cells;
    auto knob = [&](int x, int y) { cells.push_back({x, y, kCellWidth, kKnobCell}); };
    for (int y : kOscRows)
        for (int x : kOscColumns)
            knob(x, y);
    for (int y : kNoiseRows)
        for (int x : kNoiseColumns)
            knob(x, y);
    for (int y : kEnvRows)
    {
        for (int x : kEnvColumns)
            knob(x, y);
        for (int x : kFilterColumns)
            knob(x, y);
    }
    for (int x : kPitchColumns)
        knob(x, kPitchRow);
    for (int y : kRightColumnRows)
        knob(kRightColumn, y);
    for (int y : kCrushRows)
        knob(kCrushColumn, y);
    knob(kMutation.x, kMutation.y);
    cells.push_back(kCrushSwitch);
    cells.push_back(kJumpSwitch);
    return cells;
}

} // namespace artwork::layout
