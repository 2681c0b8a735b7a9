#include <windows.h>

#include "editor/win/IGraphicsWin.h"

#include "editor/ITextEntryRules.h"
#include "frame/IFrameBase.h"
#include "frame/IParameter.h"
#include "raster/PIX_Bitmap.h"
#include "raster/PIX_Png.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cstring>

namespace
{
// Process-wide: the open editor windows (the class is registered while there is one) and the frame
// rate of the most recently opened editor, from which a new window sets its timer.
int gOpenWindows = 0;
int gFrameRate = 25;

HMODULE ModuleOfThisCode()
{
    static const int anchor = 0;
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&anchor), &module);
    return module;
}

// The editor's key code for a virtual key: space, the arrows, digits and letters; -1 for the rest.
int KeyCodeFor(WPARAM key)
{
    switch (key)
    {
    case VK_SPACE:
        return KEY_SPACE;
    case VK_UP:
        return KEY_UPARROW;
    case VK_DOWN:
        return KEY_DOWNARROW;
    case VK_LEFT:
        return KEY_LEFTARROW;
    case VK_RIGHT:
        return KEY_RIGHTARROW;
    default:
        break;
    }
    if (key >= '0' && key <= '9') return KEY_DIGIT_0 + static_cast<int>(key - '0');
    if (key >= 'A' && key <= 'Z') return KEY_ALPHA_A + static_cast<int>(key - 'A');
    return -1;
}

IGraphicsWin* FromWindow(HWND hwnd)
{
    return reinterpret_cast<IGraphicsWin*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

RECT ToRect(const IArea& area)
{
    return RECT{area.L, area.T, area.R, area.B};
}
} // namespace

IGraphicsWin::IGraphicsWin(IFrameBase* plugin, int width, int height, int fps)
    : IGraphics(plugin, width, height, fps), mModule(ModuleOfThisCode()), mProcessId(GetCurrentProcessId())
{
}

IGraphicsWin::~IGraphicsWin()
{
    CloseWindow();
    delete[] mCustomColours;
}

unsigned IGraphicsWin::TimerPeriodMs(int fps)
{
    return fps > 0 ? static_cast<unsigned>(1000 / fps) : 40;
}

// ---- window ----

void* IGraphicsWin::OpenWindow(void* parent)
{
    int x = 0, y = 0, w = Width(), h = Height();
    if (mWindow)
    {
        // Reopened where it was, relative to the (new) parent.
        RECT r;
        GetWindowRect(mWindow, &r);
        MapWindowPoints(HWND_DESKTOP, GetParent(mWindow), reinterpret_cast<POINT*>(&r), 2);
        x = r.left;
        y = r.top;
        w = r.right - r.left;
        h = r.bottom - r.top;
        CloseWindow();
    }
    mParent = static_cast<HWND>(parent);
    if (gOpenWindows++ == 0)
    {
        WNDCLASSA wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = mModule;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = kWindowClass;
        RegisterClassA(&wc);
    }
    gFrameRate = FrameRate();
    mWindow = CreateWindowExA(0, kWindowClass, kWindowTitle, WS_CHILD | WS_VISIBLE, x, y, w, h, mParent,
                              nullptr, mModule, this);
    if (!mWindow)
    {
        if (--gOpenWindows == 0) UnregisterClassA(kWindowClass, mModule);
        return nullptr;
    }
    for (int i = 0; i < NControls(); ++i)
        GetControl(i)->MarkDirty(false);
    if (ShowTooltips()) CreateTooltip();
    return mWindow;
}

void IGraphicsWin::CreateTooltip()
{
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_TAB_CLASSES};
    if (InitCommonControlsEx(&controls))
        mTooltipWindow = CreateWindowExA(
            WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, mWindow, nullptr, mModule, nullptr);
    bool ok = mTooltipWindow != nullptr;
    if (ok)
    {
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.uFlags = TTF_IDISHWND;
        tool.hwnd = mWindow;
        tool.uId = reinterpret_cast<UINT_PTR>(mWindow);
        tool.lpszText = const_cast<char*>("");
        ok = SendMessageA(mTooltipWindow, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
    }
    if (!ok)
    {
        if (mTooltipWindow) DestroyWindow(mTooltipWindow);
        mTooltipWindow = nullptr;
        SetShowTooltips(false);
    }
}

void IGraphicsWin::CloseWindow()
{
    if (!mWindow) return;
    if (mEntryWindow) CloseTextEntry();
    if (mTooltipWindow) DestroyWindow(mTooltipWindow);
    mTooltipWindow = nullptr;
    mTooltipShown = false;
    mTooltipIdx = -1;
    // Forgotten first, so the messages of its destruction get default handling.
    HWND window = mWindow;
    mWindow = nullptr;
    KillTimer(window, kTimerId);
    DestroyWindow(window);
    if (--gOpenWindows == 0) UnregisterClassA(kWindowClass, mModule);
}

bool IGraphicsWin::PresentToWindow(const IArea& area)
{
    PIX_SysBitmap* surface = DrawBitmapSurface();
    if (!mWindow || !surface || !surface->DeviceContext()) return true;
    HDC target = mPaintDC ? mPaintDC : GetDC(mWindow);
    BitBlt(target, area.L, area.T, area.W(), area.H(), reinterpret_cast<HDC>(surface->DeviceContext()),
           area.L, area.T, SRCCOPY);
    if (!mPaintDC) ReleaseDC(mWindow, target);
    return true;
}

void IGraphicsWin::Resize(int width, int height)
{
    if (width == Width() && height == Height()) return;
    const int dw = width - Width();
    const int dh = height - Height();
    IGraphics::Resize(width, height);
    if (!mWindow) return;
    auto grow = [dw, dh](HWND window)
    {
        RECT r;
        GetWindowRect(window, &r);
        SetWindowPos(window, nullptr, 0, 0, r.right - r.left + dw, r.bottom - r.top + dh,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    grow(mWindow);
    const bool trueChild = (GetWindowLongA(mWindow, GWL_EXSTYLE) & WS_EX_MDICHILD) == 0;
    if (trueChild && Plugin() && Plugin()->ApiKind() != kApiVST3)
    {
        HWND parent = GetParent(mWindow);
        HWND grandparent =
            parent && (GetWindowLongA(parent, GWL_STYLE) & WS_CHILD) ? GetParent(parent) : nullptr;
        if (parent) grow(parent);
        if (grandparent) grow(grandparent);
    }
    InvalidateRect(mWindow, nullptr, FALSE);
}

// ---- messages ----

LRESULT CALLBACK IGraphicsWin::WindowProc(HWND hwnd, unsigned msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CREATE)
    {
        auto* graphics = static_cast<IGraphicsWin*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(graphics));
        SetTimer(hwnd, kTimerId, TimerPeriodMs(gFrameRate), nullptr);
        SetFocus(hwnd);
        return 0;
    }
    IGraphicsWin* graphics = FromWindow(hwnd);
    if (!graphics || graphics->mWindow != hwnd) return DefWindowProcA(hwnd, msg, wParam, lParam);
    return graphics->HandleMessage(hwnd, msg, wParam, lParam);
}

IMouseModifiers IGraphicsWin::Modifiers(WPARAM wParam) const
{
    IMouseModifiers mod;
    mod.L = (wParam & MK_LBUTTON) != 0;
    mod.R = (wParam & MK_RBUTTON) != 0;
    mod.S = (wParam & MK_SHIFT) != 0;
    mod.C = (wParam & MK_CONTROL) != 0;
    mod.A = GetKeyState(VK_MENU) < 0;
    return mod;
}

LRESULT IGraphicsWin::HandleMessage(HWND hwnd, unsigned msg, WPARAM wParam, LPARAM lParam)
{
    if (mEntryWindow && mEntryState == kEntryEditing)
    {
        if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN)
        {
            mEntryState = kEntryCancel;
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    switch (msg)
    {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        return 0;
    case WM_PAINT:
    {
        RECT r;
        if (GetUpdateRect(hwnd, &r, FALSE))
        {
            PAINTSTRUCT paint;
            mPaintDC = BeginPaint(hwnd, &paint);
            Draw(IArea{r.left, r.top, r.right, r.bottom});
            EndPaint(hwnd, &paint);
            mPaintDC = nullptr;
        }
        return 0;
    }
    case WM_CLOSE:
        CloseWindow();
        return 0;
    case WM_NCDESTROY:
        // Destroyed with the host's window, without being closed first: the window is gone all the same.
        mWindow = nullptr;
        mEntryWindow = nullptr;
        mTooltipWindow = nullptr;
        mEntryState = kEntryIdle;
        if (--gOpenWindows == 0) UnregisterClassA(kWindowClass, mModule);
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_KEYDOWN:
    {
        const int key = KeyCodeFor(wParam);
        bool handled = false;
        if (key >= 0)
        {
            POINT p;
            GetCursorPos(&p);
            ScreenToClient(hwnd, &p);
            handled = OnKeyDown(p.x, p.y, key);
        }
        if (handled) return 0;
        [[fallthrough]];
    }
    case WM_KEYUP:
    {
        HWND host = GetAncestor(hwnd, GA_ROOT);
        if (host && host != hwnd) SendMessageA(host, msg, wParam, lParam);
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    case WM_TIMER:
        if (wParam == kTimerId)
        {
            OnTimerTick();
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_CTLCOLOREDIT:
        if (mEntryControl)
        {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetBkColor(dc, mEntryBackground);
            SetTextColor(dc, mEntryForeground);
            SetBkMode(dc, OPAQUE);
            SetDCBrushColor(dc, mEntryBackground);
            return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_MOUSEMOVE:
        if (!(wParam & (MK_LBUTTON | MK_RBUTTON)))
        {
            if (OnMouseOver(x, y, Modifiers(wParam)))
            {
                TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, hwnd, HOVER_DEFAULT};
                if (mTooltipWindow && MouseOver() != mTooltipIdx)
                {
                    mTooltipIdx = MouseOver();
                    if (mTooltipIdx >= 0) track.dwFlags |= TME_HOVER;
                    HideTooltip();
                }
                TrackMouseEvent(&track);
            }
        }
        else if (GetCapture() == hwnd && !mEntryWindow)
            OnMouseDrag(x, y, Modifiers(wParam));
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        HideTooltip();
        if (mEntryWindow)
        {
            mEntryState = kEntryCommit;
            return 0;
        }
        SetFocus(hwnd);
        SetCapture(hwnd);
        OnMouseDown(x, y, Modifiers(wParam));
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        ReleaseCapture();
        OnMouseUp(x, y, Modifiers(wParam));
        return 0;
    case WM_LBUTTONDBLCLK:
        if (OnMouseDoubleClick(x, y, Modifiers(wParam))) SetCapture(hwnd);
        return 0;
    case WM_MOUSEWHEEL:
    {
        if (mEntryWindow)
        {
            mEntryState = kEntryCancel;
            return 0;
        }
        RECT r;
        GetWindowRect(hwnd, &r);
        const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
        OnMouseWheel(x - r.left, y - r.top, Modifiers(GET_KEYSTATE_WPARAM(wParam)), notches);
        return 0;
    }
    case WM_MOUSEHOVER:
        if (mTooltipWindow)
            if (IControl* control = GetControl(mTooltipIdx))
            {
                TOOLINFOA tool{};
                tool.cbSize = TTTOOLINFOA_V2_SIZE;
                tool.hwnd = hwnd;
                tool.uId = reinterpret_cast<UINT_PTR>(hwnd);
                tool.lpszText = const_cast<char*>(control->Tooltip().c_str());
                SendMessageA(mTooltipWindow, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
                SendMessageA(mTooltipWindow, TTM_ACTIVATE, TRUE, 0);
                mTooltipShown = true;
            }
        return 0;
    case WM_MOUSELEAVE:
        HideTooltip();
        OnMouseOut();
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

void IGraphicsWin::HideTooltip()
{
    if (!mTooltipShown) return;
    if (mTooltipWindow) SendMessageA(mTooltipWindow, TTM_ACTIVATE, FALSE, 0);
    mTooltipShown = false;
}

void IGraphicsWin::OnTimerTick()
{
    if (mEntryWindow && mEntryState != kEntryIdle)
    {
        if (mEntryState == kEntryDrawn)
        {
            mEntryState = kEntryIdle;
            return;
        }
        if (mEntryState == kEntryCommit && mEntryControl)
        {
            char text[kTextEntryMaxLength + 1] = {};
            GetWindowTextA(mEntryWindow, text, sizeof text);
            CommitTextEntry(*mEntryControl, mEntryParam, text);
        }
        CloseTextEntry();
        return;
    }
    IArea dirty;
    if (!IsDirty(dirty)) return;
    const RECT area = ToRect(dirty);
    InvalidateRect(mWindow, &area, FALSE);
    if (mEntryWindow)
    {
        // The entry is a window of its own above the editor; what lies under it stays as it is.
        const RECT entry = ToRect(mEntryControl->Area());
        ValidateRect(mWindow, &entry);
        UpdateWindow(mWindow);
        mEntryState = kEntryDrawn;
    }
    else
        UpdateWindow(mWindow);
}

// ---- text entry ----

void IGraphicsWin::OpenTextField(IControl* control, const ITextStyle& style, const IArea& area,
                                 const char* initialText, IParameter* param)
{
    if (!control || mEntryWindow || !mWindow) return;
    const DWORD align = style.align == kAlignLeft     ? ES_LEFT
                        : style.align == kAlignCenter ? ES_CENTER
                                                      : ES_RIGHT;
    mEntryWindow =
        CreateWindowExA(0, "EDIT", initialText ? initialText : "",
                        WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL | align, area.L, area.T,
                        area.R - area.L + 1, area.B - area.T + 1, mWindow,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEntryChildId)), mModule, nullptr);
    if (!mEntryWindow) return;
    mEntryFont = CreateFontA(style.size, 0, 0, 0, style.style == kStyleBold ? FW_BOLD : FW_DONTCARE,
                             style.style == kStyleItalic, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, style.font);
    SendMessageA(mEntryWindow, WM_SETFONT, reinterpret_cast<WPARAM>(mEntryFont), FALSE);
    SendMessageA(mEntryWindow, EM_LIMITTEXT, control->TextEntryLength(), 0);
    SendMessageA(mEntryWindow, EM_SETSEL, 0, -1);
    SetFocus(mEntryWindow);
    mEntryOwnProc = reinterpret_cast<WindowProcedure>(
        SetWindowLongPtrA(mEntryWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EntryProc)));
    mEntryControl = control;
    mEntryParam = param;
    mEntryBackground = style.textEntryBGColor.PlatformPacked();
    mEntryForeground = style.textEntryFGColor.PlatformPacked();
}

void IGraphicsWin::CloseTextEntry()
{
    if (mEntryWindow)
    {
        SetWindowLongPtrA(mEntryWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mEntryOwnProc));
        DestroyWindow(mEntryWindow);
    }
    if (mEntryFont) DeleteObject(mEntryFont);
    mEntryFont = nullptr;
    mEntryWindow = nullptr;
    mEntryControl = nullptr;
    mEntryParam = nullptr;
    mEntryOwnProc = nullptr;
    mEntryState = kEntryIdle;
}

LRESULT CALLBACK IGraphicsWin::EntryProc(HWND hwnd, unsigned msg, WPARAM wParam, LPARAM lParam)
{
    IGraphicsWin* graphics = FromWindow(GetParent(hwnd));
    if (!graphics || graphics->mEntryWindow != hwnd || !graphics->mEntryOwnProc)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    return graphics->HandleEntryMessage(hwnd, msg, wParam, lParam);
}

LRESULT IGraphicsWin::HandleEntryMessage(HWND hwnd, unsigned msg, WPARAM wParam, LPARAM lParam)
{
    HideTooltip();
    switch (msg)
    {
    case WM_SETFOCUS:
        mEntryState = kEntryEditing;
        break;
    case WM_KILLFOCUS:
        mEntryState = kEntryCommit;
        break;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN || wParam == VK_ESCAPE)
        {
            mEntryState = wParam == VK_RETURN ? kEntryCommit : kEntryCancel;
            return 0;
        }
        break;
    case WM_GETDLGCODE:
        if (!mEntryParam)
        {
            LRESULT code = CallWindowProcA(mEntryOwnProc, hwnd, msg, wParam, lParam);
            if (wParam == VK_RETURN) code |= DLGC_WANTALLKEYS;
            return code;
        }
        break;
    case WM_CHAR:
        // Enter and Escape were handled as keys; their characters would only break the line or beep.
        if (wParam == '\r' || wParam == '\n' || wParam == VK_ESCAPE) return 0;
        if (wParam != VK_BACK && !TextEntryAccepts(mEntryParam, static_cast<char>(wParam))) return 0;
        break;
    case WM_COMMAND:
        if (HIWORD(wParam) == 1)
        {
            mEntryState = kEntryCommit;
            return 0;
        }
        break;
    default:
        break;
    }
    return CallWindowProcA(mEntryOwnProc, hwnd, msg, wParam, lParam);
}

PIX_IBitmap* IGraphicsWin::LoadBitmapResource(int id, const char* name)
{
    if (!PIX_HasPngExtension(name)) return nullptr;
    // Decoded when first drawn: an instrument that never shows its editor never decodes an image.
    return PIX_LoadPNGResourceLazily(mModule, id);
}
