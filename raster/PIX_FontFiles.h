#pragma once

#include <string>

#include "raster/PIX_PlatformFont.h"

// Where the font file for a request lives: fontconfig's best match on Linux, the faces bundled with
// the page in the browser. "Arial" and "Verdana" fall back to Liberation Sans, their metric-compatible
// stand-in, when no face of that family is found. False when nothing can be opened.
bool PIX_FindFontFile(const char* face, const PIX_FontRequest& request, std::string& file, int& index,
                      std::string& family);
