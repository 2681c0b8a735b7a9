// The VST3 view in a real X server: a host frame of our own with a run loop (a timer list and the
// file descriptors to watch), the view attached to a host window with "X11EmbedWindowID", and the
// editor driven by XTest events.

#include "../vst3/VST3TestHost.h"
#include "XDriver.h"

#include "editor/IEditorSnapshot.h"
#include "editor/IGraphics.h"
#include "raster/PIX_Bitmap.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <gtest/gtest.h>

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

using namespace Steinberg;

namespace
{

constexpr int kEditorW = 846;
constexpr int kEditorH = 768;

int64_t Now()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Reference counting that the test owns: these objects live on the test's stack.
#define STACK_FUNKNOWN                                                                                       \
    uint32 PLUGIN_API addRef() override                                                                      \
    {                                                                                                        \
        return 1;                                                                                            \
    }                                                                                                        \
    uint32 PLUGIN_API release() override                                                                     \
    {                                                                                                        \
        return 1;                                                                                            \
    }

class RunLoop : public Linux::IRunLoop
{
public:
    struct Timer
    {
        Linux::ITimerHandler* handler;
        Linux::TimerInterval interval;
        int64_t due;
    };
    struct Watch
    {
        Linux::IEventHandler* handler;
        int fd;
    };

    tresult PLUGIN_API registerEventHandler(Linux::IEventHandler* handler, Linux::FileDescriptor fd) override
    {
        handler->addRef();
        watches.push_back({handler, fd});
        return kResultOk;
    }
    tresult PLUGIN_API unregisterEventHandler(Linux::IEventHandler* handler) override
    {
        return Remove(watches, handler);
    }
    tresult PLUGIN_API registerTimer(Linux::ITimerHandler* handler, Linux::TimerInterval ms) override
    {
        handler->addRef();
        timers.push_back({handler, ms, Now() + static_cast<int64_t>(ms)});
        return kResultOk;
    }
    tresult PLUGIN_API unregisterTimer(Linux::ITimerHandler* handler) override
    {
        return Remove(timers, handler);
    }

    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
    {
        if (FUnknownPrivate::iidEqual(iid, Linux::IRunLoop::iid))
        {
            *obj = this;
            return kResultOk;
        }
        *obj = nullptr;
        return kNoInterface;
    }
    STACK_FUNKNOWN

    // One pass of the loop: watched descriptors with data, then the timers that are due.
    void Pass()
    {
        for (std::size_t i = 0; i < watches.size(); ++i)
        {
            pollfd p{watches[i].fd, POLLIN, 0};
            if (poll(&p, 1, 0) > 0)
            {
                ++fdCalls;
                watches[i].handler->onFDIsSet(watches[i].fd);
            }
        }
        const int64_t now = Now();
        for (std::size_t i = 0; i < timers.size(); ++i)
        {
            if (timers[i].due > now) continue;
            timers[i].due = now + static_cast<int64_t>(timers[i].interval);
            ++timerCalls;
            timers[i].handler->onTimer();
        }
    }

    std::vector<Timer> timers;
    std::vector<Watch> watches;
    int timerCalls = 0;
    int fdCalls = 0;

private:
    template <typename List, typename Handler> tresult Remove(List& list, Handler* handler)
    {
        auto it = std::find_if(list.begin(), list.end(), [&](const auto& e) { return e.handler == handler; });
        if (it == list.end()) return kInvalidArgument;
        it->handler->release();
        list.erase(it);
        return kResultOk;
    }
};

// The host's frame around the view; it offers the run loop unless told not to.
class PlugFrame : public IPlugFrame
{
public:
    explicit PlugFrame(RunLoop* loop) : loop(loop) {}
    tresult PLUGIN_API resizeView(IPlugView*, ViewRect*) override { return kResultOk; }
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
    {
        if (loop && FUnknownPrivate::iidEqual(iid, Linux::IRunLoop::iid))
        {
            *obj = loop;
            return kResultOk;
        }
        if (FUnknownPrivate::iidEqual(iid, IPlugFrame::iid))
        {
            *obj = this;
            return kResultOk;
        }
        *obj = nullptr;
        return kNoInterface;
    }
    STACK_FUNKNOWN

private:
    RunLoop* loop;
};

class EditRecorder : public Vst::IComponentHandler
{
public:
    tresult PLUGIN_API beginEdit(Vst::ParamID) override
    {
        ++begins;
        return kResultOk;
    }
    tresult PLUGIN_API performEdit(Vst::ParamID id, Vst::ParamValue) override
    {
        performed.push_back(id);
        return kResultOk;
    }
    tresult PLUGIN_API endEdit(Vst::ParamID) override
    {
        ++ends;
        return kResultOk;
    }
    tresult PLUGIN_API restartComponent(int32) override { return kResultOk; }
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
    {
        if (FUnknownPrivate::iidEqual(iid, Vst::IComponentHandler::iid) ||
            FUnknownPrivate::iidEqual(iid, FUnknown::iid))
        {
            *obj = this;
            return kResultOk;
        }
        *obj = nullptr;
        return kNoInterface;
    }
    STACK_FUNKNOWN

    int begins = 0;
    int ends = 0;
    std::vector<Vst::ParamID> performed;
};

struct Vst3Window : ::testing::Test
{
    XDriver x;
    VST3TestHost host;
    RunLoop loop;
    PlugFrame frame{&loop};
    EditRecorder edits;
    unsigned long parent = 0;
    IPlugView* view = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(x.Connected()) << "no X server (run under xvfb-run)";
        host.Controller()->setComponentHandler(&edits);
        parent = x.CreateHostWindow(0, 0, kEditorW, kEditorH);
        x.pump = [this] { loop.Pass(); };
        view = host.Controller()->createView(Vst::ViewType::kEditor);
        ASSERT_NE(view, nullptr);
    }
    void TearDown() override
    {
        x.pump = nullptr;
        if (view) view->release();
        host.Controller()->setComponentHandler(nullptr);
    }
    tresult Attach(IPlugFrame* plugFrame)
    {
        view->setFrame(plugFrame);
        return view->attached(reinterpret_cast<void*>(parent), kPlatformTypeX11EmbedWindowID);
    }
    std::vector<double> Params()
    {
        std::vector<double> values;
        for (int i = 0; i < host.Controller()->getParameterCount(); ++i)
            values.push_back(host.Controller()->getParamNormalized(static_cast<Vst::ParamID>(i)));
        return values;
    }
    void ClickEditor(int ex, int ey)
    {
        const auto children = x.Children(parent);
        ASSERT_EQ(children.size(), 1u);
        int sx = 0, sy = 0;
        x.ScreenPosition(children[0], sx, sy);
        x.Click(sx + ex, sy + ey);
    }
    // Pixels of the window that differ from the editor's own draw bitmap.
    int DifferingFromDrawBitmap(const char* screenshot = nullptr)
    {
        const auto children = x.Children(parent);
        if (children.size() != 1) return -1;
        int w = 0, h = 0;
        const auto pixels = x.Capture(children[0], w, h);
        PIX_SysBitmap* drawn = host.Plugin().editorGraphics->DrawBitmapSurface();
        if (pixels.empty() || !drawn || w != drawn->Width() || h != drawn->Height()) return -1;
        if (screenshot)
        {
            int sx = 0, sy = 0;
            x.ScreenPosition(children[0], sx, sy);
            EXPECT_EQ(x.SaveScreen(sx, sy, w, h, screenshot), "");
        }
        int differ = 0;
        for (int y = 0; y < h; ++y)
            for (int i = 0; i < w; ++i)
                differ += (drawn->Bits()[y * drawn->RowSpan() + i] & 0xFFFFFF) !=
                          pixels[static_cast<std::size_t>(y) * w + i];
        return differ;
    }
};

TEST_F(Vst3Window, PlatformTypeAndSize)
{
    EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultTrue);
    EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultFalse);
    EXPECT_EQ(view->isPlatformTypeSupported("x11EmbedWindowID"), kResultFalse);
    ViewRect size;
    ASSERT_EQ(view->getSize(&size), kResultTrue);
    EXPECT_EQ(size.getWidth(), kEditorW);
    EXPECT_EQ(size.getHeight(), kEditorH);
}

TEST_F(Vst3Window, AttachedRegistersWithTheRunLoopAndRemovedLetsGo)
{
    ASSERT_EQ(Attach(&frame), kResultTrue);
    ASSERT_EQ(loop.timers.size(), 1u);
    EXPECT_EQ(loop.timers[0].interval, 40u);
    ASSERT_EQ(loop.watches.size(), 1u);
    EXPECT_GE(loop.watches[0].fd, 0);
    EXPECT_EQ(x.Children(parent).size(), 1u);

    EXPECT_TRUE(x.WaitUntil([&] { return loop.timerCalls >= 3; }));
    // Pointer events arrive through the watched connection.
    x.MoveTo(100, 100);
    x.MoveTo(120, 110);
    EXPECT_TRUE(x.WaitUntil([&] { return loop.fdCalls >= 1; }));
    EXPECT_TRUE(x.WaitUntil([&] { return DifferingFromDrawBitmap() == 0; }));
    EXPECT_EQ(DifferingFromDrawBitmap(BRISBLEEP_SCREENSHOT_DIR "/editor-window-vst3.png"), 0);

    EXPECT_EQ(view->removed(), kResultTrue);
    EXPECT_TRUE(loop.timers.empty());
    EXPECT_TRUE(loop.watches.empty());
    EXPECT_TRUE(x.Children(parent).empty());
}

TEST_F(Vst3Window, CoinClickReachesTheHostAsEdits)
{
    ASSERT_EQ(Attach(&frame), kResultTrue);
    x.Wait(150);
    const auto before = Params();
    ClickEditor(315, 581); // COIN
    EXPECT_TRUE(x.WaitUntil([&] { return Params() != before; }));
    EXPECT_GT(edits.performed.size(), 5u);
    EXPECT_TRUE(x.WaitUntil([&] { return DifferingFromDrawBitmap() == 0; }));
    view->removed();
}

TEST_F(Vst3Window, WheelOverAKnobMovesItsParameter)
{
    ASSERT_EQ(Attach(&frame), kResultTrue);
    x.Wait(150);
    constexpr Vst::ParamID kPhase = 21;
    const double before = host.Controller()->getParamNormalized(kPhase);
    const auto children = x.Children(parent);
    int sx = 0, sy = 0;
    x.ScreenPosition(children[0], sx, sy);
    x.MoveTo(sx + 500, sy + 52); // Osc1 Phase knob
    x.Press(4);
    x.Release(4);
    EXPECT_TRUE(x.WaitUntil([&] { return host.Controller()->getParamNormalized(kPhase) != before; }));
    EXPECT_NEAR(host.Controller()->getParamNormalized(kPhase) - before, 0.01, 0.0015);
    view->removed();
}

TEST_F(Vst3Window, AttachAndRemove100Times)
{
    for (int i = 0; i < 100; ++i)
    {
        ASSERT_EQ(Attach(&frame), kResultTrue) << "round " << i;
        loop.Pass();
        ASSERT_EQ(view->removed(), kResultTrue);
    }
    EXPECT_TRUE(loop.timers.empty());
    EXPECT_TRUE(loop.watches.empty());
    EXPECT_TRUE(x.Children(parent).empty());
    ASSERT_EQ(Attach(&frame), kResultTrue);
    EXPECT_TRUE(x.WaitUntil([&] { return DifferingFromDrawBitmap() == 0; }));
    view->removed();
}

TEST_F(Vst3Window, WithoutARunLoopTheEditorsOwnTimerDrivesIt)
{
    PlugFrame bare(nullptr);
    ASSERT_EQ(Attach(&bare), kResultTrue);
    EXPECT_TRUE(loop.timers.empty());
    x.pump = nullptr;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto before = Params();
    ClickEditor(315, 581); // COIN
    EXPECT_TRUE(x.WaitUntil([&] { return Params() != before; }));
    view->removed();
    view->setFrame(nullptr); // the frame lives on this test's stack
}

TEST_F(Vst3Window, ViewReleasedWhileAttached)
{
    ASSERT_EQ(Attach(&frame), kResultTrue);
    x.Wait(100);
    view->release();
    view = nullptr;
    EXPECT_TRUE(loop.timers.empty());
    EXPECT_TRUE(x.Children(parent).empty());
}

TEST_F(Vst3Window, TwoViewsOfTwoInstances)
{
    VST3TestHost second;
    PlugFrame secondFrame(&loop);
    const unsigned long secondParent = x.CreateHostWindow(860, 0, kEditorW, kEditorH);
    IPlugView* other = second.Controller()->createView(Vst::ViewType::kEditor);
    ASSERT_NE(other, nullptr);
    other->setFrame(&secondFrame);
    ASSERT_EQ(other->attached(reinterpret_cast<void*>(secondParent), kPlatformTypeX11EmbedWindowID),
              kResultTrue);
    ASSERT_EQ(Attach(&frame), kResultTrue);
    EXPECT_EQ(loop.timers.size(), 2u);
    x.Wait(150);
    const auto before = Params();
    const auto children = x.Children(secondParent);
    ASSERT_EQ(children.size(), 1u);
    int sx = 0, sy = 0;
    x.ScreenPosition(children[0], sx, sy);
    x.Click(sx + 315, sy + 581);      // COIN in the second
    const auto secondBefore = before; // both instances start from the defaults
    EXPECT_TRUE(x.WaitUntil(
        [&]
        {
            for (int i = 0; i < second.Controller()->getParameterCount(); ++i)
                if (second.Controller()->getParamNormalized(static_cast<Vst::ParamID>(i)) != secondBefore[i])
                    return true;
            return false;
        }));
    EXPECT_EQ(Params(), before);
    other->removed();
    other->release();
    view->removed();
    EXPECT_TRUE(loop.timers.empty());
}

} // namespace
