#include "editor/IGraphicsTypes.h"

#include "raster/PIX_Bitmap.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

bool IArea::Reaches(const IArea& b) const
{
    return !Empty() && !b.Empty() && R >= b.L && L < b.R && B >= b.T && T < b.B;
}

IArea IArea::Union(const IArea& b) const
{
    if (Empty()) return b;
    if (b.Empty()) return *this;
    return {std::min(L, b.L), std::min(T, b.T), std::max(R, b.R), std::max(B, b.B)};
}

IArea IArea::Clip(const IArea& b) const
{
    if (!Reaches(b)) return {};
    return {std::max(L, b.L), std::max(T, b.T), std::min(R, b.R), std::min(B, b.B)};
}

uint32_t IColorRGBA::Packed() const
{
    return static_cast<uint32_t>(A & 0xff) << 24 | static_cast<uint32_t>(R & 0xff) << 16 |
           static_cast<uint32_t>(G & 0xff) << 8 | static_cast<uint32_t>(B & 0xff);
}

uint32_t IColorRGBA::PlatformPacked() const
{
    return static_cast<uint32_t>(R & 0xff) | static_cast<uint32_t>(G & 0xff) << 8 |
           static_cast<uint32_t>(B & 0xff) << 16;
}

ITextStyle::ITextStyle(const char* face, int32_t size, IColorRGBA color, int32_t style, int32_t align,
                       int32_t orientation, int32_t quality, IColorRGBA entryBG, IColorRGBA entryFG)
    : size(size), color(color), textEntryBGColor(entryBG), textEntryFGColor(entryFG), style(style),
      align(align), orientation(orientation), quality(quality)
{
    std::snprintf(font, sizeof font, "%s", face ? face : "");
}

IBitmapRef::IBitmapRef(PIX_IBitmap* bitmap, int frames, bool horizontal)
    : bitmap(bitmap), W(bitmap ? bitmap->Width() : 0), H(bitmap ? bitmap->Height() : 0),
      N(std::max(frames, 1)), horizontal(horizontal)
{
}

IPopupMenuItem& IPopupMenu::AddItem(const char* text, int32_t flags)
{
    IPopupMenuItem& item = items.emplace_back();
    item.text = text ? text : "";
    item.flags = flags;
    return item;
}

IPopupMenuItem& IPopupMenu::AddSubmenu(const char* text, std::unique_ptr<IPopupMenu> submenu)
{
    IPopupMenuItem& item = AddItem(text);
    item.submenu = std::move(submenu);
    return item;
}

IPopupMenuItem& IPopupMenu::AddSeparator()
{
    return AddItem("", IPopupMenuItem::kSeparator);
}

std::string IPopupMenu::ItemDisplayText(int i) const
{
    static constexpr const char* kFormats[] = {"%1d: %s", "%02d: %s", "%03d: %s"};
    const std::string& text = items[i].text;
    if (prefix < kPrefix1 || prefix > kPrefix03) return text;
    const int n = std::snprintf(nullptr, 0, kFormats[prefix - 1], i + 1, text.c_str());
    std::string out(static_cast<std::size_t>(n), '\0');
    std::snprintf(out.data(), out.size() + 1, kFormats[prefix - 1], i + 1, text.c_str());
    return out;
}
