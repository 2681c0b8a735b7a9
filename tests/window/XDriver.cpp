#include "XDriver.h"

#include "editor/IEditorSnapshot.h"
#include "raster/PIX_Bitmap.h"

#include <chrono>
#include <thread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

XDriver::XDriver()
{
    display = XOpenDisplay(nullptr);
    if (!display) return;
    int event = 0, error = 0, major = 0, minor = 0;
    xtest = XTestQueryExtension(display, &event, &error, &major, &minor);
}

XDriver::~XDriver()
{
    if (!display) return;
    for (unsigned long w : windows)
        XDestroyWindow(display, w);
    XCloseDisplay(display);
}

unsigned long XDriver::CreateHostWindow(int x, int y, int w, int h)
{
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = BlackPixel(display, screen);
    attributes.event_mask = StructureNotifyMask | KeyPressMask | KeyReleaseMask;
    const Window window = XCreateWindow(display, RootWindow(display, screen), x, y, static_cast<unsigned>(w),
                                        static_cast<unsigned>(h), 0, CopyFromParent, InputOutput,
                                        CopyFromParent, CWBackPixel | CWEventMask, &attributes);
    XStoreName(display, window, "Brisbleep test host");
    XMapWindow(display, window);
    XEvent e;
    do
        XWindowEvent(display, window, StructureNotifyMask, &e);
    while (e.type != MapNotify);
    windows.push_back(window);
    return window;
}

void XDriver::DestroyWindow(unsigned long window)
{
    XDestroyWindow(display, window);
    Sync();
    std::erase(windows, window);
}

std::vector<unsigned long> XDriver::Children(unsigned long window)
{
    Sync();
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    std::vector<unsigned long> result;
    if (XQueryTree(display, window, &root, &parent, &children, &count))
        result.assign(children, children + count);
    if (children) XFree(children);
    return result;
}

void XDriver::ScreenPosition(unsigned long window, int& x, int& y)
{
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
}

void XDriver::Sync()
{
    XSync(display, False);
}

void XDriver::Wait(int ms)
{
    Sync();
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do
    {
        if (pump) pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < end);
}

bool XDriver::WaitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;)
    {
        Wait(10);
        if (condition()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
    }
}

void XDriver::MoveTo(int x, int y)
{
    XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
    Wait(30);
}

void XDriver::Press(int button)
{
    XTestFakeButtonEvent(display, static_cast<unsigned>(button), True, CurrentTime);
    Wait(30);
}

void XDriver::Release(int button)
{
    XTestFakeButtonEvent(display, static_cast<unsigned>(button), False, CurrentTime);
    Wait(30);
}

void XDriver::Click(int x, int y, int button)
{
    MoveTo(x, y);
    Press(button);
    Release(button);
}

void XDriver::Drag(int x, int y, int dx, int dy, bool shift)
{
    const KeyCode shiftCode = XKeysymToKeycode(display, XK_Shift_L);
    MoveTo(x, y);
    if (shift) XTestFakeKeyEvent(display, shiftCode, True, CurrentTime);
    Press(1);
    const int steps = 5;
    for (int i = 1; i <= steps; ++i)
        MoveTo(x + dx * i / steps, y + dy * i / steps);
    Release(1);
    if (shift) XTestFakeKeyEvent(display, shiftCode, False, CurrentTime);
    Wait(30);
}

void XDriver::Key(unsigned long keysym, bool shift)
{
    const KeyCode code = XKeysymToKeycode(display, keysym);
    const KeyCode shiftCode = XKeysymToKeycode(display, XK_Shift_L);
    if (shift) XTestFakeKeyEvent(display, shiftCode, True, CurrentTime);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    if (shift) XTestFakeKeyEvent(display, shiftCode, False, CurrentTime);
    Wait(30);
}

void XDriver::Type(const std::string& text)
{
    for (char c : text)
    {
        if (c == '.')
            Key(XK_period);
        else if (c == '-')
            Key(XK_minus);
        else
            Key(static_cast<unsigned long>(static_cast<unsigned char>(c)));
    }
}

std::vector<uint32_t> XDriver::Capture(unsigned long window, int& w, int& h)
{
    Sync();
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes)) return {};
    w = attributes.width;
    h = attributes.height;
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(w), static_cast<unsigned>(h),
                              AllPlanes, ZPixmap);
    if (!image) return {};
    std::vector<uint32_t> pixels(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels[static_cast<std::size_t>(y) * w + x] =
                static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF;
    XDestroyImage(image);
    return pixels;
}

std::vector<unsigned long> XDriver::KeysReceivedBy(unsigned long window)
{
    Sync();
    std::vector<unsigned long> keys;
    XEvent e;
    while (XCheckTypedWindowEvent(display, window, KeyPress, &e))
        keys.push_back(XLookupKeysym(&e.xkey, 0));
    return keys;
}

std::vector<unsigned long> XDriver::TopLevelsNamed(const std::string& title)
{
    std::vector<unsigned long> found;
    for (unsigned long w : Children(DefaultRootWindow(display)))
    {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display, w, &attributes) || attributes.map_state != IsViewable) continue;
        char* name = nullptr;
        if (XFetchName(display, w, &name) && name)
        {
            if (title == name) found.push_back(w);
            XFree(name);
        }
    }
    return found;
}

void XDriver::Geometry(unsigned long window, int& x, int& y, int& w, int& h)
{
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    w = attributes.width;
    h = attributes.height;
    ScreenPosition(window, x, y);
}

std::vector<uint32_t> XDriver::CaptureScreen(int x, int y, int w, int h)
{
    Sync();
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(w),
                              static_cast<unsigned>(h), AllPlanes, ZPixmap);
    if (!image) return {};
    std::vector<uint32_t> pixels(static_cast<std::size_t>(w) * h);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            pixels[static_cast<std::size_t>(j) * w + i] =
                static_cast<uint32_t>(XGetPixel(image, i, j)) & 0xFFFFFF;
    XDestroyImage(image);
    return pixels;
}

std::string XDriver::SaveScreen(int x, int y, int w, int h, const std::string& path)
{
    const std::vector<uint32_t> pixels = CaptureScreen(x, y, w, h);
    if (pixels.empty()) return "the screen could not be read";
    PIX_MemBitmap shot(w, h);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            shot.Bits()[j * shot.RowSpan() + i] = 0xFF000000u | pixels[static_cast<std::size_t>(j) * w + i];
    return WriteBitmapPng(shot, path);
}

void XDriver::Focus(unsigned long window)
{
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    Sync();
}

unsigned long XDriver::FocusedWindow()
{
    Sync();
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    return focus;
}
