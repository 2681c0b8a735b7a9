#pragma once

#include "editor/IGraphicsTypes.h"

// A point in editor (window client) pixels.
struct Point
{
    int x, y;
};

inline Point Centre(const IArea& a)
{
    return {(a.L + a.R) / 2, (a.T + a.B) / 2};
}
