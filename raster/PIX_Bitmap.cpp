#include "raster/PIX_Bitmap.h"

#include <cstdlib>

#include "raster/PIX_BitmapMemory.h"

PIX_MemBitmap::PIX_MemBitmap(int width, int height)
{
    if (width > 0 && height > 0) Resize(width, height);
}

PIX_MemBitmap::~PIX_MemBitmap()
{
    std::free(mRaw);
}

PIX_Pixel* PIX_MemBitmap::Bits()
{
    return mRaw && mWidth > 0 ? PIX_AlignPixels(mRaw) : nullptr;
}

bool PIX_MemBitmap::Resize(int width, int height)
{
    if (width == mWidth && height == mHeight) return false;
    mWidth = width;
    mHeight = height;
    const std::int64_t bytes = PIX_PaddedBytes(width, height);
    if (bytes <= 0)
    {
        std::free(mRaw);
        mRaw = nullptr;
        mAllocatedBytes = 0;
    }
    else if (!mRaw)
    {
        mRaw = std::malloc(static_cast<std::size_t>(bytes) + PIX_kPixelAlignment - 1);
        mAllocatedBytes = mRaw ? static_cast<std::size_t>(bytes) : 0;
    }
    else if (mAllocatedBytes < static_cast<std::size_t>(bytes))
    {
        // Grow with a quarter of headroom so that a bitmap resized step by step reallocates rarely.
        const std::size_t roomy = static_cast<std::size_t>(bytes + bytes / 4);
        if (void* grown = std::realloc(mRaw, roomy + PIX_kPixelAlignment - 1))
        {
            mRaw = grown;
            mAllocatedBytes = roomy;
        }
        else
        {
            std::free(mRaw);
            mRaw = std::malloc(static_cast<std::size_t>(bytes) + PIX_kPixelAlignment - 1);
            mAllocatedBytes = mRaw ? static_cast<std::size_t>(bytes) : 0;
        }
    }
    if (!mRaw) mWidth = 0;
    return true;
}

// The size bookkeeping of the system bitmap; the platform's files create and release its pixels.
bool PIX_SysBitmap::Resize(int width, int height)
{
    if (!mContext)
    {
        mWidth = mHeight = 0;
        mPixels = nullptr;
        return false;
    }
    if (width == mWidth && height == mHeight) return false;
    mWidth = width;
    mHeight = height;
    if (width > 0 && height > 0 && width <= mAllocWidth && height <= mAllocHeight && mPixels) return true;

    const bool requested = width > 0 && height > 0;
    mAllocWidth = width > 0 ? (width + 3) & ~3 : 0;
    mAllocHeight = height > 0 ? height : 0;
    ReleasePixels();
    const std::int64_t bytes = PIX_PaddedBytes(mAllocWidth, mAllocHeight);
    if (bytes > 0) CreatePixels(bytes);
    if (!mPixels)
    {
        mWidth = mHeight = 0;
        mAllocWidth = mAllocHeight = 0;
    }
    return requested;
}
