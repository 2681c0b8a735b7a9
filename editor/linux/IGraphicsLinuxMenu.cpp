// Popup menus of the X11 editor: override-redirect windows of our own, one per open menu level,
// shown modally with the pointer and keyboard grabbed until an item is chosen or the menu dismissed.

#include "editor/linux/IGraphicsLinux.h"

#include "raster/PIX_Bitmap.h"
#include "raster/PIX_CachedFont.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "editor/linux/IGraphicsLinuxNative.h"

namespace
{

constexpr int kBorder = 1;
constexpr int kPadding = 2;
constexpr int kRowMargin = 8; // above and below the text of a row
constexpr int kSeparatorHeight = 7;
constexpr int kTextLeft = 22;  // room for the check mark
constexpr int kTextRight = 24; // room for the submenu arrow

constexpr PIX_Pixel kBackground = 0xFFF2F2F2u;
constexpr PIX_Pixel kFrame = 0xFF7A7A7Au;
constexpr PIX_Pixel kText = 0xFF000000u;
constexpr PIX_Pixel kGrayText = 0xFF9A9A9Au;
constexpr PIX_Pixel kHot = 0xFF3875D7u;
constexpr PIX_Pixel kHotText = 0xFFFFFFFFu;
constexpr PIX_Pixel kSeparator = 0xFFC8C8C8u;

void Fill(PIX_IBitmap& bitmap, int l, int t, int r, int b, PIX_Pixel colour)
{
    l = std::max(l, 0);
    t = std::max(t, 0);
    r = std::min(r, bitmap.Width());
    b = std::min(b, bitmap.Height());
    for (int y = t; y < b; ++y)
        std::fill(bitmap.Bits() + static_cast<std::size_t>(y) * bitmap.RowSpan() + l,
                  bitmap.Bits() + static_cast<std::size_t>(y) * bitmap.RowSpan() + std::max(l, r), colour);
}

bool Choosable(const IPopupMenuItem& item)
{
    return !(item.flags & (IPopupMenuItem::kGray | IPopupMenuItem::kDisabled | IPopupMenuItem::kSeparator));
}

} // namespace

// One modal run of a menu tree.
class IGraphicsLinux::MenuSession
{
public:
    MenuSession(IGraphicsLinux& g, Native& n) : n(n), root(RootWindow(n.display, n.screen))
    {
        style.cached = nullptr;
        font = g.CacheFont(style);
        rowHeight = (font ? font->LineHeight() : 14) + kRowMargin;
    }

    ~MenuSession()
    {
        while (!levels.empty())
            CloseLevel();
        XUngrabPointer(n.display, CurrentTime);
        XUngrabKeyboard(n.display, CurrentTime);
        XFlush(n.display);
    }

    IPopupMenu* Run(IPopupMenu& menu, int x, int y)
    {
        OpenLevel(menu, x, y);
        if (levels.empty()) return nullptr;
        const unsigned mask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
        if (XGrabPointer(n.display, levels[0].window, True, mask, GrabModeAsync, GrabModeAsync, None, None,
                         CurrentTime) != GrabSuccess)
            return nullptr;
        XGrabKeyboard(n.display, levels[0].window, True, GrabModeAsync, GrabModeAsync, CurrentTime);

        while (!done)
        {
            XEvent event;
            XNextEvent(n.display, &event);
            Handle(event);
        }
        if (!chosenMenu) return nullptr;
        chosenMenu->chosenItemIdx = chosenItem;
        return chosenMenu;
    }

private:
    struct Level
    {
        IPopupMenu* menu = nullptr;
        Window window = 0;
        int x = 0, y = 0, w = 0, h = 0;
        std::vector<int> rowTop; // one more than items: the bottom of the last row
        int hot = -1;
        std::unique_ptr<PIX_SysBitmap> bitmap;
    };

    int TextWidth(const std::string& text) const
    {
        if (!font || text.empty()) return 0;
        PIX_Rect r{};
        font->DrawText(nullptr, text.c_str(), -1, &r, PIX_kTextMeasure | PIX_kTextNoClip);
        return r.R - r.L;
    }

    void OpenLevel(IPopupMenu& menu, int x, int y, int leftEdgeOfParent = -1)
    {
        Level level;
        level.menu = &menu;
        int widest = 40;
        int top = kBorder + kPadding;
        for (int i = 0; i < menu.NItems(); ++i)
        {
            level.rowTop.push_back(top);
            const IPopupMenuItem& item = menu.Item(i);
            top += (item.flags & IPopupMenuItem::kSeparator) ? kSeparatorHeight : rowHeight;
            widest = std::max(widest, TextWidth(menu.ItemDisplayText(i)));
        }
        level.rowTop.push_back(top);
        level.w = widest + kTextLeft + kTextRight + 2 * kBorder;
        level.h = top + kPadding + kBorder;

        // On the screen: a menu that would leave it at the bottom opens upwards, at the right edge a
        // submenu opens to the left of its parent.
        const int screenW = DisplayWidth(n.display, n.screen);
        const int screenH = DisplayHeight(n.display, n.screen);
        if (x + level.w > screenW) x = leftEdgeOfParent >= 0 ? leftEdgeOfParent - level.w : screenW - level.w;
        if (y + level.h > screenH) y = std::max(0, screenH - level.h);
        level.x = std::max(0, x);
        level.y = std::max(0, y);

        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.event_mask = ExposureMask;
        attributes.background_pixmap = None;
        attributes.border_pixel = 0;
        attributes.colormap = DefaultColormap(n.display, n.screen);
        level.window = XCreateWindow(
            n.display, root, level.x, level.y, static_cast<unsigned>(level.w), static_cast<unsigned>(level.h),
            0, n.depth, InputOutput, n.visual,
            CWOverrideRedirect | CWEventMask | CWBackPixmap | CWBorderPixel | CWColormap, &attributes);
        if (!level.window) return;
        XStoreName(n.display, level.window, "Brisbleep menu");
        level.bitmap = std::make_unique<PIX_SysBitmap>(level.w, level.h);
        XMapRaised(n.display, level.window);
        levels.push_back(std::move(level));
        Draw(levels.back());
    }

    void CloseLevel()
    {
        XDestroyWindow(n.display, levels.back().window);
        levels.pop_back();
        if (!levels.empty()) Draw(levels.back());
    }

    void Draw(Level& level)
    {
        PIX_SysBitmap& bitmap = *level.bitmap;
        Fill(bitmap, 0, 0, level.w, level.h, kFrame);
        Fill(bitmap, kBorder, kBorder, level.w - kBorder, level.h - kBorder, kBackground);
        for (int i = 0; i < level.menu->NItems(); ++i)
        {
            const IPopupMenuItem& item = level.menu->Item(i);
            const int top = level.rowTop[i];
            const int bottom = level.rowTop[i + 1];
            if (item.flags & IPopupMenuItem::kSeparator)
            {
                const int middle = (top + bottom) / 2;
                Fill(bitmap, kBorder + 4, middle, level.w - kBorder - 4, middle + 1, kSeparator);
                continue;
            }
            const bool hot = i == level.hot && (Choosable(item) || item.submenu);
            if (hot) Fill(bitmap, kBorder, top, level.w - kBorder, bottom, kHot);
            const PIX_Pixel ink = hot ? kHotText : (Choosable(item) ? kText : kGrayText);
            const int middle = (top + bottom) / 2;
            if (item.Checked()) Fill(bitmap, kBorder + 8, middle - 3, kBorder + 14, middle + 3, ink);
            if (font)
            {
                font->SetTextColor(ink);
                const std::string text = level.menu->ItemDisplayText(i);
                PIX_Rect r{kTextLeft, top + kRowMargin / 2, level.w - kTextRight, bottom};
                font->DrawText(&bitmap, text.c_str(), -1, &r, PIX_kTextNoClip);
                if (item.submenu)
                {
                    // A small arrow pointing right.
                    const int ax = level.w - kBorder - 14;
                    for (int k = 0; k < 4; ++k)
                        Fill(bitmap, ax + k, middle - 3 + k, ax + k + 1, middle + 4 - k, ink);
                }
            }
        }
        n.CopyToWindow(level.window, bitmap, IArea{0, 0, level.w, level.h});
        XFlush(n.display);
    }

    // The deepest level under a screen point and the row there (-1 between rows); false when the point
    // is on no level.
    bool Find(int x, int y, int& levelIdx, int& row) const
    {
        for (int l = static_cast<int>(levels.size()) - 1; l >= 0; --l)
        {
            const Level& level = levels[l];
            if (x < level.x || x >= level.x + level.w || y < level.y || y >= level.y + level.h) continue;
            levelIdx = l;
            row = -1;
            const int localY = y - level.y;
            for (int i = 0; i < level.menu->NItems(); ++i)
                if (localY >= level.rowTop[i] && localY < level.rowTop[i + 1]) row = i;
            return true;
        }
        return false;
    }

    // Makes a row of a level the hot one; a submenu under it opens, deeper levels of other rows close.
    void SetHot(int levelIdx, int row)
    {
        while (static_cast<int>(levels.size()) > levelIdx + 1 &&
               levels.back().menu != SubmenuAt(levelIdx, row))
            CloseLevel();
        Level& level = levels[levelIdx];
        if (level.hot != row)
        {
            level.hot = row;
            Draw(level);
        }
        if (IPopupMenu* sub = SubmenuAt(levelIdx, row);
            sub && static_cast<int>(levels.size()) == levelIdx + 1 && sub->NItems() > 0)
        {
            const Level& parent = levels[levelIdx];
            OpenLevel(*sub, parent.x + parent.w - 2, parent.y + parent.rowTop[row] - kBorder - kPadding,
                      parent.x);
        }
    }

    IPopupMenu* SubmenuAt(int levelIdx, int row) const
    {
        if (levelIdx < 0 || levelIdx >= static_cast<int>(levels.size()) || row < 0) return nullptr;
        const IPopupMenu& menu = *levels[levelIdx].menu;
        if (row >= menu.NItems()) return nullptr;
        const IPopupMenuItem& item = menu.Item(row);
        return (item.flags & (IPopupMenuItem::kGray | IPopupMenuItem::kDisabled)) ? nullptr
                                                                                  : item.submenu.get();
    }

    void Choose(int levelIdx, int row)
    {
        const IPopupMenu& menu = *levels[levelIdx].menu;
        if (row < 0 || row >= menu.NItems() || !Choosable(menu.Item(row)) || menu.Item(row).submenu) return;
        chosenMenu = levels[levelIdx].menu;
        chosenItem = row;
        done = true;
    }

    // The next choosable row of a level in a direction, wrapping around; -1 when there is none.
    int Step(const Level& level, int direction) const
    {
        const int count = level.menu->NItems();
        int row = level.hot;
        for (int k = 0; k < count; ++k)
        {
            row = row < 0 ? (direction > 0 ? 0 : count - 1) : (row + direction + count) % count;
            const IPopupMenuItem& item = level.menu->Item(row);
            if (Choosable(item) || SubmenuAt(static_cast<int>(&level - levels.data()), row)) return row;
        }
        return -1;
    }

    void Handle(XEvent& event)
    {
        switch (event.type)
        {
        case Expose:
            for (Level& level : levels)
                if (level.window == event.xexpose.window) Draw(level);
            break;
        case MotionNotify:
        {
            int levelIdx = -1, row = -1;
            if (Find(event.xmotion.x_root, event.xmotion.y_root, levelIdx, row)) SetHot(levelIdx, row);
            break;
        }
        case ButtonPress:
        {
            int levelIdx = -1, row = -1;
            if (!Find(event.xbutton.x_root, event.xbutton.y_root, levelIdx, row)) done = true; // dismissed
            break;
        }
        case ButtonRelease:
        {
            int levelIdx = -1, row = -1;
            if (event.xbutton.button == Button1 &&
                Find(event.xbutton.x_root, event.xbutton.y_root, levelIdx, row))
                Choose(levelIdx, row);
            break;
        }
        case KeyPress:
        {
            Level& level = levels.back();
            const int levelIdx = static_cast<int>(levels.size()) - 1;
            switch (XLookupKeysym(&event.xkey, 0))
            {
            case XK_Escape:
                if (levels.size() > 1)
                    CloseLevel();
                else
                    done = true;
                break;
            case XK_Left:
                if (levels.size() > 1) CloseLevel();
                break;
            case XK_Up:
            case XK_Down:
            {
                const int row = Step(level, XLookupKeysym(&event.xkey, 0) == XK_Up ? -1 : 1);
                if (row >= 0)
                {
                    level.hot = row;
                    Draw(level);
                }
                break;
            }
            case XK_Right:
                if (IPopupMenu* sub = SubmenuAt(levelIdx, level.hot); sub && sub->NItems() > 0)
                {
                    SetHot(levelIdx, level.hot);
                    Level& child = levels.back();
                    child.hot = Step(child, 1);
                    Draw(child);
                }
                break;
            case XK_Return:
            case XK_KP_Enter:
                Choose(levelIdx, level.hot);
                break;
            default:
                break;
            }
            break;
        }
        default:
            break;
        }
    }

    Native& n;
    Window root;
    ITextStyle style{"Liberation Sans", 13, IColorRGBA{255, 0, 0, 0}, kStyleNormal, kAlignLeft};
    PIX_CachedFont* font = nullptr;
    int rowHeight = 22;
    std::vector<Level> levels;
    bool done = false;
    IPopupMenu* chosenMenu = nullptr;
    int chosenItem = -1;
};

IPopupMenu* IGraphicsLinux::ShowPopupMenu(IPopupMenu& menu, const IArea& area)
{
    ReleaseMouseCapture();
    std::lock_guard<std::recursive_mutex> lock(WindowMutex());
    Native& n = *mNative;
    if (!n.window || menu.NItems() == 0) return nullptr;
    n.HideTooltip();
    n.hoverPending = false;
    n.captured = false;
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(n.display, n.window, RootWindow(n.display, n.screen), area.L, area.B, &x, &y,
                          &child);
    IPopupMenu* chosen = nullptr;
    {
        MenuSession session(*this, n);
        chosen = session.Run(menu, x, y);
    }
    // Whatever the menu covered is drawn again.
    for (int i = 0; i < NControls(); ++i)
        GetControl(i)->MarkDirty(false);
    return chosen;
}
