#pragma once

#include "editor/IControl.h"

#include <vector>

// Film-strip frame for a value 0..1 of an N-frame strip, counted from 1.
int FilmstripFrame(int frames, double value);

// A film-strip image whose frame follows the value.
class IBitmapControl : public IControl
{
public:
    IBitmapControl(IFrameBase* plugin, IArea area, int paramIdx, const IBitmapRef& bitmap, IBlend blend = {});
    bool Draw(IGraphics& graphics) override;
    const IBitmapRef& Bitmap() const { return mBitmap; }

protected:
    IBitmapRef mBitmap;
};

// Each click steps to the next frame, wrapping after the last.
class ISwitchControl : public IBitmapControl
{
public:
    using IBitmapControl::IBitmapControl;
    void OnMouseDown(int x, int y, const IMouseModifiers& mod) override;
    void OnMouseDoubleClick(int x, int y, const IMouseModifiers& mod) override;
};

// A full-size image opened by a click on a small target and closed by a click anywhere on it.
class IBitmapOverlayControl : public ISwitchControl
{
public:
    IBitmapOverlayControl(IFrameBase* plugin, IArea area, const IBitmapRef& bitmap, IArea closedTargetArea);
    bool Draw(IGraphics& graphics) override;

protected:
    IArea mClosedTargetArea;
};

// Value changed by dragging and the wheel; subclasses draw it.
class IKnobControl : public IControl
{
public:
    enum Direction : int
    {
        kVertical = 0,
        kHorizontal = 1,
    };

    IKnobControl(IFrameBase* plugin, IArea area, int paramIdx, int direction = kVertical,
                 double gearing = 4.0);
    void OnMouseDrag(int x, int y, int dX, int dY, const IMouseModifiers& mod) override;
    void OnMouseWheel(int x, int y, const IMouseModifiers& mod, int notches) override;
    double Gearing() const { return mGearing; }

protected:
    int32_t mDirection;
    double mGearing;
};

// A three-state image button (normal, under the mouse, pressed) that runs its handlers on release.
// The release reaches the button that took the press even when the mouse left it.
class IButtonControl : public IControl
{
public:
    using ClickHandler = void (*)(void* context);
    enum State : int32_t
    {
        kNormal = 0,
        kHover = 1,
        kPressed = 2,
    };

    IButtonControl(IFrameBase* plugin, IArea area, const IBitmapRef& bitmap, int frameOffset);
    ~IButtonControl() override;
    void OnMouseDown(int x, int y, const IMouseModifiers& mod) override;
    void OnMouseUp(int x, int y, const IMouseModifiers& mod) override;
    void OnMouseOver(int x, int y, const IMouseModifiers& mod) override;
    void OnMouseOut() override;
    bool Draw(IGraphics& graphics) override;

    // Handlers run in the order they were added; adding a pair already present does nothing.
    void AddClickHandler(void* context, ClickHandler handler);
    int State() const { return mState; }
    const IArea& DrawArea() const { return mDrawArea; }

private:
    void SetState(int32_t state);

    IArea mDrawArea;
    IBitmapRef mBitmap;
    int32_t mFrameOffset;
    int32_t mState = kNormal;
    std::vector<std::pair<void*, ClickHandler>> mHandlers;
};
