#include "raster/PIX_Bitmap.h"

#include <cstdlib>

// The drawing context of a system bitmap: what is selected into it.
struct PIX_DrawingContext
{
    PIX_Pixel* selected = nullptr;
};

namespace
{
constexpr std::uintptr_t kPixelAlignment = 64;

PIX_Pixel* AlignPixels(void* raw)
{
    auto address = reinterpret_cast<std::uintptr_t>(raw);
    address = (address + kPixelAlignment - 1) & ~(kPixelAlignment - 1);
    return reinterpret_cast<PIX_Pixel*>(address);
}

// Pixel bytes of a w x h bitmap with rows padded to 4 pixels, or 0 when the size is empty or too
// large to address with 32-bit offsets.
std::int64_t PaddedBytes(int w, int h)
{
    if (w < 1 || h < 1) return 0;
    std::int64_t bytes = ((static_cast<std::int64_t>(w) + 3) & ~std::int64_t{3}) * h * 4;
    return bytes > PIX_kMaxBitmapBytes ? 0 : bytes;
}
} // namespace

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
    return mRaw && mWidth > 0 ? AlignPixels(mRaw) : nullptr;
}

bool PIX_MemBitmap::Resize(int width, int height)
{
    if (width == mWidth && height == mHeight) return false;
    mWidth = width;
    mHeight = height;
    const std::int64_t bytes = PaddedBytes(width, height);
    if (bytes <= 0)
    {
        std::free(mRaw);
        mRaw = nullptr;
        mAllocatedBytes = 0;
    }
    else if (!mRaw)
    {
        mRaw = std::malloc(static_cast<std::size_t>(bytes) + kPixelAlignment - 1);
        mAllocatedBytes = mRaw ? static_cast<std::size_t>(bytes) : 0;
    }
    else if (mAllocatedBytes < static_cast<std::size_t>(bytes))
    {
        // Grow with a quarter of headroom so that a bitmap resized step by step reallocates rarely.
        const std::size_t roomy = static_cast<std::size_t>(bytes + bytes / 4);
        if (void* grown = std::realloc(mRaw, roomy + kPixelAlignment - 1))
        {
            mRaw = grown;
            mAllocatedBytes = roomy;
        }
        else
        {
            std::free(mRaw);
            mRaw = std::malloc(static_cast<std::size_t>(bytes) + kPixelAlignment - 1);
            mAllocatedBytes = mRaw ? static_cast<std::size_t>(bytes) : 0;
        }
    }
    if (!mRaw) mWidth = 0;
    return true;
}

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
    if (mContext && mPlatformBitmap) mContext->selected = mPreviousSelection;
    std::free(mPlatformBitmap);
    mPlatformBitmap = nullptr;
    mPixels = nullptr;
    mPreviousSelection = nullptr;
}

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
    const std::int64_t bytes = PaddedBytes(mAllocWidth, mAllocHeight);
    if (bytes > 0) mPlatformBitmap = std::malloc(static_cast<std::size_t>(bytes) + kPixelAlignment - 1);
    if (mPlatformBitmap)
    {
        mPixels = AlignPixels(mPlatformBitmap);
        mPreviousSelection = mContext->selected;
        mContext->selected = mPixels;
    }
    else
    {
        mWidth = mHeight = 0;
        mAllocWidth = mAllocHeight = 0;
    }
    return requested;
}
