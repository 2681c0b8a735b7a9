#pragma once

// What the frame needs of an attached editor. The editor's graphics context implements it; the frame
// owns the attached editor through this interface and deletes it with itself, so frame code never
// depends on the editor's own headers. Bindings reach the editor's window through it as well.
class IFrameEditor
{
public:
    virtual ~IFrameEditor() = default;

    // Shows a parameter value that changed outside the editor (host automation, loaded state) on every
    // control bound to that parameter, and on the first auxiliary binding of each control that names
    // it. A real value is converted with the parameter's range and shape first. Nothing is sent back
    // to the frame. May run on the host's automation thread with the frame mutex held, so it only
    // writes control values and dirty flags.
    virtual void PushValueToControls(int paramIdx, double value, bool isNormalized) = 0;

    // Creates the drawing surfaces (the off-screen bitmap); called once when the editor is attached,
    // before any window is opened.
    virtual void PrepareDraw() = 0;

    // The editor's fixed size in pixels, reported to hosts.
    virtual int Width() const = 0;
    virtual int Height() const = 0;

    // Opens the editor window as a child of the host's window (a native window handle; an X11 window
    // id on Linux) and returns its own window handle, or nullptr when it could not be opened.
    virtual void* OpenWindow(void* parent) = 0;
    // Closes the window; controls and drawing surfaces survive for the next OpenWindow.
    virtual void CloseWindow() = 0;
};
