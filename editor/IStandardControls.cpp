#include "editor/IStandardControls.h"

#include "editor/IGraphics.h"

#include <algorithm>
#include <cmath>

int FilmstripFrame(int frames, double value)
{
    if (frames <= 1 || !(value > 0.0)) return 1; // NaN shows the first frame too
    const double k = std::floor((frames - 1) * value + 0.5);
    return k + 1 >= frames ? frames : static_cast<int>(k) + 1;
}

IBitmapControl::IBitmapControl(IFrameBase* plugin, IArea area, int paramIdx, const IBitmapRef& bitmap,
                               IBlend blend)
    : IControl(plugin, area, paramIdx, blend), mBitmap(bitmap)
{
}

bool IBitmapControl::Draw(IGraphics& graphics)
{
    return graphics.DrawBitmapFrame(mBitmap, mArea, FilmstripFrame(mBitmap.N, mValue), &mBlend);
}

void ISwitchControl::OnMouseDown(int, int, const IMouseModifiers&)
{
    const double step = mBitmap.N > 1 ? 1.0 / (mBitmap.N - 1) : 1.0;
    mValue += step;
    if (mValue > 1.001) mValue = 0.0;
    MarkDirty(true);
}

void ISwitchControl::OnMouseDoubleClick(int x, int y, const IMouseModifiers& mod)
{
    ISwitchControl::OnMouseDown(x, y, mod);
}

IBitmapOverlayControl::IBitmapOverlayControl(IFrameBase* plugin, IArea area, const IBitmapRef& bitmap,
                                             IArea closedTargetArea)
    : ISwitchControl(plugin, area, -1, bitmap), mClosedTargetArea(closedTargetArea)
{
}

bool IBitmapOverlayControl::Draw(IGraphics& graphics)
{
    if (mValue < 0.5)
    {
        mTargetArea = mClosedTargetArea;
        return true;
    }
    mTargetArea = mArea;
    return IBitmapControl::Draw(graphics);
}

IKnobControl::IKnobControl(IFrameBase* plugin, IArea area, int paramIdx, int direction, double gearing)
    : IControl(plugin, area, paramIdx), mDirection(direction), mGearing(gearing)
{
}

void IKnobControl::OnMouseDrag(int, int, int dX, int dY, const IMouseModifiers& mod)
{
    double gearing = mGearing;
    if (mod.C || mod.S) gearing *= 10.0;
    const bool vertical = mDirection == kVertical;
    const int size = vertical ? mArea.T - mArea.B : mArea.R - mArea.L;
    // A knob without extent has no scale: its value must not turn into NaN or infinity.
    if (size != 0) mValue += static_cast<double>(vertical ? dY : dX) / static_cast<double>(size) / gearing;
    MarkDirty(true);
}

void IKnobControl::OnMouseWheel(int, int, const IMouseModifiers& mod, int notches)
{
    mValue += notches * (mod.C || mod.S ? 0.001 : 0.01);
    MarkDirty(true);
}

IButtonControl::IButtonControl(IFrameBase* plugin, IArea area, const IBitmapRef& bitmap, int frameOffset)
    : IControl(plugin, area, -1), mDrawArea{area.L, area.T, area.L + bitmap.W,
                                            area.T + bitmap.H / std::max(bitmap.N, 1)},
      mBitmap(bitmap), mFrameOffset(frameOffset)
{
}

IButtonControl::~IButtonControl() = default;

void IButtonControl::SetState(int32_t state)
{
    if (state == mState) return;
    mState = state;
    MarkDirty(false);
}

void IButtonControl::OnMouseDown(int, int, const IMouseModifiers&)
{
    SetState(kPressed);
}

void IButtonControl::OnMouseUp(int, int, const IMouseModifiers&)
{
    // A handler may add another; iterate over a snapshot.
    const auto handlers = mHandlers;
    for (const auto& [context, handler] : handlers)
        handler(context);
}

void IButtonControl::OnMouseOver(int, int, const IMouseModifiers&)
{
    SetState(kHover);
}

void IButtonControl::OnMouseOut()
{
    SetState(kNormal);
}

bool IButtonControl::Draw(IGraphics& graphics)
{
    graphics.DrawBitmapFrame(mBitmap, mDrawArea, std::min(mBitmap.N, mFrameOffset + mState + 1), &mBlend);
    return true;
}

void IButtonControl::AddClickHandler(void* context, ClickHandler handler)
{
    if (!handler) return;
    const std::pair<void*, ClickHandler> entry{context, handler};
    if (std::find(mHandlers.begin(), mHandlers.end(), entry) == mHandlers.end()) mHandlers.push_back(entry);
}
