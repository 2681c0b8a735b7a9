#pragma once

#include "editor/IGraphics.h"

#include <cstdint>
#include <string>

// Win32 handles, declared as <windows.h> does, so that code including this header does not see the
// whole platform header (whose macros rename functions such as LoadBitmap).
struct HWND__;
struct HINSTANCE__;
struct HFONT__;
struct HDC__;

// The editor's platform layer on Windows: a child window of the host's window, drawn with GDI from the
// draw bitmap (a DIB section), redrawn by a window timer, with a subclassed edit control for text
// entry, popup menus, a tooltip window, message boxes, the common dialogs and the shell.
// Everything here runs on the host's user-interface thread, which owns the window's messages.
class IGraphicsWin : public IGraphics
{
public:
    // Text-entry states: idle, editing (the entry has the focus), drawn (the editor was repainted
    // around it), cancel requested, commit requested.
    enum EntryState : int
    {
        kEntryIdle = 0,
        kEntryEditing = 1,
        kEntryDrawn = 2,
        kEntryCancel = 3,
        kEntryCommit = 4,
    };
    using HWND = HWND__*;
    using HINSTANCE = HINSTANCE__*;
    using WindowProcedure = std::intptr_t(__stdcall*)(HWND, unsigned, std::uintptr_t, std::intptr_t);
    static constexpr std::uintptr_t kTimerId = 2;
    static constexpr int kEntryChildId = 99;
    static constexpr const char* kWindowClass = "BrisbleepWndClass";
    static constexpr const char* kWindowTitle = "Brisbleep";

    IGraphicsWin(IFrameBase* plugin, int width, int height, int fps);
    ~IGraphicsWin() override;

    bool PresentToWindow(const IArea& area) override;
    void CancelTextEntry() override { mEntryState = kEntryCancel; }
    void Resize(int width, int height) override;
    const char* GetDrawingApiName() override { return "Windows GDI"; }
    int ShowMessageBox(const char* text, const char* caption, int type) override;
    IPopupMenu* ShowPopupMenu(IPopupMenu& menu, const IArea& area) override;
    void OpenTextField(IControl* control, const ITextStyle& style, const IArea& area, const char* initialText,
                       IParameter* param) override;
    void GetHostPath(std::string& path) override;
    void GetPluginPath(std::string& path) override;
    void GetDesktopPath(std::string& path) override;
    void GetAppDataPath(std::string& path, bool systemWide) override;
    void ChooseFile(std::string& fileName, int action, std::string& folder, const char* extensions) override;
    bool ChooseColour(IColorRGBA& colour, const char* prompt) override;
    bool OpenUrl(const char* url, const char* caption, const char* confirmation, const char* error) override;
    void* OpenWindow(void* parent) override;
    void CloseWindow() override;
    void* GetWindow() override { return mWindow; }
    bool ReadClipboardText(std::string& text) override;
    void ConcealCursor() override;
    void RevealCursor() override;
    void OnPlatformHook() override {}
    PIX_IBitmap* LoadBitmapResource(int id, const char* name) override;

    void SetModuleHandle(void* module) { mModule = static_cast<HINSTANCE>(module); }
    int EntryState() const { return mEntryState; }
    HWND EntryWindow() const { return mEntryWindow; }
    HWND TooltipWindow() const { return mTooltipWindow; }
    // Timer period of a window opened now: trunc(1000 / frame rate) milliseconds.
    static unsigned TimerPeriodMs(int fps);

    // The window procedures of the editor window and of the subclassed text entry.
    static std::intptr_t __stdcall WindowProc(HWND hwnd, unsigned msg, std::uintptr_t wParam,
                                              std::intptr_t lParam);
    static std::intptr_t __stdcall EntryProc(HWND hwnd, unsigned msg, std::uintptr_t wParam,
                                             std::intptr_t lParam);

private:
    std::intptr_t HandleMessage(HWND hwnd, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam);
    std::intptr_t HandleEntryMessage(HWND hwnd, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam);
    void OnTimerTick();
    void CloseTextEntry();
    void HideTooltip();
    void CreateTooltip();
    HWND MainWindow();
    IMouseModifiers Modifiers(std::uintptr_t wParam) const;

    HINSTANCE mModule = nullptr;
    HWND mWindow = nullptr;
    HWND mEntryWindow = nullptr;
    HWND mTooltipWindow = nullptr;
    IControl* mEntryControl = nullptr;
    IParameter* mEntryParam = nullptr;
    WindowProcedure mEntryOwnProc = nullptr;
    int mEntryState = kEntryIdle;
    bool mTooltipShown = false;
    int mTooltipIdx = -1;
    unsigned long* mCustomColours = nullptr; // 16 COLORREF, allocated on first use
    unsigned long mProcessId = 0;
    HWND mParent = nullptr;
    HWND mMainWindow = nullptr;
    std::string mMainWindowClass;
    HFONT__* mEntryFont = nullptr;
    unsigned long mEntryBackground = 0; // COLORREF
    unsigned long mEntryForeground = 0;
    HDC__* mPaintDC = nullptr; // the window's paint context while a paint message is handled
};
