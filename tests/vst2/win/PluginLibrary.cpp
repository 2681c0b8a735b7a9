#include "../PluginLibrary.h"

#include <windows.h>

void* OpenPluginLibrary(const std::string& path, std::string& error)
{
    HMODULE library = LoadLibraryA(path.c_str());
    if (!library) error = "LoadLibrary failed with error " + std::to_string(GetLastError());
    return library;
}

void* FindPluginExport(void* library, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void ClosePluginLibrary(void* library)
{
    FreeLibrary(static_cast<HMODULE>(library));
}
