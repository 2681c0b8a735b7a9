// The on-screen keyboard: keys from points, presses, held notes and the drawing walk.

#include "EditorTestSupport.h"

#include "editor/IKeyboardControl.h"

#include <gtest/gtest.h>

namespace
{

constexpr std::array<int, 12> kOffsets = {0, 7, 10, 17, 20, 30, 37, 40, 47, 50, 57, 60};

struct KeyboardFixture : ::testing::Test
{
    EditorTestFrame frame{0};
    TestGraphics g{&frame, 846, 768};
    // White keys 10 x 60 in six frames painted grey 1 to 6; the black key 6 x 35, grey 1.
    std::unique_ptr<PIX_MemBitmap> white = StripBitmap(10, 60, 6);
    std::unique_ptr<PIX_MemBitmap> black = SolidBitmap(6, 35, 0xff0000ff);
    std::atomic<std::int32_t> heldCount{0};
    std::array<std::atomic<std::uint8_t>, 128> keyDown{};
    std::vector<std::string> log;
    IKeyboardControl* keyboard = nullptr;

    void SetUp() override
    {
        g.AddControl(new LoggingControl(log, "bg", {0, 0, 846, 768}));
        keyboard =
            new IKeyboardControl(&frame, IBitmapRef(white.get(), 6), IBitmapRef(black.get(), 1), kOffsets);
        keyboard->SetHeldNotes({&heldCount, keyDown.data(), 128});
        g.AddControl(keyboard);
        g.PrepareDraw();
    }
    void Hold(int note)
    {
        keyDown[note] = 1;
        ++heldCount;
    }
    void Redraw()
    {
        ClearSurface(g);
        g.Draw({0, 0, 846, 768});
    }
    PIX_Pixel At(int x, int y) { return PixelAt(*g.DrawBitmapSurface(), x, y); }
};

} // namespace

TEST_F(KeyboardFixture, KeysFromPoints)
{
    EXPECT_EQ(keyboard->Area(), (IArea{138, 707, 708, 767})); // eight octaves and the top C
    EXPECT_EQ(keyboard->KeyFromPoint(138, 707), 0);
    EXPECT_EQ(keyboard->TouchDepth(), 0.0);
    EXPECT_EQ(keyboard->KeyFromPoint(145, 707), 1); // C sharp starts at offset 7
    EXPECT_EQ(keyboard->KeyFromPoint(150, 741), 1); // its last pixel, bottom row of the black key
    EXPECT_DOUBLE_EQ(keyboard->TouchDepth(), 34.0 / 35.0);
    EXPECT_EQ(keyboard->KeyFromPoint(151, 707), 2); // just right of it: D
    EXPECT_EQ(keyboard->KeyFromPoint(145, 742), 0); // below the black keys: the white C
    EXPECT_DOUBLE_EQ(keyboard->TouchDepth(), 35.0 / 60.0);
    EXPECT_EQ(keyboard->KeyFromPoint(138 + 66, 720), 11);                   // B
    EXPECT_EQ(keyboard->KeyFromPoint(138 + 70 * 3 + 57, 707), 3 * 12 + 10); // A sharp, fourth octave
    EXPECT_EQ(keyboard->KeyFromPoint(698, 707), 96); // the top C has no black keys beside it
    EXPECT_EQ(keyboard->KeyFromPoint(707, 766), 96);
    EXPECT_EQ(keyboard->KeyFromPoint(708, 720), -1);
    EXPECT_EQ(keyboard->KeyFromPoint(137, 720), -1);
    EXPECT_EQ(keyboard->KeyFromPoint(200, 767), -1);
}

TEST_F(KeyboardFixture, PressDragAndRelease)
{
    g.OnMouseDown(138 + 14, 740, LeftButton()); // D of the lowest octave
    EXPECT_EQ(keyboard->PressedKey(), 2);
    g.OnMouseDrag(138 + 24, 740, LeftButton()); // on to E
    EXPECT_EQ(keyboard->PressedKey(), 4);
    g.OnMouseUp(138 + 24, 740, LeftButton());
    EXPECT_EQ(keyboard->PressedKey(), -1);
    g.OnMouseDown(138 + 14, 740, RightButton()); // a right press plays nothing
    EXPECT_EQ(keyboard->PressedKey(), -1);
    EXPECT_TRUE(g.OnMouseDoubleClick(138 + 14, 740, LeftButton())); // a double click is a press
    EXPECT_EQ(keyboard->PressedKey(), 2);
    EXPECT_TRUE(frame.log.empty()); // no parameter: nothing reaches the host
}

TEST_F(KeyboardFixture, KeyHeldByMidiIsNotPressedAgain)
{
    Hold(60); // key 48
    g.OnMouseDown(138 + 4 * 70 + 2, 750, LeftButton());
    EXPECT_EQ(keyboard->PressedKey(), -1);
    g.OnMouseDrag(138 + 4 * 70 + 12, 750, LeftButton()); // the free D beside it
    EXPECT_EQ(keyboard->PressedKey(), 50);
}

TEST_F(KeyboardFixture, IdleKeyboardDrawsNothing)
{
    Redraw();
    for (int x = 138; x < 708; x += 3)
        for (int y = 707; y < 767; y += 7)
            ASSERT_EQ(At(x, y), 0u) << x << "," << y;
}

TEST_F(KeyboardFixture, HeldKeysUseTheirWhiteKeyFrames)
{
    // C D E F G A B of the lowest octave and the top C.
    for (int note : {12, 14, 16, 17, 19, 21, 23, 108})
        Hold(note);
    Redraw();
    const int expected[] = {1, 2, 3, 1, 4, 5, 3};
    for (int w = 0; w < 7; ++w)
    {
        EXPECT_EQ(FrameAt(*g.DrawBitmapSurface(), 138 + 10 * w, 707), expected[w]) << w;
        EXPECT_EQ(FrameAt(*g.DrawBitmapSurface(), 138 + 10 * w + 9, 766), expected[w]) << w;
    }
    EXPECT_EQ(FrameAt(*g.DrawBitmapSurface(), 698, 720), 6);
    EXPECT_EQ(At(138 + 70, 720), 0u); // the next octave's C is not held
}

TEST_F(KeyboardFixture, HeldAndPressedBlackKeys)
{
    Hold(13);                                        // C sharp, lowest octave
    Hold(12 + 94);                                   // A sharp, top octave
    g.OnMouseDown(138 + 70 + 17, 710, LeftButton()); // D sharp, second octave, pressed
    EXPECT_EQ(keyboard->PressedKey(), 15);
    Redraw();
    EXPECT_EQ(At(145, 707), 0xff0000ffu);
    EXPECT_EQ(At(150, 741), 0xff0000ffu);
    EXPECT_EQ(At(151, 707), 0u);
    EXPECT_EQ(At(145, 742), 0u); // the white C below it is not drawn
    EXPECT_EQ(At(138 + 7 * 70 + 57, 707), 0xff0000ffu);
    EXPECT_EQ(At(138 + 70 + 17, 707), 0xff0000ffu);
}
