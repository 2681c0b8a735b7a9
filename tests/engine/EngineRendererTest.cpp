#include "engine/EngineRenderer.h"
#include "bench/VoiceScenes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace
{
using namespace voice_scenes;

std::unique_ptr<EngineRenderer> Prepared(CrushPosition crush)
{
    auto renderer = std::make_unique<EngineRenderer>();
    PrepareRenderer(*renderer);
    ApplyDefaultSound(renderer->Voices());
    renderer->Voices().SetStageValue(EnvelopeTarget::Amplitude, StageRelease, 0.05);
    renderer->SetCrushPosition(crush);
    renderer->SetCrushSampleRate(3000.0);
    renderer->SetCrushBitDepth(5.0);
    return renderer;
}

// A short note, its release and a long silence with a gain change in it, in 64-sample blocks.
// With skip set, silent blocks take the shortcut the instrument takes when idle.
std::vector<double> PlayPhrase(EngineRenderer& renderer, bool skip)
{
    std::vector<double> out;
    renderer.Voices().NoteOn(69, 100);
    for (int block = 0; block < 400; ++block)
    {
        if (block == 40) renderer.Voices().NoteOff(69, 0);
        if (block == 300) renderer.SetOutputGain(0.25);
        if (skip && renderer.SettleIntoSilence())
        {
            renderer.SkipSilence(64);
            out.insert(out.end(), 64, 0.0);
            continue;
        }
        for (int i = 0; i < 64; ++i)
            out.push_back(renderer.NextSample());
    }
    return out;
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}
} // namespace

TEST(EngineRenderer, SkippedSilenceEqualsRenderedSilence)
{
    for (CrushPosition crush : {CrushOff, CrushInside, CrushAfter})
    {
        auto rendered = Prepared(crush);
        auto skipped = Prepared(crush);
        const std::vector<double> expected = PlayPhrase(*rendered, false);
        const std::vector<double> actual = PlayPhrase(*skipped, true);
        EXPECT_TRUE(SameBits(actual, expected)) << "crush position " << crush;
        EXPECT_EQ(skipped->OutputGain(), rendered->OutputGain()) << crush;
        EXPECT_EQ(skipped->Crusher().HoldCounter(), rendered->Crusher().HoldCounter()) << crush;
        EXPECT_EQ(skipped->Crusher().HeldSample(), rendered->Crusher().HeldSample()) << crush;
        EXPECT_TRUE(skipped->IsSilent()) << crush; // the phrase really reached the shortcut
    }
}

TEST(EngineRenderer, ReleasedNoteEndsInExactSilenceWithoutAClick)
{
    auto renderer = Prepared(CrushOff);
    const std::vector<double> out = PlayPhrase(*renderer, false);
    // Find the last non-zero sample: everything after it is exact 0.0, and it comes soon after
    // the release (0.05 s, 2205 samples from block 40) instead of never.
    std::size_t last = out.size();
    while (last > 0 && out[last - 1] == 0.0)
        --last;
    ASSERT_GT(last, 40u * 64u);
    EXPECT_LT(last, 40u * 64u + 2205u + 4410u);
    // The step into silence is far below hearing (-100 dBFS) even after the compressor.
    EXPECT_LT(std::fabs(out[last - 1]), 1e-5);
    EXPECT_TRUE(renderer->AntiAliasFilter().IsClear());
}
