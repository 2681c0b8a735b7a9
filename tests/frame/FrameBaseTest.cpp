#include "TestFrame.h"

#include <gtest/gtest.h>

#include <thread>

namespace
{
// Records what the frame pushes to an attached editor.
class FakeEditor : public IFrameEditor
{
public:
    explicit FakeEditor(bool* destroyed = nullptr) : destroyed_(destroyed) {}
    ~FakeEditor() override
    {
        if (destroyed_) *destroyed_ = true;
    }
    void PushValueToControls(int idx, double value, bool normalized) override
    {
        pushes.push_back({idx, value, normalized});
    }
    void PrepareDraw() override { prepared = true; }
    int Width() const override { return 846; }
    int Height() const override { return 768; }
    void* OpenWindow(void*) override { return nullptr; }
    void CloseWindow() override {}

    struct Push
    {
        int idx;
        double value;
        bool normalized;
    };
    std::vector<Push> pushes;
    bool prepared = false;

private:
    bool* destroyed_;
};
} // namespace

TEST(IFrameBase, FreshInstance)
{
    TestFrame f;
    EXPECT_EQ(f.HostKind(), -1);
    ASSERT_EQ(f.NPresets(), 1);
    EXPECT_STREQ(f.PresetName(0), "empty");
    EXPECT_FALSE(f.GetPreset(0)->initialised);
    EXPECT_EQ(f.NParams(), 4);
    EXPECT_EQ(f.GetParam(4), nullptr);
    EXPECT_EQ(f.GetParam(-1), nullptr);
    EXPECT_EQ(FourCC("spgp"), 0x73706770);
    EXPECT_EQ(MakeVersion(1, 0, 1), 0x00010001);

    f.SetHost("Reaper x64", 0x00050000);
    EXPECT_EQ(f.HostKind(), 1);
    EXPECT_EQ(f.GetHostVersion(), 0x00050000);
}

TEST(IFrameBase, ChannelStringParsing)
{
    TestFrame f;
    ASSERT_EQ(f.ChannelIOs().size(), 2u);
    EXPECT_EQ(f.NInChannels(), 0);
    EXPECT_EQ(f.NOutChannels(), 2);
    EXPECT_TRUE(f.LegalIO(0, 1));
    EXPECT_TRUE(f.LegalIO(0, 2));
    EXPECT_TRUE(f.LegalIO(0, -1));
    EXPECT_FALSE(f.LegalIO(1, -1));
    EXPECT_FALSE(f.LegalIO(0, 3));
    EXPECT_FALSE(f.IsOutChannelConnected(0));

    TestFrame g(TestFrame::Config(1, "2-2 1-x 4"));
    ASSERT_EQ(g.ChannelIOs().size(), 3u);
    EXPECT_EQ(g.ChannelIOs()[1].inputs, 1);
    EXPECT_EQ(g.ChannelIOs()[1].outputs, 0);
    EXPECT_EQ(g.ChannelIOs()[2].inputs, 4);
    EXPECT_EQ(g.ChannelIOs()[2].outputs, 0);
    EXPECT_EQ(g.NInChannels(), 4);
    EXPECT_EQ(g.NOutChannels(), 2);
}

TEST(IFrameBase, SetMaxBlockSizeResizesOnceAndZeroes)
{
    class Probe : public TestFrame
    {
    public:
        Probe() : TestFrame(Config(1, "1-2")) {}
        std::vector<double>& OutScratch(int i) { return outputChannels_[i]->scratch; }
    } f;
    f.SetMaxBlockSize(1024);
    ASSERT_EQ(f.OutScratch(0).size(), 1024u);
    f.OutScratch(0)[7] = 1.0;
    const double* before = f.OutScratch(0).data();
    f.SetMaxBlockSize(1024); // unchanged size: nothing happens
    EXPECT_EQ(f.OutScratch(0).data(), before);
    EXPECT_EQ(f.OutScratch(0)[7], 1.0);
    f.SetMaxBlockSize(256);
    EXPECT_EQ(f.GetBlockSize(), 256);
    ASSERT_EQ(f.OutScratch(1).size(), 256u);
    for (double s : f.OutScratch(0))
        ASSERT_EQ(s, 0.0);
}

TEST(IFrameBase, DefaultRenderPassesInputZeroAndSilencesTheRest)
{
    TestFrame f(TestFrame::Config(1, "1-2"));
    double in[4] = {1, 2, 3, 4};
    double out0[4] = {9, 9, 9, 9};
    double out1[4] = {9, 9, 9, 9};
    double* ins[] = {in};
    double* outs[] = {out0, out1};
    f.RenderDouble(ins, outs, 4);
    EXPECT_EQ(out0[3], 4.0);
    EXPECT_EQ(out0[0], 1.0);
    for (double s : out1)
        EXPECT_EQ(s, 0.0);
}

TEST(IFrameBase, Process64BitUsesHostBuffersOfConnectedChannels)
{
    TestFrame f(TestFrame::Config(1, "1-2"));
    f.SetMaxBlockSize(8);
    f.SetInputChannelConnected(0, true);
    f.SetOutputChannelConnected(1, true); // only the second output is connected
    double in[4] = {1, 2, 3, 4};
    double out[4] = {};
    double* ins[] = {in};
    double* outs[] = {out};
    f.ProcessDoubleReplacing(ins, outs, 4);
    // Output 1 has no input of its own: the host's one output buffer receives silence, not input 0.
    for (double s : out)
        EXPECT_EQ(s, 0.0);

    f.SetOutputChannelConnected(0, true);
    double out0[4] = {};
    double out1[4] = {7, 7, 7, 7};
    double* outs2[] = {out0, out1};
    f.ProcessDoubleReplacing(ins, outs2, 4);
    EXPECT_EQ(out0[2], 3.0);
    EXPECT_EQ(out1[2], 0.0);
}

TEST(IFrameBase, Process32BitReplacingAndAccumulating)
{
    TestFrame f(TestFrame::Config(1, "1-1"));
    f.SetMaxBlockSize(4);
    f.SetInputChannelConnected(0, true);
    f.SetOutputChannelConnected(0, true);
    float in[4] = {0.5f, -0.25f, 1, 0};
    float out[4] = {1, 1, 1, 1};
    float* ins[] = {in};
    float* outs[] = {out};
    f.ProcessReplacing(ins, outs, 4);
    EXPECT_FLOAT_EQ(out[0], 0.5f);
    EXPECT_FLOAT_EQ(out[1], -0.25f);
    f.ProcessAccumulating(ins, outs, 4);
    EXPECT_FLOAT_EQ(out[0], 1.0f);
    EXPECT_FLOAT_EQ(out[1], -0.5f);
    EXPECT_FLOAT_EQ(out[2], 2.0f);
}

TEST(IFrameBase, OverlongBlockIsRenderedInPiecesAndUnsizedOneIsSilent)
{
    TestFrame f(TestFrame::Config(1, "1-1"));
    f.SetInputChannelConnected(0, true);
    f.SetOutputChannelConnected(0, true);
    float in[10];
    float out[10];
    for (int i = 0; i < 10; ++i)
        in[i] = static_cast<float>(i), out[i] = 5;
    float* ins[] = {in};
    float* outs[] = {out};

    f.ProcessReplacing(ins, outs, 10); // no block size announced yet: no scratch to render into
    EXPECT_TRUE(f.renderSizes.empty());
    for (float s : out)
        EXPECT_EQ(s, 0.0f);

    f.SetMaxBlockSize(4);
    f.ProcessReplacing(ins, outs, 10); // the host exceeds its announced block size
    EXPECT_EQ(f.renderSizes, (std::vector<int>{4, 4, 2}));
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(out[i], static_cast<float>(i));
}

TEST(IFrameBase, SetParameterFromEditorOrder)
{
    TestFrame f;
    f.GetParam(1)->DefineInt("semis", 0, -24, 24);
    f.SetParameterFromEditor(1, 0.51);
    EXPECT_EQ(f.GetParam(1)->Value(), 0.0);
    ASSERT_EQ(f.hostValues.size(), 1u);
    EXPECT_EQ(f.hostValues[0], 0.51); // unrounded
    EXPECT_EQ(f.log, (std::vector<std::string>{"host 1", "change 1"}));
    f.SetParameterFromEditor(99, 0.5); // out of range: ignored
    EXPECT_EQ(f.log.size(), 2u);
}

TEST(IFrameBase, AttachEditorPushesNormalisedValuesAndOwnsTheEditor)
{
    bool destroyed = false;
    {
        TestFrame f;
        f.GetParam(0)->DefineDouble("p", 25, 0, 100, 0.01, "", 2);
        auto* editor = new FakeEditor(&destroyed);
        f.AttachEditor(nullptr);
        EXPECT_EQ(f.GetEditor(), nullptr);
        f.AttachEditor(editor);
        EXPECT_EQ(f.GetEditor(), editor);
        EXPECT_TRUE(editor->prepared);
        ASSERT_EQ(editor->pushes.size(), 4u);
        EXPECT_EQ(editor->pushes[0].idx, 0);
        EXPECT_DOUBLE_EQ(editor->pushes[0].value, 0.5);
        EXPECT_TRUE(editor->pushes[0].normalized);

        editor->pushes.clear();
        f.RefreshEditorFromParameters();
        ASSERT_EQ(editor->pushes.size(), 4u);
        EXPECT_EQ(editor->pushes[0].value, 25.0); // the real value
        EXPECT_FALSE(editor->pushes[0].normalized);
        EXPECT_EQ(editor->pushes[3].idx, 3);
        EXPECT_FALSE(destroyed);
    }
    EXPECT_TRUE(destroyed);
}

TEST(IFrameBase, DefaultHooks)
{
    TestFrame f;
    f.OnMidiMessage(IMidiMessage{3, 0x90, 60, 100}); // passed on to the host
    ASSERT_EQ(f.sentMidi.size(), 1u);
    EXPECT_EQ(f.sentMidi[0].offset, 3);
    char name[8] = "junk";
    EXPECT_FALSE(f.GetMidiNoteName(60, name));
    EXPECT_STREQ(name, "");
    f.NotifyAllParameters();
    EXPECT_EQ(f.log, (std::vector<std::string>{"change 0", "change 1", "change 2", "change 3"}));
}

TEST(IFrameBase, MutexAdmitsReentryAndExcludesOtherThreads)
{
    TestFrame f;
    IFrameBase::Lock outer(f.Mutex());
    f.OnReset(); // takes the mutex again on this thread
    bool acquired = true;
    std::thread other(
        [&]
        {
            acquired = f.Mutex().try_lock();
            if (acquired) f.Mutex().unlock();
        });
    other.join();
    EXPECT_FALSE(acquired);
}
