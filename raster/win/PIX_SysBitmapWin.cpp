#include "raster/PIX_Bitmap.h"

#include <windows.h>

// On Windows a system bitmap is a top-down 32-bit DIB section selected into a memory device context
// compatible with the screen; DeviceContext hands out that HDC, so GDI can draw text into the pixels
// and the window layer can copy them to the screen.
namespace
{
HDC AsHdc(PIX_DrawingContext* context)
{
    return reinterpret_cast<HDC>(context);
}
} // namespace

PIX_SysBitmap::PIX_SysBitmap(int width, int height)
    : mContext(reinterpret_cast<PIX_DrawingContext*>(CreateCompatibleDC(nullptr)))
{
    Resize(width, height);
}

PIX_SysBitmap::~PIX_SysBitmap()
{
    ReleasePixels();
    if (mContext) DeleteDC(AsHdc(mContext));
}

void PIX_SysBitmap::ReleasePixels()
{
    if (mPlatformBitmap)
    {
        if (mContext) SelectObject(AsHdc(mContext), static_cast<HGDIOBJ>(mPreviousSelection));
        DeleteObject(static_cast<HBITMAP>(mPlatformBitmap));
    }
    mPlatformBitmap = nullptr;
    mPixels = nullptr;
    mPreviousSelection = nullptr;
}

void PIX_SysBitmap::CreatePixels(std::int64_t)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = mAllocWidth;
    info.bmiHeader.biHeight = -mAllocHeight; // negative: rows top to bottom
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(AsHdc(mContext), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits)
    {
        if (bitmap) DeleteObject(bitmap);
        return;
    }
    mPlatformBitmap = bitmap;
    mPixels = static_cast<PIX_Pixel*>(bits);
    mPreviousSelection = SelectObject(AsHdc(mContext), bitmap);
}
