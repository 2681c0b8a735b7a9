#include "raster/PIX_Png.h"

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "raster/PIX_PlatformFile.h"
#include "raster/PIX_Resources.h"

namespace
{
constexpr unsigned char kSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

// Where the decoder's bytes come from: a block of memory, or an open file read as libpng asks, so
// that a file is never read further than its PNG stream needs.
// Editor images are at most a few thousand pixels on a side (film strips of knob frames are the
// tallest); a header claiming more than these is a damaged file, refused before its bitmap is
// allocated.
constexpr png_uint_32 kMaxPngSide = 16384;
constexpr std::uint64_t kMaxPngPixels = std::uint64_t{1} << 24;

struct StreamReader
{
    const unsigned char* data = nullptr;
    std::size_t remaining = 0;
    std::FILE* file = nullptr;

    std::size_t Read(unsigned char* out, std::size_t length)
    {
        if (file) return std::fread(out, 1, length, file);
        const std::size_t n = length < remaining ? length : remaining;
        if (n)
        {
            std::memcpy(out, data, n);
            data += n;
            remaining -= n;
        }
        return n;
    }
};

// A request past the end stops the decoding at once. (Zeros for the missing part would be
// rejected too, by the chunk and checksum tests, but a damaged length makes libpng read and
// checksum up to 2 GB of them first.)
void ReadFromStream(png_structp png, png_bytep out, png_size_t length)
{
    std::memset(out, 0, length);
    if (static_cast<StreamReader*>(png_get_io_ptr(png))->Read(out, length) < length)
        png_error(png, "truncated");
}

void OnPngError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}
void OnPngWarning(png_structp, png_const_charp) {}

// Everything between setjmp and a libpng error lives here, so the longjmp skips no destructor.
struct DecodeState
{
    png_structp png = nullptr;
    png_infop info = nullptr;
    PIX_MemBitmap* bitmap = nullptr;
    png_bytepp rows = nullptr;
};

bool Decode(DecodeState& st)
{
    if (setjmp(png_jmpbuf(st.png))) return false;
    png_read_info(st.png, st.info);
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int depth = 0;
    int colour = 0;
    png_get_IHDR(st.png, st.info, &width, &height, &depth, &colour, nullptr, nullptr, nullptr);
    if (std::uint64_t{width} * height > kMaxPngPixels) return false;

    bool hasAlpha = (colour & PNG_COLOR_MASK_ALPHA) != 0;
    if (colour == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(st.png);
    if (colour == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(st.png);
    if (png_get_valid(st.png, st.info, PNG_INFO_tRNS))
    {
        png_set_tRNS_to_alpha(st.png);
        hasAlpha = true;
    }
    if (depth == 16) png_set_strip_16(st.png);
    if (depth < 8) png_set_packing(st.png);
    if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(st.png);
    if (hasAlpha)
        png_set_swap_alpha(st.png);
    else
        png_set_filler(st.png, 0xFF, PNG_FILLER_BEFORE);
    png_set_interlace_handling(st.png);
    png_read_update_info(st.png, st.info);

    st.bitmap = new PIX_MemBitmap(static_cast<int>(width), static_cast<int>(height));
    if (width > 0x7fffffff || height > 0x7fffffff || st.bitmap->Width() != static_cast<int>(width) ||
        st.bitmap->Height() != static_cast<int>(height) || !st.bitmap->Bits())
        return false;
    // Every transformation above ends in four bytes a pixel; anything else would overrun the rows.
    if (png_get_rowbytes(st.png, st.info) != static_cast<png_size_t>(width) * 4) return false;

    st.rows = new png_bytep[height];
    for (png_uint_32 y = 0; y < height; ++y)
        st.rows[y] = reinterpret_cast<png_bytep>(PIX_Row(*st.bitmap, static_cast<int>(y)));
    png_read_image(st.png, st.rows);
    return true;
}

// Decoded bytes are A, R, G, B in memory order; pixels want A << 24 | R << 16 | G << 8 | B.
void Repack(PIX_MemBitmap& bitmap)
{
    for (int y = 0; y < bitmap.Height(); ++y)
    {
        PIX_Pixel* row = PIX_Row(bitmap, y);
        for (int x = 0; x < bitmap.Width(); ++x)
        {
            const auto* b = reinterpret_cast<const unsigned char*>(row + x);
            row[x] = static_cast<PIX_Pixel>(b[0]) << 24 | static_cast<PIX_Pixel>(b[1]) << 16 |
                     static_cast<PIX_Pixel>(b[2]) << 8 | b[3];
        }
    }
}

// Decodes the stream after its signature; signatureBytes of it have already been consumed.
PIX_MemBitmap* DecodeStream(StreamReader& reader, int signatureBytes)
{
    DecodeState st;
    st.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    if (!st.png) return nullptr;
    st.info = png_create_info_struct(st.png);
    bool ok = false;
    if (st.info)
    {
        png_set_read_fn(st.png, &reader, ReadFromStream);
        png_set_sig_bytes(st.png, signatureBytes);
        png_set_user_limits(st.png, kMaxPngSide, kMaxPngSide);
        ok = Decode(st);
    }
    png_destroy_read_struct(&st.png, st.info ? &st.info : nullptr, nullptr);
    delete[] st.rows;
    if (!ok)
    {
        delete st.bitmap;
        return nullptr;
    }
    Repack(*st.bitmap);
    return st.bitmap;
}
} // namespace

PIX_MemBitmap* PIX_LoadPNGFromMemory(const void* data, std::size_t size)
{
    if (!data || size < 8 || std::memcmp(data, kSignature, 8) != 0) return nullptr;
    StreamReader reader;
    reader.data = static_cast<const unsigned char*>(data) + 8;
    reader.remaining = size - 8;
    return DecodeStream(reader, 8);
}

PIX_MemBitmap* PIX_LoadPNGResource(PIX_ModuleHandle, int id)
{
    const PIX_Resource resource = PIX_FindResource(id);
    if (!resource.data || resource.size < 8) return nullptr;
    return PIX_LoadPNGFromMemory(resource.data, resource.size);
}

PIX_MemBitmap* PIX_LoadPNGFile(const char* path)
{
    if (!path) return nullptr;
    std::FILE* file = PIX_OpenFileForReading(path);
    if (!file) return nullptr;
    // The signature is checked before anything else is read: a large or endless file that is not
    // a PNG stream costs eight bytes.
    unsigned char signature[8];
    PIX_MemBitmap* bitmap = nullptr;
    if (std::fread(signature, 1, sizeof signature, file) == sizeof signature &&
        std::memcmp(signature, kSignature, sizeof signature) == 0)
    {
        StreamReader reader;
        reader.file = file;
        bitmap = DecodeStream(reader, 8);
    }
    std::fclose(file);
    return bitmap;
}

PIX_MemBitmap* PIX_LoadPNGByName(const char* name)
{
    return PIX_HasPngExtension(name) ? PIX_LoadPNGFile(name) : nullptr;
}

bool PIX_ReadPNGSize(const void* data, std::size_t size, int& width, int& height)
{
    // Signature, then the IHDR chunk: length 13, type, width and height as big-endian 32-bit.
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (!bytes || size < 24 || std::memcmp(bytes, kSignature, 8) != 0 ||
        std::memcmp(bytes + 12, "IHDR", 4) != 0)
        return false;
    const auto bigEndian = [&](int at)
    {
        return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
               (std::uint32_t{bytes[at + 2]} << 8) | std::uint32_t{bytes[at + 3]};
    };
    const std::uint32_t w = bigEndian(16), h = bigEndian(20);
    // The format allows up to 2^31 - 1; anything that large is not an editor image.
    constexpr std::uint32_t kLargest = 1u << 15;
    if (w == 0 || h == 0 || w > kLargest || h > kLargest) return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

PIX_LazyPngBitmap::PIX_LazyPngBitmap(const void* data, std::size_t size, int width, int height)
    : mData(data), mSize(size), mWidth(width), mHeight(height)
{
}

PIX_MemBitmap& PIX_LazyPngBitmap::Decoded()
{
    std::call_once(mOnce,
                   [this]
                   {
                       mDecoded.reset(PIX_LoadPNGFromMemory(mData, mSize));
                       if (!mDecoded || mDecoded->Width() != mWidth || mDecoded->Height() != mHeight)
                           mDecoded = std::make_unique<PIX_MemBitmap>(mWidth, mHeight);
                       mDecodedFlag.store(true, std::memory_order_release);
                   });
    return *mDecoded;
}

bool PIX_LazyPngBitmap::Resize(int width, int height)
{
    const bool changed = Decoded().Resize(width, height);
    mWidth = Decoded().Width();
    mHeight = Decoded().Height();
    return changed;
}

PIX_LazyPngBitmap* PIX_LoadPNGResourceLazily(PIX_ModuleHandle, int id)
{
    const PIX_Resource resource = PIX_FindResource(id);
    int width = 0, height = 0;
    if (!PIX_ReadPNGSize(resource.data, resource.size, width, height)) return nullptr;
    return new PIX_LazyPngBitmap(resource.data, resource.size, width, height);
}

bool PIX_HasPngExtension(const char* name)
{
    const char* dot = name ? std::strrchr(name, '.') : nullptr;
    return dot && strcasecmp(dot + 1, "png") == 0;
}
