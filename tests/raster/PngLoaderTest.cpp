#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <unistd.h>
#include <vector>
#include <zlib.h>

#include "PngTestWriter.h"
#include "raster/PIX_Png.h"
#include "raster/PIX_Resources.h"

namespace
{
using Bitmap = std::unique_ptr<PIX_MemBitmap>;

Bitmap Decode(const std::vector<std::uint8_t>& bytes)
{
    return Bitmap(PIX_LoadPNGFromMemory(bytes.data(), bytes.size()));
}

PngImage Image(int w, int h, int colourType, int depth, std::vector<std::uint8_t> samples)
{
    PngImage img;
    img.width = w;
    img.height = h;
    img.colourType = colourType;
    img.bitDepth = depth;
    img.samples = std::move(samples);
    return img;
}

PIX_Pixel At(PIX_MemBitmap& bmp, int x, int y)
{
    return PIX_Row(bmp, y)[x];
}
} // namespace

TEST(PngLoaderTest, PaletteWithTransparencyBecomesAlpha)
{
    PngImage img = Image(2, 1, PNG_COLOR_TYPE_PALETTE, 8, {0, 1});
    img.palette = {{0xff, 0x20, 0x10}, {0x01, 0x02, 0xfe}};
    img.transparency = {0x80, 0x00};
    Bitmap bmp = Decode(EncodePng(img));
    ASSERT_TRUE(bmp);
    EXPECT_EQ(bmp->Width(), 2);
    EXPECT_EQ(bmp->Height(), 1);
    EXPECT_EQ(At(*bmp, 0, 0), 0x80ff2010u);
    EXPECT_EQ(At(*bmp, 1, 0), 0x000102feu);
}

TEST(PngLoaderTest, ColourTypesAndDepthsDecodeToStraightArgb)
{
    // Opaque RGB gets alpha 255.
    Bitmap rgb = Decode(EncodePng(Image(1, 2, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3, 250, 251, 252})));
    ASSERT_TRUE(rgb);
    EXPECT_EQ(At(*rgb, 0, 0), 0xff010203u);
    EXPECT_EQ(At(*rgb, 0, 1), 0xfffafbfcu);

    // RGBA keeps its alpha without multiplying the colour.
    Bitmap rgba = Decode(EncodePng(Image(1, 1, PNG_COLOR_TYPE_RGBA, 8, {0x10, 0x20, 0x30, 0x40})));
    ASSERT_TRUE(rgba);
    EXPECT_EQ(At(*rgba, 0, 0), 0x40102030u);

    // 16-bit channels keep their high byte.
    Bitmap deep = Decode(
        EncodePng(Image(1, 1, PNG_COLOR_TYPE_RGBA, 16, {0xab, 0x01, 0xcd, 0x02, 0xef, 0x03, 0x7f, 0xff})));
    ASSERT_TRUE(deep);
    EXPECT_EQ(At(*deep, 0, 0), 0x7fabcdefu);

    // 1-bit grey expands to black and white.
    Bitmap bits = Decode(EncodePng(Image(3, 1, PNG_COLOR_TYPE_GRAY, 1, {0b10100000})));
    ASSERT_TRUE(bits);
    EXPECT_EQ(At(*bits, 0, 0), 0xffffffffu);
    EXPECT_EQ(At(*bits, 1, 0), 0xff000000u);
    EXPECT_EQ(At(*bits, 2, 0), 0xffffffffu);

    // Grey with alpha becomes RGB with the same alpha.
    Bitmap ga = Decode(EncodePng(Image(1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {0x55, 0x99})));
    ASSERT_TRUE(ga);
    EXPECT_EQ(At(*ga, 0, 0), 0x99555555u);

    // A 4-bit palette unpacks one index per pixel.
    PngImage pal = Image(3, 1, PNG_COLOR_TYPE_PALETTE, 4, {0x21, 0x00});
    pal.palette = {{0, 0, 0}, {10, 20, 30}, {40, 50, 60}};
    Bitmap packed = Decode(EncodePng(pal));
    ASSERT_TRUE(packed);
    EXPECT_EQ(At(*packed, 0, 0), 0xff28323cu);
    EXPECT_EQ(At(*packed, 1, 0), 0xff0a141eu);
    EXPECT_EQ(At(*packed, 2, 0), 0xff000000u);
}

TEST(PngLoaderTest, ColourKeyTransparencyBecomesAlpha)
{
    // Grey with a transparent grey value: that value gets alpha 0, every other one alpha 255.
    PngImage grey = Image(3, 1, PNG_COLOR_TYPE_GRAY, 8, {0x10, 0x20, 0x10});
    grey.colourKey = true;
    grey.key.gray = 0x10;
    Bitmap g = Decode(EncodePng(grey));
    ASSERT_TRUE(g);
    EXPECT_EQ(At(*g, 0, 0), 0x00101010u);
    EXPECT_EQ(At(*g, 1, 0), 0xff202020u);
    EXPECT_EQ(At(*g, 2, 0), 0x00101010u);

    // 2-bit grey with a key: expanded to 8 bits (level 2 of 3 is 0xaa) before the key applies.
    PngImage low = Image(4, 1, PNG_COLOR_TYPE_GRAY, 2, {0b00011011});
    low.colourKey = true;
    low.key.gray = 1;
    Bitmap l = Decode(EncodePng(low));
    ASSERT_TRUE(l);
    EXPECT_EQ(At(*l, 0, 0), 0xff000000u);
    EXPECT_EQ(At(*l, 1, 0), 0x00555555u);
    EXPECT_EQ(At(*l, 2, 0), 0xffaaaaaau);
    EXPECT_EQ(At(*l, 3, 0), 0xffffffffu);

    // RGB with a transparent colour.
    PngImage rgb = Image(2, 1, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3, 1, 2, 4});
    rgb.colourKey = true;
    rgb.key.red = 1;
    rgb.key.green = 2;
    rgb.key.blue = 3;
    Bitmap c = Decode(EncodePng(rgb));
    ASSERT_TRUE(c);
    EXPECT_EQ(At(*c, 0, 0), 0x00010203u);
    EXPECT_EQ(At(*c, 1, 0), 0xff010204u);

    // 16-bit RGB without transparency keeps the high bytes and gets the opaque filler.
    Bitmap deep =
        Decode(EncodePng(Image(1, 1, PNG_COLOR_TYPE_RGB, 16, {0x12, 0xff, 0x34, 0x00, 0x56, 0x80})));
    ASSERT_TRUE(deep);
    EXPECT_EQ(At(*deep, 0, 0), 0xff123456u);
}

TEST(PngLoaderTest, InterlacedImageDecodesEveryPixel)
{
    std::vector<std::uint8_t> samples;
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 10; ++x)
            samples.insert(samples.end(), {std::uint8_t(x), std::uint8_t(y), 7});
    PngImage img = Image(10, 9, PNG_COLOR_TYPE_RGB, 8, samples);
    img.interlaced = true;
    Bitmap bmp = Decode(EncodePng(img));
    ASSERT_TRUE(bmp);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(At(*bmp, x, y), 0xff000007u | x << 16 | y << 8) << x << "," << y;
}

TEST(PngLoaderTest, BadStreamsGiveNoBitmap)
{
    const auto good = EncodePng(Image(4, 4, PNG_COLOR_TYPE_RGB, 8, std::vector<std::uint8_t>(48, 9)));
    EXPECT_FALSE(PIX_LoadPNGFromMemory(good.data(), 7));
    EXPECT_FALSE(PIX_LoadPNGFromMemory(nullptr, 100));
    auto wrong = good;
    wrong[1] = 'p';
    EXPECT_FALSE(Decode(wrong));
    // The signature alone, or a stream cut inside the image data, fails instead of half-decoding.
    EXPECT_FALSE(PIX_LoadPNGFromMemory(good.data(), 8));
    EXPECT_FALSE(PIX_LoadPNGFromMemory(good.data(), 40));
    EXPECT_FALSE(PIX_LoadPNGFromMemory(good.data(), good.size() - 20));
    auto corrupt = good;
    corrupt[40] ^= 0xff;
    EXPECT_FALSE(Decode(corrupt));
    EXPECT_TRUE(Decode(good));
}

TEST(PngLoaderTest, HugeDimensionsFailCleanly)
{
    // A header that promises 50000 x 50000 pixels cannot be backed by a 32-bit sized bitmap.
    auto bytes = EncodePng(Image(1, 1, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3}));
    auto patch = [&](std::size_t at, std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = std::uint8_t(v >> (24 - 8 * i));
    };
    patch(16, 50000);
    patch(20, 50000);
    // Recompute the header checksum so that only the size is at fault.
    patch(29, static_cast<std::uint32_t>(crc32(crc32(0, nullptr, 0), bytes.data() + 12, 17)));
    EXPECT_FALSE(Decode(bytes));

    // Sides up to 16384 pixels decode; a damaged header claiming more is refused before anything
    // is allocated for it.
    const struct
    {
        int width, height;
        bool decodes;
    } sides[] = {{16384, 1, true}, {1, 16384, true}, {16385, 1, false}, {1, 16385, false}};
    for (const auto& c : sides)
    {
        const auto png = EncodePng(Image(c.width, c.height, PNG_COLOR_TYPE_GRAY, 8,
                                         std::vector<std::uint8_t>(std::size_t(c.width) * c.height, 7)));
        EXPECT_EQ(static_cast<bool>(Decode(png)), c.decodes) << c.width << " x " << c.height;
    }
}

TEST(PngLoaderTest, FilesByPathAndByName)
{
    // Paths reach the loader as UTF-8, whatever the system's own file-name encoding.
    const auto utf8 = [](const std::filesystem::path& file)
    {
        const std::u8string text = file.u8string();
        return std::string(text.begin(), text.end());
    };
    const auto dir = std::filesystem::temp_directory_path() / ("pix-png-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto bytes = EncodePng(Image(1, 1, PNG_COLOR_TYPE_RGB, 8, {4, 5, 6}));
    const std::filesystem::path named = dir / std::filesystem::path(u8"bild-\u00e4\U0001F3B5.PNG");
    std::ofstream(named, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const std::string path = utf8(named);
    const std::string other = utf8(dir / "same.jpg");
    std::filesystem::copy_file(named, dir / "same.jpg");

    Bitmap byPath(PIX_LoadPNGFile(path.c_str()));
    ASSERT_TRUE(byPath);
    EXPECT_EQ(At(*byPath, 0, 0), 0xff040506u);
    EXPECT_TRUE(Bitmap(PIX_LoadPNGByName(path.c_str())));
    EXPECT_TRUE(Bitmap(PIX_LoadPNGFile(other.c_str()))); // the content decides for a path
    EXPECT_FALSE(Bitmap(PIX_LoadPNGByName(other.c_str())));
    EXPECT_FALSE(Bitmap(PIX_LoadPNGFile(utf8(dir / "missing.png").c_str())));
    EXPECT_FALSE(Bitmap(PIX_LoadPNGFile(utf8(dir).c_str()))); // a directory

    // A file cut inside its image data fails; one with bytes after the image decodes.
    const auto rows = EncodePng(Image(3, 3, PNG_COLOR_TYPE_RGB, 8, std::vector<std::uint8_t>(27, 0x42)));
    std::ofstream(dir / "cut.png", std::ios::binary)
        .write(reinterpret_cast<const char*>(rows.data()), rows.size() - 20);
    EXPECT_FALSE(Bitmap(PIX_LoadPNGFile(utf8(dir / "cut.png").c_str())));
    {
        std::ofstream out(dir / "padded.png", std::ios::binary);
        out.write(reinterpret_cast<const char*>(rows.data()), rows.size());
        out << std::string(1000, 'x');
    }
    Bitmap fromPadded(PIX_LoadPNGFile(utf8(dir / "padded.png").c_str()));
    ASSERT_TRUE(fromPadded);
    EXPECT_EQ(At(*fromPadded, 2, 2), 0xff424242u);
    EXPECT_STREQ(PIX_kPNGFileTypes, "PNG files (*.PNG)");
    std::filesystem::remove_all(dir);
}

TEST(PngLoaderTest, EndlessFileIsRejectedByItsSignature)
{
    // The signature is checked before the rest of a file is read, so a stream without end that is
    // not a PNG image is turned away at once instead of being read into memory.
    EXPECT_FALSE(Bitmap(PIX_LoadPNGFile("/dev/zero")));
}

TEST(ResourceTest, TableListsTheTwentyOneImages)
{
    const auto table = PIX_ImageTable();
    ASSERT_EQ(table.size(), 21u);
    std::set<int> ids;
    for (const PIX_ImageInfo& info : table)
    {
        ids.insert(info.id);
        EXPECT_GT(info.width, 0) << info.name;
        EXPECT_GT(info.height, 0) << info.name;
        if (info.frames > 1)
        {
            EXPECT_EQ(info.height % info.frames, 0) << info.name;
        }
        EXPECT_EQ(PIX_FindImageInfo(info.id), &info);
    }
    EXPECT_EQ(*ids.begin(), 101);
    EXPECT_EQ(*ids.rbegin(), 121);
    EXPECT_EQ(ids.size(), 21u);
    EXPECT_STREQ(PIX_FindImageInfo(102)->name, "Background.png");
    EXPECT_EQ(PIX_FindImageInfo(100), nullptr);
    EXPECT_EQ(PIX_FindResource(122).data, nullptr);
    EXPECT_FALSE(Bitmap(PIX_LoadPNGResource(100)));
}

TEST(ResourceTest, EveryImageIsEmbeddedAndDecodesToItsTableSize)
{
    for (const PIX_ImageInfo& info : PIX_ImageTable())
    {
        const PIX_Resource resource = PIX_FindResource(info.id);
        ASSERT_NE(resource.data, nullptr) << info.name << " is not in resources/img/";
        EXPECT_GT(resource.size, 8u) << info.name;
        Bitmap bmp(PIX_LoadPNGResource(info.id));
        ASSERT_TRUE(bmp) << info.name;
        EXPECT_EQ(bmp->Width(), info.width) << info.name;
        EXPECT_EQ(bmp->Height(), info.height) << info.name;
    }
}

TEST(ResourceTest, LazyImagesKnowTheirSizeAtOnceAndDecodeOnFirstUse)
{
    for (const PIX_ImageInfo& info : PIX_ImageTable())
    {
        std::unique_ptr<PIX_LazyPngBitmap> lazy(PIX_LoadPNGResourceLazily(nullptr, info.id));
        ASSERT_TRUE(lazy) << info.name;
        EXPECT_EQ(lazy->Width(), info.width) << info.name;
        EXPECT_EQ(lazy->Height(), info.height) << info.name;
        EXPECT_FALSE(lazy->IsDecoded()) << info.name; // the size alone decodes nothing

        Bitmap eager(PIX_LoadPNGResource(info.id));
        ASSERT_TRUE(eager);
        PIX_Pixel* pixels = lazy->Bits();
        EXPECT_TRUE(lazy->IsDecoded());
        ASSERT_EQ(lazy->RowSpan(), eager->RowSpan());
        for (int y = 0; y < info.height; ++y)
            ASSERT_EQ(std::memcmp(pixels + y * lazy->RowSpan(), eager->Bits() + y * eager->RowSpan(),
                                  sizeof(PIX_Pixel) * static_cast<std::size_t>(info.width)),
                      0)
                << info.name << " row " << y;
    }
    EXPECT_EQ(PIX_LoadPNGResourceLazily(nullptr, 100), nullptr);
}

TEST(ResourceTest, LazyImageHeaderChecksAndBrokenBodies)
{
    const PIX_Resource background = PIX_FindResource(102);
    std::vector<unsigned char> bytes(static_cast<const unsigned char*>(background.data),
                                     static_cast<const unsigned char*>(background.data) + background.size);
    int w = 0, h = 0;
    ASSERT_TRUE(PIX_ReadPNGSize(bytes.data(), bytes.size(), w, h));
    EXPECT_FALSE(PIX_ReadPNGSize(bytes.data(), 23, w, h)); // shorter than the header
    std::vector<unsigned char> wrongType = bytes;
    wrongType[12] = 'X';
    EXPECT_FALSE(PIX_ReadPNGSize(wrongType.data(), wrongType.size(), w, h));
    std::vector<unsigned char> zeroWidth = bytes;
    std::fill(zeroWidth.begin() + 16, zeroWidth.begin() + 20, 0);
    EXPECT_FALSE(PIX_ReadPNGSize(zeroWidth.data(), zeroWidth.size(), w, h));

    // A body that does not decode leaves a transparent bitmap of the header's size, not a crash.
    std::vector<unsigned char> truncated(bytes.begin(), bytes.begin() + 40);
    ASSERT_TRUE(PIX_ReadPNGSize(truncated.data(), truncated.size(), w, h));
    PIX_LazyPngBitmap broken(truncated.data(), truncated.size(), w, h);
    ASSERT_NE(broken.Bits(), nullptr);
    EXPECT_EQ(broken.Width(), w);
    EXPECT_EQ(broken.Height(), h);
}

// Every platform decides by this which image names it decodes as PNG.
TEST(PngLoaderTest, PngExtensionIsTheTextAfterTheLastDotInAnyCase)
{
    const struct
    {
        const char* name;
        bool png;
    } cases[] = {
        {"Background.png", true}, {"KNOB.PNG", true},      {"a.b.Png", true},
        {".png", true},           {"png", false},          {"a.pngx", false},
        {"a.png.bak", false},     {"dir.png/file", false}, {"", false},
        {nullptr, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PIX_HasPngExtension(c.name), c.png) << (c.name ? c.name : "(none)");
}
