#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class PIX_IBitmap;
class PIX_CachedFont;

// An editor rectangle; right and bottom are exclusive. Only the all-zero area counts as empty, so a
// zero-width area somewhere on screen still takes part in unions and clipping.
struct IArea
{
    int32_t L = 0;
    int32_t T = 0;
    int32_t R = 0;
    int32_t B = 0;

    bool Empty() const { return L == 0 && T == 0 && R == 0 && B == 0; }
    int W() const { return R - L; }
    int H() const { return B - T; }
    bool Contains(int x, int y) const { return !Empty() && x >= L && x < R && y >= T && y < B; }
    // Not symmetric: an area whose right or bottom edge lies exactly on b's left or top edge reaches b.
    bool Reaches(const IArea& b) const;
    IArea Union(const IArea& b) const;
    // The overlap with b when this area reaches b, otherwise the empty area.
    IArea Clip(const IArea& b) const;

    bool operator==(const IArea&) const = default;
};

struct IColorRGBA
{
    int32_t A = 255;
    int32_t R = 0;
    int32_t G = 0;
    int32_t B = 0;

    // A << 24 | R << 16 | G << 8 | B, the raster library's pixel.
    uint32_t Packed() const;
    // Red in the low byte, then green, then blue: the platform's colour word.
    uint32_t PlatformPacked() const;
};

enum ITextStyleKind : int32_t
{
    kStyleNormal = 0,
    kStyleBold = 1,
    kStyleItalic = 2,
};

enum ITextAlign : int32_t
{
    kAlignLeft = 0,
    kAlignCenter = 1,
    kAlignRight = 2,
};

enum ITextQuality : int32_t
{
    kQualityDefault = 0,
    kQualityNonAntiAliased = 1,
    kQualityAntiAliased = 2,
    kQualityClearType = 3,
};

inline constexpr int kFontNameSize = 32;

struct ITextStyle
{
    char font[kFontNameSize] = "Verdana";
    int32_t size = 12;
    IColorRGBA color{255, 0, 0, 0};
    IColorRGBA textEntryBGColor{255, 255, 255, 255};
    IColorRGBA textEntryFGColor{255, 0, 0, 0};
    int32_t style = kStyleNormal;
    int32_t align = kAlignCenter;
    int32_t orientation = 0; // degrees
    int32_t quality = kQualityDefault;
    PIX_CachedFont* cached = nullptr; // found in the font cache on first use; not owned

    ITextStyle() = default;
    ITextStyle(const char* face, int32_t size, IColorRGBA color, int32_t style = kStyleNormal,
               int32_t align = kAlignCenter, int32_t orientation = 0, int32_t quality = kQualityDefault,
               IColorRGBA entryBG = {255, 255, 255, 255}, IColorRGBA entryFG = {255, 0, 0, 0});
};

// A film strip: frames stacked top to bottom, or side by side when horizontal.
struct IBitmapRef
{
    PIX_IBitmap* bitmap = nullptr; // owned by the bitmap cache (or by whoever built the reference)
    int32_t W = 0;
    int32_t H = 0;
    int32_t N = 1;
    bool horizontal = false;

    IBitmapRef() = default;
    IBitmapRef(PIX_IBitmap* bitmap, int frames = 1, bool horizontal = false);
    // Size of one frame.
    int FrameW() const { return horizontal && N > 0 ? W / N : W; }
    int FrameH() const { return !horizontal && N > 0 ? H / N : H; }
};

struct IBlend
{
    enum Kind : int32_t
    {
        kBlendNone = 0, // composite with the source pixels' alpha
        kBlendClobber = 1,
        kBlendAdd = 2,
        kBlendColorDodge = 3,
    };
    int32_t kind = kBlendNone;
    float weight = 1.0f;
};

struct IMouseModifiers
{
    bool L = false;
    bool R = false;
    bool S = false;
    bool C = false;
    bool A = false;
};

enum IKeyCode : int32_t
{
    KEY_SPACE = 0,
    KEY_UPARROW = 1,
    KEY_DOWNARROW = 2,
    KEY_LEFTARROW = 3,
    KEY_RIGHTARROW = 4,
    KEY_DIGIT_0 = 5,  // to KEY_DIGIT_0 + 9
    KEY_ALPHA_A = 15, // to KEY_ALPHA_A + 25
};

class IPopupMenu;

struct IPopupMenuItem
{
    enum Flags : int32_t
    {
        kGray = 1,
        kDisabled = 2,
        kChecked = 4,
        kSeparator = 8,
    };
    std::string text;
    std::unique_ptr<IPopupMenu> submenu;
    int32_t flags = 0;

    bool Checked() const { return (flags & kChecked) != 0; }
};

class IPopupMenu
{
public:
    enum Prefix : int32_t
    {
        kPrefixNone = 0,
        kPrefix1 = 1,  // "%1d: %s"
        kPrefix02 = 2, // "%02d: %s"
        kPrefix03 = 3, // "%03d: %s"
    };

    IPopupMenuItem& AddItem(const char* text, int32_t flags = 0);
    IPopupMenuItem& AddSubmenu(const char* text, std::unique_ptr<IPopupMenu> submenu);
    IPopupMenuItem& AddSeparator();

    int NItems() const { return static_cast<int>(items.size()); }
    IPopupMenuItem& Item(int i) { return items[i]; }
    const IPopupMenuItem& Item(int i) const { return items[i]; }
    // The text an item is shown with, the numbering prefix applied (1-based position).
    std::string ItemDisplayText(int i) const;

    int32_t prefix = kPrefixNone;
    int32_t chosenItemIdx = -1;
    bool flag = false;
    std::vector<IPopupMenuItem> items;
};
