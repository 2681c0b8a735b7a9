#include "editor/IControl.h"

#include "editor/IBitmapFontControls.h"
#include "editor/IGraphics.h"
#include "frame/IFrameBase.h"

#include <cmath>
#include <string>

IControl::IControl(IFrameBase* plugin, IArea area, int paramIdx, IBlend blend)
    : mPlugin(plugin), mArea(area), mTargetArea(area), mParamIdx(paramIdx), mBlend(blend)
{
}

IControl::~IControl() = default;

void IControl::OnMouseDown(int, int, const IMouseModifiers& mod)
{
    if (mod.R) OpenValueEntry();
}

void IControl::OnMouseUp(int, int, const IMouseModifiers&) {}

void IControl::OnMouseDrag(int, int, int, int, const IMouseModifiers&) {}

void IControl::OnMouseDoubleClick(int, int, const IMouseModifiers&)
{
    if (mDefaultValue < 0.0) return;
    mValue = mDefaultValue;
    MarkDirty(true);
}

void IControl::OnMouseWheel(int, int, const IMouseModifiers&, int) {}

bool IControl::OnKeyDown(int, int, int)
{
    return false;
}

void IControl::OnMouseOver(int, int, const IMouseModifiers&) {}

void IControl::OnMouseOut() {}

void IControl::TakeValueFromPlugin(double value)
{
    if (mDefaultValue < 0.0) mValue = mDefaultValue = value;
    if (value != mValue || std::isnan(value) || std::isnan(mValue))
    {
        mValue = value;
        MarkDirty(false);
        mRedraw = true;
    }
}

void IControl::SetValueFromUser(double value)
{
    if (value == mValue) return;
    mValue = value;
    MarkDirty(true);
    mRedraw = true;
}

void IControl::OnTextEntryDone(const char*) {}

void IControl::Hide(bool hidden)
{
    mHide = hidden;
    mRedraw = true;
    MarkDirty(false);
}

void IControl::SetGrayed(bool grayed)
{
    mGrayed = grayed;
    mBlend.weight = grayed ? 0.25f : 1.0f;
    MarkDirty(false);
}

bool IControl::HitTest(int x, int y)
{
    return mTargetArea.Contains(x, y);
}

void IControl::MarkDirty(bool pushToPlugin)
{
    if (mValue < mClampLow) mValue = mClampLow; // NaN compares false both ways and stays
    if (mValue > mClampHigh) mValue = mClampHigh;
    mDirty = true;
    if (!pushToPlugin || !mPlugin || mParamIdx < 0) return;

    mPlugin->SetParameterFromEditor(mParamIdx, mValue);
    const IParameter* param = Param();
    if (!param) return;
    if (mValDisplayControl)
    {
        char value[kParameterTextSize];
        param->FormatCurrentValue(value);
        std::string text = value;
        text += ' ';
        text.append(param->HostLabel(), 0, kParameterTextSize);
        mValDisplayControl->SetText(text.c_str());
    }
    if (mNameDisplayControl) mNameDisplayControl->SetText(param->Name());
}

void IControl::MarkClean()
{
    mDirty = mRedraw;
    mRedraw = false;
}

bool IControl::IsDirty()
{
    return mDirty;
}

void IControl::TakeAuxValueFromPlugin(int auxIdx, double value)
{
    if (auxIdx < 0 || auxIdx >= NAuxParams()) return;
    AuxParam& aux = mAuxParams[auxIdx];
    if (aux.value == value) return;
    aux.value = value;
    MarkDirty(false);
    mRedraw = true;
}

IParameter* IControl::Param() const
{
    return mPlugin && mParamIdx >= 0 ? mPlugin->GetParam(mParamIdx) : nullptr;
}

IArea IControl::ValueEntryBox() const
{
    const IParameter* param = Param();
    if (param && param->DisplayTextCount() > 0) return mArea;
    // Centre computed in single precision, as the entry box has always been placed.
    const int cx = static_cast<int>(static_cast<float>(mArea.L + mArea.R) * 0.5f);
    const int cy = static_cast<int>(static_cast<float>(mArea.T + mArea.B) * 0.5f);
    return {cx - 20, cy - 8, cx + 20, cy + 8};
}

void IControl::OpenValueEntry()
{
    IParameter* param = Param();
    if (!param || mDisablePrompt || !mGraphics) return;
    const IArea box = ValueEntryBox();
    mGraphics->OpenValueEntry(this, param, &box);
    mRedraw = true;
}
