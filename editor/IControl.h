#pragma once

#include "editor/IGraphicsTypes.h"

#include <string>
#include <vector>

class IFrameBase;
class IGraphics;
class IParameter;
class ITextControlBitmapFont;

// One element of the editor: a rectangle that draws itself into the graphics context's draw bitmap,
// may be bound to a parameter and reacts to the events the graphics context routes to it. Values are
// normalised to 0..1.
//
// TakeValueFromPlugin and TakeAuxValueFromPlugin may run on the host's automation thread; they touch
// only the value and the dirty and redraw flags. Everything else runs on the user-interface thread.
class IControl
{
public:
    struct AuxParam
    {
        double value = 0.0;
        int32_t paramIdx = -1;
    };

    IControl(IFrameBase* plugin, IArea area, int paramIdx = -1, IBlend blend = {});
    IControl(const IControl&) = delete;
    IControl& operator=(const IControl&) = delete;

    // The virtual operations are declared in their fixed slot order.
    virtual ~IControl();
    // With the right button down: prompts for a value.
    virtual void OnMouseDown(int x, int y, const IMouseModifiers& mod);
    virtual void OnMouseUp(int x, int y, const IMouseModifiers& mod);
    virtual void OnMouseDrag(int x, int y, int dX, int dY, const IMouseModifiers& mod);
    // Restores the default value once one is known.
    virtual void OnMouseDoubleClick(int x, int y, const IMouseModifiers& mod);
    virtual void OnMouseWheel(int x, int y, const IMouseModifiers& mod, int notches);
    virtual bool OnKeyDown(int x, int y, int key);
    virtual void OnMouseOver(int x, int y, const IMouseModifiers& mod);
    virtual void OnMouseOut();
    virtual bool Draw(IGraphics& graphics) = 0;
    // A value from the plug-in; the first one also becomes the double-click default.
    virtual void TakeValueFromPlugin(double value);
    // A value set as if the user had moved the control: it is sent to the plug-in.
    virtual void SetValueFromUser(double value);
    // Typed text for a control without a parameter.
    virtual void OnTextEntryDone(const char* text);
    virtual void Hide(bool hidden);
    // Greyed controls draw at a quarter weight and are not hit.
    virtual void SetGrayed(bool grayed);
    virtual bool HitTest(int x, int y);
    // Clamps the value and marks the control for drawing; with push, sends it to the plug-in and
    // updates the value and name displays.
    virtual void MarkDirty(bool pushToPlugin = true);
    // Stays dirty for one more pass when a redraw was requested.
    virtual void MarkClean();
    virtual bool IsDirty();
    virtual void OnUserHook() {}
    virtual void TakeAuxValueFromPlugin(int auxIdx, double value);

    // Asks the graphics context to prompt for this control's parameter (popup or text entry).
    void OpenValueEntry();

    IFrameBase* Plugin() const { return mPlugin; }
    IGraphics* Graphics() const { return mGraphics; }
    // Set by the graphics context when the control is added.
    void SetGraphics(IGraphics* graphics) { mGraphics = graphics; }
    // The bound parameter, or none.
    IParameter* Param() const;

    const IArea& Area() const { return mArea; }
    void SetArea(const IArea& area) { mArea = area; }
    const IArea& TargetArea() const { return mTargetArea; }
    void SetTargetArea(const IArea& area) { mTargetArea = area; }
    int ParamIdx() const { return mParamIdx; }
    double Value() const { return mValue; }
    double DefaultValue() const { return mDefaultValue; }
    void SetDefaultValue(double value) { mDefaultValue = value; }
    void SetClamp(double low, double high)
    {
        mClampLow = low;
        mClampHigh = high;
    }
    bool IsHidden() const { return mHide; }
    bool IsGrayed() const { return mGrayed; }
    bool RedrawPending() const { return mRedraw; }
    void SetRedraw() { mRedraw = true; }
    bool PromptDisabled() const { return mDisablePrompt; }
    void SetPromptDisabled(bool disabled) { mDisablePrompt = disabled; }
    bool DoubleClickAsClick() const { return mDblAsSingleClick; }
    void SetDoubleClickAsClick(bool asClick) { mDblAsSingleClick = asClick; }
    bool MouseOverWhenGrayed() const { return mMOWhenGrayed; }
    void SetMouseOverWhenGrayed(bool enable) { mMOWhenGrayed = enable; }
    const IBlend& Blend() const { return mBlend; }
    ITextStyle& TextStyle() { return mText; }
    void SetTextStyle(const ITextStyle& style) { mText = style; }
    int TextEntryLength() const { return mTextEntryLength; }
    void SetTextEntryLength(int length) { mTextEntryLength = length; }
    void SetValueDisplayControl(ITextControlBitmapFont* control) { mValDisplayControl = control; }
    void SetNameDisplayControl(ITextControlBitmapFont* control) { mNameDisplayControl = control; }
    const std::string& Tooltip() const { return mTooltip; }
    void SetTooltip(const char* text) { mTooltip = text ? text : ""; }
    void AddAuxParam(int paramIdx) { mAuxParams.push_back({0.0, paramIdx}); }
    int NAuxParams() const { return static_cast<int>(mAuxParams.size()); }
    const AuxParam& GetAuxParam(int i) const { return mAuxParams[i]; }

protected:
    // The graphics context's value entry prompts over this box.
    IArea ValueEntryBox() const;

    int32_t mTextEntryLength = 7;
    ITextStyle mText;
    IFrameBase* mPlugin;
    IArea mArea;
    IArea mTargetArea;
    int32_t mParamIdx;
    std::vector<AuxParam> mAuxParams;
    double mValue = 0.0;
    double mDefaultValue = -1.0;
    double mClampLow = 0.0;
    double mClampHigh = 1.0;
    bool mDirty = true;
    bool mHide = false;
    bool mGrayed = false;
    bool mRedraw = false;
    bool mDisablePrompt = true;
    bool mDblAsSingleClick = false;
    bool mMOWhenGrayed = false;
    IBlend mBlend;
    ITextControlBitmapFont* mValDisplayControl = nullptr;
    ITextControlBitmapFont* mNameDisplayControl = nullptr;
    std::string mTooltip;
    IGraphics* mGraphics = nullptr;
};
