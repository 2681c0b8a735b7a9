#include "tools/artwork/Generator.h"

#include "tools/artwork/Painters.h"
#include "tools/artwork/PixelFont.h"
#include "tools/artwork/PngFile.h"

#include <algorithm>
#include <ostream>

namespace artwork
{

bool GenerateAll(const std::vector<ImageEntry>& table, const std::string& outDir, std::ostream& err)
{
    bool ok = true;
    for (const ImageEntry& e : table)
    {
        const Artwork art = FindArtwork(e.file);
        if (!art.paint)
        {
            err << e.file << ": no painter for this image\n";
            ok = false;
            continue;
        }
        const Canvas canvas = art.paint(e.width, e.height);
        if (canvas.Width() != e.width || canvas.Height() != e.height)
        {
            err << e.file << ": drawn " << canvas.Width() << "x" << canvas.Height() << ", table says "
                << e.width << "x" << e.height << "\n";
            ok = false;
            continue;
        }
        if (!WritePng(outDir + "/" + e.file, canvas))
        {
            err << e.file << ": cannot write into " << outDir << "\n";
            ok = false;
        }
    }
    return ok;
}

namespace
{
Canvas FromImage(const RgbaImage& image)
{
    Canvas canvas(image.width, image.height);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
        {
            const uint8_t* p = &image.pixels[(size_t(y) * image.width + x) * 4];
            canvas.Set(x, y, Colour{p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f, p[3] / 255.0f});
        }
    return canvas;
}
} // namespace

bool WriteContactSheet(const std::vector<ImageEntry>& table, const std::string& imageDir,
                       const std::string& path, std::ostream& err)
{
    constexpr int kSheetWidth = 1760, kGap = 12, kLabel = 14, kMaxFrameRows = 700;
    struct Placed
    {
        Canvas image;
        std::string label;
        int frames, columns, frameHeight, x, y, w, h;
    };
    std::vector<Placed> placed;
    int x = kGap, y = kGap, rowHeight = 0;
    for (const ImageEntry& e : table)
    {
        const auto image = ReadPng(imageDir + "/" + e.file);
        const Artwork art = FindArtwork(e.file);
        if (!image || !art.frames)
        {
            err << e.file << ": cannot read it for the contact sheet\n";
            return false;
        }
        Placed p{FromImage(*image),
                 std::to_string(e.id) + " " + e.file,
                 std::max(1, art.frames(e.width, e.height)),
                 1,
                 0,
                 0,
                 0,
                 0,
                 0};
        p.frameHeight = e.height / p.frames;
        // Unroll tall strips into as many columns as keep them under kMaxFrameRows.
        const int perColumn = std::max(1, kMaxFrameRows / std::max(1, p.frameHeight + 2));
        p.columns = (p.frames + perColumn - 1) / perColumn;
        const int rows = std::min(p.frames, perColumn);
        p.w = std::max(PixelFont::Regular().Measure(p.label), p.columns * (e.width + 2));
        p.h = kLabel + rows * (p.frameHeight + 2);
        if (x + p.w > kSheetWidth - kGap)
        {
            x = kGap;
            y += rowHeight + kGap;
            rowHeight = 0;
        }
        p.x = x;
        p.y = y;
        x += p.w + kGap;
        rowHeight = std::max(rowHeight, p.h);
        placed.push_back(std::move(p));
    }
    Canvas sheet(kSheetWidth, y + rowHeight + kGap);
    for (int sy = 0; sy < sheet.Height(); ++sy)
        for (int sx = 0; sx < sheet.Width(); ++sx)
            sheet.Set(sx, sy, ((sx / 8 + sy / 8) % 2) ? Rgb(0x9A9A9A) : Rgb(0x8A8A8A));
    for (const Placed& p : placed)
    {
        PixelFont::Regular().Draw(sheet, p.x, p.y + 2, p.label, Rgb(0xFFFFFF));
        const int perColumn = (p.frames + p.columns - 1) / p.columns;
        for (int f = 0; f < p.frames; ++f)
        {
            Canvas frame(p.image.Width(), p.frameHeight);
            frame.Copy(p.image, 0, f * p.frameHeight, p.image.Width(), p.frameHeight, 0, 0);
            sheet.Draw(frame, p.x + (f / perColumn) * (p.image.Width() + 2),
                       p.y + kLabel + (f % perColumn) * (p.frameHeight + 2));
        }
    }
    if (!WritePng(path, sheet))
    {
        err << path << ": cannot write the contact sheet\n";
        return false;
    }
    return true;
}

} // namespace artwork
