#include "TestFrame.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{
constexpr int kParams = 60;
constexpr int32_t kVersionWord = 0x00010001;

// Stores its state the way the instrument does: a version word, then the parameter values.
class VersionedFrame : public TestFrame
{
public:
    explicit VersionedFrame(int presets = 1) : TestFrame(Config(kParams, "0-1 0-2", presets))
    {
        for (int i = 0; i < kParams; ++i)
            GetParam(i)->DefineDouble("p", 0.0, -1.0, 1.0, 0.001);
        GetParam(10)->DefineDouble("p10", 0.75, 0.5, 1.0, 0.01);
    }
    bool SaveState(IStateChunk& chunk) override
    {
        return chunk.PutInt32(kVersionWord) > 0 && SerializeParams(chunk);
    }
    int32_t LoadState(const IStateChunk& chunk, int32_t position) override
    {
        int32_t version = 0;
        position = chunk.GetInt32(version, position);
        return UnserializeParams(chunk, position);
    }
    bool StateMatches(const IStateChunk& chunk, int32_t position) override
    {
        int32_t version = 0;
        position = chunk.GetInt32(version, position);
        return position >= 0 && version == kVersionWord && ParamsMatch(chunk, position);
    }

    void SetAll(double base)
    {
        for (int i = 0; i < kParams; ++i)
            GetParam(i)->SetClamped(base + i * 0.001);
    }
};

IStateChunk StateOf(VersionedFrame& f)
{
    IStateChunk c;
    f.SaveState(c);
    return c;
}

int Count(const std::vector<std::string>& log, const std::string& entry)
{
    return static_cast<int>(std::count(log.begin(), log.end(), entry));
}
} // namespace

TEST(FrameState, InstrumentStateIs484Bytes)
{
    VersionedFrame f;
    IStateChunk c = StateOf(f);
    ASSERT_EQ(c.Size(), 484);
    int32_t version = 0;
    c.GetInt32(version, 0);
    EXPECT_EQ(version, kVersionWord);
    double p10 = 0;
    c.GetDouble(p10, 4 + 8 * 10);
    EXPECT_EQ(p10, 0.75);
}

TEST(FrameState, ParameterRoundTripClampsStoredValues)
{
    VersionedFrame f;
    f.SetAll(0.2);
    IStateChunk c = StateOf(f);
    const double outOfRange = 5.0;
    std::memcpy(c.Data() + 4, &outOfRange, 8);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::memcpy(c.Data() + 4 + 8, &nan, 8);

    f.SetAll(-0.5);
    f.log.clear();
    EXPECT_EQ(f.LoadState(c, 0), 484);
    EXPECT_EQ(f.GetParam(0)->Value(), 1.0); // clamped to the maximum
    EXPECT_EQ(f.GetParam(1)->Value(), 0.0); // not a number: read as 0
    EXPECT_DOUBLE_EQ(f.GetParam(59)->Value(), 0.2 + 59 * 0.001);
    EXPECT_EQ(Count(f.log, "change 59"), 1);
    EXPECT_EQ(f.log.front(), "change 0");
}

TEST(FrameState, ShortStateSetsWhatIsThereAndZeroesTheFirstMissing)
{
    VersionedFrame f;
    f.SetAll(0.3);
    IStateChunk full = StateOf(f);
    IStateChunk shortState;
    shortState.PutBytes(full.Data(), 4 + 8 * 10);

    f.SetAll(-0.4);
    f.log.clear();
    EXPECT_EQ(f.LoadState(shortState, 0), -1);
    EXPECT_DOUBLE_EQ(f.GetParam(9)->Value(), 0.3 + 9 * 0.001);
    EXPECT_EQ(f.GetParam(10)->Value(), 0.5); // 0 clamped into [0.5, 1]
    EXPECT_DOUBLE_EQ(f.GetParam(11)->Value(), -0.4 + 11 * 0.001);
    EXPECT_EQ(Count(f.log, "change 59"), 1); // every parameter is still announced

    IStateChunk tiny;
    tiny.PutBytes("\x01\x00", 2);
    f.log.clear();
    EXPECT_EQ(f.LoadState(tiny, 0), -1);
    EXPECT_DOUBLE_EQ(f.GetParam(0)->Value(), 0.3); // untouched
    EXPECT_EQ(f.log.size(), static_cast<size_t>(kParams));
}

TEST(FrameState, StateMatchesTolerance)
{
    VersionedFrame f;
    f.SetAll(0.1);
    IStateChunk c = StateOf(f);
    f.GetParam(30)->SetClamped(f.GetParam(30)->Value() + 0.000005);
    EXPECT_TRUE(f.StateMatches(c, 0));
    f.GetParam(30)->SetClamped(f.GetParam(30)->Value() + 0.00002);
    EXPECT_FALSE(f.StateMatches(c, 0));

    IStateChunk wrongVersion = StateOf(f);
    wrongVersion.Data()[0] ^= 1;
    EXPECT_FALSE(f.StateMatches(wrongVersion, 0));
    IStateChunk truncated;
    truncated.PutBytes(c.Data(), 100);
    EXPECT_FALSE(f.StateMatches(truncated, 0));
}

TEST(FramePresets, ApplyPresetTurnsEmptySlotsIntoUserPresets)
{
    VersionedFrame f(3);
    f.SetAll(0.1);
    EXPECT_TRUE(f.ApplyPreset(0));
    EXPECT_STREQ(f.PresetName(0), "user preset 1");
    EXPECT_TRUE(f.GetPreset(0)->initialised);
    EXPECT_EQ(f.GetPreset(0)->chunk.Size(), 484);
    EXPECT_TRUE(f.StateMatches(f.GetPreset(0)->chunk, 0));
    EXPECT_EQ(f.log.back(), "presetchange");

    f.SetAll(-0.1);
    EXPECT_TRUE(f.ApplyPreset(2));
    EXPECT_STREQ(f.PresetName(2), "user preset 2");
    EXPECT_EQ(f.GetCurrentPresetIdx(), 2);

    // An initialised preset loads its state.
    EXPECT_TRUE(f.ApplyPreset(0));
    EXPECT_DOUBLE_EQ(f.GetParam(5)->Value(), 0.105);
    EXPECT_EQ(f.GetCurrentPresetIdx(), 0);

    f.log.clear();
    EXPECT_FALSE(f.ApplyPreset(3));
    EXPECT_FALSE(f.ApplyPreset(-1));
    EXPECT_TRUE(f.log.empty());
    EXPECT_EQ(f.GetCurrentPresetIdx(), 0);
    EXPECT_STREQ(f.PresetName(-1), "");
    EXPECT_STREQ(f.PresetName(3), "");
}

TEST(FramePresets, FillAndModify)
{
    VersionedFrame f(2);
    f.SetAll(0.2);
    f.FillPresetsFromState("-", 1);
    EXPECT_STREQ(f.PresetName(0), "-");
    EXPECT_TRUE(f.GetPreset(0)->initialised);
    EXPECT_FALSE(f.GetPreset(1)->initialised);
    f.FillPresetsFromState(nullptr, 5); // fills the one left, then finds none
    EXPECT_STREQ(f.PresetName(1), "Empty");
    f.FillPresetsFromState("again", 1);
    EXPECT_STREQ(f.PresetName(0), "-");

    f.SetAll(-0.2);
    f.ModifyCurrentPreset();
    EXPECT_STREQ(f.PresetName(0), "-");
    EXPECT_EQ(f.GetPreset(0)->chunk.Size(), 484);
    EXPECT_TRUE(f.StateMatches(f.GetPreset(0)->chunk, 0));
    f.ModifyCurrentPreset("");
    EXPECT_STREQ(f.PresetName(0), "-");
    f.ModifyCurrentPreset(std::string(300, 'n').c_str());
    EXPECT_EQ(std::string(f.PresetName(0)), std::string(255, 'n'));
}

TEST(FramePresets, SlotsThatHoldBytesButNoStateStoreExactlyOneState)
{
    // ModifyCurrentPreset fills the chunk of the current preset even while it holds no state. When
    // that slot is then applied or filled, its chunk must hold one state, not two back to back: a
    // bank written from it could not be read back.
    VersionedFrame f(2);
    f.SetAll(0.1);
    f.ModifyCurrentPreset();
    EXPECT_FALSE(f.GetPreset(0)->initialised);
    ASSERT_EQ(f.GetPreset(0)->chunk.Size(), 484);
    ASSERT_TRUE(f.ApplyPreset(0));
    EXPECT_STREQ(f.PresetName(0), "user preset 1");
    EXPECT_EQ(f.GetPreset(0)->chunk.Size(), 484);

    VersionedFrame g(2);
    g.ModifyCurrentPreset();
    g.FillPresetsFromState("-", 1);
    EXPECT_EQ(g.GetPreset(0)->chunk.Size(), 484);

    IStateChunk bank;
    ASSERT_TRUE(f.SerializePresets(bank));
    VersionedFrame h(2);
    EXPECT_EQ(h.UnserializePresets(bank, 0), bank.Size());
    EXPECT_STREQ(h.PresetName(0), "user preset 1");
    EXPECT_STREQ(h.PresetName(1), "empty");
    EXPECT_DOUBLE_EQ(h.GetParam(8)->Value(), 0.108);
}

TEST(FramePresets, UserPresetNumbersCountExistingOnes)
{
    VersionedFrame f(4);
    f.FillPresetsFromState("my user preset", 1); // contains the text, so it counts
    EXPECT_TRUE(f.ApplyPreset(2));
    EXPECT_STREQ(f.PresetName(2), "user preset 2");
    EXPECT_TRUE(f.ApplyPreset(1));
    EXPECT_STREQ(f.PresetName(1), "user preset 3");
    EXPECT_EQ(f.GetCurrentPresetIdx(), 1);
    EXPECT_EQ(Count(f.log, "presetchange"), 2);
}

TEST(FramePresets, BankLayoutAndRoundTrip)
{
    VersionedFrame one;
    one.FillPresetsFromState("-", 1);
    IStateChunk bank;
    WriteChunkHeader(bank);
    EXPECT_TRUE(one.SerializePresets(bank));
    ASSERT_EQ(bank.Size(), 8 + 4 + 1 + 1 + 484);
    EXPECT_EQ(bank.Data()[12], '-');
    EXPECT_EQ(bank.Data()[13], 1);

    VersionedFrame f(3);
    f.SetAll(0.1);
    f.FillPresetsFromState("first", 1);
    f.SetAll(0.4);
    f.FillPresetsFromState("second", 1); // preset 2 stays empty
    IStateChunk saved;
    WriteChunkHeader(saved);
    ASSERT_TRUE(f.SerializePresets(saved));

    VersionedFrame g(3);
    g.SetAll(-0.9);
    int32_t pos = 0;
    ASSERT_EQ(ReadChunkHeader(saved, pos), kChunkFormatVersion);
    EXPECT_EQ(g.UnserializePresets(saved, pos), saved.Size());
    EXPECT_STREQ(g.PresetName(0), "first");
    EXPECT_STREQ(g.PresetName(1), "second");
    EXPECT_STREQ(g.PresetName(2), "empty");
    EXPECT_FALSE(g.GetPreset(2)->initialised);
    // Afterwards the current preset (0) is applied to the live parameters.
    EXPECT_DOUBLE_EQ(g.GetParam(3)->Value(), 0.103);
    EXPECT_FALSE(g.StateMatches(f.GetPreset(1)->chunk, 0));
    EXPECT_TRUE(g.StateMatches(g.GetPreset(0)->chunk, 0));
}

TEST(FramePresets, EmptyStoredNameRepeatsThePreviousOne)
{
    VersionedFrame f(2);
    IStateChunk bank;
    bank.PutString("kick");
    bank.PutBytes("\x01", 1);
    IStateChunk state = StateOf(f);
    bank.PutBytes(state.Data(), state.Size());
    bank.PutInt32(0);
    bank.PutBytes("\x00", 1);
    EXPECT_EQ(f.UnserializePresets(bank, 0), bank.Size());
    EXPECT_STREQ(f.PresetName(0), "kick");
    EXPECT_STREQ(f.PresetName(1), "kick");
}

TEST(FramePresets, OverlongStoredNameIsCutAndReadingGoesOn)
{
    VersionedFrame f(2);
    f.SetAll(0.25);
    IStateChunk bank;
    bank.PutString(std::string(300, 'a').c_str());
    bank.PutBytes("\x01", 1);
    IStateChunk state = StateOf(f);
    bank.PutBytes(state.Data(), state.Size());
    bank.PutString("next");
    bank.PutBytes("\x00", 1);

    f.SetAll(0.0);
    EXPECT_EQ(f.UnserializePresets(bank, 0), bank.Size());
    EXPECT_EQ(std::string(f.PresetName(0)), std::string(255, 'a'));
    EXPECT_STREQ(f.PresetName(1), "next");
    EXPECT_DOUBLE_EQ(f.GetParam(7)->Value(), 0.257);
}

TEST(FramePresets, HostileLengthsFailWithoutTouchingNames)
{
    for (int32_t length :
         {std::numeric_limits<int32_t>::max(), -1, std::numeric_limits<int32_t>::min(), 1 << 20})
    {
        VersionedFrame f(2);
        f.SetAll(0.5);
        f.FillPresetsFromState("-", 1);
        IStateChunk bank;
        bank.PutInt32(length);
        bank.PutBytes("abcd\x01", 5);
        f.SetAll(0.0);
        EXPECT_EQ(f.UnserializePresets(bank, 0), -1) << length;
        EXPECT_STREQ(f.PresetName(0), "-");
        EXPECT_STREQ(f.PresetName(1), "empty");
        EXPECT_FALSE(f.GetPreset(1)->initialised);
        EXPECT_DOUBLE_EQ(f.GetParam(2)->Value(), 0.502); // the current preset is applied again
    }
}

TEST(FramePresets, EveryTruncationOfABankFailsCleanly)
{
    VersionedFrame source(3);
    source.SetAll(0.1);
    source.FillPresetsFromState("alpha", 1);
    source.SetAll(0.3);
    source.FillPresetsFromState("beta", 2);
    IStateChunk bank;
    ASSERT_TRUE(source.SerializePresets(bank));
    const int32_t full = bank.Size();

    for (int32_t cut = 0; cut < full; ++cut)
    {
        IStateChunk partial;
        partial.PutBytes(bank.Data(), cut);
        VersionedFrame f(3);
        ASSERT_EQ(f.UnserializePresets(partial, 0), -1) << cut;
        // The instance stays usable: it can still save and restore a full bank.
        IStateChunk again;
        ASSERT_TRUE(f.SerializePresets(again));
        ASSERT_EQ(f.UnserializePresets(again, 0), again.Size()) << cut;
    }
    // A cut inside the second preset's state keeps the first preset as read.
    IStateChunk partial;
    partial.PutBytes(bank.Data(), 4 + 5 + 1 + 484 + 4 + 4 + 1 + 100);
    VersionedFrame f(3);
    f.UnserializePresets(partial, 0);
    EXPECT_STREQ(f.PresetName(0), "alpha");
    EXPECT_TRUE(f.StateMatches(f.GetPreset(0)->chunk, 0));
    EXPECT_STREQ(f.PresetName(1), "empty"); // cut inside its state: left as it was
    EXPECT_FALSE(f.GetPreset(1)->initialised);
    EXPECT_DOUBLE_EQ(f.GetParam(4)->Value(), 0.104); // the current preset's state is live again
}
