#include "raster/PIX_Bitmap.h"

#include <cstdlib>

#include "raster/PIX_BitmapMemory.h"

// On Linux the drawing context of a system bitmap only records what is selected into it; the window
// layer copies the pixels to the screen itself.
struct PIX_DrawingContext
{
    PIX_Pixel* selected = nullptr;
};

PIX_SysBitmap::PIX_SysBitmap(int width, int height) : mContext(new PIX_DrawingContext)
{
    Resize(width, height);
}

PIX_SysBitmap::~PIX_SysBitmap()
{
    ReleasePixels();
    delete mContext;
}

void PIX_SysBitmap::ReleasePixels()
{
    if (mContext && mPlatformBitmap) mContext->selected = static_cast<PIX_Pixel*>(mPreviousSelection);
    std::free(mPlatformBitmap);
    mPlatformBitmap = nullptr;
    mPixels = nullptr;
    mPreviousSelection = nullptr;
}

void PIX_SysBitmap::CreatePixels(std::int64_t bytes)
{
    mPlatformBitmap = std::malloc(static_cast<std::size_t>(bytes) + PIX_kPixelAlignment - 1);
    if (!mPlatformBitmap) return;
    mPixels = PIX_AlignPixels(mPlatformBitmap);
    mPreviousSelection = mContext->selected;
    mContext->selected = mPixels;
}
