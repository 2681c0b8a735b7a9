// The VST2 plug-in's editor in a real X server: a host window of our own, the plug-in loaded with
// dlopen, the editor opened with opcode 14 and driven by pointer and key events through XTest, as a
// person would. Geometry comes from the same editor description built headless.

#include "../vst2/Vst2Host.h"
#include "XDriver.h"
#include "tests/support/HeadlessEditor.h"

#include "editor/IBitmapFontControls.h"
#include "editor/IEditorSnapshot.h"
#include "editor/IGraphics.h"
#include "instrument/Brisbleep.h"
#include "instrument/ParamLayout.h"
#include "raster/PIX_Bitmap.h"

#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <string>
#include <thread>

namespace
{

using namespace vst2;

constexpr int kEditorW = 846;
constexpr int kEditorH = 768;

// An instance of the plug-in with its editor in a host window.
struct EditorInstance
{
    XDriver& x;
    Vst2Host host{BRISBLEEP_VST2_PLUGIN_PATH};
    unsigned long parent = 0;

    EditorInstance(XDriver& x, int left, int top) : x(x)
    {
        host.Create();
        host.Dispatch(EffectOp::kOpen);
        host.Dispatch(EffectOp::kSetSampleRate, 0, 0, nullptr, 44100.0f);
        host.Dispatch(EffectOp::kSetBlockSize, 0, 512);
        host.Dispatch(EffectOp::kMainsChanged, 0, 1);
        parent = x.CreateHostWindow(left, top, kEditorW, kEditorH);
    }
    ~EditorInstance()
    {
        if (host.effect) host.Close();
    }
    bool Open() { return host.Dispatch(EffectOp::kEditOpen, 0, 0, reinterpret_cast<void*>(parent)) == 1; }
    intptr_t Close() { return host.Dispatch(EffectOp::kEditClose); }
    void Idle() { host.Dispatch(EffectOp::kEditIdle); }
    unsigned long Editor()
    {
        const auto children = x.Children(parent);
        return children.size() == 1 ? children[0] : 0;
    }
    // A point of the editor on the screen.
    Point Screen(Point p)
    {
        int sx = 0, sy = 0;
        x.ScreenPosition(Editor(), sx, sy);
        return {sx + p.x, sy + p.y};
    }
    void Click(Point p, int button = 1)
    {
        const Point s = Screen(p);
        x.Click(s.x, s.y, button);
    }
};

struct Vst2Window : ::testing::Test
{
    XDriver x;
    std::unique_ptr<EditorInstance> editor;

    void SetUp() override
    {
        ASSERT_TRUE(x.Connected()) << "no X server (run under xvfb-run)";
        ASSERT_TRUE(x.HasXTest());
        editor = std::make_unique<EditorInstance>(x, 0, 0);
        x.pump = [this] { editor->Idle(); };
        ASSERT_TRUE(editor->Open());
        x.Wait(150);
        ASSERT_TRUE(x.WaitUntil([this] { return DifferingPixels(editor->Editor()) == 0; }))
            << "the editor shows what the headless drawing shows";
    }
    void TearDown() override
    {
        x.pump = nullptr;
        editor.reset();
    }
    // Pixels of the editor window that differ from the headless drawing of the same editor.
    int DifferingPixels(unsigned long window, const std::string& screenshot = {})
    {
        return DifferingPixels(window, *Headless().g->DrawBitmapSurface(), screenshot);
    }
    int DifferingPixels(unsigned long window, PIX_SysBitmap& reference, const std::string& screenshot = {})
    {
        int w = 0, h = 0;
        const std::vector<uint32_t> pixels = x.Capture(window, w, h);
        EXPECT_EQ(w, kEditorW);
        EXPECT_EQ(h, kEditorH);
        if (pixels.empty()) return -1;
        if (!screenshot.empty())
        {
            int sx = 0, sy = 0;
            x.ScreenPosition(window, sx, sy);
            EXPECT_EQ(x.SaveScreen(sx, sy, w, h, screenshot), "");
        }
        int differ = 0;
        for (int y = 0; y < std::min(h, reference.Height()); ++y)
            for (int i = 0; i < std::min(w, reference.Width()); ++i)
                differ += (reference.Bits()[y * reference.RowSpan() + i] & 0xFFFFFF) !=
                          pixels[static_cast<std::size_t>(y) * w + i];
        return differ;
    }
};

TEST_F(Vst2Window, OpensAsAChildOfTheHostWindowWithTheReportedSize)
{
    EditorRect* rect = nullptr;
    ASSERT_EQ(editor->host.Dispatch(EffectOp::kEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->right - rect->left, kEditorW);
    EXPECT_EQ(rect->bottom - rect->top, kEditorH);
    const auto children = x.Children(editor->parent);
    ASSERT_EQ(children.size(), 1u);
    int w = 0, h = 0;
    EXPECT_FALSE(x.Capture(children[0], w, h).empty());
    EXPECT_EQ(w, kEditorW);
    EXPECT_EQ(h, kEditorH);

    EXPECT_EQ(editor->Close(), 1);
    EXPECT_TRUE(x.Children(editor->parent).empty());
    // Closing again is harmless; opening again works.
    EXPECT_EQ(editor->Close(), 1);
    EXPECT_TRUE(editor->Open());
    EXPECT_EQ(x.Children(editor->parent).size(), 1u);
}

TEST_F(Vst2Window, WindowPixelsEqualTheHeadlessSnapshot)
{
    EXPECT_EQ(DifferingPixels(editor->Editor(), BRISBLEEP_SCREENSHOT_DIR "/editor-window-vst2.png"), 0);
}

TEST_F(Vst2Window, HostAutomationIsRedrawnByTheTimer)
{
    const unsigned long window = editor->Editor();
    ASSERT_EQ(DifferingPixels(window), 0);
    editor->host.effect->setParameter(editor->host.effect, 21, 0.5f); // Osc1 Phase
    EXPECT_TRUE(x.WaitUntil([&] { return DifferingPixels(window) > 0; }));
    x.Wait(100);
    // Only the knob's own area was repainted.
    int w = 0, h = 0;
    const auto pixels = x.Capture(window, w, h);
    PIX_SysBitmap& reference = *Headless().g->DrawBitmapSurface();
    const IArea knob = Headless().ControlOf(21)->Area();
    for (int y = 0; y < h; y += 3)
    {
        for (int i = 0; i < w; i += 3)
        {
            if (knob.Contains(i, y)) continue;
            ASSERT_EQ(reference.Bits()[y * reference.RowSpan() + i] & 0xFFFFFF, pixels[y * w + i])
                << "at " << i << "," << y;
        }
    }
}

TEST_F(Vst2Window, AnExposureDoesNotSwallowAChangeWaitingForTheTimer)
{
    // Automation marks a knob for the next tick; before the tick, another part of the window is
    // uncovered and repainted.
    editor->host.effect->setParameter(editor->host.effect, 21, 0.5f); // Osc1 Phase
    const Point corner = editor->Screen({600, 600});
    const unsigned long cover = x.CreateHostWindow(corner.x, corner.y, 100, 100);
    x.DestroyWindow(cover);

    HeadlessEditor expected;
    expected.instrument.GetParam(21)->SetFromNormalized(0.5);
    expected.g->PushValueToControls(21, 0.5, true);
    DrawWholeEditor(*expected.g);
    EXPECT_TRUE(x.WaitUntil(
        [&] { return DifferingPixels(editor->Editor(), *expected.g->DrawBitmapSurface()) == 0; }));
}

TEST_F(Vst2Window, CoinClickChangesParametersAndTheHostSeesAutomation)
{
    const std::vector<float> before = editor->host.Params();
    editor->host.calls.clear();
    editor->Click({315, 581}); // COIN
    ASSERT_TRUE(x.WaitUntil([&] { return editor->host.Params() != before; }));
    x.Wait(100);
    const std::vector<float> after = editor->host.Params();
    int changed = 0;
    for (int i = 0; i < kParamCount; ++i)
        changed += before[i] != after[i];
    EXPECT_GT(changed, 5);
    EXPECT_GT(editor->host.CallsWith(HostOp::kAutomate).size(), 5u);
    // The new values are on the screen.
    EXPECT_GT(DifferingPixels(editor->Editor()), 1000);
}

TEST_F(Vst2Window, KnobDragWheelAndDoubleClick)
{
    constexpr int kPhase = 21; // 0 to 1, linear
    const IArea area = Headless().ControlOf(kPhase)->Area();
    const Point knob{(area.L + area.R) / 2, area.T + 20};
    ASSERT_FLOAT_EQ(editor->host.Param(kPhase), 0.0f);

    const Point s = editor->Screen(knob);
    x.Drag(s.x, s.y, 0, -40);
    ASSERT_TRUE(x.WaitUntil([&] { return editor->host.CountCalls(HostOp::kEndEdit, kPhase) == 1; }));
    const float dragged = editor->host.Param(kPhase);
    EXPECT_GT(dragged, 0.05f);
    EXPECT_EQ(editor->host.CountCalls(HostOp::kBeginEdit, kPhase), 1);
    EXPECT_EQ(editor->host.CountCalls(HostOp::kEndEdit, kPhase), 1);
    EXPECT_GT(editor->host.CountCalls(HostOp::kAutomate, kPhase), 0);

    // One notch is a hundredth of the range, in either direction.
    x.MoveTo(s.x, s.y);
    x.Press(4);
    x.Release(4);
    EXPECT_TRUE(x.WaitUntil([&] { return editor->host.Param(kPhase) != dragged; }));
    EXPECT_NEAR(editor->host.Param(kPhase) - dragged, 0.01f, 0.0015f);
    x.Press(5);
    x.Release(5);
    x.Press(5);
    x.Release(5);
    EXPECT_TRUE(x.WaitUntil([&] { return editor->host.Param(kPhase) < dragged; }));
    EXPECT_NEAR(editor->host.Param(kPhase) - dragged, -0.01f, 0.0015f);

    // Two clicks far apart in time are two clicks; two quick ones restore the default.
    const float turned = editor->host.Param(kPhase);
    x.Click(s.x, s.y);
    x.Wait(450);
    x.Click(s.x, s.y);
    x.Wait(100);
    EXPECT_FLOAT_EQ(editor->host.Param(kPhase), turned);
    x.Wait(450);
    x.Click(s.x, s.y);
    x.Click(s.x + 2, s.y + 1);
    EXPECT_TRUE(x.WaitUntil([&] { return editor->host.Param(kPhase) == 0.0f; }));
}

TEST_F(Vst2Window, ShiftMakesADragTenTimesFiner)
{
    constexpr int kPhase = 21;
    const IArea area = Headless().ControlOf(kPhase)->Area();
    const Point s = editor->Screen({(area.L + area.R) / 2, area.T + 30});
    x.Drag(s.x, s.y, 0, -30);
    ASSERT_TRUE(x.WaitUntil([&] { return editor->host.CountCalls(HostOp::kEndEdit, kPhase) == 1; }));
    const float coarse = editor->host.Param(kPhase);
    ASSERT_GT(coarse, 0.02f);
    x.Wait(450); // a press soon after at the same place would be a double click
    x.Drag(s.x, s.y, 0, -30, true);
    ASSERT_TRUE(x.WaitUntil([&] { return editor->host.CountCalls(HostOp::kEndEdit, kPhase) == 2; }));
    EXPECT_NEAR(editor->host.Param(kPhase) - coarse, coarse / 10, coarse / 100);
}

TEST_F(Vst2Window, TextEntryCommitsWithEnterAndCancelsWithEscape)
{
    struct Case
    {
        int param;
        const char* typed;
        unsigned long endKey;
        const char* display; // after the entry closed
    };
    const Case cases[] = {
        {59, "7.5", XK_Return, "7.5"},       // Double: the dot is taken
        {15, "-4.2", XK_Return, "-42"},      // Int: the dot is refused
        {16, "33", XK_Escape, "0"},          // cancelled: unchanged
        {17, "123456789", XK_Return, "100"}, // seven characters at most, then clamped to the range
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.typed);
        const Point band = Centre(Headless().TextBand(c.param));
        editor->Click(band);
        ASSERT_TRUE(x.WaitUntil([&] { return x.Children(editor->Editor()).size() == 1; }))
            << "the entry is open";
        x.Type(c.typed);
        if (c.param == 59)
        {
            // What a person sees while typing.
            const Point corner = editor->Screen({0, 540});
            const int w = 200, h = 100;
            EXPECT_EQ(
                x.SaveScreen(corner.x, corner.y, w, h, BRISBLEEP_SCREENSHOT_DIR "/editor-window-entry.png"),
                "");
        }
        x.Key(c.endKey);
        EXPECT_TRUE(x.WaitUntil([&] { return x.Children(editor->Editor()).empty(); })) << "the entry closed";
        EXPECT_EQ(editor->host.ParamDisplay(c.param), c.display);
    }
}

TEST_F(Vst2Window, ClickElsewhereCommitsAndWheelCancelsTheEntry)
{
    const Point band = Centre(Headless().TextBand(15));
    const auto entryOpen = [&] { return x.Children(editor->Editor()).size() == 1; };
    const auto entryClosed = [&] { return x.Children(editor->Editor()).empty(); };
    editor->Click(band);
    ASSERT_TRUE(x.WaitUntil(entryOpen));
    x.Type("7");
    editor->Click({20, 740}); // the background
    EXPECT_TRUE(x.WaitUntil(entryClosed));
    EXPECT_EQ(editor->host.ParamDisplay(15), "7");

    x.Wait(450); // not a double click with the next
    editor->Click(band);
    ASSERT_TRUE(x.WaitUntil(entryOpen));
    x.Type("9");
    x.Press(4);
    x.Release(4);
    EXPECT_TRUE(x.WaitUntil(entryClosed));
    EXPECT_EQ(editor->host.ParamDisplay(15), "7");
}

TEST_F(Vst2Window, OnScreenKeyboardPlaysANote)
{
    const IArea keys = Headless().g->GetControl(1)->Area();
    const Point key = editor->Screen({keys.L + 12, keys.B - 12});
    const auto peak = [this]
    {
        float p = 0;
        for (int block = 0; block < 8; ++block)
            for (const auto& channel : editor->host.ProcessFloat(512, false))
                for (float s : channel)
                    p = std::max(p, std::abs(s));
        return p;
    };
    EXPECT_EQ(peak(), 0.0f);
    x.MoveTo(key.x, key.y);
    x.Press(1);
    EXPECT_TRUE(x.WaitUntil([&] { return peak() > 0.01f; }));
    x.Release(1);
}

TEST_F(Vst2Window, KeysTheEditorDoesNotUseReachTheHostWindow)
{
    editor->Click({20, 740}); // focus to the editor
    x.KeysReceivedBy(editor->parent);
    x.Key(XK_F5);
    std::vector<unsigned long> keys;
    EXPECT_TRUE(x.WaitUntil(
        [&]
        {
            for (unsigned long k : x.KeysReceivedBy(editor->parent))
                keys.push_back(k);
            return std::find(keys.begin(), keys.end(), XK_F5) != keys.end();
        }));
}

// The host's user-interface thread, for what runs modally there (popup menus) while the test moves
// the pointer from its own thread.
struct UiThread
{
    explicit UiThread(EditorInstance& editor)
        : thread(
              [this, &editor]
              {
                  while (!stop)
                  {
                      editor.Idle();
                      std::this_thread::sleep_for(std::chrono::milliseconds(5));
                  }
              })
    {
    }
    ~UiThread()
    {
        stop = true;
        thread.join();
    }
    std::atomic<bool> stop{false};
    std::thread thread;
};

TEST_F(Vst2Window, EnumerationValuesArePickedFromAPopupMenu)
{
    constexpr int kOsc1Type = 1;
    constexpr int kWaveforms = 8;
    x.pump = nullptr;
    UiThread ui(*editor);
    const Point band = Centre(Headless().TextBand(kOsc1Type));
    const std::string initial = editor->host.ParamDisplay(kOsc1Type);
    const auto menuShown = [&] { return x.TopLevelsNamed("Brisbleep menu").size() == 1; };
    const auto menuGone = [&] { return x.TopLevelsNamed("Brisbleep menu").empty(); };

    // Escape and a click outside dismiss the menu and change nothing.
    for (int dismiss = 0; dismiss < 2; ++dismiss)
    {
        editor->Click(band);
        ASSERT_TRUE(x.WaitUntil(menuShown));
        if (dismiss == 0)
            x.Key(XK_Escape);
        else
            editor->Click({20, 740});
        EXPECT_TRUE(x.WaitUntil(menuGone));
        x.Wait(450); // not a double click with the next
        EXPECT_EQ(editor->host.ParamDisplay(kOsc1Type), initial);
    }

    // A click on the fourth row chooses the fourth waveform.
    editor->Click(band);
    ASSERT_TRUE(x.WaitUntil(menuShown));
    const auto menus = x.TopLevelsNamed("Brisbleep menu");
    ASSERT_EQ(menus.size(), 1u);
    int mx = 0, my = 0, mw = 0, mh = 0;
    x.Geometry(menus[0], mx, my, mw, mh);
    const Point editorOrigin = editor->Screen({0, 0});
    EXPECT_EQ(mx, editorOrigin.x + Headless().TextBand(kOsc1Type).L); // below the value, at its left
    EXPECT_EQ(my, editorOrigin.y + Headless().TextBand(kOsc1Type).B);
    const int rowH = (mh - 6) / kWaveforms;
    ASSERT_GT(rowH, 8);
    x.MoveTo(mx + mw / 2, my + 3 + 3 * rowH + rowH / 2);
    x.Wait(60);
    {
        // What a person sees: the editor with the menu over it.
        const int w = std::min(kEditorW, mx + mw + 40 - editorOrigin.x);
        const int h = std::min(kEditorH, my + mh + 40 - editorOrigin.y);
        EXPECT_EQ(x.SaveScreen(editorOrigin.x, editorOrigin.y, w, h,
                               BRISBLEEP_SCREENSHOT_DIR "/editor-window-menu.png"),
                  "");
    }
    x.Press(1);
    x.Release(1);
    EXPECT_TRUE(x.WaitUntil(menuGone));
    EXPECT_TRUE(x.WaitUntil([&] { return std::abs(editor->host.Param(kOsc1Type) - 3.0 / 7.0) < 1e-6; }));
    EXPECT_NE(editor->host.ParamDisplay(kOsc1Type), initial);

    // The keyboard: down twice from nothing chosen, then Enter, picks the second row.
    x.Wait(450);
    editor->Click(band);
    ASSERT_TRUE(x.WaitUntil(menuShown));
    x.Key(XK_Down);
    x.Key(XK_Down);
    x.Key(XK_Return);
    EXPECT_TRUE(x.WaitUntil(menuGone));
    EXPECT_TRUE(x.WaitUntil([&] { return std::abs(editor->host.Param(kOsc1Type) - 1.0 / 7.0) < 1e-6; }));
}

TEST_F(Vst2Window, ButtonTooltipAppearsWhereThePointerRests)
{
    const Point coin = editor->Screen({315, 581});
    x.MoveTo(coin.x, coin.y);
    x.MoveTo(coin.x + 1, coin.y);
    ASSERT_TRUE(x.WaitUntil([&] { return x.TopLevelsNamed("Brisbleep tooltip").size() == 1; }));
    const auto tips = x.TopLevelsNamed("Brisbleep tooltip");
    int tx = 0, ty = 0, tw = 0, th = 0;
    x.Geometry(tips[0], tx, ty, tw, th);
    EXPECT_GT(tw, 60); // "Pickup/Coin sounds"
    const int w = 420, h = 120;
    EXPECT_EQ(
        x.SaveScreen(coin.x - 100, coin.y - 40, w, h, BRISBLEEP_SCREENSHOT_DIR "/editor-window-tooltip.png"),
        "");
    editor->Click({315, 581});
    EXPECT_TRUE(x.WaitUntil([&] { return x.TopLevelsNamed("Brisbleep tooltip").empty(); }))
        << "a press hides it";
}

TEST_F(Vst2Window, OpeningTakesTheFocusOnlyFromTheHostsOwnWindow)
{
    ASSERT_EQ(editor->Close(), 1);
    const unsigned long other = x.CreateHostWindow(900, 0, 200, 200); // another application
    x.Focus(other);
    ASSERT_TRUE(editor->Open());
    EXPECT_EQ(x.FocusedWindow(), other);

    ASSERT_EQ(editor->Close(), 1);
    x.Focus(editor->parent);
    ASSERT_TRUE(editor->Open());
    EXPECT_EQ(x.FocusedWindow(), editor->Editor());
}

TEST_F(Vst2Window, OpenAndClose100Times)
{
    for (int i = 0; i < 100; ++i)
    {
        ASSERT_EQ(editor->Close(), 1);
        ASSERT_TRUE(editor->Open()) << "round " << i;
        editor->Idle();
    }
    EXPECT_EQ(x.Children(editor->parent).size(), 1u);
    EXPECT_TRUE(x.WaitUntil([&] { return DifferingPixels(editor->Editor()) == 0; }));
    // Opening while open reopens in the same place.
    ASSERT_TRUE(editor->Open());
    EXPECT_EQ(x.Children(editor->parent).size(), 1u);
}

TEST_F(Vst2Window, TwoInstancesWithEditorsOpenAtOnce)
{
    EditorInstance second(x, 860, 0);
    x.pump = [&]
    {
        editor->Idle();
        second.Idle();
    };
    ASSERT_TRUE(second.Open());
    x.Wait(150);
    const std::vector<float> first = editor->host.Params();
    second.Click({315, 581}); // COIN in the second
    EXPECT_TRUE(x.WaitUntil([&] { return second.host.Params() != first; }));
    EXPECT_TRUE(x.WaitUntil([&] { return DifferingPixels(second.Editor()) > 1000; }));
    EXPECT_EQ(editor->host.Params(), first);
    EXPECT_EQ(DifferingPixels(editor->Editor()), 0);
}

TEST_F(Vst2Window, InstanceClosedWhileItsEditorIsOpen)
{
    x.pump = nullptr;
    editor->host.Close();
    EXPECT_TRUE(x.Children(editor->parent).empty());
}

TEST_F(Vst2Window, HostWindowDestroyedUnderTheEditor)
{
    x.DestroyWindow(editor->parent);
    x.Wait(100);
    EXPECT_EQ(editor->Close(), 1);
    editor->parent = x.CreateHostWindow(0, 0, kEditorW, kEditorH);
    ASSERT_TRUE(editor->Open());
    EXPECT_TRUE(x.WaitUntil([&] { return DifferingPixels(editor->Editor()) == 0; }));
}

TEST_F(Vst2Window, WithoutIdleTheEditorsOwnTimerKeepsItAlive)
{
    x.pump = nullptr;
    const std::vector<float> before = editor->host.Params();
    editor->Click({315, 581}); // COIN
    EXPECT_TRUE(x.WaitUntil([&] { return editor->host.Params() != before; }));
    EXPECT_TRUE(x.WaitUntil([&] { return DifferingPixels(editor->Editor()) > 1000; }));
}

TEST_F(Vst2Window, AnUnknownParentLeavesTheEditorClosedAndReady)
{
    ASSERT_EQ(editor->Close(), 1);
    EXPECT_EQ(editor->host.Dispatch(EffectOp::kEditOpen, 0, 0, reinterpret_cast<void*>(0x7fffff0)), 0);
    EXPECT_EQ(editor->host.Dispatch(EffectOp::kEditOpen, 0, 0, nullptr), 0);
    ASSERT_TRUE(editor->Open());
    EXPECT_TRUE(x.WaitUntil([&] { return DifferingPixels(editor->Editor()) == 0; }));
}

} // namespace

TEST_F(Vst2Window, EditorOpenedAndClosedWhileAnotherThreadProcesses)
{
    // A host's audio thread keeps playing notes while its user opens and closes the editor.
    x.pump = nullptr;
    ASSERT_EQ(editor->Close(), 1);
    vst2::EffectRecord* effect = editor->host.effect;
    std::atomic<bool> done{false};
    std::atomic<int> blocks{0};
    std::atomic<bool> sane{true};
    std::thread audio(
        [&]
        {
            std::vector<float> left(512), right(512);
            float* outputs[2] = {left.data(), right.data()};
            vst2::VstMidiEvent note = Vst2Host::Midi(0, 0x90, 60, 100);
            vst2::VstEvents list{};
            list.numEvents = 1;
            list.events[0] = reinterpret_cast<vst2::VstEvent*>(&note);
            while (!done)
            {
                note.midiData[0] = static_cast<char>(blocks % 40 == 0    ? 0x90
                                                     : blocks % 40 == 20 ? 0x80
                                                                         : 0xB0);
                effect->dispatcher(effect, EffectOp::kProcessEvents, 0, 0, &list, 0.0f);
                effect->processReplacing(effect, nullptr, outputs, 512);
                for (float y : left)
                    if (!(std::fabs(y) <= 63.0f)) sane = false; // finite and at most +36 dBFS
                ++blocks;
            }
        });
    for (int round = 0; round < 20; ++round)
    {
        ASSERT_TRUE(editor->Open()) << round;
        for (int tick = 0; tick < 3; ++tick)
        {
            editor->Idle();
            x.Wait(15);
        }
        ASSERT_EQ(editor->Close(), 1) << round;
    }
    done = true;
    audio.join();
    EXPECT_TRUE(sane);
    EXPECT_GT(blocks.load(), 20);
    // The editor still opens and shows the instrument as before.
    ASSERT_TRUE(editor->Open());
    x.pump = [this] { editor->Idle(); };
    EXPECT_TRUE(x.WaitUntil([this] { return editor->Editor() != 0; }));
}
