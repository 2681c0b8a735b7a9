#include "raster/PIX_PlatformFile.h"

#include <windows.h>

std::FILE* PIX_OpenFileForReading(const char* utf8Path)
{
    constexpr int kMaxWide = 2048;
    wchar_t wide[kMaxWide];
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Path, -1, wide, kMaxWide) > 0)
        return _wfopen(wide, L"rb");
    return std::fopen(utf8Path, "rb");
}
