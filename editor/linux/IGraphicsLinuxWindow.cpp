// The X11 side of the Linux editor: the child window, its redraw and timer, input, text entry and
// tooltips. Xlib is included last: it defines macros (Bool, None, Status) that clash with our names.

#include "editor/ITextEntryRules.h"
#include "editor/linux/IGraphicsLinux.h"

#include "frame/IFrameBase.h"
#include "frame/IParameter.h"
#include "raster/PIX_Bitmap.h"
#include "raster/PIX_CachedFont.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <thread>

#include <sys/ipc.h>
#include <sys/shm.h>

#include "editor/linux/IGraphicsLinuxNative.h"

namespace
{

using Clock = std::chrono::steady_clock;

int64_t NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
}

// Xlib reports protocol errors to one process-wide handler, whose default ends the process. While any
// editor window is open ours is installed: errors on our own connections (a host that destroyed its
// window under ours, a parent id that names no window) are recorded and survived; errors on anyone
// else's connection go to the handler that was there before.
std::mutex gDisplaysMutex;
std::set<Display*> gOurDisplays;
XErrorHandler gPreviousHandler = nullptr;
thread_local int gLastError = 0;

int OurErrorHandler(Display* display, XErrorEvent* error)
{
    bool ours = false;
    XErrorHandler previous = nullptr;
    {
        std::lock_guard<std::mutex> lock(gDisplaysMutex);
        ours = gOurDisplays.count(display) != 0;
        previous = gPreviousHandler;
    }
    if (ours)
    {
        gLastError = error->error_code;
        return 0;
    }
    return previous ? previous(display, error) : 0;
}

void RegisterDisplay(Display* display)
{
    bool first = false;
    {
        std::lock_guard<std::mutex> lock(gDisplaysMutex);
        first = gOurDisplays.empty();
        gOurDisplays.insert(display);
    }
    if (first)
    {
        XErrorHandler previous = XSetErrorHandler(OurErrorHandler);
        std::lock_guard<std::mutex> lock(gDisplaysMutex);
        if (previous != OurErrorHandler) gPreviousHandler = previous;
    }
}

void UnregisterDisplay(Display* display)
{
    XErrorHandler restore = nullptr;
    bool last = false;
    {
        std::lock_guard<std::mutex> lock(gDisplaysMutex);
        gOurDisplays.erase(display);
        last = gOurDisplays.empty();
        restore = gPreviousHandler;
    }
    if (!last) return;
    // Put the earlier handler back, unless someone installed another one after ours.
    XErrorHandler current = XSetErrorHandler(restore);
    if (current != OurErrorHandler) XSetErrorHandler(current);
}

// Runs the requests so far and tells whether any of them failed.
bool SyncFailed(Display* display)
{
    gLastError = 0;
    XSync(display, False);
    return gLastError != 0;
}

int ShiftOf(unsigned long mask)
{
    int shift = 0;
    while (mask && !(mask & 1))
    {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

int BitsOf(unsigned long mask)
{
    int bits = 0;
    for (; mask; mask >>= 1)
        bits += static_cast<int>(mask & 1);
    return bits;
}

// One channel of 8 bits scaled into a visual's mask.
unsigned long PlaceChannel(unsigned value, unsigned long mask)
{
    const int bits = BitsOf(mask);
    const unsigned long scaled =
        bits >= 8 ? static_cast<unsigned long>(value) << (bits - 8) : value >> (8 - bits);
    return (scaled << ShiftOf(mask)) & mask;
}

void FillRect(PIX_IBitmap& bitmap, int l, int t, int r, int b, PIX_Pixel colour)
{
    l = std::max(l, 0);
    t = std::max(t, 0);
    r = std::min(r, bitmap.Width());
    b = std::min(b, bitmap.Height());
    for (int y = t; y < b; ++y)
    {
        PIX_Pixel* row = bitmap.Bits() + static_cast<std::size_t>(y) * bitmap.RowSpan();
        std::fill(row + l, row + std::max(l, r), colour);
    }
}

PIX_Pixel Opaque(const IColorRGBA& c)
{
    return 0xFF000000u | (static_cast<PIX_Pixel>(c.R & 255) << 16) |
           (static_cast<PIX_Pixel>(c.G & 255) << 8) | static_cast<PIX_Pixel>(c.B & 255);
}

int TextWidth(PIX_CachedFont* font, const std::string& text, int count)
{
    if (!font || count <= 0) return 0;
    PIX_Rect r{};
    font->DrawText(nullptr, text.c_str(), count, &r, PIX_kTextMeasure | PIX_kTextNoClip);
    return r.R - r.L;
}

} // namespace

IGraphicsLinux::Native::Native() = default;
IGraphicsLinux::Native::~Native() = default;

// ---- presenting pixels ----

bool IGraphicsLinux::Native::CopyToWindow(Window target, PIX_IBitmap& bitmap, const IArea& requested)
{
    if (!display || !target || !bitmap.Bits()) return false;
    const int l = std::max(0, requested.L);
    const int t = std::max(0, requested.T);
    const int r = std::min(bitmap.Width(), requested.R);
    const int b = std::min(bitmap.Height(), requested.B);
    if (r <= l || b <= t) return true;

    if (directFormat)
    {
        // The bitmap's pixels are already the visual's: wrap them, copy, unwrap.
        XImage* image =
            XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0,
                         reinterpret_cast<char*>(bitmap.Bits()), static_cast<unsigned>(bitmap.Width()),
                         static_cast<unsigned>(bitmap.Height()), 32, bitmap.RowSpan() * 4);
        if (!image) return false;
        image->byte_order = LSBFirst; // the memory layout of our 32-bit pixels on this machine
        XPutImage(display, target, gc, image, l, t, l, t, static_cast<unsigned>(r - l),
                  static_cast<unsigned>(b - t));
        image->data = nullptr; // not ours to free
        XDestroyImage(image);
        return true;
    }

    // Any other visual: convert the area pixel by pixel.
    XImage* image = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                                 static_cast<unsigned>(r - l), static_cast<unsigned>(b - t), 32, 0);
    if (!image) return false;
    image->data = static_cast<char*>(std::malloc(static_cast<std::size_t>(image->bytes_per_line) * (b - t)));
    if (!image->data)
    {
        XDestroyImage(image);
        return false;
    }
    for (int y = t; y < b; ++y)
    {
        const PIX_Pixel* row = bitmap.Bits() + static_cast<std::size_t>(y) * bitmap.RowSpan();
        for (int x = l; x < r; ++x)
        {
            const PIX_Pixel p = row[x];
            const unsigned long pixel = PlaceChannel((p >> 16) & 255, visual->red_mask) |
                                        PlaceChannel((p >> 8) & 255, visual->green_mask) |
                                        PlaceChannel(p & 255, visual->blue_mask);
            XPutPixel(image, x - l, y - t, pixel);
        }
    }
    XPutImage(display, target, gc, image, 0, 0, l, t, static_cast<unsigned>(r - l),
              static_cast<unsigned>(b - t));
    XDestroyImage(image); // frees the converted pixels
    return true;
}

bool IGraphicsLinux::Native::CreateSharedImage(int width, int height)
{
    // BRISBLEEP_X11_NO_SHM=1 forces the plain copy, to compare both ways.
    const char* off = std::getenv("BRISBLEEP_X11_NO_SHM");
    if ((off && *off && *off != '0') || !directFormat || !XShmQueryExtension(display)) return false;
    sharedImage =
        XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &sharedSegment,
                        static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (!sharedImage) return false;
    sharedSegment.shmid =
        shmget(IPC_PRIVATE, static_cast<std::size_t>(sharedImage->bytes_per_line) * height, IPC_CREAT | 0600);
    if (sharedSegment.shmid < 0)
    {
        XDestroyImage(sharedImage);
        sharedImage = nullptr;
        return false;
    }
    sharedSegment.shmaddr = sharedImage->data = static_cast<char*>(shmat(sharedSegment.shmid, nullptr, 0));
    sharedSegment.readOnly = False;
    const bool attached = sharedSegment.shmaddr != reinterpret_cast<char*>(-1) &&
                          XShmAttach(display, &sharedSegment) && !SyncFailed(display);
    // Marked for removal now: it goes away once both sides have let go, even after a crash.
    shmctl(sharedSegment.shmid, IPC_RMID, nullptr);
    if (!attached)
    {
        // A server on another machine cannot map it.
        if (sharedSegment.shmaddr != reinterpret_cast<char*>(-1)) shmdt(sharedSegment.shmaddr);
        sharedImage->data = nullptr;
        XDestroyImage(sharedImage);
        sharedImage = nullptr;
        return false;
    }
    return true;
}

void IGraphicsLinux::Native::ReleaseSharedImage()
{
    if (!sharedImage) return;
    XShmDetach(display, &sharedSegment);
    XSync(display, False);
    shmdt(sharedSegment.shmaddr);
    sharedImage->data = nullptr;
    XDestroyImage(sharedImage);
    sharedImage = nullptr;
}

bool IGraphicsLinux::Native::CopySharedToWindow(PIX_IBitmap& bitmap, int l, int t, int r, int b)
{
    if (!sharedImage || r > sharedImage->width || b > sharedImage->height) return false;
    const std::size_t bytes = static_cast<std::size_t>(r - l) * 4;
    for (int y = t; y < b; ++y)
        std::memcpy(sharedImage->data + static_cast<std::size_t>(y) * sharedImage->bytes_per_line + l * 4,
                    bitmap.Bits() + static_cast<std::size_t>(y) * bitmap.RowSpan() + l, bytes);
    XShmPutImage(display, window, gc, sharedImage, l, t, l, t, static_cast<unsigned>(r - l),
                 static_cast<unsigned>(b - t), False);
    // The server reads the memory later: wait for it before the next copy writes there.
    XSync(display, False);
    return true;
}

bool IGraphicsLinux::PresentToWindow(const IArea& area)
{
    std::lock_guard<std::recursive_mutex> lock(WindowMutex());
    Native& n = *mNative;
    PIX_SysBitmap* bitmap = DrawBitmapSurface();
    if (!n.window || !bitmap || !bitmap->Bits()) return false;
    const int l = std::max(0, area.L), t = std::max(0, area.T);
    const int r = std::min(bitmap->Width(), area.R), b = std::min(bitmap->Height(), area.B);
    if (r <= l || b <= t) return true;
    if (!n.CopySharedToWindow(*bitmap, l, t, r, b)) n.CopyToWindow(n.window, *bitmap, area);
    XFlush(n.display);
    return true;
}

// ---- opening and closing ----

std::recursive_mutex& IGraphicsLinux::WindowMutex()
{
    return mWindowMutex;
}

std::string IGraphicsLinux::HostWindowId()
{
    std::lock_guard<std::recursive_mutex> lock(WindowMutex());
    Native& n = *mNative;
    if (!n.window || n.windowGone) return {};
    const Window top = n.TopLevelOf(n.window);
    if (!top || top == n.window) return {};
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(top));
    return text;
}

void* IGraphicsLinux::GetWindow()
{
    return mNative->window ? reinterpret_cast<void*>(mNative->window) : nullptr;
}

int IGraphicsLinux::ConnectionFd() const
{
    return mNative->display ? ConnectionNumber(mNative->display) : -1;
}

int IGraphicsLinux::TimerPeriodMs() const
{
    return FrameRate() > 0 ? 1000 / FrameRate() : 40;
}

void* IGraphicsLinux::OpenWindow(void* parent)
{
    std::lock_guard<std::recursive_mutex> lock(WindowMutex());
    Native& n = *mNative;
    int x = 0;
    int y = 0;
    if (n.window)
    {
        // Reopened where it was.
        Window root = 0;
        unsigned w = 0, h = 0, border = 0, depth = 0;
        if (XGetGeometry(n.display, n.window, &root, &x, &y, &w, &h, &border, &depth) == 0) x = y = 0;
        CloseWindow();
    }
    if (!parent) return nullptr;
    if (!DrawBitmapSurface()) PrepareDraw();

    Display* display = XOpenDisplay(nullptr);
    if (!display) return nullptr;
    RegisterDisplay(display);
    const auto fail = [&]() -> void*
    {
        UnregisterDisplay(display);
        XCloseDisplay(display);
        return nullptr;
    };

    const Window parentWindow = static_cast<Window>(reinterpret_cast<uintptr_t>(parent));
    XWindowAttributes parentAttributes{};
    gLastError = 0;
    if (!XGetWindowAttributes(display, parentWindow, &parentAttributes) || SyncFailed(display)) return fail();
    const int screen = XScreenNumberOfScreen(parentAttributes.screen);
    const Atom xembedInfoAtom = XInternAtom(display, "_XEMBED_INFO", False); // a round trip: before creating

    XSetWindowAttributes attributes{};
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            EnterWindowMask | LeaveWindowMask | KeyPressMask | KeyReleaseMask |
                            FocusChangeMask | StructureNotifyMask;
    attributes.colormap = DefaultColormap(display, screen);
    attributes.border_pixel = 0;
    attributes.background_pixmap = None;
    attributes.bit_gravity = NorthWestGravity;
    const Window window = XCreateWindow(
        display, parentWindow, x, y, static_cast<unsigned>(Width()), static_cast<unsigned>(Height()), 0,
        DefaultDepth(display, screen), InputOutput, DefaultVisual(display, screen),
        CWEventMask | CWColormap | CWBorderPixel | CWBackPixmap | CWBitGravity, &attributes);
    if (!window) return fail();
    // Embedders that speak XEmbed read this as soon as they see the window appear, so it goes out with
    // the creation: protocol version 0, and no request to be mapped by the embedder (the window maps
    // itself, as hosts that do not speak XEmbed expect).
    const long xembedInfo[2] = {0, 0};
    XChangeProperty(display, window, xembedInfoAtom, xembedInfoAtom, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(xembedInfo), 2);
    if (SyncFailed(display)) return fail();

    n.display = display;
    n.window = window;
    n.parent = parentWindow;
    n.screen = screen;
    n.visual = DefaultVisual(display, screen);
    n.depth = DefaultDepth(display, screen);
    n.directFormat = false;
    if (n.visual->c_class == TrueColor && n.visual->red_mask == 0xFF0000 && n.visual->green_mask == 0xFF00 &&
        n.visual->blue_mask == 0xFF && (n.depth == 24 || n.depth == 32))
    {
        int count = 0;
        if (XPixmapFormatValues* formats = XListPixmapFormats(display, &count))
        {
            for (int i = 0; i < count; ++i)
                if (formats[i].depth == n.depth && formats[i].bits_per_pixel == 32) n.directFormat = true;
            XFree(formats);
        }
    }
    n.gc = XCreateGC(display, window, 0, nullptr);
    n.CreateSharedImage(Width(), Height());
    n.InternAtoms();

    XStoreName(display, window, "Brisbleep");
    XMapWindow(display, window);
    if (SyncFailed(display))
    {
        n.ReleaseWindow();
        return nullptr;
    }

    n.clicks.Reset();
    n.exposed = IArea{};
    n.captured = false;
    n.leaveArmed = false;
    n.tooltipIdx = -1;
    n.hoverPending = false;
    n.lastTickMs = 0;
    n.lastHostTickMs = 0;
    for (int i = 0; i < NControls(); ++i)
        GetControl(i)->MarkDirty(false);
    // The keyboard focus, as a click would take it, but only from the host's own window: a host that
    // opens the editor in the background must not take the focus from another application.
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    if (focus != None && focus != PointerRoot && n.TopLevelOf(focus) == n.TopLevelOf(window))
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
    SyncFailed(display);
    StartOwnTimer();
    return reinterpret_cast<void*>(window);
}

void IGraphicsLinux::Native::InternAtoms()
{
    atomXEmbedInfo = XInternAtom(display, "_XEMBED_INFO", False);
    atomClipboard = XInternAtom(display, "CLIPBOARD", False);
    atomUtf8 = XInternAtom(display, "UTF8_STRING", False);
    atomTransfer = XInternAtom(display, "BRISBLEEP_SELECTION", False);
}

void IGraphicsLinux::Native::ReleaseWindow()
{
    if (!display) return;
    ReleaseSharedImage();
    if (blankCursor) XFreeCursor(display, blankCursor);
    if (gc) XFreeGC(display, gc);
    if (window && !windowGone) XDestroyWindow(display, window); // takes the entry and tooltip along
    if (tooltip) XDestroyWindow(display, tooltip);
    SyncFailed(display);
    UnregisterDisplay(display);
    XCloseDisplay(display);
    display = nullptr;
    window = parent = tooltip = entry = 0;
    blankCursor = 0;
    gc = nullptr;
    windowGone = false;
    tooltipShown = false;
    tooltipIdx = -1;
    captured = false;
}

void IGraphicsLinux::CloseWindow()
{
    // The own timer is stopped first: it takes this same mutex, so it is never inside a tick here.
    StopOwnTimer();
    std::lock_guard<std::recursive_mutex> lock(WindowMutex());
    Native& n = *mNative;
    if (!n.display) return;
    if (n.entry) n.CloseEntry();
    if (IsCursorHidden()) SetCursorHidden(false);
    n.ReleaseWindow();
}

void IGraphicsLinux::Resize(int width, int height)
{
    if (width == Width() && height == Height()) return;
    std::lock_guard<std::recursive_mutex> lock(WindowMutex());
    IGraphics::Resize(width, height);
    Native& n = *mNative;
    if (!n.window || width < 1 || height < 1) return;
    XResizeWindow(n.display, n.window, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XFlush(n.display);
}

// ---- the timer ----

void IGraphicsLinux::StartOwnTimer()
{
    Native& n = *mNative;
    if (n.timer.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(n.timerMutex);
        n.timerStop = false;
    }
    n.timer = std::thread(
        [this, &n]
        {
            const int period = TimerPeriodMs();
            std::unique_lock<std::mutex> wait(n.timerMutex);
            while (!n.timerStop)
            {
                n.timerWake.wait_for(wait, std::chrono::milliseconds(period));
                if (n.timerStop) break;
                // A host that drives the editor keeps this thread idle.
                if (NowMs() - n.lastHostTickMs.load() < 3 * period) continue;
                wait.unlock();
                // A thread the host does not know: the editor's work takes the plug-in's lock as well,
                // as any host call would, and always before the window's lock. Neither is waited for:
                // whoever holds them may be closing the window and waiting for this thread.
                std::unique_lock<IRecursiveMutex> plugin;
                if (Plugin()) plugin = std::unique_lock<IRecursiveMutex>(Plugin()->Mutex(), std::try_to_lock);
                std::unique_lock<std::recursive_mutex> window(WindowMutex(), std::try_to_lock);
                if ((!Plugin() || plugin.owns_lock()) && window.owns_lock())
                {
                    HandleEvents();
                    Tick();
                }
                window = {};
                plugin = {};
                wait.lock();
            }
        });
}

void IGraphicsLinux::StopOwnTimer()
{
    Native& n = *mNative;
    if (!n.timer.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(n.timerMutex);
        n.timerStop = true;
    }
    n.timerWake.notify_all();
    n.timer.join();
}

void IGraphicsLinux::OnHostTimer()
{
    std::lock_guard<std::recursive_mutex> lock(WindowMutex());
    Native& n = *mNative;
    if (!n.display) return;
    n.lastHostTickMs = NowMs();
    HandleEvents();
    // Hosts call their idle as often as they like; the editor ticks at its own rate.
    if (NowMs() - n.lastTickMs >= TimerPeriodMs() - 2) Tick();
}

void IGraphicsLinux::OnHostEvents()
{
    std::lock_guard<std::recursive_mutex> lock(WindowMutex());
    if (mNative->display) HandleEvents();
}

void IGraphicsLinux::Tick()
{
    Native& n = *mNative;
    if (!n.display || !n.window) return;
    n.lastTickMs = NowMs();
    if (n.entry && (n.entryState == kEntryCancel || n.entryState == kEntryCommit))
    {
        CommitOrCloseTextEntry();
        return;
    }
    IArea dirty;
    if (IsDirty(dirty)) Draw(dirty); // the text entry is a window of its own above, left untouched
    if (HoverDue()) n.ShowTooltip(*this);
    XFlush(n.display);
}

bool IGraphicsLinux::HoverDue()
{
    Native& n = *mNative;
    return n.hoverPending && !n.entry && NowMs() - n.lastMotionMs >= Native::kHoverMs;
}

// ---- events ----

void IGraphicsLinux::HandleEvents()
{
    Native& n = *mNative;
    while (n.display && XPending(n.display) > 0)
    {
        XEvent event;
        XNextEvent(n.display, &event);
        if (event.xany.window == n.window)
            n.HandleEditorEvent(*this, event);
        else if (n.entry && event.xany.window == n.entry)
            n.HandleEntryEvent(*this, event);
        else if (n.tooltip && event.xany.window == n.tooltip && event.type == Expose)
            n.DrawTooltip(*this);
    }
    if (n.display && n.windowGone)
    {
        // Gone with the host's window: let go of everything. The own timer may be the caller, so it
        // stays (idle) until CloseWindow stops it.
        if (n.entry) n.CloseEntry();
        if (IsCursorHidden()) SetCursorHidden(false);
        n.ReleaseWindow();
    }
}

void IGraphicsLinux::Native::HandleEditorEvent(IGraphicsLinux& g, XEvent& event)
{
    switch (event.type)
    {
    case Expose:
    {
        // One repaint for a series of exposures. A repaint leaves every control clean, so controls that
        // changed meanwhile are painted with it rather than forgotten until they change again.
        const XExposeEvent& e = event.xexpose;
        exposed = exposed.Empty() ? IArea{e.x, e.y, e.x + e.width, e.y + e.height}
                                  : exposed.Union(IArea{e.x, e.y, e.x + e.width, e.y + e.height});
        if (e.count > 0) break;
        IArea area = exposed;
        exposed = IArea{};
        IArea dirty;
        if (g.IsDirty(dirty)) area = area.Union(dirty);
        g.Draw(area);
        break;
    }
    case DestroyNotify:
        windowGone = true; // destroyed with the host's window
        break;
    case ButtonPress:
    {
        const XButtonEvent& e = event.xbutton;
        HideTooltip();
        const int notches = x11input::WheelNotches(static_cast<int>(e.button));
        if (notches != 0)
        {
            if (entry)
                entryState = kEntryCancel;
            else
                g.OnMouseWheel(e.x, e.y, x11input::ModifiersFor(e.state), notches);
            break;
        }
        if (e.button > Button3) break;
        // Every press counts for the next double click, also one that only closes the entry.
        const bool isDouble = clicks.Press(static_cast<int>(e.button), e.x, e.y, e.time);
        if (entry)
        {
            entryState = kEntryCommit;
            break;
        }
        const IMouseModifiers mod = x11input::ModifiersFor(e.state, static_cast<int>(e.button), true);
        if (isDouble)
        {
            // Only the left button's double click means something to the editor.
            if (e.button == Button1) captured = g.OnMouseDoubleClick(e.x, e.y, mod);
            break;
        }
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
        captured = true; // the implicit grab holds the pointer until the release
        g.OnMouseDown(e.x, e.y, mod);
        break;
    }
    case ButtonRelease:
    {
        const XButtonEvent& e = event.xbutton;
        if (e.button > Button3 || entry) break;
        captured = false;
        g.OnMouseUp(e.x, e.y, x11input::ModifiersFor(e.state, static_cast<int>(e.button), false));
        break;
    }
    case MotionNotify:
    {
        // Only the latest position matters.
        while (XCheckTypedWindowEvent(display, window, MotionNotify, &event))
        {
        }
        const XMotionEvent& e = event.xmotion;
        if (entry) break;
        lastMotionMs = NowMs();
        const IMouseModifiers mod = x11input::ModifiersFor(e.state);
        if (mod.L || mod.R)
        {
            if (captured) g.OnMouseDrag(e.x, e.y, mod);
            break;
        }
        if (!g.OnMouseOver(e.x, e.y, mod)) break;
        leaveArmed = true;
        if (!g.ShowTooltips()) break;
        if (const int under = g.TooltipControlAt(e.x, e.y); under != tooltipIdx)
        {
            tooltipIdx = under;
            hoverPending = tooltipIdx >= 0;
            HideTooltip();
        }
        break;
    }
    case LeaveNotify:
    {
        const XCrossingEvent& e = event.xcrossing;
        if (e.detail == NotifyInferior || e.mode != NotifyNormal) break;
        HideTooltip();
        hoverPending = false;
        tooltipIdx = -1;
        if (leaveArmed && !entry)
        {
            leaveArmed = false;
            g.OnMouseOut();
        }
        break;
    }
    case KeyPress:
    {
        if (entry) break;
        XKeyEvent& e = event.xkey;
        const int code = x11input::KeyCodeFor(XLookupKeysym(&e, 0));
        if (code < 0 || !g.OnKeyDown(e.x, e.y, code)) ForwardKey(event);
        break;
    }
    case KeyRelease:
        if (!entry) ForwardKey(event);
        break;
    default:
        break;
    }
}

Window IGraphicsLinux::Native::TopLevelOf(Window w)
{
    for (;;)
    {
        Window root = 0, up = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, w, &root, &up, &children, &count)) return 0;
        if (children) XFree(children);
        if (up == root || up == 0) return w;
        w = up;
    }
}

// Keys the editor does not use go to the host's top-level window, so its shortcuts keep working while
// the editor has the focus.
void IGraphicsLinux::Native::ForwardKey(XEvent& event)
{
    const Window top = TopLevelOf(window);
    if (top == 0 || top == window) return;
    XEvent forwarded = event;
    forwarded.xkey.window = top;
    forwarded.xkey.subwindow = 0;
    XSendEvent(display, top, True, event.type == KeyPress ? KeyPressMask : KeyReleaseMask, &forwarded);
    XFlush(display);
}

// ---- text entry ----

void IGraphicsLinux::CancelTextEntry()
{
    if (mNative->entry) mNative->entryState = kEntryCancel;
}

void IGraphicsLinux::OpenTextField(IControl* control, const ITextStyle& style, const IArea& area,
                                   const char* initialText, IParameter* param)
{
    Native& n = *mNative;
    if (!control || n.entry || !n.window) return;
    const int w = area.R - area.L + 1;
    const int h = area.B - area.T + 1;
    if (w < 1 || h < 1) return;
    XSetWindowAttributes attributes{};
    attributes.event_mask = ExposureMask | KeyPressMask | KeyReleaseMask | FocusChangeMask | ButtonPressMask |
                            ButtonReleaseMask | PointerMotionMask;
    attributes.background_pixmap = None;
    attributes.border_pixel = 0;
    attributes.colormap = DefaultColormap(n.display, n.screen);
    n.entry = XCreateWindow(n.display, n.window, area.L, area.T, static_cast<unsigned>(w),
                            static_cast<unsigned>(h), 0, n.depth, InputOutput, n.visual,
                            CWEventMask | CWBackPixmap | CWBorderPixel | CWColormap, &attributes);
    if (!n.entry || SyncFailed(n.display))
    {
        n.entry = 0;
        return;
    }
    n.entryControl = control;
    n.entryParam = param;
    n.entryStyle = style;
    n.entryStyle.cached = nullptr;
    n.entryModel = std::make_unique<x11input::TextEntryModel>(
        initialText ? initialText : "", std::min(control->TextEntryLength(), kTextEntryMaxLength));
    n.entryBitmap = std::make_unique<PIX_SysBitmap>(w, h);
    n.entryState = kEntryIdle;
    n.HideTooltip();
    XMapRaised(n.display, n.entry);
    XSetInputFocus(n.display, n.entry, RevertToParent, CurrentTime);
    SyncFailed(n.display);
    n.DrawEntry(*this);
}

void IGraphicsLinux::Native::DrawEntry(IGraphicsLinux& g)
{
    if (!entry || !entryBitmap || !entryModel) return;
    PIX_SysBitmap& bitmap = *entryBitmap;
    const PIX_Pixel background = Opaque(entryStyle.textEntryBGColor);
    const PIX_Pixel foreground = Opaque(entryStyle.textEntryFGColor);
    FillRect(bitmap, 0, 0, bitmap.Width(), bitmap.Height(), background);
    const std::string& text = entryModel->Text();
    PIX_CachedFont* font = g.CacheFont(entryStyle);
    const int width = TextWidth(font, text, static_cast<int>(text.size()));
    const int margin = 2;
    int left = margin;
    if (entryStyle.align == kAlignCenter)
        left = (bitmap.Width() - width) / 2;
    else if (entryStyle.align != kAlignLeft)
        left = bitmap.Width() - margin - width;
    left = std::max(left, margin - std::max(0, width - bitmap.Width() + 2 * margin)); // keep the end in view
    const int lineHeight = font ? font->LineHeight() : bitmap.Height();
    const int top = (bitmap.Height() - lineHeight) / 2;
    PIX_Pixel textColour = foreground;
    if (entryModel->AllSelected() && !text.empty())
    {
        // The selection: the text's colours swapped.
        FillRect(bitmap, left, top, left + width, top + lineHeight, foreground);
        textColour = background;
    }
    if (font && !text.empty())
    {
        font->SetTextColor(textColour);
        PIX_Rect r{left, top, left + width + 1, top + lineHeight};
        font->DrawText(&bitmap, text.c_str(), -1, &r, PIX_kTextNoClip);
    }
    if (!entryModel->AllSelected())
    {
        const int caretX = left + TextWidth(font, text, entryModel->Caret());
        FillRect(bitmap, caretX, top, caretX + 1, top + lineHeight, foreground);
    }
    CopyToWindow(entry, bitmap, IArea{0, 0, bitmap.Width(), bitmap.Height()});
    XFlush(display);
}

void IGraphicsLinux::Native::HandleEntryEvent(IGraphicsLinux& g, XEvent& event)
{
    HideTooltip();
    switch (event.type)
    {
    case Expose:
        DrawEntry(g);
        break;
    case FocusIn:
        if (event.xfocus.mode != NotifyGrab && event.xfocus.mode != NotifyUngrab && entryState == kEntryIdle)
            entryState = kEntryEditing;
        break;
    case FocusOut:
        if (event.xfocus.mode != NotifyGrab && event.xfocus.mode != NotifyUngrab &&
            event.xfocus.detail != NotifyInferior && entryState == kEntryEditing)
            entryState = kEntryCommit;
        break;
    case ButtonPress:
        if (x11input::WheelNotches(static_cast<int>(event.xbutton.button)) != 0)
            entryState = kEntryCancel;
        else
            clicks.Reset(); // a click in the entry and one in the editor make no double click
        break;
    case KeyPress:
    {
        if (entryState == kEntryCancel || entryState == kEntryCommit) break;
        char chars[32] = {};
        KeySym keysym = 0;
        const int count = XLookupString(&event.xkey, chars, sizeof chars - 1, &keysym, nullptr);
        const bool control = (event.xkey.state & ControlMask) != 0;
        switch (keysym)
        {
        case XK_Return:
        case XK_KP_Enter:
            entryState = kEntryCommit;
            return;
        case XK_Escape:
            entryState = kEntryCancel;
            return;
        case XK_BackSpace:
            entryModel->Backspace();
            break;
        case XK_Delete:
        case XK_KP_Delete:
            entryModel->Delete();
            break;
        case XK_Left:
        case XK_KP_Left:
            entryModel->MoveCaret(-1);
            break;
        case XK_Right:
        case XK_KP_Right:
            entryModel->MoveCaret(1);
            break;
        case XK_Home:
        case XK_KP_Home:
            entryModel->Home();
            break;
        case XK_End:
        case XK_KP_End:
            entryModel->End();
            break;
        default:
            if (control && (keysym == XK_v || keysym == XK_V))
            {
                std::string pasted;
                if (g.ReadClipboardText(pasted)) entryModel->Paste(pasted, entryParam);
            }
            else if (control && (keysym == XK_a || keysym == XK_A))
                entryModel =
                    std::make_unique<x11input::TextEntryModel>(entryModel->Text(), entryModel->Limit());
            else if (!control)
            {
                // The lookup gives Latin-1; only its ASCII part is the same in the entry's UTF-8 text.
                for (int i = 0; i < count; ++i)
                    if (static_cast<unsigned char>(chars[i]) < 0x80) entryModel->Type(chars[i], entryParam);
            }
            break;
        }
        DrawEntry(g);
        break;
    }
    default:
        break;
    }
}

void IGraphicsLinux::Native::CloseEntry()
{
    if (entry && display && !windowGone) XDestroyWindow(display, entry);
    entry = 0;
    entryControl = nullptr;
    entryParam = nullptr;
    entryModel.reset();
    entryBitmap.reset();
    entryState = kEntryIdle;
    // The focus goes back to the editor, as the entry took it from there.
    if (display && window && !windowGone)
    {
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
        SyncFailed(display);
    }
}

void IGraphicsLinux::CommitOrCloseTextEntry()
{
    Native& n = *mNative;
    if (n.entryState == kEntryCommit && n.entryControl && n.entryModel)
        CommitTextEntry(*n.entryControl, n.entryParam, n.entryModel->Text().c_str());
    n.CloseEntry();
    // What lay under the entry is shown again on the next tick.
    for (int i = 0; i < NControls(); ++i)
        GetControl(i)->MarkDirty(false);
}

// ---- tooltips ----

void IGraphicsLinux::Native::HideTooltip()
{
    if (!tooltipShown || !display) return;
    XUnmapWindow(display, tooltip);
    tooltipShown = false;
}

void IGraphicsLinux::Native::ShowTooltip(IGraphicsLinux& g)
{
    hoverPending = false;
    IControl* control = g.GetControl(tooltipIdx);
    if (!control || control->Tooltip().empty()) return;
    tooltipText = control->Tooltip();
    PIX_CachedFont* font = g.CacheFont(tooltipStyle);
    if (!font) return;
    const int w = TextWidth(font, tooltipText, static_cast<int>(tooltipText.size())) + 8;
    const int h = font->LineHeight() + 6;

    Window root = RootWindow(display, screen), child = 0;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned mask = 0;
    XQueryPointer(display, window, &root, &child, &rootX, &rootY, &winX, &winY, &mask);
    if (!tooltip)
    {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.event_mask = ExposureMask;
        attributes.background_pixmap = None;
        attributes.border_pixel = 0;
        attributes.colormap = DefaultColormap(display, screen);
        tooltip = XCreateWindow(display, root, 0, 0, 1, 1, 0, depth, InputOutput, visual,
                                CWOverrideRedirect | CWEventMask | CWBackPixmap | CWBorderPixel | CWColormap,
                                &attributes);
        if (!tooltip || SyncFailed(display))
        {
            tooltip = 0;
            g.SetShowTooltips(false); // no tooltips is not an error
            return;
        }
        XStoreName(display, tooltip, "Brisbleep tooltip");
    }
    tooltipBitmap = std::make_unique<PIX_SysBitmap>(w, h);
    XMoveResizeWindow(display, tooltip, rootX + 12, rootY + 20, static_cast<unsigned>(w),
                      static_cast<unsigned>(h));
    XMapRaised(display, tooltip);
    tooltipShown = true;
    DrawTooltip(g);
}

void IGraphicsLinux::Native::DrawTooltip(IGraphicsLinux& g)
{
    if (!tooltipShown || !tooltipBitmap) return;
    PIX_SysBitmap& bitmap = *tooltipBitmap;
    const int w = bitmap.Width(), h = bitmap.Height();
    FillRect(bitmap, 0, 0, w, h, 0xFF505050u);
    FillRect(bitmap, 1, 1, w - 1, h - 1, 0xFFFFFFE1u);
    if (PIX_CachedFont* font = g.CacheFont(tooltipStyle))
    {
        font->SetTextColor(0xFF000000u);
        PIX_Rect r{4, 3, w - 4, h - 3};
        font->DrawText(&bitmap, tooltipText.c_str(), -1, &r, PIX_kTextNoClip);
    }
    CopyToWindow(tooltip, bitmap, IArea{0, 0, w, h});
    XFlush(display);
}

// ---- cursor ----

void IGraphicsLinux::ConcealCursor()
{
    std::lock_guard<std::recursive_mutex> lock(WindowMutex());
    Native& n = *mNative;
    if (IsCursorHidden() || !n.window) return;
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned mask = 0;
    XQueryPointer(n.display, n.window, &root, &child, &rootX, &rootY, &winX, &winY, &mask);
    if (!n.blankCursor)
    {
        static const char empty[1] = {0};
        Pixmap pixmap = XCreateBitmapFromData(n.display, n.window, empty, 1, 1);
        XColor black{};
        n.blankCursor = XCreatePixmapCursor(n.display, pixmap, pixmap, &black, &black, 0, 0);
        XFreePixmap(n.display, pixmap);
    }
    XDefineCursor(n.display, n.window, n.blankCursor);
    XFlush(n.display);
    SetCursorHidden(true, rootX, rootY);
}

void IGraphicsLinux::RevealCursor()
{
    std::lock_guard<std::recursive_mutex> lock(WindowMutex());
    Native& n = *mNative;
    if (!IsCursorHidden()) return;
    if (n.window)
    {
        XWarpPointer(n.display, None, RootWindow(n.display, n.screen), 0, 0, 0, 0, HiddenCursorX(),
                     HiddenCursorY());
        XUndefineCursor(n.display, n.window);
        XFlush(n.display);
    }
    SetCursorHidden(false);
}

// ---- clipboard ----

bool IGraphicsLinux::ReadClipboardText(std::string& text)
{
    std::lock_guard<std::recursive_mutex> lock(WindowMutex());
    text.clear();
    Native& n = *mNative;
    if (!n.window) return false;
    if (XGetSelectionOwner(n.display, n.atomClipboard) == None) return false;
    XDeleteProperty(n.display, n.window, n.atomTransfer);
    XConvertSelection(n.display, n.atomClipboard, n.atomUtf8, n.atomTransfer, n.window, CurrentTime);
    XFlush(n.display);
    // The owner answers through the server; wait a little for it, handling nothing else meanwhile.
    XEvent event;
    const int64_t deadline = NowMs() + 500;
    bool answered = false;
    while (NowMs() < deadline)
    {
        if (XCheckTypedWindowEvent(n.display, n.window, SelectionNotify, &event))
        {
            answered = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (!answered || event.xselection.property == None) return false;
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(n.display, n.window, n.atomTransfer, 0, 1 << 20, True, AnyPropertyType, &type,
                           &format, &items, &remaining, &data) != Success)
        return false;
    const bool ok = data && type == n.atomUtf8 && format == 8;
    if (ok) text.assign(reinterpret_cast<const char*>(data), items);
    if (data) XFree(data);
    return ok;
}
