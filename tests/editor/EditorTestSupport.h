#pragma once

#include "editor/IControl.h"
#include "editor/IGraphics.h"
#include "editor/IStandardControls.h"
#include "editor/linux/IGraphicsLinux.h"
#include "frame/IFrameBase.h"
#include "raster/PIX_Bitmap.h"

#include <memory>
#include <string>
#include <vector>

// A frame whose host-facing operations are logged ("begin 1", "host 1", "change 1", "end 1", ...).
class EditorTestFrame : public IFrameBase
{
public:
    static IFrameConfig Config(int params, int apiKind)
    {
        IFrameConfig c;
        c.parameterCount = params;
        c.channelIOs = "0-1";
        c.apiKind = apiKind;
        return c;
    }
    explicit EditorTestFrame(int params = 4, int apiKind = kApiVST2) : IFrameBase(Config(params, apiKind)) {}

    void BeginHostParameterEdit(int idx) override { log.push_back("begin " + std::to_string(idx)); }
    void SendHostParameterValue(int idx, double value) override
    {
        log.push_back("host " + std::to_string(idx));
        hostValues.push_back(value);
    }
    void EndHostParameterEdit(int idx) override { log.push_back("end " + std::to_string(idx)); }
    void OnParameterContextMenu(int idx, int x, int y) override
    {
        log.push_back("menu " + std::to_string(idx) + " " + std::to_string(x) + "," + std::to_string(y));
    }
    void NotifyHostPresetChange() override {}
    double HostSamplePosition() override { return 0; }
    double HostTempo() override { return 120; }
    void HostTimeSignature(int& n, int& d) override { n = d = 4; }
    void HostTimeInfo(ITimeInfo&) override {}
    void ResizeEditor(int w, int h) override
    {
        log.push_back("resize " + std::to_string(w) + "x" + std::to_string(h));
    }
    bool SendMidiToHost(const IMidiMessage&) override { return true; }

    std::vector<std::string> log;
    std::vector<double> hostValues;
};

// The headless platform layer with what the editor asked of the window recorded, and a popup
// choice that a test can script.
class TestGraphics : public IGraphicsLinux
{
public:
    TestGraphics(IFrameBase* plugin, int w = 100, int h = 100) : IGraphicsLinux(plugin, w, h, 25) {}

    bool PresentToWindow(const IArea& area) override
    {
        presented.push_back(area);
        return true;
    }
    IPopupMenu* ShowPopupMenu(IPopupMenu& menu, const IArea& area) override
    {
        shownMenu.clear();
        for (const IPopupMenuItem& item : menu.items)
            shownMenu.push_back(item.text + (item.Checked() ? "*" : ""));
        menuArea = area;
        if (popupChoice < 0) return nullptr;
        menu.chosenItemIdx = popupChoice;
        return &menu;
    }
    void OpenTextField(IControl* control, const ITextStyle&, const IArea& area, const char* text,
                       IParameter*) override
    {
        textFieldControl = control;
        textFieldArea = area;
        textFieldText = text;
    }

    std::vector<IArea> presented;
    std::vector<std::string> shownMenu;
    IArea menuArea;
    int popupChoice = -1;
    IControl* textFieldControl = nullptr;
    IArea textFieldArea;
    std::string textFieldText;
};

// A control that logs its draws and events into a shared log as "<name> <event>".
class LoggingControl : public IControl
{
public:
    LoggingControl(std::vector<std::string>& log, const char* name, IArea area, int param = -1,
                   IFrameBase* plugin = nullptr)
        : IControl(plugin, area, param), log_(log), name_(name)
    {
    }
    bool Draw(IGraphics& g) override
    {
        const IArea& d = g.DrawArea();
        log_.push_back(name_ + " draw " + std::to_string(d.L) + "," + std::to_string(d.T) + "," +
                       std::to_string(d.R) + "," + std::to_string(d.B));
        return true;
    }
    void OnMouseDown(int x, int y, const IMouseModifiers&) override { Log("down", x, y); }
    void OnMouseUp(int x, int y, const IMouseModifiers&) override { Log("up", x, y); }
    void OnMouseDrag(int, int, int dX, int dY, const IMouseModifiers&) override { Log("drag", dX, dY); }
    void OnMouseDoubleClick(int x, int y, const IMouseModifiers&) override { Log("dbl", x, y); }
    void OnMouseWheel(int, int, const IMouseModifiers&, int notches) override { Log("wheel", notches, 0); }
    bool OnKeyDown(int, int, int key) override
    {
        Log("key", key, 0);
        return keyResult;
    }
    void OnMouseOver(int x, int y, const IMouseModifiers&) override { Log("over", x, y); }
    void OnMouseOut() override { log_.push_back(name_ + " out"); }

    bool keyResult = true;

private:
    void Log(const char* what, int a, int b)
    {
        log_.push_back(name_ + " " + what + " " + std::to_string(a) + "," + std::to_string(b));
    }
    std::vector<std::string>& log_;
    std::string name_;
};

// A knob that draws nothing: the knob base with its drag and wheel behaviour.
class TestKnob : public IKnobControl
{
public:
    using IKnobControl::IKnobControl;
    bool Draw(IGraphics&) override { return true; }
};

// A memory bitmap whose pixels are all `colour`.
inline std::unique_ptr<PIX_MemBitmap> SolidBitmap(int w, int h, PIX_Pixel colour)
{
    auto bitmap = std::make_unique<PIX_MemBitmap>(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            PIX_Row(*bitmap, y)[x] = colour;
    return bitmap;
}

// A vertical film strip of `frames` frames of w x fh pixels; frame i (from 1) is opaque grey i.
inline std::unique_ptr<PIX_MemBitmap> StripBitmap(int w, int fh, int frames)
{
    auto bitmap = std::make_unique<PIX_MemBitmap>(w, fh * frames);
    for (int y = 0; y < fh * frames; ++y)
        for (int x = 0; x < w; ++x)
        {
            const PIX_Pixel grey = static_cast<PIX_Pixel>(y / fh + 1);
            PIX_Row(*bitmap, y)[x] = 0xff000000u | grey << 16 | grey << 8 | grey;
        }
    return bitmap;
}

// The frame number that StripBitmap painted at a pixel (0 where nothing of a strip was drawn).
inline int FrameAt(PIX_IBitmap& bitmap, int x, int y)
{
    return static_cast<int>(PIX_Row(bitmap, y)[x] & 0xff);
}

inline PIX_Pixel PixelAt(PIX_IBitmap& bitmap, int x, int y)
{
    return PIX_Row(bitmap, y)[x];
}

// Clears the draw bitmap to a colour so that tests can see what a pass changed.
inline void ClearSurface(IGraphics& g, PIX_Pixel colour = 0)
{
    PIX_SysBitmap* s = g.DrawBitmapSurface();
    for (int y = 0; y < s->Height(); ++y)
        for (int x = 0; x < s->Width(); ++x)
            PIX_Row(*s, y)[x] = colour;
}

inline IMouseModifiers LeftButton()
{
    IMouseModifiers m;
    m.L = true;
    return m;
}

inline IMouseModifiers RightButton()
{
    IMouseModifiers m;
    m.R = true;
    return m;
}
