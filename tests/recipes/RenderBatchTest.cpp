// brisbleep-render's recipes, seeds and batches, run as a process.

#ifdef BRISBLEEP_RENDER

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace
{

namespace fs = std::filesystem;

struct Outcome
{
    int status = -1;
    std::string out;
};

// Runs the renderer with arguments in a scratch directory; stdout and stderr together. `shell` runs
// first in the same shell, e.g. to set resource limits for the renderer.
Outcome Render(const fs::path& dir, const std::string& args, const std::string& shell = {})
{
    const std::string command =
        "cd '" + dir.string() + "' && " + shell + "'" BRISBLEEP_RENDER "' " + args + " 2>&1";
    Outcome run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        run.out += buffer;
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string Bytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class RenderBatch : public testing::Test
{
protected:
    void SetUp() override
    {
        dir = fs::path(testing::TempDir()) /
              ("render_batch_" + std::to_string(getpid()) + "_" +
               std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

} // namespace

TEST_F(RenderBatch, SameSeedGivesIdenticalFilesAndEachVariationCanBeMadeAlone)
{
    const Outcome a = Render(dir, "--recipe coin --seed 500 --count 3 --length 0.2 -o 'a_%02d.wav'");
    ASSERT_EQ(a.status, 0) << a.out;
    // A second later, so that nothing time-stamped in the file can pass unnoticed.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    const Outcome b = Render(dir, "--recipe coin --seed 500 --count 3 --length 0.2 -o 'b_%02d.wav'");
    ASSERT_EQ(b.status, 0) << b.out;
    for (const char* n : {"01", "02", "03"})
    {
        const std::string first = Bytes(dir / ("a_" + std::string(n) + ".wav"));
        EXPECT_GT(first.size(), 1000u);
        EXPECT_TRUE(first == Bytes(dir / ("b_" + std::string(n) + ".wav"))) << n;
    }
    EXPECT_FALSE(Bytes(dir / "a_01.wav") == Bytes(dir / "a_02.wav")) << "variations must differ";

    // The third file of the batch is the sound of seed 502.
    const Outcome single = Render(dir, "--recipe coin --seed 502 --length 0.2 -o single.wav");
    ASSERT_EQ(single.status, 0) << single.out;
    EXPECT_TRUE(Bytes(dir / "single.wav") == Bytes(dir / "a_03.wav"));
    EXPECT_NE(a.out.find("a_03.wav"), std::string::npos);
    EXPECT_NE(a.out.find("seed 502"), std::string::npos);
    EXPECT_EQ(a.out.find("from the clock"), std::string::npos);
}

TEST_F(RenderBatch, ClockSeedIsPrintedAndRepeatsTheSound)
{
    const Outcome first = Render(dir, "--recipe random --mutate 2 --length 0.2 -o clock.wav");
    ASSERT_EQ(first.status, 0) << first.out;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(first.out, m, std::regex("--seed ([0-9]+)"))) << first.out;
    const Outcome again =
        Render(dir, "--recipe random --mutate 2 --length 0.2 -o again.wav --seed " + m[1].str());
    ASSERT_EQ(again.status, 0) << again.out;
    EXPECT_TRUE(Bytes(dir / "clock.wav") == Bytes(dir / "again.wav"));
}

TEST_F(RenderBatch, DirectoryOutputWithStatesBesideAndASummary)
{
    const Outcome run = Render(dir, "--recipe blade --seed 9 --count 2 --length 0.2 --save-state -o sounds/");
    ASSERT_EQ(run.status, 0) << run.out;
    for (const char* name : {"blade_001", "blade_002"})
    {
        EXPECT_TRUE(fs::exists(dir / "sounds" / (std::string(name) + ".wav"))) << name;
        EXPECT_EQ(fs::file_size(dir / "sounds" / (std::string(name) + ".state")), 484u) << name;
    }
    EXPECT_NE(run.out.find("wrote 2 files"), std::string::npos) << run.out;
    EXPECT_TRUE(
        std::regex_search(run.out, std::regex("blade_002.wav +[0-9]+\\.[0-9]{3} s +peak -?[0-9.]+ dBFS")))
        << run.out;
}

TEST_F(RenderBatch, SavedStateRendersTheSameSoundWithoutTheRecipe)
{
    // A coin is a pure sine, so the generator's later draws for the silent noise sources do not matter.
    const Outcome made = Render(dir, "--recipe coin --seed 31 --length 0.2 --save-state -o made.wav");
    ASSERT_EQ(made.status, 0) << made.out;
    const Outcome replay = Render(dir, "--state made.state --length 0.2 -o replay.wav");
    ASSERT_EQ(replay.status, 0) << replay.out;
    EXPECT_TRUE(Bytes(dir / "replay.wav") == Bytes(dir / "made.wav"));
}

TEST_F(RenderBatch, LaterSettingsWinOverTheRecipe)
{
    const Outcome run =
        Render(dir, "--recipe coin --seed 1 --set 'Osc1 Type=Square' --save-state coin.state");
    ASSERT_EQ(run.status, 0) << run.out;
    const std::string state = Bytes(dir / "coin.state");
    ASSERT_EQ(state.size(), 484u);
    double type = 0.0;
    std::memcpy(&type, state.data() + 4 + 8 * 1, sizeof type); // version word, then parameter 1
    EXPECT_EQ(type, 3.0);
}

TEST_F(RenderBatch, MistakesAreReportedAndWriteNothing)
{
    struct Case
    {
        const char* args;
        const char* message;
    };
    const Case cases[] = {
        {"--recipe lazer -o x.wav", "unknown recipe \"lazer\""},
        {"--recipe coin --count 3 -o x.wav", "needs a number field"},
        {"--recipe coin --count 2 -o 'x_%s.wav'", "must number files with %d"},
        {"--recipe coin --count 2 -o 'x_%d_%d.wav'", "more than one number field"},
        {"--recipe coin --count 0 -o 'x_%d.wav'", "--count must be 1 to"},
        {"--recipe coin --count 2 --save-state s.state -o 'x_%d.wav'", "beside each audio file"},
        {"--mutate -1 -o x.wav", "--mutate must be 0 to"},
    };
    for (const Case& c : cases)
    {
        const Outcome run = Render(dir, c.args);
        EXPECT_EQ(run.status, 1) << c.args;
        EXPECT_NE(run.out.find(c.message), std::string::npos) << c.args << ": " << run.out;
    }
    EXPECT_TRUE(fs::is_empty(dir));
}

TEST_F(RenderBatch, AFailedBatchLeavesNoFileAtAll)
{
    fs::create_directory(dir / "taken_2.wav");
    const Outcome taken =
        Render(dir, "--recipe coin --seed 3 --count 3 --length 0.2 --save-state -o 'taken_%d.wav'");
    EXPECT_EQ(taken.status, 1) << taken.out;
    EXPECT_NE(taken.out.find("cannot write \"taken_2.wav\": Is a directory"), std::string::npos) << taken.out;
    // Named before the first render, and nothing of the first variation is kept.
    EXPECT_EQ(taken.out.find("wrote"), std::string::npos) << taken.out;
    fs::remove(dir / "taken_2.wav");
    EXPECT_TRUE(fs::is_empty(dir));

    const Outcome missing = Render(dir, "--recipe coin --seed 3 --count 2 --length 0.2 -o 'no/c_%d.wav'");
    EXPECT_EQ(missing.status, 1) << missing.out;
    EXPECT_NE(missing.out.find("cannot write \"no/c_1.wav\": No such file or directory"), std::string::npos)
        << missing.out;

    // The states (484 bytes) fit under a 1 KiB file size limit, the audio files do not: the batch
    // fails after its renders and leaves neither.
    const Outcome limited =
        Render(dir, "--recipe coin --seed 3 --count 2 --length 0.2 --save-state -o 'c_%d.wav'",
               "trap '' XFSZ; ulimit -f 2; ");
    EXPECT_EQ(limited.status, 1) << limited.out;
    EXPECT_NE(limited.out.find("File too large"), std::string::npos) << limited.out;
    EXPECT_TRUE(fs::is_empty(dir));
}

#endif
