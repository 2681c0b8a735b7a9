#pragma once

#include <cstddef>
#include <cstdint>

// One pixel: alpha in the top byte, then red, green, blue in the lowest byte (straight alpha).
using PIX_Pixel = std::uint32_t;

// Platform drawing handle. On Linux a system bitmap's context only records the pixel memory
// selected into it; on Windows it is the bitmap's memory device context. Memory bitmaps have none.
struct PIX_DrawingContext;

class PIX_IBitmap
{
public:
    virtual ~PIX_IBitmap() = default;
    // First pixel of the top row; none when the bitmap is empty.
    virtual PIX_Pixel* Bits() = 0;
    virtual int Width() = 0;
    virtual int Height() = 0;
    // Pixels from one row to the next.
    virtual int RowSpan() = 0;
    virtual bool IsBottomUp() = 0;
    // False when the size did not change.
    virtual bool Resize(int width, int height) = 0;
    virtual PIX_DrawingContext* DeviceContext() = 0;
    // Reserved for interfaces a bitmap may add later; the bitmaps here answer none.
    virtual void* QueryExtension(int id) = 0;
};

// Plain heap memory: rows padded to 4 pixels, 64-byte aligned, growing with a quarter of headroom.
class PIX_MemBitmap final : public PIX_IBitmap
{
public:
    PIX_MemBitmap(int width, int height);
    ~PIX_MemBitmap() override;
    PIX_MemBitmap(const PIX_MemBitmap&) = delete;
    PIX_MemBitmap& operator=(const PIX_MemBitmap&) = delete;

    PIX_Pixel* Bits() override;
    int Width() override { return mWidth; }
    int Height() override { return mHeight; }
    int RowSpan() override { return (mWidth + kRowAlign) & ~kRowAlign; }
    bool IsBottomUp() override { return false; }
    bool Resize(int width, int height) override;
    PIX_DrawingContext* DeviceContext() override { return nullptr; }
    void* QueryExtension(int) override { return nullptr; }

    // Bytes currently reserved for pixels (without the alignment slack).
    std::size_t AllocatedBytes() const { return mAllocatedBytes; }

private:
    static constexpr int kRowAlign = 3;
    void* mRaw = nullptr;
    int mWidth = 0;
    int mHeight = 0;
    std::size_t mAllocatedBytes = 0;
};

// The bitmap the window layer copies to the screen and text is drawn into. On Linux it is plain
// memory behind a drawing context of our own; on Windows a top-down 32-bit DIB section selected into
// a memory device context (which DeviceContext returns as the HDC).
class PIX_SysBitmap final : public PIX_IBitmap
{
public:
    PIX_SysBitmap(int width, int height);
    ~PIX_SysBitmap() override;
    PIX_SysBitmap(const PIX_SysBitmap&) = delete;
    PIX_SysBitmap& operator=(const PIX_SysBitmap&) = delete;

    PIX_Pixel* Bits() override { return mPixels; }
    int Width() override { return mWidth; }
    int Height() override { return mHeight; }
    int RowSpan() override { return mAllocWidth; }
    bool IsBottomUp() override { return false; }
    bool Resize(int width, int height) override;
    PIX_DrawingContext* DeviceContext() override { return mContext; }
    void* QueryExtension(int) override { return nullptr; }

private:
    // Platform parts: pixels of mAllocWidth x mAllocHeight (bytes of pixel memory) selected into the
    // context; mPixels stays none on failure. ReleasePixels undoes it.
    void CreatePixels(std::int64_t bytes);
    void ReleasePixels();

    int mWidth = 0;
    int mHeight = 0;
    PIX_DrawingContext* mContext = nullptr;
    PIX_Pixel* mPixels = nullptr;
    int mAllocWidth = 0;
    int mAllocHeight = 0;
    void* mPlatformBitmap = nullptr;    // the allocation (Linux) or bitmap handle (Windows) behind mPixels
    void* mPreviousSelection = nullptr; // what the context held before the bitmap was selected
};

// Largest pixel buffer a bitmap accepts: the byte count must fit a signed 32-bit integer.
constexpr std::int64_t PIX_kMaxBitmapBytes = 0x7fffffff;

// Address of row y, honouring bottom-up storage.
inline PIX_Pixel* PIX_Row(PIX_IBitmap& bitmap, int y)
{
    int row = bitmap.IsBottomUp() ? bitmap.Height() - 1 - y : y;
    return bitmap.Bits() + static_cast<std::ptrdiff_t>(row) * bitmap.RowSpan();
}
