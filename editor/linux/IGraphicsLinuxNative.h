#pragma once

// The X11 state of an IGraphicsLinux, for its own sources only: it pulls in Xlib, whose macros clash
// with names elsewhere (Bool, None, Status), so nothing else includes it.

#include "editor/linux/IGraphicsLinux.h"
#include "editor/linux/X11Input.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/keysym.h>
#undef Bool
#undef Status

class PIX_IBitmap;
class PIX_SysBitmap;

// Text-entry states: nothing pending, editing (the entry has the focus), drawn, cancel requested,
// commit requested. A request is carried out by the next tick.
enum : int
{
    kEntryIdle = 0,
    kEntryEditing = 1,
    kEntryDrawn = 2,
    kEntryCancel = 3,
    kEntryCommit = 4,
};

struct IGraphicsLinux::Native
{
    Native();
    ~Native();

    static constexpr int64_t kHoverMs = 400;

    void InternAtoms();
    // Destroys the windows and closes the connection.
    void ReleaseWindow();
    // Copies an area of a bitmap to the same place in a window of ours.
    bool CopyToWindow(Window target, PIX_IBitmap& bitmap, const IArea& area);
    // The editor window's copy through memory shared with the server, where it offers that; false
    // when it could not be used (the caller copies the plain way).
    bool CreateSharedImage(int width, int height);
    bool CopySharedToWindow(PIX_IBitmap& bitmap, int l, int t, int r, int b);
    void ReleaseSharedImage();
    void HandleEditorEvent(IGraphicsLinux& g, XEvent& event);
    void HandleEntryEvent(IGraphicsLinux& g, XEvent& event);
    void ForwardKey(XEvent& event);
    // The outermost ancestor below the root; 0 when the window is gone.
    Window TopLevelOf(Window w);
    void DrawEntry(IGraphicsLinux& g);
    void CloseEntry();
    void ShowTooltip(IGraphicsLinux& g);
    void HideTooltip();
    void DrawTooltip(IGraphicsLinux& g);

    Display* display = nullptr;
    Window window = 0;
    Window parent = 0;
    int screen = 0;
    Visual* visual = nullptr;
    int depth = 0;
    bool directFormat = false; // the draw bitmap's pixels are the visual's own
    XImage* sharedImage = nullptr;
    XShmSegmentInfo sharedSegment{};
    GC gc = nullptr;
    bool windowGone = false; // destroyed by someone else (with the host's window)
    Atom atomXEmbedInfo = 0;
    Atom atomClipboard = 0;
    Atom atomUtf8 = 0;
    Atom atomTransfer = 0;

    IArea exposed; // exposures of a series not yet repainted

    // Input.
    x11input::DoubleClickDetector clicks;
    bool captured = false;
    bool leaveArmed = false;
    int64_t lastMotionMs = 0;
    Cursor blankCursor = 0;

    // Tooltip.
    Window tooltip = 0;
    bool tooltipShown = false;
    bool hoverPending = false;
    int tooltipIdx = -1;
    std::string tooltipText;
    std::unique_ptr<PIX_SysBitmap> tooltipBitmap;
    ITextStyle tooltipStyle{"Liberation Sans", 13, IColorRGBA{255, 0, 0, 0}, kStyleNormal, kAlignLeft};

    // Text entry.
    Window entry = 0;
    IControl* entryControl = nullptr;
    IParameter* entryParam = nullptr;
    ITextStyle entryStyle;
    std::unique_ptr<x11input::TextEntryModel> entryModel;
    std::unique_ptr<PIX_SysBitmap> entryBitmap;
    int entryState = kEntryIdle;

    // Timer.
    std::thread timer;
    std::mutex timerMutex;
    std::condition_variable timerWake;
    bool timerStop = false;
    std::atomic<int64_t> lastHostTickMs{0};
    int64_t lastTickMs = 0;
};
