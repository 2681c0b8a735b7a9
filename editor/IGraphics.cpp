#include "editor/IGraphics.h"

#include "editor/IGraphicsCaches.h"
#include "editor/IStandardControls.h"
#include "frame/IFrameBase.h"
#include "raster/PIX_Bitmap.h"
#include "raster/PIX_Blit.h"
#include "raster/PIX_CachedFont.h"
#include "raster/PIX_PlatformFont.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace
{

int RasterMode(const IBlend* blend)
{
    if (!blend) return PIX_kCopy | PIX_kUseSourceAlpha;
    switch (blend->kind)
    {
    case IBlend::kBlendClobber:
        return PIX_kCopy;
    case IBlend::kBlendAdd:
        return PIX_kAdd | PIX_kUseSourceAlpha;
    case IBlend::kBlendColorDodge:
        return PIX_kDodge | PIX_kUseSourceAlpha;
    default:
        return PIX_kCopy | PIX_kUseSourceAlpha;
    }
}

int PlatformQuality(int quality)
{
    switch (quality)
    {
    case kQualityDefault:
        return PIX_kQualityDefault;
    case kQualityAntiAliased:
        return PIX_kQualityAntialiased;
    case kQualityClearType:
        return PIX_kQualityClearType;
    default:
        return PIX_kQualityNonAntialiased;
    }
}

} // namespace

IGraphics::IGraphics(IFrameBase* plugin, int width, int height, int fps)
    : mPlugin(plugin), mWidth(width), mHeight(height), mFPS(fps)
{
}

IGraphics::~IGraphics()
{
    mKeyCatcher.reset();
    DeleteControls();
    mDrawBitmap.reset();
}

void IGraphics::DeleteControls()
{
    while (!mControls.empty())
        mControls.pop_back();
}

bool IGraphics::MeasureText(ITextStyle& style, const char* text, IArea& area)
{
    return DrawText(style, text, area, true);
}

void IGraphics::Resize(int width, int height)
{
    mWidth = width;
    mHeight = height;
    mMouseCapture = mMouseOver = -1;
    DeleteControls();
    mDrawBitmap.reset();
    mDrawBitmap = std::make_unique<PIX_SysBitmap>(width, height);
    if (mPlugin) mPlugin->ResizeEditor(width, height);
}

bool IGraphics::IsWindowOpen()
{
    return GetWindow() != nullptr;
}

void IGraphics::PrepareDraw()
{
    mDrawBitmap = std::make_unique<PIX_SysBitmap>(mWidth, mHeight);
}

int IGraphics::AddBackground(int id, const char* name)
{
    const IBitmapRef bitmap = LoadBitmap(id, name);
    auto control = std::make_unique<IBitmapControl>(mPlugin, IArea{0, 0, bitmap.W, bitmap.H}, -1, bitmap,
                                                    IBlend{IBlend::kBlendClobber, 1.0f});
    control->SetGraphics(this);
    mControls.insert(mControls.begin(), std::move(control));
    // Indices shifted: the capture and mouse-over fields would name the wrong controls.
    if (mMouseCapture >= 0) ++mMouseCapture;
    if (mMouseOver >= 0) ++mMouseOver;
    return 0;
}

int IGraphics::AddControl(IControl* control)
{
    control->SetGraphics(this);
    mControls.emplace_back(control);
    return NControls() - 1;
}

void IGraphics::SetKeyCatcher(IControl* control)
{
    if (control) control->SetGraphics(this);
    mKeyCatcher.reset(control);
}

IControl* IGraphics::GetControl(int idx) const
{
    return idx >= 0 && idx < NControls() ? mControls[idx].get() : nullptr;
}

int IGraphics::TooltipControlAt(int x, int y) const
{
    const IControl* control = GetControl(mMouseOver);
    return control && control->TargetArea().Contains(x, y) ? mMouseOver : -1;
}

IBitmapRef IGraphics::LoadBitmap(int id, const char* name, int frames, bool horizontal)
{
    PIX_IBitmap* bitmap = IGraphicsCaches::FindOrLoadBitmap(id, [&] { return LoadBitmapResource(id, name); });
    return IBitmapRef(bitmap, frames, horizontal);
}

void IGraphics::PushValueToControls(int paramIdx, double value, bool isNormalized)
{
    if (!isNormalized)
    {
        const IParameter* param = mPlugin ? mPlugin->GetParam(paramIdx) : nullptr;
        if (!param) return;
        value = param->ToNormalized(value);
    }
    for (const auto& control : mControls)
    {
        if (control->ParamIdx() == paramIdx) control->TakeValueFromPlugin(value);
        for (int i = 0; i < control->NAuxParams(); ++i)
        {
            if (control->GetAuxParam(i).paramIdx != paramIdx) continue;
            control->TakeAuxValueFromPlugin(i, value);
            break;
        }
    }
}

void IGraphics::SetControlsAsUser(int paramIdx, double normalizedValue)
{
    for (const auto& control : mControls)
        if (control->ParamIdx() == paramIdx) control->SetValueFromUser(normalizedValue);
}

void IGraphics::OpenValueEntry(IControl* control, IParameter* param, const IArea* area)
{
    if (!control || !param || !area) return;
    const IParameterType type = param->Type();
    if (type == IParameterType::Enum || (type == IParameterType::Bool && param->DisplayTextCount() > 0))
    {
        char current[kParameterTextSize];
        param->FormatCurrentValue(current);
        IPopupMenu menu;
        for (int i = 0; i < param->DisplayTextCount(); ++i)
        {
            const char* text = param->DisplayTextFor(i);
            IPopupMenuItem& item = menu.AddItem(text ? text : "");
            if (item.text == current) item.flags |= IPopupMenuItem::kChecked;
        }
        IPopupMenu* chosen = ShowPopupMenu(menu, *area);
        if (!chosen) return;
        const double c = std::clamp(static_cast<double>(chosen->chosenItemIdx), param->Min(), param->Max());
        control->SetValueFromUser(param->ToNormalized(c));
        return;
    }

    double value = param->Value();
    if (param->NegateDisplay()) value = -value;
    char text[64];
    if (param->DisplayPrecision() != 0)
        std::snprintf(text, sizeof text, "%.*f", param->DisplayPrecision(), value);
    else
        std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    OpenTextField(control, control->TextStyle(), *area, text, param);
}

bool IGraphics::DrawBitmap(const IBitmapRef& bitmap, const IArea& dest, int srcX, int srcY,
                           const IBlend* blend)
{
    const IArea r = dest.Clip(mDrawArea);
    if (r.Empty() || !mDrawBitmap) return true;
    const PIX_Rect source{srcX + r.L - dest.L, srcY + r.T - dest.T, srcX + r.R - dest.L, srcY + r.B - dest.T};
    PIX_Blit(mDrawBitmap.get(), bitmap.bitmap, r.L, r.T, &source, blend ? blend->weight : 1.0f,
             RasterMode(blend));
    return true;
}

bool IGraphics::DrawBitmapFrame(const IBitmapRef& bitmap, const IArea& dest, int frame, const IBlend* blend)
{
    int srcX = 0;
    int srcY = 0;
    if (bitmap.N >= 2 && frame >= 2)
    {
        if (bitmap.horizontal)
            srcX = static_cast<int>(static_cast<double>(bitmap.W) * (frame - 1) / bitmap.N + 0.5);
        else
            srcY = static_cast<int>(static_cast<double>(bitmap.H) * (frame - 1) / bitmap.N + 0.5);
    }
    return DrawBitmap(bitmap, dest, srcX, srcY, blend);
}

PIX_CachedFont* IGraphics::CacheFont(ITextStyle& style)
{
    PIX_CachedFont* font = IGraphicsCaches::FindOrCreateFont(
        style,
        [&]() -> PIX_CachedFont*
        {
            PIX_FontRequest request;
            request.height = style.size;
            request.escapement = request.orientation = style.orientation * 10;
            request.weight = style.style == kStyleBold ? 700 : 400;
            request.italic = style.style == kStyleItalic;
            request.quality = PlatformQuality(style.quality);
            std::snprintf(request.face, sizeof request.face, "%s", style.font);
            PIX_PlatformFont* platformFont = PIX_CreatePlatformFont(request);
            if (!platformFont) return nullptr;
            auto font = std::make_unique<PIX_CachedFont>();
            font->SetPlatformFont(platformFont, PIX_kFontOwnsPlatformFont);
            return font.release();
        });
    style.cached = font;
    return font;
}

bool IGraphics::DrawText(ITextStyle& style, const char* text, IArea& area, bool measure)
{
    if (!text || !*text) return true;
    PIX_CachedFont* font = style.cached ? style.cached : CacheFont(style);
    if (!font) return false;
    font->SetTextColor(style.color.Packed());
    int flags = PIX_kTextNoClip;
    if (style.color.A < 255) flags |= PIX_kTextUseColorAlpha;
    if (style.align == kAlignCenter)
        flags |= PIX_kTextCentre;
    else if (style.align != kAlignLeft)
        flags |= PIX_kTextRight;

    if (!measure)
    {
        PIX_Rect r{area.L, area.T, area.R, area.B};
        font->DrawText(mDrawBitmap.get(), text, -1, &r, flags);
        return true;
    }
    PIX_Rect r{};
    font->DrawText(nullptr, text, -1, &r, flags | PIX_kTextMeasure);
    const int w = r.R - r.L;
    const int h = r.B - r.T;
    if (style.align == kAlignLeft)
        area.R = area.L + w;
    else if (style.align == kAlignCenter)
    {
        area.L = static_cast<int>((area.L + area.R) * 0.5) - w / 2;
        area.R = area.L + w;
    }
    else
        area.L = area.R - w;
    area.B = area.T + h;
    return true;
}

bool IGraphics::IsDirty(IArea& area)
{
    bool dirty = false;
    for (const auto& control : mControls)
    {
        if (!control->IsDirty()) continue;
        area = area.Union(control->Area());
        dirty = true;
    }
    return dirty;
}

void IGraphics::DrawControl(int idx)
{
    mControls[idx]->Draw(*this);
}

bool IGraphics::Draw(const IArea& area)
{
    if (mControls.empty()) return true;
    const int n = NControls();
    if (mStrict)
    {
        mDrawArea = area;
        for (int i = 0; i < n; ++i)
        {
            IControl& control = *mControls[i];
            if (!control.IsHidden() && area.Reaches(control.Area())) DrawControl(i);
            control.MarkClean();
        }
    }
    else if (mControls[0]->IsDirty())
    {
        mDrawArea = mControls[0]->Area();
        for (int i = 0; i < n; ++i)
        {
            if (i > 0 && mControls[i]->IsHidden()) continue;
            DrawControl(i);
            mControls[i]->MarkClean();
        }
    }
    else
    {
        for (int i = 1; i < n; ++i)
        {
            if (!mControls[i]->IsDirty()) continue;
            mDrawArea = mControls[i]->Area();
            for (int j = 0; j < n; ++j)
            {
                const IControl& other = *mControls[j];
                if (other.IsHidden()) continue;
                if (j == i || other.Area().Reaches(mDrawArea)) DrawControl(j);
            }
            mControls[i]->MarkClean();
        }
    }
    return PresentToWindow(area);
}

int IGraphics::GetMouseControlIdx(int x, int y, bool forMouseOver) const
{
    for (int i = NControls() - 1; i >= 0; --i)
    {
        IControl& control = *mControls[i];
        if (control.IsHidden()) continue;
        if (control.IsGrayed() && !(forMouseOver && control.MouseOverWhenGrayed())) continue;
        if (control.HitTest(x, y)) return i;
    }
    return -1;
}

void IGraphics::ReleaseMouseCapture()
{
    mMouseCapture = -1;
    mMouseX = mMouseY = -1;
}

void IGraphics::SetCursorHidden(bool hidden, int x, int y)
{
    mCursorHidden = hidden;
    if (hidden)
    {
        mHiddenMousePointX = x;
        mHiddenMousePointY = y;
    }
}

void IGraphics::OnMouseDown(int x, int y, const IMouseModifiers& mod)
{
    ReleaseMouseCapture();
    const int c = GetMouseControlIdx(x, y);
    if (c < 0) return;
    mMouseCapture = c;
    mMouseX = x;
    mMouseY = y;
    IControl& control = *mControls[c];
    const int paramIdx = control.ParamIdx();
    if (mPlugin && mPlugin->ApiKind() == kApiVST3 && mod.R && paramIdx >= 0)
    {
        ReleaseMouseCapture();
        mPlugin->OnParameterContextMenu(paramIdx, x, y);
        return;
    }
    if (mPlugin && paramIdx >= 0) mPlugin->BeginHostParameterEdit(paramIdx);
    control.OnMouseDown(x, y, mod);
}

void IGraphics::OnMouseUp(int x, int y, const IMouseModifiers& mod)
{
    const int c = mMouseCapture >= 0 ? mMouseCapture : GetMouseControlIdx(x, y);
    ReleaseMouseCapture();
    IControl* control = GetControl(c);
    if (!control) return;
    control->OnMouseUp(x, y, mod);
    if (mPlugin && control->ParamIdx() >= 0) mPlugin->EndHostParameterEdit(control->ParamIdx());
}

void IGraphics::OnMouseDrag(int x, int y, const IMouseModifiers& mod)
{
    IControl* control = GetControl(mMouseCapture);
    if (!control) return;
    const int dX = x - mMouseX;
    const int dY = y - mMouseY;
    if (dX == 0 && dY == 0) return;
    mMouseX = x;
    mMouseY = y;
    control->OnMouseDrag(x, y, dX, dY, mod);
}

bool IGraphics::OnMouseDoubleClick(int x, int y, const IMouseModifiers& mod)
{
    ReleaseMouseCapture();
    const int c = GetMouseControlIdx(x, y);
    if (c < 0) return false;
    IControl& control = *mControls[c];
    if (!control.DoubleClickAsClick())
    {
        control.OnMouseDoubleClick(x, y, mod);
        return false;
    }
    mMouseCapture = c;
    mMouseX = x;
    mMouseY = y;
    control.OnMouseDown(x, y, mod);
    return true;
}

void IGraphics::OnMouseWheel(int x, int y, const IMouseModifiers& mod, int notches)
{
    const int c = mMouseCapture >= 0 ? mMouseCapture : GetMouseControlIdx(x, y);
    if (IControl* control = GetControl(c)) control->OnMouseWheel(x, y, mod, notches);
}

bool IGraphics::OnKeyDown(int x, int y, int key)
{
    const int c = mMouseCapture >= 0 ? mMouseCapture : GetMouseControlIdx(x, y);
    if (c <= 0) return mKeyCatcher ? mKeyCatcher->OnKeyDown(x, y, key) : false;
    return mControls[c]->OnKeyDown(x, y, key);
}

bool IGraphics::OnMouseOver(int x, int y, const IMouseModifiers& mod)
{
    if (!mHandleMouseOver) return false;
    const int c = mMouseCapture >= 0 ? mMouseCapture : GetMouseControlIdx(x, y, true);
    IControl* target = GetControl(c);
    if (!target) return true;
    mMouseX = x;
    mMouseY = y;
    target->OnMouseOver(x, y, mod);
    if (mMouseOver >= 0 && mMouseOver != c)
        if (IControl* previous = GetControl(mMouseOver)) previous->OnMouseOut();
    mMouseOver = c;
    return true;
}

void IGraphics::OnMouseOut()
{
    for (const auto& control : mControls)
        control->OnMouseOut();
    mMouseOver = -1;
}
