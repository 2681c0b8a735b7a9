#pragma once

#include "editor/IGraphics.h"

#include <cstdint>
#include <string>
#include <vector>

// The editor's platform layer in the browser: the page's canvas stands for the window. The page drives
// the editor from its animation frames and input events (web/binding); this layer keeps the pixels the
// canvas shows, and hands the text entry, popup menus, tooltips, message boxes and links to the page as
// elements of its own. Everything runs on the page's one thread.
class IGraphicsWeb : public IGraphics
{
public:
    // Text-entry states, as the desktop windows have them: idle, editing (the input has the focus),
    // cancel requested, commit requested. The request is carried out on the next tick.
    enum EntryState : int
    {
        kEntryIdle = 0,
        kEntryEditing = 1,
        kEntryCancel = 3,
        kEntryCommit = 4,
    };
    // Pointer rest before a tooltip shows, in milliseconds.
    static constexpr double kHoverMs = 500.0;

    IGraphicsWeb(IFrameBase* plugin, int width, int height, int fps);
    ~IGraphicsWeb() override;

    bool PresentToWindow(const IArea& area) override;
    void CancelTextEntry() override;
    const char* GetDrawingApiName() override { return "Canvas 2D"; }
    int ShowMessageBox(const char* text, const char* caption, int type) override;
    IPopupMenu* ShowPopupMenu(IPopupMenu& menu, const IArea& area) override;
    void OpenTextField(IControl* control, const ITextStyle& style, const IArea& area, const char* initialText,
                       IParameter* param) override;
    // A page has no files or folders of its own: the paths are empty and nothing is chosen.
    void GetHostPath(std::string& path) override { path.clear(); }
    void GetPluginPath(std::string& path) override { path.clear(); }
    void GetDesktopPath(std::string& path) override { path.clear(); }
    void GetAppDataPath(std::string& path, bool) override { path.clear(); }
    void ChooseFile(std::string& fileName, int action, std::string& folder, const char* extensions) override;
    bool ChooseColour(IColorRGBA&, const char*) override { return false; }
    bool OpenUrl(const char* url, const char* caption, const char* confirmation, const char* error) override;
    void* OpenWindow(void* parent) override;
    void CloseWindow() override;
    void* GetWindow() override { return mOpen ? this : nullptr; }
    // The page pastes into its own input element; the editor itself reads no clipboard.
    bool ReadClipboardText(std::string&) override { return false; }
    void OnPlatformHook() override {}
    PIX_IBitmap* LoadBitmapResource(int id, const char* name) override;

    // The page's side. Times are the page's milliseconds.
    void Tick(double nowMs);
    void MouseDown(int x, int y, int button, const IMouseModifiers& mod, int clicks);
    void MouseUp(int x, int y, int button, const IMouseModifiers& mod);
    void MouseMove(int x, int y, const IMouseModifiers& mod, double nowMs);
    void MouseLeave();
    void Wheel(int x, int y, const IMouseModifiers& mod, int notches);
    bool KeyDown(int key);
    void MenuChosen(int index);
    void SetEntryText(const char* text) { mEntryText = text ? text : ""; }
    void SetEntryState(int state);
    bool EntryAccepts(int code) const;
    int EntryState() const { return mEntryState; }
    bool EntryOpen() const { return mEntryControl != nullptr; }

    // The canvas's pixels: RGBA, opaque, width * height * 4 bytes, and the part changed since the last
    // call (empty when nothing did).
    const std::uint8_t* Rgba() const { return mRgba.data(); }
    const IArea& Changed() const { return mChanged; }
    IArea TakeChanged();

private:
    // The menu the page shows, remembered with the press that opened it: the editor asks for a menu
    // and wants the answer at once, which a page cannot give. When the page answers, the press is
    // played again and this time the menu returns the choice.
    struct PendingMenu
    {
        bool open = false;
        bool answering = false;
        int chosen = -1;
        int x = 0;
        int y = 0;
        IMouseModifiers mod;
    };

    void CloseTextEntry(bool commit);
    void HideTooltip();
    void ShowTooltip();

    bool mOpen = false;
    std::vector<std::uint8_t> mRgba;
    IArea mChanged;

    // The press being handled, for a menu it opens.
    bool mInPress = false;
    int mPressX = 0;
    int mPressY = 0;
    IMouseModifiers mPressMod;
    PendingMenu mMenu;

    IControl* mEntryControl = nullptr;
    IParameter* mEntryParam = nullptr;
    std::string mEntryText;
    int mEntryState = kEntryIdle;

    bool mCaptured = false;
    bool mLeaveArmed = false;
    bool mHoverPending = false;
    bool mTooltipShown = false;
    int mTooltipIdx = -1;
    int mPointerX = 0;
    int mPointerY = 0;
    double mLastMotionMs = 0.0;
};
