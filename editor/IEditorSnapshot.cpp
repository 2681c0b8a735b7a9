#include "editor/IEditorSnapshot.h"

#include "editor/IGraphics.h"
#include "raster/PIX_Bitmap.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

void DrawWholeEditor(IGraphics& graphics)
{
    if (!graphics.DrawBitmapSurface()) graphics.PrepareDraw();
    graphics.Draw(IArea{0, 0, graphics.Width(), graphics.Height()});
}

namespace
{

struct FileCloser
{
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// libpng's default handlers print to standard error; the caller reports the failure itself, in one
// line, so keep the message and leave quietly.
struct EncodeError
{
    char message[128] = "the image could not be encoded";
};

[[noreturn]] void KeepPngError(png_structp png, png_const_charp message)
{
    auto* error = static_cast<EncodeError*>(png_get_error_ptr(png));
    std::snprintf(error->message, sizeof error->message, "%s", message);
    png_longjmp(png, 1);
}

void IgnorePngWarning(png_structp, png_const_charp) {}

// Kept apart from the C++ objects of the caller: libpng reports errors with longjmp.
bool EncodeRows(std::FILE* file, int width, int height, std::vector<png_bytep>& rows, EncodeError& error)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, KeepPngError, IgnorePngWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

std::string WriteBitmapPng(PIX_IBitmap& bitmap, const std::string& path)
{
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    if (width < 1 || height < 1 || !bitmap.Bits()) return "the bitmap is empty";

    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 3);
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
    {
        const PIX_Pixel* src = PIX_Row(bitmap, y);
        unsigned char* dst = pixels.data() + static_cast<std::size_t>(y) * width * 3;
        for (int x = 0; x < width; ++x)
        {
            dst[3 * x] = static_cast<unsigned char>(src[x] >> 16);
            dst[3 * x + 1] = static_cast<unsigned char>(src[x] >> 8);
            dst[3 * x + 2] = static_cast<unsigned char>(src[x]);
        }
        rows[static_cast<std::size_t>(y)] = dst;
    }

    const auto cannotWrite = [&path](const std::string& reason)
    { return "cannot write \"" + path + "\": " + reason; };
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) return cannotWrite(std::strerror(errno));
    EncodeError error;
    if (!EncodeRows(file.get(), width, height, rows, error)) return cannotWrite(error.message);
    if (std::fclose(file.release()) != 0) return cannotWrite(std::strerror(errno));
    return {};
}

std::string WriteEditorPng(IGraphics& graphics, const std::string& path)
{
    DrawWholeEditor(graphics);
    PIX_SysBitmap* surface = graphics.DrawBitmapSurface();
    if (!surface) return "the editor has no draw bitmap";
    return WriteBitmapPng(*surface, path);
}
