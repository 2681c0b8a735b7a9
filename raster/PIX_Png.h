#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

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

// An embedded PNG image whose size is read from its header at once and whose pixels are decoded
// on first use. A headless render never draws the editor, so it never pays for decoding its
// images. Decoding is guarded, so editors on several threads may share one bitmap. Should the
// stream fail to decode after all, the bitmap is transparent at the size its header gave.
class PIX_LazyPngBitmap final : public PIX_IBitmap
{
public:
    // data must outlive the bitmap (embedded images live as long as the module).
    PIX_LazyPngBitmap(const void* data, std::size_t size, int width, int height);

    PIX_Pixel* Bits() override { return Decoded().Bits(); }
    int Width() override { return mWidth; }
    int Height() override { return mHeight; }
    int RowSpan() override { return Decoded().RowSpan(); }
    bool IsBottomUp() override { return Decoded().IsBottomUp(); }
    bool Resize(int width, int height) override;
    PIX_DrawingContext* DeviceContext() override { return Decoded().DeviceContext(); }
    void* QueryExtension(int id) override { return Decoded().QueryExtension(id); }

    bool IsDecoded() const { return mDecodedFlag.load(std::memory_order_acquire); }

private:
    PIX_MemBitmap& Decoded();

    const void* mData;
    std::size_t mSize;
    int mWidth;
    int mHeight;
    std::once_flag mOnce;
    std::unique_ptr<PIX_MemBitmap> mDecoded;
    std::atomic<bool> mDecodedFlag{false};
};

// True when the text after the last '.' of name is "png", in any case: the images the editor's
// platform layers decode as PNG.
bool PIX_HasPngExtension(const char* name);

// The width and height from a PNG stream's header, or false when it does not start like a PNG
// stream with a sensible size.
bool PIX_ReadPNGSize(const void* data, std::size_t size, int& width, int& height);

// A lazily decoded bitmap of the embedded image with that resource id, or none when the module
// has no such image or its header is not a PNG header.
PIX_LazyPngBitmap* PIX_LoadPNGResourceLazily(PIX_ModuleHandle module, int id);
