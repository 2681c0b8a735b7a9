#include "Win32Driver.h"

#include <windowsx.h>

namespace
{
constexpr const char* kHostClass = "BrisbleepTestHost";
std::vector<WPARAM> gHostKeys;

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_KEYDOWN) gHostKeys.push_back(wParam);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LPARAM At(Point p)
{
    return MAKELPARAM(p.x, p.y);
}
} // namespace

Win32Driver::Win32Driver()
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kHostClass;
    RegisterClassA(&wc);
}

Win32Driver::~Win32Driver()
{
    UnregisterClassA(kHostClass, GetModuleHandleA(nullptr));
}

HWND Win32Driver::CreateHostWindow(int w, int h)
{
    RECT r{0, 0, w, h};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    AdjustWindowRect(&r, style, FALSE);
    HWND window = CreateWindowExA(0, kHostClass, "Brisbleep test host", style, 0, 0, r.right - r.left,
                                  r.bottom - r.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    Pump(50);
    return window;
}

std::vector<WPARAM> Win32Driver::TakeHostKeys()
{
    std::vector<WPARAM> keys;
    keys.swap(gHostKeys);
    return keys;
}

void Win32Driver::Pump(int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(2);
    } while (std::chrono::steady_clock::now() < end);
}

bool Win32Driver::WaitUntil(const std::function<bool()>& condition, int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!condition())
    {
        if (std::chrono::steady_clock::now() >= end) return false;
        Pump(10);
    }
    return true;
}

HWND Win32Driver::Editor(HWND host)
{
    return Child(host, "BrisbleepWndClass");
}

HWND Win32Driver::Child(HWND parent, const char* className)
{
    return parent ? FindWindowExA(parent, nullptr, className, nullptr) : nullptr;
}

void Win32Driver::Post(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    PostMessageA(window, msg, wParam, lParam);
    Pump(5);
}

void Win32Driver::Press(HWND window, Point p)
{
    Post(window, WM_MOUSEMOVE, 0, At(p));
    Post(window, WM_LBUTTONDOWN, MK_LBUTTON, At(p));
}

void Win32Driver::Release(HWND window, Point p)
{
    Post(window, WM_LBUTTONUP, 0, At(p));
}

void Win32Driver::Click(HWND window, Point p, WPARAM modifiers)
{
    Post(window, WM_MOUSEMOVE, modifiers, At(p));
    Post(window, WM_LBUTTONDOWN, MK_LBUTTON | modifiers, At(p));
    Post(window, WM_LBUTTONUP, modifiers, At(p));
    Pump(20);
}

void Win32Driver::DoubleClick(HWND window, Point p)
{
    // What the system sends for a double click on a window class that asks for them.
    Post(window, WM_LBUTTONDOWN, MK_LBUTTON, At(p));
    Post(window, WM_LBUTTONUP, 0, At(p));
    Post(window, WM_LBUTTONDBLCLK, MK_LBUTTON, At(p));
    Post(window, WM_LBUTTONUP, 0, At(p));
    Pump(20);
}

void Win32Driver::Drag(HWND window, Point from, int dy, WPARAM modifiers)
{
    Post(window, WM_MOUSEMOVE, modifiers, At(from));
    Post(window, WM_LBUTTONDOWN, MK_LBUTTON | modifiers, At(from));
    const int steps = 8;
    for (int i = 1; i <= steps; ++i)
        Post(window, WM_MOUSEMOVE, MK_LBUTTON | modifiers, At({from.x, from.y + dy * i / steps}));
    Post(window, WM_LBUTTONUP, modifiers, At({from.x, from.y + dy}));
    Pump(20);
}

void Win32Driver::Wheel(HWND window, Point p, int delta)
{
    // The wheel message carries screen coordinates.
    POINT s{p.x, p.y};
    ClientToScreen(window, &s);
    Post(window, WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(s.x, s.y));
    Pump(20);
}

void Win32Driver::Key(HWND window, WPARAM virtualKey)
{
    Post(window, WM_KEYDOWN, virtualKey, 1);
    Post(window, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u));
}

void Win32Driver::Type(HWND window, const std::string& text)
{
    // The characters TranslateMessage makes of the key presses (posting the key presses as well would
    // type every character twice, since the pump translates them).
    for (char c : text)
        Post(window, WM_CHAR, static_cast<unsigned char>(c), 1);
}

std::vector<std::uint32_t> Win32Driver::Capture(HWND window, int& w, int& h)
{
    RECT r{};
    GetClientRect(window, &r);
    w = r.right - r.left;
    h = r.bottom - r.top;
    std::vector<std::uint32_t> pixels;
    if (w <= 0 || h <= 0) return pixels;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(window);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits)
    {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, w, h, screen, 0, 0, SRCCOPY);
        GdiFlush();
        const auto* p = static_cast<const std::uint32_t*>(bits);
        pixels.assign(p, p + static_cast<std::size_t>(w) * h);
        for (std::uint32_t& pixel : pixels)
            pixel &= 0xFFFFFF;
        SelectObject(memory, previous);
    }
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    return pixels;
}
