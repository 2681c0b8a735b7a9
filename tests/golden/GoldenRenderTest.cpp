// Reference renders that guard the sound: a few notes of the default sound, every recipe at a fixed
// seed, mutations, a heavy patch and the bit crusher, each played through the headless instrument
// into 32-bit float buffers and reduced to a hash of their bytes. Any change to a rendered sample
// fails here. When a change to the sound is intended, run with BRISBLEEP_GOLDEN_PRINT=1 to print the
// new table, review the differences and paste it below in a commit of its own.

#include "instrument/Brisbleep.h"
#include "instrument/ParamLayout.h"

#include "engine/Random.h"
#include "tests/support/SignalMeasure.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace
{

struct Scene
{
    const char* name;
    double rate;
    int block;
    std::function<void(Brisbleep&)> prepare;
    std::vector<int> notes;
    double holdSeconds;
    double tailSeconds;
};

std::uint64_t Fnv1a(const std::vector<float>& samples)
{
    std::uint64_t hash = 0xcbf29ce484222325ull;
    const auto* bytes = reinterpret_cast<const unsigned char*>(samples.data());
    for (std::size_t i = 0; i < samples.size() * sizeof(float); ++i)
        hash = (hash ^ bytes[i]) * 0x100000001b3ull;
    return hash;
}

// Both output channels, interleaved, for the notes held then released.
std::vector<float> Render(const Scene& scene)
{
    auto instrument = std::make_unique<Brisbleep>(OfflineHostContext{});
    instrument->SetHostSampleRate(scene.rate);
    instrument->SetHostBlockSize(scene.block);
    instrument->ConnectOutputs(2);
    instrument->SetProcessing(true);
    if (scene.prepare) scene.prepare(*instrument);

    std::vector<float> out;
    std::vector<float> left(static_cast<std::size_t>(scene.block)), right(left.size());
    auto play = [&](long frames)
    {
        while (frames > 0)
        {
            const int n = static_cast<int>(std::min<long>(frames, scene.block));
            float* outs[2] = {left.data(), right.data()};
            instrument->ProcessBlock(outs, n);
            for (int i = 0; i < n; ++i)
            {
                out.push_back(left[static_cast<std::size_t>(i)]);
                out.push_back(right[static_cast<std::size_t>(i)]);
            }
            frames -= n;
        }
    };
    // Notes start a few samples into the first block, so offsets are exercised too.
    for (int note : scene.notes)
        instrument->DeliverMidi(IMidiMessage::Make(0x90, note, 100, 7));
    play(static_cast<long>(scene.holdSeconds * scene.rate));
    for (int note : scene.notes)
        instrument->DeliverMidi(IMidiMessage::Make(0x80, note, 0, 3));
    play(static_cast<long>(scene.tailSeconds * scene.rate));
    return out;
}

std::function<void(Brisbleep&)> Recipe(void (Brisbleep::*recipe)(), std::uint32_t seed, int mutations = 0)
{
    return [=](Brisbleep& instrument)
    {
        RandomSeed(seed);
        (instrument.*recipe)();
        for (int i = 0; i < mutations; ++i)
            instrument.MutateSound();
    };
}

// Every source on, both filters swept by their envelope, a curved glide, a pitch jump and compression.
void HeavyPatch(Brisbleep& instrument)
{
    const std::pair<ParamIndex, double> settings[] = {{kOsc1Type, 3},
                                                      {kOsc2Type, 6},
                                                      {kOsc3Type, 2},
                                                      {kOsc1Level, 0},
                                                      {kOsc2Level, -6},
                                                      {kOsc3Level, -6},
                                                      {kWhiteLevel, -12},
                                                      {kPinkLevel, -12},
                                                      {kOsc2Octave, -1},
                                                      {kOsc3Cents, 7},
                                                      {kOsc3SquareDuty, 0.3},
                                                      {kWhiteEnvDepth, 0.5},
                                                      {kPitchDuration, 0.8},
                                                      {kPitchStart, -1},
                                                      {kPitchEnd, 0.5},
                                                      {kPitchCurve, 2.5},
                                                      {kFilterLpCutoff, 2500},
                                                      {kFilterLpResonance, 2.5},
                                                      {kFilterLpEnvDepth, 0.6},
                                                      {kFilterHpCutoff, 300},
                                                      {kFilterHpResonance, 1.2},
                                                      {kFilterHpEnvDepth, -0.4},
                                                      {kCompressionFactor, 0.7},
                                                      {kPitchJumpTranspose, 7},
                                                      {kPitchJumpDelay, 0.1},
                                                      {kPitchJumpTime, 0.2},
                                                      {kFilterEnvAttack, 0.05},
                                                      {kFilterEnvHold, 0.01},
                                                      {kFilterEnvDecay, 0.3},
                                                      {kFilterEnvSustain, 0.2},
                                                      {kFilterEnvRelease, 0.4}};
    RandomSeed(99);
    for (const auto& [index, value] : settings)
        instrument.SetParameterValue(index, value);
}

void Crushed(Brisbleep& instrument)
{
    instrument.SetParameterValue(kOsc1Type, 4);
    instrument.SetParameterValue(kBitCrushPosition, 1); // inside the oversampling
    instrument.SetParameterValue(kBitCrushSampleRate, 8000);
    instrument.SetParameterValue(kBitCrushBitDepth, 6);
}

const std::vector<Scene>& Scenes()
{
    static const std::vector<Scene> scenes = {
        {"default-a4", 44100, 512, nullptr, {69}, 0.25, 0.35},
        {"default-c2-48k", 48000, 480, nullptr, {36}, 0.2, 0.3},
        {"default-c8-odd-block", 44100, 117, nullptr, {108}, 0.1, 0.3},
        {"default-chord-four-voices", 44100, 512, nullptr, {60, 64, 67, 71}, 0.3, 0.4},
        {"coin", 44100, 512, Recipe(&Brisbleep::CoinRecipe, 1001), {72}, 0.3, 0.5},
        {"shoot", 44100, 512, Recipe(&Brisbleep::ShootRecipe, 1002), {60}, 0.3, 0.5},
        {"powerup", 44100, 512, Recipe(&Brisbleep::PowerupRecipe, 1003), {60}, 0.4, 0.5},
        {"hit", 44100, 512, Recipe(&Brisbleep::HitRecipe, 1004), {48}, 0.3, 0.5},
        {"jump", 44100, 512, Recipe(&Brisbleep::JumpRecipe, 1005), {60}, 0.3, 0.5},
        {"blip", 44100, 512, Recipe(&Brisbleep::BlipRecipe, 1006), {72}, 0.2, 0.4},
        {"blade", 44100, 512, Recipe(&Brisbleep::BladeRecipe, 1007), {60}, 0.3, 0.5},
        {"random", 44100, 512, Recipe(&Brisbleep::RandomSound, 1008), {60}, 0.3, 0.5},
        {"random-mutated", 96000, 256, Recipe(&Brisbleep::RandomSound, 1009, 3), {64}, 0.3, 0.5},
        {"heavy-two-voices", 44100, 512, HeavyPatch, {45, 57}, 0.6, 0.6},
        {"crushed", 22050, 64, Crushed, {81}, 0.2, 0.2},
    };
    return scenes;
}

// Scene name -> FNV-1a 64 of the interleaved float output.
const std::vector<std::pair<std::string, std::uint64_t>> kReference = {
#include "GoldenReference.inc"
};

TEST(GoldenRender, EveryReferenceSceneRendersTheSameBytes)
{
    const bool print = std::getenv("BRISBLEEP_GOLDEN_PRINT") != nullptr;
    // For reviewing a reference update: each scene's samples as raw 32-bit floats in this directory.
    const char* dumpDirectory = std::getenv("BRISBLEEP_GOLDEN_DUMP");
    EXPECT_EQ(kReference.size(), Scenes().size());
    for (std::size_t i = 0; i < Scenes().size(); ++i)
    {
        const Scene& scene = Scenes()[i];
        const std::vector<float> samples = Render(scene);
        const float peak = PeakMagnitude(samples);
        const std::uint64_t hash = Fnv1a(samples);
        if (dumpDirectory != nullptr)
        {
            const std::string path = std::string(dumpDirectory) + "/" + scene.name + ".f32";
            if (std::FILE* file = std::fopen(path.c_str(), "wb"))
            {
                std::fwrite(samples.data(), sizeof(float), samples.size(), file);
                std::fclose(file);
            }
        }
        if (print)
            std::printf("    {\"%s\", 0x%016llxull},\n", scene.name, static_cast<unsigned long long>(hash));
        if (i >= kReference.size()) continue;
        EXPECT_EQ(kReference[i].first, scene.name);
        EXPECT_EQ(kReference[i].second, hash) << scene.name << ": " << samples.size() / 2 << " frames, peak "
                                              << peak << ", hash 0x" << std::hex << hash;
        // A reference of silence would guard nothing.
        EXPECT_GT(peak, 1e-3f) << scene.name;
    }
}

} // namespace
