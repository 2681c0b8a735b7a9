#include "editor/web/IGraphicsWeb.h"

#include "editor/ITextEntryRules.h"
#include "frame/IParameter.h"
#include "raster/PIX_Bitmap.h"
#include "raster/PIX_Png.h"

#include <emscripten.h>

#include <algorithm>
#include <cstdio>

// The page's side of the editor. Each call reaches a function the page sets on the module object; a
// page that has not set one simply does without (no menu, no tooltip), as a headless editor would.
// clang-format off
EM_JS(void, bb_page_show_menu, (const char* items, int x, int y), {
    if (Module.onShowMenu) Module.onShowMenu(JSON.parse(UTF8ToString(items)), x, y);
});
EM_JS(void, bb_page_open_entry, (const char* description), {
    if (Module.onOpenTextEntry) Module.onOpenTextEntry(JSON.parse(UTF8ToString(description)));
});
EM_JS(void, bb_page_close_entry, (), {
    if (Module.onCloseTextEntry) Module.onCloseTextEntry();
});
EM_JS(void, bb_page_show_tooltip, (const char* text, int x, int y), {
    if (Module.onShowTooltip) Module.onShowTooltip(UTF8ToString(text), x, y);
});
EM_JS(void, bb_page_hide_tooltip, (), {
    if (Module.onHideTooltip) Module.onHideTooltip();
});
EM_JS(int, bb_page_message_box, (const char* text, const char* caption, int type), {
    return Module.onMessageBox ? Module.onMessageBox(UTF8ToString(text), UTF8ToString(caption), type) : 2;
});
EM_JS(int, bb_page_open_url, (const char* url), {
    return Module.onOpenUrl && Module.onOpenUrl(UTF8ToString(url)) ? 1 : 0;
});
// clang-format on

namespace
{

// Text as a JSON string literal.
std::string Quoted(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text)
    {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\')
        {
            out += '\\';
            out += c;
        }
        else if (u < 0x20)
        {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            out += escaped;
        }
        else
            out += c;
    }
    return out + '"';
}

std::string CssColour(const IColorRGBA& c)
{
    char text[32];
    std::snprintf(text, sizeof text, "rgb(%d,%d,%d)", c.R, c.G, c.B);
    return text;
}

} // namespace

IGraphicsWeb::IGraphicsWeb(IFrameBase* plugin, int width, int height, int fps)
    : IGraphics(plugin, width, height, fps)
{
}

IGraphicsWeb::~IGraphicsWeb()
{
    CloseWindow();
}

void* IGraphicsWeb::OpenWindow(void*)
{
    if (!DrawBitmapSurface()) PrepareDraw();
    mRgba.assign(static_cast<std::size_t>(Width()) * Height() * 4, 0);
    mOpen = true;
    // The canvas starts blank: the first tick paints everything.
    for (int i = 0; i < NControls(); ++i)
        GetControl(i)->MarkDirty(false);
    return this;
}

void IGraphicsWeb::CloseWindow()
{
    if (!mOpen) return;
    if (mEntryControl) CloseTextEntry(false);
    HideTooltip();
    mOpen = false;
}

PIX_IBitmap* IGraphicsWeb::LoadBitmapResource(int id, const char* name)
{
    if (!PIX_HasPngExtension(name)) return nullptr;
    // Decoded when first drawn, as on the desktop.
    return PIX_LoadPNGResourceLazily(nullptr, id);
}

bool IGraphicsWeb::PresentToWindow(const IArea& requested)
{
    PIX_SysBitmap* bitmap = DrawBitmapSurface();
    if (!mOpen || !bitmap || !bitmap->Bits()) return false;
    const IArea area = requested.Clip(IArea{0, 0, Width(), Height()});
    if (area.Empty()) return true;
    // The draw bitmap holds 0xAARRGGBB words; the canvas wants R, G, B, A bytes, opaque.
    for (int y = area.T; y < area.B; ++y)
    {
        const PIX_Pixel* row = bitmap->Bits() + static_cast<std::size_t>(y) * bitmap->RowSpan();
        std::uint8_t* out = mRgba.data() + (static_cast<std::size_t>(y) * Width() + area.L) * 4;
        for (int x = area.L; x < area.R; ++x, out += 4)
        {
            const PIX_Pixel p = row[x];
            out[0] = static_cast<std::uint8_t>(p >> 16);
            out[1] = static_cast<std::uint8_t>(p >> 8);
            out[2] = static_cast<std::uint8_t>(p);
            out[3] = 255;
        }
    }
    mChanged = mChanged.Empty() ? area : mChanged.Union(area);
    return true;
}

IArea IGraphicsWeb::TakeChanged()
{
    const IArea changed = mChanged;
    mChanged = IArea{};
    return changed;
}

void IGraphicsWeb::Tick(double nowMs)
{
    if (!mOpen) return;
    if (mEntryControl && (mEntryState == kEntryCancel || mEntryState == kEntryCommit))
    {
        CloseTextEntry(mEntryState == kEntryCommit);
        return;
    }
    IArea dirty;
    if (IsDirty(dirty)) Draw(dirty);
    if (mHoverPending && !mEntryControl && nowMs - mLastMotionMs >= kHoverMs) ShowTooltip();
}

// ---- input ----

void IGraphicsWeb::MouseDown(int x, int y, int button, const IMouseModifiers& mod, int clicks)
{
    HideTooltip();
    if (mEntryControl)
    {
        // A press outside the entry ends it with what was typed.
        mEntryState = kEntryCommit;
        return;
    }
    if (clicks == 2)
    {
        // Only the left button's double click means something to the editor.
        if (button == 0) mCaptured = OnMouseDoubleClick(x, y, mod);
        return;
    }
    mCaptured = true;
    mInPress = true;
    mPressX = x;
    mPressY = y;
    mPressMod = mod;
    OnMouseDown(x, y, mod);
    mInPress = false;
}

void IGraphicsWeb::MouseUp(int x, int y, int, const IMouseModifiers& mod)
{
    if (mEntryControl || !mCaptured) return;
    mCaptured = false;
    OnMouseUp(x, y, mod);
}

void IGraphicsWeb::MouseMove(int x, int y, const IMouseModifiers& mod, double nowMs)
{
    if (mEntryControl) return;
    mPointerX = x;
    mPointerY = y;
    mLastMotionMs = nowMs;
    if (mod.L || mod.R)
    {
        if (mCaptured) OnMouseDrag(x, y, mod);
        return;
    }
    if (!OnMouseOver(x, y, mod)) return;
    mLeaveArmed = true;
    if (!ShowTooltips()) return;
    const int under = TooltipControlAt(x, y);
    if (under != mTooltipIdx)
    {
        mTooltipIdx = under;
        mHoverPending = under >= 0;
        HideTooltip();
    }
}

void IGraphicsWeb::MouseLeave()
{
    HideTooltip();
    mHoverPending = false;
    mTooltipIdx = -1;
    if (mLeaveArmed && !mEntryControl)
    {
        mLeaveArmed = false;
        OnMouseOut();
    }
}

void IGraphicsWeb::Wheel(int x, int y, const IMouseModifiers& mod, int notches)
{
    HideTooltip();
    if (mEntryControl)
        mEntryState = kEntryCancel;
    else if (notches != 0)
        OnMouseWheel(x, y, mod, notches);
}

bool IGraphicsWeb::KeyDown(int key)
{
    if (mEntryControl || key < 0) return false;
    return OnKeyDown(mPointerX, mPointerY, key);
}

// ---- popup menus ----

IPopupMenu* IGraphicsWeb::ShowPopupMenu(IPopupMenu& menu, const IArea& area)
{
    ReleaseMouseCapture();
    if (mMenu.answering)
    {
        // The press that opened the page's menu, played again with the page's answer.
        mMenu.answering = false;
        const int chosen = mMenu.chosen;
        if (chosen < 0 || chosen >= static_cast<int>(menu.items.size())) return nullptr;
        menu.chosenItemIdx = chosen;
        for (int i = 0; i < NControls(); ++i)
            GetControl(i)->MarkDirty(false);
        return &menu;
    }
    if (!mOpen || !mInPress) return nullptr;
    std::string items = "[";
    for (int i = 0; i < static_cast<int>(menu.items.size()); ++i)
    {
        const IPopupMenuItem& item = menu.items[static_cast<std::size_t>(i)];
        // Submenus are not offered: the editor's menus are flat lists of values.
        const int flags = item.flags | (item.submenu ? IPopupMenuItem::kDisabled : 0);
        items += (i ? ",{\"text\":" : "{\"text\":") + Quoted(menu.ItemDisplayText(i)) +
                 ",\"flags\":" + std::to_string(flags) + "}";
    }
    items += "]";
    mMenu = PendingMenu{true, false, -1, mPressX, mPressY, mPressMod};
    mCaptured = false;
    bb_page_show_menu(items.c_str(), area.L, area.B);
    return nullptr;
}

void IGraphicsWeb::MenuChosen(int index)
{
    if (!mMenu.open) return;
    mMenu.open = false;
    if (index < 0) return;
    mMenu.answering = true;
    mMenu.chosen = index;
    OnMouseDown(mMenu.x, mMenu.y, mMenu.mod);
    // Nothing was pressed for the page: the press played again ends at once.
    if (mMenu.answering) mMenu.answering = false; // the control asked for no menu this time
    ReleaseMouseCapture();
}

// ---- text entry ----

void IGraphicsWeb::OpenTextField(IControl* control, const ITextStyle& style, const IArea& area,
                                 const char* initialText, IParameter* param)
{
    if (!control || mEntryControl || !mOpen) return;
    const int w = area.R - area.L + 1;
    const int h = area.B - area.T + 1;
    if (w < 1 || h < 1) return;
    mEntryControl = control;
    mEntryParam = param;
    mEntryText = initialText ? initialText : "";
    mEntryState = kEntryIdle;
    HideTooltip();
    const int limit = std::min(control->TextEntryLength(), kTextEntryMaxLength);
    const char* align = style.align == kAlignLeft ? "left" : style.align == kAlignCenter ? "center" : "right";
    // The page's input shows the platform font's family: Arial and Verdana are Liberation Sans here.
    const std::string description =
        "{\"x\":" + std::to_string(area.L) + ",\"y\":" + std::to_string(area.T) +
        ",\"width\":" + std::to_string(w) + ",\"height\":" + std::to_string(h) +
        ",\"text\":" + Quoted(mEntryText) + ",\"limit\":" + std::to_string(limit) +
        ",\"fontSize\":" + std::to_string(style.size) +
        ",\"fontFamily\":" + Quoted(std::string(style.font) + ", Liberation Sans, sans-serif") +
        ",\"foreground\":" + Quoted(CssColour(style.textEntryFGColor)) +
        ",\"background\":" + Quoted(CssColour(style.textEntryBGColor)) + ",\"align\":" + Quoted(align) + "}";
    bb_page_open_entry(description.c_str());
}

void IGraphicsWeb::CancelTextEntry()
{
    if (mEntryControl) mEntryState = kEntryCancel;
}

void IGraphicsWeb::SetEntryState(int state)
{
    if (!mEntryControl || mEntryState == kEntryCancel || mEntryState == kEntryCommit) return;
    if (state == kEntryEditing || state == kEntryCancel || state == kEntryCommit) mEntryState = state;
}

bool IGraphicsWeb::EntryAccepts(int code) const
{
    // Only ASCII is the same in the entry's UTF-8 text; the filter decides within it.
    return mEntryControl && code > 0 && code < 0x80 && TextEntryAccepts(mEntryParam, static_cast<char>(code));
}

void IGraphicsWeb::CloseTextEntry(bool commit)
{
    IControl* control = mEntryControl;
    IParameter* param = mEntryParam;
    mEntryControl = nullptr;
    mEntryParam = nullptr;
    mEntryState = kEntryIdle;
    bb_page_close_entry();
    if (commit && control) CommitTextEntry(*control, param, mEntryText.c_str());
    // What lay under the entry is shown again on the next tick.
    for (int i = 0; i < NControls(); ++i)
        GetControl(i)->MarkDirty(false);
}

// ---- tooltips, message boxes, links, files ----

void IGraphicsWeb::ShowTooltip()
{
    mHoverPending = false;
    const IControl* control = GetControl(mTooltipIdx);
    if (!control || control->Tooltip().empty()) return;
    mTooltipShown = true;
    bb_page_show_tooltip(control->Tooltip().c_str(), mPointerX, mPointerY);
}

void IGraphicsWeb::HideTooltip()
{
    if (!mTooltipShown) return;
    mTooltipShown = false;
    bb_page_hide_tooltip();
}

int IGraphicsWeb::ShowMessageBox(const char* text, const char* caption, int type)
{
    return bb_page_message_box(text ? text : "", caption ? caption : "", type);
}

bool IGraphicsWeb::OpenUrl(const char* url, const char*, const char*, const char*)
{
    return url && *url && bb_page_open_url(url) != 0;
}

void IGraphicsWeb::ChooseFile(std::string& fileName, int, std::string&, const char*)
{
    // Files come and go through the page's own Load and Save buttons.
    fileName.clear();
}
