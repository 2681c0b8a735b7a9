// Drawing passes, dirty areas and bitmap drawing of the graphics context.

#include "EditorTestSupport.h"

#include "editor/IStandardControls.h"

#include <gtest/gtest.h>

namespace
{

struct DrawFixture : ::testing::Test
{
    EditorTestFrame frame;
    TestGraphics g{&frame};
    std::vector<std::string> log;

    LoggingControl* Add(const char* name, IArea area)
    {
        auto* c = new LoggingControl(log, name, area);
        g.AddControl(c);
        return c;
    }
    // Runs one pass over the dirty area the way the window's timer does.
    void Tick()
    {
        IArea dirty;
        if (g.IsDirty(dirty)) g.Draw(dirty);
    }
};

} // namespace

TEST_F(DrawFixture, StrictPassRedrawsBackgroundThenKnobInsideTheKnobOnly)
{
    LoggingControl* background = Add("bg", {0, 0, 100, 100});
    LoggingControl* knob = Add("knob", {10, 10, 30, 30});
    Add("far", {60, 60, 80, 80});
    g.PrepareDraw();
    Tick(); // first pass: everything starts dirty
    log.clear();
    g.presented.clear();

    knob->SetValueFromUser(0.5); // dirty, and redraw requested for one more pass
    ASSERT_FALSE(background->IsDirty());
    IArea dirty;
    ASSERT_TRUE(g.IsDirty(dirty));
    EXPECT_EQ(dirty, (IArea{10, 10, 30, 30}));
    g.Draw(dirty);
    EXPECT_EQ(log, (std::vector<std::string>{"bg draw 10,10,30,30", "knob draw 10,10,30,30"}));
    ASSERT_EQ(g.presented.size(), 1u);
    EXPECT_EQ(g.presented[0], (IArea{10, 10, 30, 30}));

    // The redraw flag keeps the changed control dirty for exactly one more pass.
    log.clear();
    Tick();
    EXPECT_EQ(log.size(), 2u);
    log.clear();
    Tick();
    EXPECT_TRUE(log.empty());
}

TEST_F(DrawFixture, HiddenControlIsCleanedButNotDrawn)
{
    Add("bg", {0, 0, 100, 100});
    LoggingControl* hidden = Add("hidden", {10, 10, 30, 30});
    g.PrepareDraw();
    hidden->Hide(true);
    Tick();
    EXPECT_EQ(log, (std::vector<std::string>{"bg draw 0,0,100,100"}));
    // Hide requested a redraw, so one more pass follows; then the hidden control is clean.
    Tick();
    EXPECT_FALSE(hidden->IsDirty());
}

TEST_F(DrawFixture, EmptyListDrawsNothingAndReportsSuccess)
{
    g.PrepareDraw();
    EXPECT_TRUE(g.Draw({0, 0, 10, 10}));
    EXPECT_TRUE(g.presented.empty());
    g.OnMouseDown(1, 1, LeftButton()); // no control: nothing happens
    EXPECT_EQ(g.MouseCapture(), -1);
}

TEST_F(DrawFixture, NonStrictPassRecomposesEachDirtyControlSeparately)
{
    Add("bg", {0, 0, 100, 100});
    LoggingControl* a = Add("a", {10, 10, 30, 30});
    Add("over", {20, 20, 40, 40});
    LoggingControl* b = Add("b", {60, 60, 80, 80});
    g.SetStrictDrawing(false);
    g.PrepareDraw();
    // Background dirty: everything is drawn once in the background's area.
    Tick();
    EXPECT_EQ(log, (std::vector<std::string>{"bg draw 0,0,100,100", "a draw 0,0,100,100",
                                             "over draw 0,0,100,100", "b draw 0,0,100,100"}));
    log.clear();
    a->MarkDirty(false);
    b->MarkDirty(false);
    Tick();
    EXPECT_EQ(log,
              (std::vector<std::string>{"bg draw 10,10,30,30", "a draw 10,10,30,30", "over draw 10,10,30,30",
                                        "bg draw 60,60,80,80", "b draw 60,60,80,80"}));
}

TEST_F(DrawFixture, DrawBitmapIsClippedToTheDrawArea)
{
    auto source = SolidBitmap(20, 20, 0xff00ff00);
    const IBitmapRef ref(source.get());
    g.PrepareDraw();
    ClearSurface(g);
    PIX_SysBitmap& s = *g.DrawBitmapSurface();
    Add("bg", {0, 0, 100, 100});
    g.Draw({15, 15, 25, 25}); // sets the draw area
    g.DrawBitmap(ref, {10, 10, 30, 30}, 0, 0, nullptr);
    EXPECT_EQ(PixelAt(s, 14, 20), 0u);
    EXPECT_EQ(PixelAt(s, 15, 15), 0xff00ff00u);
    EXPECT_EQ(PixelAt(s, 24, 24), 0xff00ff00u);
    EXPECT_EQ(PixelAt(s, 25, 20), 0u);
}

TEST_F(DrawFixture, FramesOfAFilmStrip)
{
    auto strip = StripBitmap(4, 5, 3); // frames of 4 x 5, grey 1, 2, 3
    auto single = StripBitmap(4, 15, 1);
    Add("bg", {0, 0, 100, 100});
    g.PrepareDraw();
    g.Draw({0, 0, 100, 100});
    ClearSurface(g);
    PIX_SysBitmap& s = *g.DrawBitmapSurface();
    const IBitmapRef ref(strip.get(), 3);
    g.DrawBitmapFrame(ref, {0, 0, 4, 5}, 1);
    g.DrawBitmapFrame(ref, {10, 0, 14, 5}, 2);
    g.DrawBitmapFrame(ref, {20, 0, 24, 5}, 3);
    g.DrawBitmapFrame(IBitmapRef(single.get(), 1), {30, 0, 34, 5}, 3); // one frame: always the top
    EXPECT_EQ(FrameAt(s, 0, 0), 1);
    EXPECT_EQ(FrameAt(s, 3, 4), 1);
    EXPECT_EQ(FrameAt(s, 10, 0), 2);
    EXPECT_EQ(FrameAt(s, 13, 4), 2);
    EXPECT_EQ(FrameAt(s, 20, 0), 3);
    EXPECT_EQ(FrameAt(s, 30, 0), 1);

    // Side-by-side frames step across: frame 2 of three 2-pixel columns starts at x = 2.
    auto across = std::make_unique<PIX_MemBitmap>(6, 1);
    for (int x = 0; x < 6; ++x)
        PIX_Row(*across, 0)[x] = 0xff000000u | static_cast<PIX_Pixel>(x / 2 + 1);
    g.DrawBitmapFrame(IBitmapRef(across.get(), 3, true), {40, 0, 42, 1}, 2);
    EXPECT_EQ(FrameAt(s, 40, 0), 2);
    EXPECT_EQ(FrameAt(s, 41, 0), 2);
    EXPECT_EQ(FrameAt(s, 42, 0), 0);
}

TEST_F(DrawFixture, BlendKindsAndGreyedWeight)
{
    auto red = SolidBitmap(1, 1, 0xffff0000);
    auto clear = SolidBitmap(1, 1, 0x00ffffff);
    Add("bg", {0, 0, 100, 100});
    g.PrepareDraw();
    g.Draw({0, 0, 100, 100});
    ClearSurface(g, 0xff000000);
    PIX_SysBitmap& s = *g.DrawBitmapSurface();

    // Default: composite with source alpha, so a transparent pixel leaves the destination alone;
    // plain copy writes it through.
    g.DrawBitmap(IBitmapRef(clear.get()), {0, 0, 1, 1}, 0, 0, nullptr);
    EXPECT_EQ(PixelAt(s, 0, 0), 0xff000000u);
    const IBlend copy{IBlend::kBlendClobber, 1.0f};
    g.DrawBitmap(IBitmapRef(clear.get()), {1, 0, 2, 1}, 0, 0, &copy);
    EXPECT_EQ(PixelAt(s, 1, 0), 0x00ffffffu);

    // A greyed control's weight 0.25 with an opaque source: k = 64 of 256.
    const IBlend greyed{IBlend::kBlendNone, 0.25f};
    g.DrawBitmap(IBitmapRef(red.get()), {2, 0, 3, 1}, 0, 0, &greyed);
    EXPECT_EQ((PixelAt(s, 2, 0) >> 16) & 0xff, 64u);
}

TEST_F(DrawFixture, BackgroundGoesFirstAndUsesPlainCopy)
{
    Add("a", {0, 0, 10, 10});
    // An id the image table does not know: the background becomes an empty image control.
    EXPECT_EQ(g.AddBackground(9001, "missing.png"), 0);
    ASSERT_EQ(g.NControls(), 2);
    auto* bg = dynamic_cast<IBitmapControl*>(g.GetControl(0));
    ASSERT_NE(bg, nullptr);
    EXPECT_EQ(bg->Blend().kind, IBlend::kBlendClobber);
    EXPECT_EQ(bg->ParamIdx(), -1);
    EXPECT_EQ(bg->Bitmap().bitmap, nullptr);
    EXPECT_NE(dynamic_cast<LoggingControl*>(g.GetControl(1)), nullptr);
}

TEST_F(DrawFixture, ResizeDropsControlsAndTellsTheFrame)
{
    Add("bg", {0, 0, 100, 100});
    g.PrepareDraw();
    g.OnMouseDown(5, 5, LeftButton());
    g.Resize(50, 40);
    EXPECT_EQ(g.NControls(), 0);
    EXPECT_EQ(g.MouseCapture(), -1);
    EXPECT_EQ(g.Width(), 50);
    EXPECT_EQ(g.DrawBitmapSurface()->Width(), 50);
    EXPECT_EQ(g.DrawBitmapSurface()->Height(), 40);
    EXPECT_EQ(frame.log.back(), "resize 50x40");
}
