#pragma once

#include <cstddef>
#include <cstdint>

#include "raster/PIX_Bitmap.h"

// Handle of the module whose embedded images are searched. Linux deliverables carry their images
// in the binary itself, so the handle is not consulted there.
using PIX_ModuleHandle = void*;

// File-type description for file dialogs.
inline constexpr const char* PIX_kPNGFileTypes = "PNG files (*.PNG)";

// Decodes a PNG stream into a new bitmap (alpha kept, opaque images get alpha 255), or none.
PIX_MemBitmap* PIX_LoadPNGFromMemory(const void* data, std::size_t size);

// Decodes the embedded image with that resource id, or none when the module has no such image.
PIX_MemBitmap* PIX_LoadPNGResource(PIX_ModuleHandle module, int id);
inline PIX_MemBitmap* PIX_LoadPNGResource(int id)
{
    return PIX_LoadPNGResource(nullptr, id);
}

// Decodes a PNG file; the path is UTF-8.
PIX_MemBitmap* PIX_LoadPNGFile(const char* path);

// Like PIX_LoadPNGFile, but only for names ending in ".png" (any case).
PIX_MemBitmap* PIX_LoadPNGByName(const char* name);
