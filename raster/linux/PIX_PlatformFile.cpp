#include "raster/PIX_PlatformFile.h"

std::FILE* PIX_OpenFileForReading(const char* utf8Path)
{
    return std::fopen(utf8Path, "rb");
}
