#pragma once

#include "tests/support/EditorPoint.h"

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What the Win32 window tests do as the system and a person would: a host window of our own, a
// message loop pumped while waiting, mouse and keyboard messages posted to a window as the system posts
// them, and the window's pixels read back from the screen.
class Win32Driver
{
public:
    Win32Driver();
    ~Win32Driver();

    // A visible top-level window with a client area of w x h; the keys it receives are recorded.
    HWND CreateHostWindow(int w, int h);
    // Virtual keys received by the host windows since the last call.
    std::vector<WPARAM> TakeHostKeys();

    // Handles this thread's messages for ms milliseconds.
    void Pump(int ms);
    // Pumps until the condition holds (true) or the time is up (false).
    bool WaitUntil(const std::function<bool()>& condition, int ms = 3000);

    // The editor's child window of a host window (by the editor's window class), or none.
    static HWND Editor(HWND host);
    // The child window of that class (the text entry is an "EDIT"), or none.
    static HWND Child(HWND parent, const char* className);

    // Mouse messages in client coordinates of window; modifiers as MK_ flags.
    void Click(HWND window, Point p, WPARAM modifiers = 0);
    void DoubleClick(HWND window, Point p);
    void Drag(HWND window, Point from, int dy, WPARAM modifiers = 0);
    void Wheel(HWND window, Point p, int delta);
    void Press(HWND window, Point p);
    void Release(HWND window, Point p);
    // A key pressed and released; typed text as the characters TranslateMessage makes of typing.
    void Key(HWND window, WPARAM virtualKey);
    void Type(HWND window, const std::string& text);

    // The client area's pixels (0x00RRGGBB, rows top to bottom), read back from the screen.
    std::vector<std::uint32_t> Capture(HWND window, int& w, int& h);

private:
    void Post(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
};
