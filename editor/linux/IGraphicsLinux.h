#pragma once

#include "editor/IGraphics.h"

#include <memory>
#include <mutex>

// The editor's platform layer on Linux: an X11 child window inside the host's window, on a display
// connection of its own. Images come from the set embedded in the module. While no window is open the
// operations that need one answer that they are not available: nothing is opened, chosen or shown, so
// the whole editor also works headless (drawing, events, parameter traffic).
//
// Threads: every use of the window happens under the window's own lock, so the host's thread and the
// editor's own timer thread never use the connection at once. Like a window's message handling, the
// host-driven timer and events run without the plug-in's lock (parameter changes take it themselves),
// so a modal popup menu does not hold up the audio. The own timer thread, which no host knows of,
// takes the plug-in's lock first.
class IGraphicsLinux : public IGraphics
{
public:
    IGraphicsLinux(IFrameBase* plugin, int width, int height, int fps);
    ~IGraphicsLinux() override;

    bool PresentToWindow(const IArea& area) override;
    void CancelTextEntry() override;
    // Also resizes the open window, keeping its place; the host learns the size through the binding.
    void Resize(int width, int height) override;
    const char* GetDrawingApiName() override { return "Xlib"; }
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
    void* GetWindow() override;
    bool ReadClipboardText(std::string& text) override;
    void ConcealCursor() override;
    void RevealCursor() override;
    void OnPlatformHook() override {}
    PIX_IBitmap* LoadBitmapResource(int id, const char* name) override;

    void SetModuleHandle(void* module) { mModule = module; }

    // Driving the open window from the host. A timer call handles the window's pending events and,
    // once a period has passed since the last tick, runs the tick (redraw what changed, settle the
    // text entry). The event call only handles pending events, for hosts that watch the connection.
    // While no host calls these, the editor's own timer thread ticks instead; with them it stays idle.
    int TimerPeriodMs() const;
    // The window's display connection, to watch for events; -1 while closed.
    int ConnectionFd() const;
    void OnHostTimer();
    void OnHostEvents();

    struct Native;

private:
    class MenuSession;

    std::recursive_mutex& WindowMutex();
    // The host's top-level window as a number dialog programs take ("0x..."); empty while closed.
    std::string HostWindowId();
    void StartOwnTimer();
    void StopOwnTimer();
    void Tick();
    void HandleEvents();
    void CommitOrCloseTextEntry();
    bool HoverDue();

    void* mModule = nullptr;
    std::recursive_mutex mWindowMutex;
    std::unique_ptr<Native> mNative;
};
