#pragma once
// Pieces shared by the background and the about page: the face plate, captions, rules and the
// striped band with the dot-matrix name plate.

#include "tools/artwork/Canvas.h"

#include <string_view>

namespace artwork::decor
{

// Cream face plate with a faint paper grain over the rectangle.
void PaintPanel(Canvas& canvas, int x0, int y0, int x1, int y1);
// Dark rules, two pixels thick.
void HorizontalRule(Canvas& canvas, int x0, int x1, int y);
void VerticalRule(Canvas& canvas, int x, int y0, int y1);
// A caption in capitals centred on column cx, its top at y.
void CentredCaption(Canvas& canvas, int cx, int y, std::string_view text);
void RightCaption(Canvas& canvas, int right, int y, std::string_view text);
// A section title: accent square then the title, its top at y.
void SectionTitle(Canvas& canvas, int x, int y, std::string_view text);
// Dark tab along the left edge with its label reading upward.
void RowTab(Canvas& canvas, int y0, int y1, std::string_view text);
// Recessed field behind a value text.
void ValueField(Canvas& canvas, int x0, int y0, int x1, int y1);
// Grey band with dark pinstripes over rows y0..y1, with the dot-matrix name plate in the given window.
void PaintBand(Canvas& canvas, int y0, int y1, int plateX0, int plateY0, int plateX1, int plateY1);
// Dot-matrix lettering: every pixel of the regular face becomes a lit lamp of the given pitch.
void DotMatrix(Canvas& canvas, float x, float y, float pitch, std::string_view text);
float DotMatrixWidth(std::string_view text, float pitch);

} // namespace artwork::decor
