#include "TestFrame.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
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
    void PrepareDraw() override
    {
        prepared = true;
        pushesBeforePrepare = pushes.size();
    }
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
    size_t pushesBeforePrepare = 0;

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
    EXPECT_EQ(FourCC("Qorv"), 0x516F7276);
    EXPECT_EQ(MakeVersion(1, 0, 1), 0x00010001);
    EXPECT_EQ(f.GetSampleRate(), 44100.0);
    EXPECT_EQ(f.GetBlockSize(), 0);
    EXPECT_EQ(f.GetCurrentPresetIdx(), 0);
    EXPECT_FALSE(f.IsBypassed());
    EXPECT_EQ(f.ApiKind(), kApiVST2);
    EXPECT_EQ(f.GetEditor(), nullptr);

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

    // Numbers read as "%d" reads them: an explicit sign counts, a number too large for it does not.
    TestFrame h(TestFrame::Config(1, "+1-+3 -1-2 99999999999-5"));
    ASSERT_EQ(h.ChannelIOs().size(), 3u);
    EXPECT_EQ(h.ChannelIOs()[0].inputs, 1);
    EXPECT_EQ(h.ChannelIOs()[0].outputs, 3);
    EXPECT_EQ(h.ChannelIOs()[1].inputs, -1);
    EXPECT_EQ(h.ChannelIOs()[1].outputs, 2);
    EXPECT_EQ(h.ChannelIOs()[2].inputs, 0);
    EXPECT_EQ(h.ChannelIOs()[2].outputs, 0);
    EXPECT_EQ(h.NInChannels(), 1);
    EXPECT_EQ(h.NOutChannels(), 3);
    EXPECT_TRUE(h.LegalIO(-1, 2));
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

TEST(IFrameBase, Process32BitTakesHostBuffersForConnectedChannelsOnly)
{
    TestFrame f(TestFrame::Config(1, "1-2"));
    f.SetMaxBlockSize(4);
    f.SetInputChannelConnected(0, true);
    f.SetOutputChannelConnected(1, true);
    float in[4] = {1, 2, 3, 4};
    float out[4] = {7, 7, 7, 7};
    float* ins[] = {in};
    float* outs[] = {out};
    f.ProcessReplacing(ins, outs, 4);
    // The one host buffer belongs to output 1, which has no input to pass through.
    for (float s : out)
        EXPECT_EQ(s, 0.0f);

    // A connected input the host gives no buffer for is silent, not the previous block repeated.
    f.SetOutputChannelConnected(0, true);
    float out0[4] = {7, 7, 7, 7};
    float out1[4] = {7, 7, 7, 7};
    float* outs2[] = {out0, out1};
    f.ProcessReplacing(ins, outs2, 4);
    EXPECT_EQ(out0[3], 4.0f);
    float* noInputs[] = {nullptr};
    f.ProcessReplacing(noInputs, outs2, 4);
    for (float s : out0)
        EXPECT_EQ(s, 0.0f);
}

TEST(IFrameBase, OverlongBlockIsRenderedInPiecesAndUnsizedOneInFull)
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

    f.ProcessReplacing(ins, outs, 10); // no block size announced yet: rendered all the same
    EXPECT_EQ(f.renderSizes, (std::vector<int>{10}));
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(out[i], static_cast<float>(i));

    f.renderSizes.clear();
    f.SetMaxBlockSize(4);
    f.ProcessReplacing(ins, outs, 10); // the host exceeds its announced block size
    EXPECT_EQ(f.renderSizes, (std::vector<int>{4, 4, 2}));
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(out[i], static_cast<float>(i));

    f.ProcessAccumulating(ins, outs, 10); // each piece adds onto its own part of the host buffer
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(out[i], 2.0f * i);
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
    ASSERT_EQ(f.valuesWhenHostTold.size(), 1u);
    EXPECT_EQ(f.valuesWhenHostTold[0], 0.0); // set (and rounded) before the host is told
    f.SetParameterFromEditor(99, 0.5);       // out of range: ignored
    EXPECT_EQ(f.log.size(), 2u);

    // The host only ever sees normalised values within [0, 1].
    f.SetParameterFromEditor(1, 1.25);
    EXPECT_EQ(f.hostValues.back(), 1.0);
    EXPECT_EQ(f.GetParam(1)->Value(), 24.0);
    f.SetParameterFromEditor(1, -0.5);
    EXPECT_EQ(f.hostValues.back(), 0.0);
    EXPECT_EQ(f.GetParam(1)->Value(), -24.0);
    f.log.clear();
    f.SetParameterFromEditor(1, std::numeric_limits<double>::quiet_NaN());
    EXPECT_TRUE(f.log.empty());
    EXPECT_EQ(f.GetParam(1)->Value(), -24.0);
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
        EXPECT_EQ(editor->pushesBeforePrepare, 4u); // every control holds its value before drawing
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

#if defined(__GNUC__) && defined(__x86_64__)
namespace
{
// The position of a virtual operation in the frame's table of virtual operations. In this ABI a
// pointer to a virtual member holds 1 + its byte offset in the table, and the destructor takes the
// first two entries (complete and deleting), so the destructor is slot 0 and OnReset slot 1.
template <typename F> long Slot(F member)
{
    static_assert(sizeof(F) == 2 * sizeof(std::uintptr_t));
    std::uintptr_t words[2];
    std::memcpy(words, &member, sizeof words);
    return static_cast<long>((words[0] - 1) / sizeof(void*)) - 1;
}
} // namespace

TEST(IFrameBase, VirtualOperationsKeepTheirSlots)
{
    EXPECT_EQ(Slot(&IFrameBase::OnReset), 1);
    EXPECT_EQ(Slot(&IFrameBase::OnParameterChange), 2);
    EXPECT_EQ(Slot(&IFrameBase::RenderDouble), 3);
    EXPECT_EQ(Slot(&IFrameBase::RenderFloat), 4);
    EXPECT_EQ(Slot(&IFrameBase::OnEditorOpen), 5);
    EXPECT_EQ(Slot(&IFrameBase::OnEditorClose), 6);
    EXPECT_EQ(Slot(&IFrameBase::OnIdle), 7);
    EXPECT_EQ(Slot(&IFrameBase::OnActiveChange), 8);
    EXPECT_EQ(Slot(&IFrameBase::OnMidiMessage), 9);
    EXPECT_EQ(Slot(&IFrameBase::OnSysEx), 10);
    EXPECT_EQ(Slot(&IFrameBase::GetMidiNoteName), 11);
    EXPECT_EQ(Slot(&IFrameBase::SaveState), 12);
    EXPECT_EQ(Slot(&IFrameBase::LoadState), 13);
    EXPECT_EQ(Slot(&IFrameBase::StateMatches), 14);
    EXPECT_EQ(Slot(&IFrameBase::OnEditorResized), 15);
    EXPECT_EQ(Slot(&IFrameBase::ShowAboutBox), 16);
    EXPECT_EQ(Slot(&IFrameBase::OnHostPrepared), 17);
    EXPECT_EQ(Slot(&IFrameBase::OnParameterContextMenu), 18);
    EXPECT_EQ(Slot(&IFrameBase::SetParameterFromEditor), 19);
    EXPECT_EQ(Slot(&IFrameBase::BeginHostParameterEdit), 20);
    EXPECT_EQ(Slot(&IFrameBase::SendHostParameterValue), 21);
    EXPECT_EQ(Slot(&IFrameBase::EndHostParameterEdit), 22);
    EXPECT_EQ(Slot(&IFrameBase::NotifyHostPresetChange), 23);
    EXPECT_EQ(Slot(&IFrameBase::IsOfflineRender), 24);
    EXPECT_EQ(Slot(&IFrameBase::HostSamplePosition), 25);
    EXPECT_EQ(Slot(&IFrameBase::HostTempo), 26);
    EXPECT_EQ(Slot(&IFrameBase::HostTimeSignature), 27);
    EXPECT_EQ(Slot(&IFrameBase::HostTimeInfo), 28);
    EXPECT_EQ(Slot(&IFrameBase::HostKind), 29);
    EXPECT_EQ(Slot(&IFrameBase::ApiKind), 30);
    EXPECT_EQ(Slot(&IFrameBase::ResizeEditor), 31);
    EXPECT_EQ(Slot(&IFrameBase::PrepareForHost), 32);
    EXPECT_EQ(Slot(&IFrameBase::AttachEditor), 33);
    EXPECT_EQ(Slot(&IFrameBase::SetLatencySamples), 34);
    EXPECT_EQ(Slot(&IFrameBase::SendMidiToHost), 35);
    EXPECT_EQ(Slot(&IFrameBase::SendSysExToHost), 36);
    EXPECT_EQ(Slot(&IFrameBase::RefreshEditorFromParameters), 37);
    EXPECT_EQ(Slot(&IFrameBase::OnUserHook), 38);
    EXPECT_EQ(Slot(&IFrameBase::OnPresetChange), 39);
    EXPECT_EQ(Slot(&IFrameBase::SetMaxBlockSize), 40);
}
#endif
