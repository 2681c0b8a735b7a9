// The committed images must be exactly what the generator draws, at the sizes and frame layouts
// of the image table, and the bitmap fonts must fit the editor's spacing widths.

#include "tools/artwork/Generator.h"
#include "tools/artwork/GlyphWidths.h"
#include "tools/artwork/ImageTable.h"
#include "tools/artwork/Layout.h"
#include "tools/artwork/Painters.h"
#include "tools/artwork/PixelFont.h"
#include "tools/artwork/PngFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace
{
using namespace artwork;

const std::string kSource = BRISBLEEP_SOURCE_DIR;
const std::string kImageDir = kSource + "/resources/img";

std::vector<ImageEntry> Table()
{
    const auto table = ReadImageTable(kSource + "/resources/images.txt");
    EXPECT_TRUE(table.has_value());
    return table.value_or(std::vector<ImageEntry>{});
}

const ImageEntry& Entry(const std::vector<ImageEntry>& table, const std::string& file)
{
    for (const ImageEntry& e : table)
        if (e.file == file) return e;
    throw std::runtime_error("not in the image table: " + file);
}

// Straight RGBA of one pixel.
std::array<uint8_t, 4> Pixel(const RgbaImage& image, int x, int y)
{
    const uint8_t* p = &image.pixels[(size_t(y) * image.width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

TEST(ImageTable, ListsTheTwentyOneImagesWithIdsInOrder)
{
    const auto table = Table();
    ASSERT_EQ(table.size(), 21u);
    for (size_t i = 0; i < table.size(); ++i)
        EXPECT_EQ(table[i].id, 101 + int(i));
    EXPECT_EQ(Entry(table, "Background.png").width, 846);
    EXPECT_EQ(Entry(table, "Background.png").height, 768);
    EXPECT_EQ(Entry(table, "KnobNes.png").frames, 33);
}

TEST(ImageTable, RejectsMalformedRows)
{
    const std::string path = (std::filesystem::temp_directory_path() / "artwork_bad_table.txt").string();
    for (const char* row :
         {"101 about.png 846 698\n", "101 about.png 846 698 1 extra\n", "101 about.png -1 698 1\n"})
    {
        {
            std::ofstream out(path);
            out << "# comment\n" << row;
        }
        EXPECT_FALSE(ReadImageTable(path).has_value()) << row;
    }
    std::filesystem::remove(path);
}

TEST(CommittedImages, HaveTheirTableSizeAndWholeFrames)
{
    for (const ImageEntry& e : Table())
    {
        SCOPED_TRACE(e.file);
        const auto image = ReadPng(kImageDir + "/" + e.file);
        ASSERT_TRUE(image.has_value());
        EXPECT_EQ(image->width, e.width);
        EXPECT_EQ(image->height, e.height);
        // The painter's own frame count agrees with the table wherever a control uses the image.
        const Artwork art = FindArtwork(e.file);
        ASSERT_TRUE(art.paint && art.frames);
        const int frames = art.frames(e.width, e.height);
        if (e.frames > 0)
        {
            EXPECT_EQ(frames, e.frames);
        }
        EXPECT_EQ(e.height % frames, 0);
    }
}

TEST(CommittedImages, AreWhatTheGeneratorDraws)
{
    const auto dir = std::filesystem::temp_directory_path() / ("artwork_regen_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::ostringstream err;
    const auto table = Table();
    ASSERT_TRUE(GenerateAll(table, dir.string(), err)) << err.str();
    for (const ImageEntry& e : table)
    {
        SCOPED_TRACE(e.file);
        const auto drawn = ReadPng((dir / e.file).string());
        const auto committed = ReadPng(kImageDir + "/" + e.file);
        ASSERT_TRUE(drawn && committed);
        ASSERT_EQ(drawn->width, committed->width);
        ASSERT_EQ(drawn->height, committed->height);
        size_t differing = 0;
        for (size_t i = 0; i < drawn->pixels.size(); ++i)
            differing += drawn->pixels[i] != committed->pixels[i];
        EXPECT_EQ(differing, 0u) << "regenerate with: cmake --build build --target artwork-update";
    }
    std::filesystem::remove_all(dir);
}

TEST(GeneratorErrors, AnUnknownImageOrAWrongSizeFails)
{
    std::ostringstream err;
    const auto dir = std::filesystem::temp_directory_path().string();
    EXPECT_FALSE(GenerateAll({ImageEntry{999, "nothing.png", 4, 4, 1}}, dir, err));
    EXPECT_NE(err.str().find("nothing.png"), std::string::npos);
    EXPECT_FALSE(GenerateAll({ImageEntry{101, "about.png", 846, 698, 1}}, "/nonexistent/folder", err));
}

// Ink columns of one frame of a font image, as [first, last] or {-1, -1} when blank.
std::pair<int, int> InkSpan(const RgbaImage& font, int frame, int cell)
{
    int first = -1, last = -1;
    for (int y = frame * cell; y < (frame + 1) * cell; ++y)
        for (int x = 0; x < font.width; ++x)
            if (Pixel(font, x, y)[3] != 0)
            {
                if (first < 0 || x < first) first = x;
                last = std::max(last, x);
            }
    return {first, last};
}

TEST(BitmapFonts, EveryPrintableGlyphFitsItsSpacingWidth)
{
    const auto table = Table();
    for (auto [file, widths] :
         {std::pair{"Eyetype_3_14.png", &kSpacing14}, std::pair{"Eyetype_3_12.png", &kSpacing12}})
    {
        SCOPED_TRACE(file);
        const ImageEntry& e = Entry(table, file);
        const auto font = ReadPng(kImageDir + "/" + e.file);
        ASSERT_TRUE(font.has_value());
        ASSERT_EQ(e.frames, kGlyphFrames);
        const int cell = e.height / e.frames;
        for (int code = 33; code <= 126; ++code)
        {
            const auto [first, last] = InkSpan(*font, code - kFirstGlyphCode, cell);
            const int advance = (*widths)[size_t(code - kFirstGlyphCode)];
            EXPECT_GE(first, 0) << "glyph " << char(code) << " is blank";
            // One blank column before the next glyph keeps letters apart.
            EXPECT_LT(last, advance - 1) << "glyph " << char(code) << " overruns its width " << advance;
        }
        EXPECT_EQ(InkSpan(*font, 0, cell).first, -1) << "space must be blank";
        for (int code = 127; code < kFirstGlyphCode + kGlyphFrames; ++code)
            EXPECT_EQ(InkSpan(*font, code - kFirstGlyphCode, cell).first, -1) << "code " << code;
    }
}

TEST(BitmapFonts, GlyphsAreOpaqueInkOnClear)
{
    // Drawn with source alpha over the panel: ink must be fully opaque, everything else clear.
    const auto font = ReadPng(kImageDir + "/Eyetype_3_14.png");
    ASSERT_TRUE(font.has_value());
    for (size_t i = 3; i < font->pixels.size(); i += 4)
        ASSERT_TRUE(font->pixels[i] == 0 || font->pixels[i] == 255);
}

TEST(PixelFaces, DigitsShareOneWidthSoNumbersDoNotJitter)
{
    for (const PixelFont* face : {&PixelFont::Regular(), &PixelFont::Tall()})
        for (char c = '0'; c <= '9'; ++c)
            EXPECT_EQ(face->Get(c).width, 5) << c;
    EXPECT_EQ(PixelFont::Regular().Measure("AB"), 11);
    EXPECT_EQ(PixelFont::Regular().Measure("A B", 2), (5 + 1 + 3 + 1 + 5) * 2);
}

TEST(KnobStrip, PointerSweepsFromLowerLeftToLowerRight)
{
    // The cream pointer of the first frame points down-left, of the middle frame straight up,
    // of the last frame down-right.
    const auto knob = ReadPng(kImageDir + "/KnobNes.png");
    ASSERT_TRUE(knob.has_value());
    const int size = knob->width;
    auto creamAt = [&](int frame, float angleDeg)
    {
        const float a = angleDeg * 3.14159265f / 180.0f, r = 8.0f;
        const int x = int(size / 2.0f + std::sin(a) * r),
                  y = frame * size + int(size / 2.0f - std::cos(a) * r);
        const auto p = Pixel(*knob, x, y);
        return p[0] > 200 && p[1] > 190 && p[2] > 170;
    };
    EXPECT_TRUE(creamAt(0, -135));
    EXPECT_FALSE(creamAt(0, 0));
    EXPECT_TRUE(creamAt(16, 0));
    EXPECT_FALSE(creamAt(16, -135));
    EXPECT_TRUE(creamAt(32, 135));
    EXPECT_FALSE(creamAt(32, 0));
}

TEST(Meters, LightOneMoreSegmentGroupFromSilenceToFullScale)
{
    const auto meter = ReadPng(kImageDir + "/PeakMeterL.png");
    ASSERT_TRUE(meter.has_value());
    const int frame = meter->height / 19;
    auto bright = [&](int f, int y)
    {
        const auto p = Pixel(*meter, 16, f * frame + y);
        return std::max({p[0], p[1], p[2]}) > 180;
    };
    // Bottom segment centre at row 117, top segment centre at row 15.
    EXPECT_FALSE(bright(0, 117));
    EXPECT_TRUE(bright(1, 117));
    EXPECT_FALSE(bright(1, 15));
    EXPECT_TRUE(bright(18, 15));
    // The top segment is red, the bottom one green.
    const auto top = Pixel(*meter, 16, 18 * frame + 15), bottom = Pixel(*meter, 16, 18 * frame + 117);
    EXPECT_GT(top[0], top[1]);
    EXPECT_GT(bottom[1], bottom[0]);
    // Rows under the housing stay clear for the level text.
    EXPECT_EQ(Pixel(*meter, 14, frame - 1)[3], 0);
}

TEST(Keys, HeldWhiteKeysLeaveTheBlackKeyColumnsClear)
{
    const auto keys = ReadPng(kImageDir + "/pianowhitekey.png");
    ASSERT_TRUE(keys.has_value());
    const int frame = keys->height / 6;
    auto clear = [&](int f, int x, int y) { return Pixel(*keys, x, f * frame + y)[3] == 0; };
    // C: C sharp covers columns 7..9 of the upper 35 rows; the lower part is whole.
    EXPECT_TRUE(clear(0, 8, 10));
    EXPECT_FALSE(clear(0, 3, 10));
    EXPECT_FALSE(clear(0, 8, 50));
    // D: cut on both sides. E: cut on the left only. Top C: never cut.
    EXPECT_TRUE(clear(1, 1, 10));
    EXPECT_TRUE(clear(1, 8, 10));
    EXPECT_FALSE(clear(1, 5, 10));
    EXPECT_TRUE(clear(2, 1, 10));
    EXPECT_FALSE(clear(2, 8, 10));
    EXPECT_FALSE(clear(5, 1, 10));
    EXPECT_FALSE(clear(5, 8, 10));
}

TEST(Layout, SixtyControlCellsThatNeverOverlap)
{
    // Captions and value fields are painted for these cells; one per parameter, none sharing pixels,
    // all on the face plate above the band.
    const auto cells = layout::ControlCells();
    ASSERT_EQ(cells.size(), 60u);
    for (size_t i = 0; i < cells.size(); ++i)
    {
        const auto& a = cells[i];
        EXPECT_LE(a.y + a.h, layout::kBandTop) << i;
        EXPECT_LE(a.x + a.w, 846) << i;
        for (size_t j = i + 1; j < cells.size(); ++j)
        {
            const auto& b = cells[j];
            const bool overlap = a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
            EXPECT_FALSE(overlap) << "cells " << i << " and " << j;
        }
    }
}

TEST(Layout, CaptionColumnsAndRowsSitOverRealControls)
{
    // The column heads and row labels are painted from the caption grid; each grid point must be
    // a control of the parameter table, or a caption would name an empty spot.
    const auto cells = layout::ControlCells();
    auto isCell = [&](int x, int y)
    {
        return std::any_of(cells.begin(), cells.end(),
                           [&](const layout::Cell& c) { return c.x == x && c.y == y; });
    };
    using namespace layout;
    for (int y : kOscRows)
        for (int x : kOscColumns)
            EXPECT_TRUE(isCell(x, y)) << x << "," << y;
    for (int y : kNoiseRows)
        for (int x : kNoiseColumns)
            EXPECT_TRUE(isCell(x, y)) << x << "," << y;
    for (int y : kEnvRows)
    {
        for (int x : kEnvColumns)
            EXPECT_TRUE(isCell(x, y)) << x << "," << y;
        for (int x : kFilterColumns)
            EXPECT_TRUE(isCell(x, y)) << x << "," << y;
    }
    for (int x : kPitchColumns)
        EXPECT_TRUE(isCell(x, kPitchRow)) << x;
    // The wave column of the noise rows is free: the background names the noise source there.
    EXPECT_FALSE(isCell(kOscColumns[0], kNoiseRows[0]));
    EXPECT_FALSE(isCell(kOscColumns[0], kNoiseRows[1]));
}

TEST(Background, IdleKeyboardIsPaintedWhereTheKeyboardControlSits)
{
    const auto bg = ReadPng(kImageDir + "/Background.png");
    ASSERT_TRUE(bg.has_value());
    auto lum = [&](int x, int y)
    {
        const auto p = Pixel(*bg, x, y);
        return (p[0] + p[1] + p[2]) / 3;
    };
    // A white key's lower half, a black key (C sharp of the first octave), and the black area
    // either side of the keyboard.
    EXPECT_GT(lum(138 + 3, 707 + 50), 200);
    EXPECT_LT(lum(138 + 9, 707 + 20), 80);
    EXPECT_GT(lum(138 + 3, 707 + 20), 200);
    EXPECT_GT(lum(707 - 5, 707 + 50), 200); // the top C
    EXPECT_LT(lum(120, 760), 40);
    EXPECT_LT(lum(720, 760), 60);
    // Panel behind the knobs is light cream.
    EXPECT_GT(lum(40, 60), 200);
}

} // namespace
