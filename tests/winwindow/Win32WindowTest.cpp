// The editor in real Win32 windows (under Wine and Xvfb on the build machine): a host window of our
// own, the VST2 plug-in's editor opened with opcode 14 and the VST3 module's view attached with "HWND",
// driven by mouse and keyboard messages posted as the system posts them. Geometry and the expected
// picture come from the same editor description drawn headless.

#include "../vst2/Vst2Host.h"
#include "Win32Driver.h"
#include "tests/support/HeadlessEditor.h"

#include "editor/win/IGraphicsWin.h"
#include "instrument/ParamLayout.h"
#include "raster/PIX_Bitmap.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"
#include "public.sdk/source/vst/hosting/module.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace
{
using namespace vst2;

constexpr int kEditorW = 846;
constexpr int kEditorH = 768;

// Pixels of the window that differ from the headless drawing; the window is saved as a PNG first when
// a path is given.
int DifferingPixels(Win32Driver& driver, HWND window, const std::string& screenshot = {})
{
    int w = 0, h = 0;
    const std::vector<std::uint32_t> pixels = driver.Capture(window, w, h);
    EXPECT_EQ(w, kEditorW);
    EXPECT_EQ(h, kEditorH);
    if (pixels.empty()) return -1;
    if (!screenshot.empty())
    {
        PIX_MemBitmap shot(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                shot.Bits()[y * shot.RowSpan() + x] =
                    0xFF000000u | pixels[static_cast<std::size_t>(y) * w + x];
        EXPECT_EQ(WriteBitmapPng(shot, screenshot), "");
    }
    PIX_SysBitmap& reference = *Headless().g->DrawBitmapSurface();
    int differ = 0;
    for (int y = 0; y < std::min(h, reference.Height()); ++y)
        for (int x = 0; x < std::min(w, reference.Width()); ++x)
            differ += (reference.Bits()[y * reference.RowSpan() + x] & 0xFFFFFF) !=
                      pixels[static_cast<std::size_t>(y) * w + x];
    return differ;
}

struct Win32Vst2Window : ::testing::Test
{
    Win32Driver driver;
    Vst2Host host{BRISBLEEP_VST2_PLUGIN_PATH};
    HWND parent = nullptr;
    HWND editor = nullptr;

    void SetUp() override
    {
        ASSERT_NE(host.Create(), nullptr);
        host.Dispatch(EffectOp::kOpen);
        host.Dispatch(EffectOp::kSetSampleRate, 0, 0, nullptr, 44100.0f);
        host.Dispatch(EffectOp::kSetBlockSize, 0, 512);
        host.Dispatch(EffectOp::kMainsChanged, 0, 1);
        parent = driver.CreateHostWindow(kEditorW, kEditorH);
        ASSERT_NE(parent, nullptr);
        ASSERT_EQ(host.Dispatch(EffectOp::kEditOpen, 0, 0, parent), 1);
        editor = Win32Driver::Editor(parent);
        ASSERT_NE(editor, nullptr);
        ASSERT_TRUE(driver.WaitUntil([this] { return DifferingPixels(driver, editor) == 0; }))
            << "the editor shows what the headless drawing shows";
    }
    void TearDown() override
    {
        if (host.effect) host.Dispatch(EffectOp::kEditClose);
        if (parent) DestroyWindow(parent);
    }
    HWND Entry() const { return Win32Driver::Child(editor, "EDIT"); }
};

TEST_F(Win32Vst2Window, OpensAChildWindowThatShowsTheHeadlessPicture)
{
    EXPECT_EQ(GetParent(editor), parent);
    char title[64] = {};
    GetWindowTextA(editor, title, sizeof title);
    EXPECT_STREQ(title, "Brisbleep");
    EXPECT_EQ(DifferingPixels(driver, editor, BRISBLEEP_SCREENSHOT_DIR "/editor-window-win32.png"), 0);

    // Closed and opened again: a new window, drawn whole.
    EXPECT_EQ(host.Dispatch(EffectOp::kEditClose), 1);
    EXPECT_EQ(Win32Driver::Editor(parent), nullptr);
    ASSERT_EQ(host.Dispatch(EffectOp::kEditOpen, 0, 0, parent), 1);
    editor = Win32Driver::Editor(parent);
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(driver.WaitUntil([this] { return DifferingPixels(driver, editor) == 0; }));
}

TEST_F(Win32Vst2Window, CoinClickChangesParametersAndTheHostSeesAutomation)
{
    const std::vector<float> before = host.Params();
    host.calls.clear();
    driver.Click(editor, {315, 581}); // COIN
    ASSERT_TRUE(driver.WaitUntil([&] { return host.Params() != before; }));
    const std::vector<float> after = host.Params();
    int changed = 0;
    for (int i = 0; i < kParamCount; ++i)
        changed += before[i] != after[i];
    EXPECT_GT(changed, 5);
    EXPECT_GT(host.CallsWith(HostOp::kAutomate).size(), 5u);
    // The timer shows the new values.
    EXPECT_TRUE(driver.WaitUntil([&] { return DifferingPixels(driver, editor) > 1000; }));
}

TEST_F(Win32Vst2Window, KnobDragWheelAndDoubleClick)
{
    constexpr int kPhase = 21; // 0 to 1, linear
    const IArea area = Headless().ControlOf(kPhase)->Area();
    const Point knob{(area.L + area.R) / 2, area.T + 20};
    ASSERT_FLOAT_EQ(host.Param(kPhase), 0.0f);

    driver.Drag(editor, knob, -40);
    ASSERT_TRUE(driver.WaitUntil([&] { return host.CountCalls(HostOp::kEndEdit, kPhase) == 1; }));
    const float dragged = host.Param(kPhase);
    EXPECT_GT(dragged, 0.05f);
    EXPECT_EQ(host.CountCalls(HostOp::kBeginEdit, kPhase), 1);
    EXPECT_GT(host.CountCalls(HostOp::kAutomate, kPhase), 0);

    // One notch (a wheel delta of 120) is a hundredth of the range; half a notch is none.
    driver.Wheel(editor, knob, 120);
    EXPECT_TRUE(driver.WaitUntil([&] { return host.Param(kPhase) != dragged; }));
    EXPECT_NEAR(host.Param(kPhase) - dragged, 0.01f, 0.0015f);
    const float turned = host.Param(kPhase);
    driver.Wheel(editor, knob, 60);
    driver.Pump(100);
    EXPECT_FLOAT_EQ(host.Param(kPhase), turned);

    // A double click restores the default.
    driver.DoubleClick(editor, knob);
    EXPECT_TRUE(driver.WaitUntil([&] { return host.Param(kPhase) == 0.0f; }));
}

TEST_F(Win32Vst2Window, TextEntryCommitsWithEnterAndCancelsWithEscape)
{
    struct Case
    {
        int param;
        const char* typed;
        WPARAM endKey;
        const char* display; // after the entry closed
    };
    const Case cases[] = {
        {59, "7.5", VK_RETURN, "7.5"},       // Double: the dot is taken
        {15, "-4.2", VK_RETURN, "-42"},      // Int: the dot is refused
        {16, "33", VK_ESCAPE, "0"},          // cancelled: unchanged
        {17, "123456789", VK_RETURN, "100"}, // seven characters at most, then clamped to the range
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.typed);
        driver.Click(editor, Centre(Headless().TextBand(c.param)));
        ASSERT_TRUE(driver.WaitUntil([&] { return Entry() != nullptr; })) << "the entry is open";
        driver.Type(Entry(), c.typed);
        driver.Key(Entry(), c.endKey);
        EXPECT_TRUE(driver.WaitUntil([&] { return Entry() == nullptr; })) << "the entry closed";
        EXPECT_EQ(host.ParamDisplay(c.param), c.display);
    }
}

TEST_F(Win32Vst2Window, ClickElsewhereCommitsAndWheelCancelsTheEntry)
{
    const Point band = Centre(Headless().TextBand(15));
    driver.Click(editor, band);
    ASSERT_TRUE(driver.WaitUntil([&] { return Entry() != nullptr; }));
    driver.Type(Entry(), "7");
    driver.Click(editor, {20, 740}); // the background
    EXPECT_TRUE(driver.WaitUntil([&] { return Entry() == nullptr; }));
    EXPECT_EQ(host.ParamDisplay(15), "7");

    driver.Click(editor, band);
    ASSERT_TRUE(driver.WaitUntil([&] { return Entry() != nullptr; }));
    driver.Type(Entry(), "9");
    driver.Wheel(editor, band, 120);
    EXPECT_TRUE(driver.WaitUntil([&] { return Entry() == nullptr; }));
    EXPECT_EQ(host.ParamDisplay(15), "7");
}

TEST_F(Win32Vst2Window, OnScreenKeyboardPlaysANote)
{
    const IArea keys = Headless().g->GetControl(1)->Area();
    const Point key{keys.L + 12, keys.B - 12};
    const auto peak = [this]
    {
        float p = 0;
        for (int block = 0; block < 8; ++block)
            for (const auto& channel : host.ProcessFloat(512, false))
                for (float s : channel)
                    p = std::max(p, std::abs(s));
        return p;
    };
    EXPECT_EQ(peak(), 0.0f);
    driver.Press(editor, key);
    EXPECT_TRUE(driver.WaitUntil([&] { return peak() > 0.01f; }));
    driver.Release(editor, key);
}

TEST_F(Win32Vst2Window, KeysTheEditorDoesNotUseReachTheHostWindow)
{
    driver.TakeHostKeys();
    driver.Key(editor, VK_F5);
    driver.Key(editor, 'Q'); // a letter the editor maps, but no control takes
    const std::vector<WPARAM> keys = driver.TakeHostKeys();
    EXPECT_NE(std::find(keys.begin(), keys.end(), static_cast<WPARAM>(VK_F5)), keys.end());
    EXPECT_NE(std::find(keys.begin(), keys.end(), static_cast<WPARAM>('Q')), keys.end());
}

TEST_F(Win32Vst2Window, EnumerationValuesArePickedFromAPopupMenu)
{
    constexpr int kOsc1Type = 1;
    const Point band = Centre(Headless().TextBand(kOsc1Type));
    const std::string initial = host.ParamDisplay(kOsc1Type);
    // The menu runs modally inside the click, on this thread; a thread of ours presses keys in it as a
    // person would: Down n times and Enter, or Escape.
    const auto pickWith = [&](std::vector<WPARAM> keys)
    {
        std::thread person(
            [keys]
            {
                HWND menu = nullptr;
                for (int i = 0; i < 300 && !(menu = FindWindowA("#32768", nullptr)); ++i)
                    Sleep(10);
                for (WPARAM key : keys)
                {
                    Sleep(30);
                    PostMessageA(menu, WM_KEYDOWN, key, 1);
                }
            });
        driver.Click(editor, band);
        person.join();
        driver.Pump(100);
    };

    pickWith({VK_ESCAPE});
    EXPECT_EQ(host.ParamDisplay(kOsc1Type), initial) << "a dismissed menu changes nothing";
    // The fourth row is the fourth waveform.
    pickWith({VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_TRUE(driver.WaitUntil([&] { return host.ParamDisplay(kOsc1Type) == "Square"; }))
        << host.ParamDisplay(kOsc1Type);
}

// The Windows graphics context itself: its drawing interface's name, and the window timer's period of
// trunc(1000 / frame rate) milliseconds.
TEST(Win32Graphics, DrawingApiNameAndTimerPeriod)
{
    EXPECT_STREQ(Headless().g->GetDrawingApiName(), "Windows GDI");
    const std::pair<int, unsigned> periods[] = {{25, 40}, {30, 33}, {60, 16}, {1, 1000}};
    for (const auto& [fps, ms] : periods)
        EXPECT_EQ(IGraphicsWin::TimerPeriodMs(fps), ms) << fps;
}

// The VST3 module's view, attached to a host window with the platform type "HWND".
TEST(Win32Vst3Window, AttachedWithHwndShowsTheHeadlessPicture)
{
    using namespace Steinberg;
    std::string error;
    auto module = VST3::Hosting::Module::create(BRISBLEEP_VST3_BUNDLE_PATH, error);
    ASSERT_TRUE(module) << error;
    const auto& factory = module->getFactory();
    auto component = factory.createInstance<Vst::IComponent>(factory.classInfos()[0].ID());
    ASSERT_TRUE(component);
    Vst::HostApplication context;
    ASSERT_EQ(component->initialize(&context), kResultOk);
    FUnknownPtr<Vst::IEditController> controller(component);
    ASSERT_TRUE(controller);
    IPtr<IPlugView> view = owned(controller->createView(Vst::ViewType::kEditor));
    ASSERT_TRUE(view);
    EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultTrue);
    EXPECT_NE(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultTrue);

    Win32Driver driver;
    HWND parent = driver.CreateHostWindow(kEditorW, kEditorH);
    EXPECT_NE(view->attached(parent, "X11EmbedWindowID"), kResultOk);
    ASSERT_EQ(view->attached(parent, kPlatformTypeHWND), kResultOk);
    HWND editor = Win32Driver::Editor(parent);
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(driver.WaitUntil([&] { return DifferingPixels(driver, editor) == 0; }));

    // A click on COIN reaches the controller's parameters.
    const std::vector<double> all = [&]
    {
        std::vector<double> v;
        for (int i = 0; i < kParamCount; ++i)
            v.push_back(controller->getParamNormalized(i));
        return v;
    }();
    driver.Click(editor, {315, 581});
    EXPECT_TRUE(driver.WaitUntil(
        [&]
        {
            for (int i = 0; i < kParamCount; ++i)
                if (controller->getParamNormalized(i) != all[static_cast<std::size_t>(i)]) return true;
            return false;
        }));

    EXPECT_EQ(view->removed(), kResultOk);
    EXPECT_EQ(Win32Driver::Editor(parent), nullptr);
    view = nullptr;
    component->terminate();
    DestroyWindow(parent);
}

} // namespace
