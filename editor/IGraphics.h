#pragma once

#include "editor/IControl.h"
#include "editor/IGraphicsTypes.h"
#include "frame/IFrameEditor.h"

#include <memory>
#include <string>
#include <vector>

class IFrameBase;
class IParameter;
class PIX_CachedFont;
class PIX_IBitmap;
class PIX_SysBitmap;

// The platform-independent editor: the ordered control list (drawing order, index 0 the
// background), the off-screen draw bitmap, event routing, and the road between parameters and
// controls. A platform subclass supplies the window and everything else the operating system does.
class IGraphics : public IFrameEditor
{
public:
    IGraphics(IFrameBase* plugin, int width, int height, int fps);
    IGraphics(const IGraphics&) = delete;
    IGraphics& operator=(const IGraphics&) = delete;

    // The virtual operations are declared in their fixed slot order.

    // Copies that area of the draw bitmap to the window.
    virtual bool PresentToWindow(const IArea& area) = 0;
    virtual bool MeasureText(ITextStyle& style, const char* text, IArea& area);
    virtual void CancelTextEntry() = 0;
    // Deletes every control (the caller rebuilds them) and recreates the draw bitmap at the new size.
    virtual void Resize(int width, int height);
    virtual bool IsWindowOpen();
    virtual const char* GetDrawingApiName() { return ""; }
    virtual int ShowMessageBox(const char* text, const char* caption, int type) = 0;
    // The menu holding the chosen item, or none when nothing was chosen.
    virtual IPopupMenu* ShowPopupMenu(IPopupMenu& menu, const IArea& area) = 0;
    virtual void OpenTextField(IControl* control, const ITextStyle& style, const IArea& area,
                               const char* initialText, IParameter* param) = 0;
    virtual void GetHostPath(std::string& path) = 0;
    virtual void GetPluginPath(std::string& path) = 0;
    virtual void GetDesktopPath(std::string& path) = 0;
    virtual void GetAppDataPath(std::string& path, bool systemWide) = 0;
    virtual void GetUserAppDataPath(std::string& path) { GetAppDataPath(path, false); }
    // Action 1 saves; anything else opens. The file name becomes empty when nothing was chosen.
    virtual void ChooseFile(std::string& fileName, int action, std::string& folder,
                            const char* extensions) = 0;
    virtual bool ChooseColour(IColorRGBA& colour, const char* prompt) = 0;
    virtual bool OpenUrl(const char* url, const char* caption, const char* confirmation,
                         const char* error) = 0;
    virtual bool PlatformQuery() { return false; }
    void* OpenWindow(void* parent) override = 0;
    virtual void OnWindowHookA() {}
    virtual void OnWindowHookB() {}
    void CloseWindow() override = 0;
    // The window handle; none while closed.
    virtual void* GetWindow() = 0;
    virtual bool ReadClipboardText(std::string& text) = 0;
    // Deletes the key catcher and every control, last first, and the draw bitmap.
    ~IGraphics() override;
    virtual void ConcealCursor() {}
    virtual void RevealCursor() {}
    virtual void OnPlatformHook() = 0;
    // Decodes an embedded image; none when it is missing or not a PNG.
    virtual PIX_IBitmap* LoadBitmapResource(int id, const char* name) = 0;

    // IFrameEditor.
    void PushValueToControls(int paramIdx, double value, bool isNormalized) override;
    void PrepareDraw() override;
    int Width() const override { return mWidth; }
    int Height() const override { return mHeight; }

    // Building the control list. Both take ownership and return the control's index.
    int AddBackground(int id, const char* name);
    int AddControl(IControl* control);
    // A control that receives key presses no other control takes; owned.
    void SetKeyCatcher(IControl* control);

    // Image from the process-wide cache, decoded on first use; shared by every editor of the process.
    IBitmapRef LoadBitmap(int id, const char* name, int frames = 1, bool horizontal = false);

    // Moves the controls of paramIdx as if the user had, so the change reaches the plug-in.
    void SetControlsAsUser(int paramIdx, double normalizedValue);
    // A popup for enumerations (and switches with texts), a text entry for everything else.
    void OpenValueEntry(IControl* control, IParameter* param, const IArea* area);

    // Drawing, clipped to the area of the current pass. Frames are counted from 1.
    bool DrawBitmap(const IBitmapRef& bitmap, const IArea& dest, int srcX, int srcY,
                    const IBlend* blend = nullptr);
    bool DrawBitmapFrame(const IBitmapRef& bitmap, const IArea& dest, int frame,
                         const IBlend* blend = nullptr);
    // Draws text with a platform font, or with measure rewrites area to the text's extent. False only
    // when no font can be made for the style.
    bool DrawText(ITextStyle& style, const char* text, IArea& area, bool measure = false);
    PIX_CachedFont* CacheFont(ITextStyle& style);

    // Unites the areas of every dirty control into area (pass an empty one); true when any is dirty.
    bool IsDirty(IArea& area);
    // Recomposes the area from the background up and presents it.
    bool Draw(const IArea& area);

    // Events in window client pixels.
    void OnMouseDown(int x, int y, const IMouseModifiers& mod);
    void OnMouseUp(int x, int y, const IMouseModifiers& mod);
    void OnMouseDrag(int x, int y, const IMouseModifiers& mod);
    // True when the window must capture the mouse (the control takes a double click as a press).
    bool OnMouseDoubleClick(int x, int y, const IMouseModifiers& mod);
    void OnMouseWheel(int x, int y, const IMouseModifiers& mod, int notches);
    bool OnKeyDown(int x, int y, int key);
    // Returns the handle-mouse-over flag.
    bool OnMouseOver(int x, int y, const IMouseModifiers& mod);
    void OnMouseOut();

    IFrameBase* Plugin() const { return mPlugin; }
    int NControls() const { return static_cast<int>(mControls.size()); }
    IControl* GetControl(int idx) const;
    IControl* KeyCatcher() const { return mKeyCatcher.get(); }
    int FrameRate() const { return mFPS; }
    PIX_SysBitmap* DrawBitmapSurface() const { return mDrawBitmap.get(); }
    const IArea& DrawArea() const { return mDrawArea; }
    int MouseCapture() const { return mMouseCapture; }
    int MouseOver() const { return mMouseOver; }
    // The control a tooltip at (x, y) belongs to: the one the mouse-over names while the pointer is on
    // its target area (the editor keeps naming the last control while the pointer is over none), else -1.
    int TooltipControlAt(int x, int y) const;
    int LastMouseX() const { return mMouseX; }
    int LastMouseY() const { return mMouseY; }
    bool HandleMouseOver() const { return mHandleMouseOver; }
    void SetHandleMouseOver(bool handle) { mHandleMouseOver = handle; }
    bool StrictDrawing() const { return mStrict; }
    void SetStrictDrawing(bool strict) { mStrict = strict; }
    bool ShowTooltips() const { return mShowTooltips; }
    void SetShowTooltips(bool show) { mShowTooltips = show; }

protected:
    // Forgets the control under the mouse press; used by the platform before a modal menu.
    void ReleaseMouseCapture();
    bool IsCursorHidden() const { return mCursorHidden; }
    void SetCursorHidden(bool hidden, int x = 0, int y = 0);
    int HiddenCursorX() const { return mHiddenMousePointX; }
    int HiddenCursorY() const { return mHiddenMousePointY; }

private:
    // Index of the topmost control that takes events at (x, y), or -1.
    int GetMouseControlIdx(int x, int y, bool forMouseOver = false) const;
    void DrawControl(int idx);
    void DeleteControls();

    std::vector<std::unique_ptr<IControl>> mControls;
    IFrameBase* mPlugin;
    IArea mDrawArea;
    bool mCursorHidden = false;
    int mHiddenMousePointX = -1;
    int mHiddenMousePointY = -1;
    std::unique_ptr<PIX_SysBitmap> mDrawBitmap;
    int mWidth;
    int mHeight;
    int mFPS;
    int mMouseCapture = -1;
    int mMouseOver = -1;
    int mMouseX = 0;
    int mMouseY = 0;
    bool mHandleMouseOver = false;
    bool mStrict = true;
    bool mShowTooltips = false;
    std::unique_ptr<IControl> mKeyCatcher;
};
