#include "raster/PIX_Resources.h"

#include <windows.h>

namespace
{
// The module (DLL or program) this code is linked into: its resource section holds the images.
HMODULE ThisModule()
{
    static const int anchor = 0;
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&anchor), &module);
    return module;
}
} // namespace

// On Windows the images are module resources of type "PNG" with their numeric ids (compiled from the
// generated resource script by windres).
PIX_Resource PIX_FindResource(int id)
{
    HMODULE module = ThisModule();
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), "PNG");
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module, found);
    if (!loaded) return {};
    const void* data = LockResource(loaded);
    if (!data) return {};
    return {static_cast<const unsigned char*>(data), static_cast<std::size_t>(SizeofResource(module, found))};
}
