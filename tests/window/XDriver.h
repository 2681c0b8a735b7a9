#pragma once

// Drives an X server the way a person at the screen would, for the editor-window tests: a top-level
// host window, real pointer and key events through XTest, and the pixels read back from the screen.
// Every wait calls `pump` meanwhile, which is where the test host gives the plug-in its idle time.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class XDriver
{
public:
    XDriver();
    ~XDriver();
    XDriver(const XDriver&) = delete;
    XDriver& operator=(const XDriver&) = delete;

    bool Connected() const { return display != nullptr; }
    bool HasXTest() const { return xtest; }

    // A mapped top-level window at (x, y) of the screen, standing in for a host's editor frame.
    unsigned long CreateHostWindow(int x, int y, int w, int h);
    void DestroyWindow(unsigned long window);
    // The child windows of a window, in stacking order.
    std::vector<unsigned long> Children(unsigned long window);
    // The window's position on the screen.
    void ScreenPosition(unsigned long window, int& x, int& y);

    // Called during every wait; the host's idle or run loop.
    std::function<void()> pump;
    // Waits ms milliseconds (at least one pump).
    void Wait(int ms);
    // Pumps until the condition holds, at most timeoutMs; whether it came to hold. For what must
    // happen: a loaded machine may take its time, the test need not.
    bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

    // Pointer and keys, at screen coordinates.
    void MoveTo(int x, int y);
    void Press(int button);
    void Release(int button);
    void Click(int x, int y, int button = 1);
    // Press, move in five steps, release; with Shift held throughout when asked.
    void Drag(int x, int y, int dx, int dy, bool shift = false);
    void Key(unsigned long keysym, bool shift = false);
    // Each character of text as a key of the keyboard.
    void Type(const std::string& text);

    // The window's pixels as 0xRRGGBB, row by row; empty when it cannot be read.
    std::vector<uint32_t> Capture(unsigned long window, int& w, int& h);

    // Mapped top-level windows with this title, and a window's place and size on the screen.
    std::vector<unsigned long> TopLevelsNamed(const std::string& title);
    void Geometry(unsigned long window, int& x, int& y, int& w, int& h);
    // The screen's pixels in an area, as 0xRRGGBB.
    std::vector<uint32_t> CaptureScreen(int x, int y, int w, int h);

    // Writes that area of the screen as a PNG for a person to look at; empty on success, else why not.
    std::string SaveScreen(int x, int y, int w, int h, const std::string& path);

    // The keyboard focus.
    void Focus(unsigned long window);
    unsigned long FocusedWindow();

    // Key events that reached a window of ours (sent ones included), as key symbols.
    std::vector<unsigned long> KeysReceivedBy(unsigned long window);

    void* RawDisplay() const { return display; }

private:
    void Sync();

    struct _XDisplay* display = nullptr;
    bool xtest = false;
    std::vector<unsigned long> windows;
};
