#include "raster/PIX_FontFiles.h"

// The page carries one face, Liberation Sans Regular, bundled under /fonts (see web/CMakeLists.txt):
// the editor draws all its text in Arial and Verdana of normal weight, whose stand-in it is on Linux
// too. Other weights and slants would only add to the download.
bool PIX_FindFontFile(const char* /*face*/, const PIX_FontRequest& /*request*/, std::string& file, int& index,
                      std::string& family)
{
    file = "/fonts/LiberationSans-Regular.ttf";
    index = 0;
    family = "Liberation Sans";
    return true;
}
