#pragma once

#include <string>

class IGraphics;
class PIX_IBitmap;

// Drawing the editor without a window, for tools and tests that look at it.

// Recomposes the whole editor into its draw bitmap (created first when the editor has none), as a
// full repaint of the window would.
void DrawWholeEditor(IGraphics& graphics);

// Writes the bitmap as an 8-bit RGB PNG file (alpha dropped: the window shows the pixels opaque).
// Returns an empty text on success, otherwise what went wrong.
std::string WriteBitmapPng(PIX_IBitmap& bitmap, const std::string& path);

// DrawWholeEditor, then WriteBitmapPng of the draw bitmap.
std::string WriteEditorPng(IGraphics& graphics, const std::string& path);
