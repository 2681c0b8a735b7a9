// brisbleep-render run as a process: options, formats, settings, states and bad input.

#include "tests/support/SignalMeasure.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <csignal>
#include <ebur128.h>
#include <nlohmann/json.hpp>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{

struct Outcome
{
    int status = -1;
    std::string out; // standard output
    std::string err; // standard error
};

std::string Quote(const std::string& arg)
{
    std::string q = "'";
    for (char c : arg)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Audio
{
    int rate = 0;
    int channels = 0;
    int format = 0;
    std::vector<double> left;
    std::vector<double> right;
};

Audio ReadAudio(const fs::path& path)
{
    Audio audio;
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) return audio;
    audio.rate = info.samplerate;
    audio.channels = info.channels;
    audio.format = info.format;
    std::vector<double> interleaved(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_double(file, interleaved.data(), info.frames);
    sf_close(file);
    for (sf_count_t i = 0; i < info.frames; ++i)
    {
        audio.left.push_back(interleaved[static_cast<std::size_t>(i * info.channels)]);
        if (info.channels > 1)
            audio.right.push_back(interleaved[static_cast<std::size_t>(i * info.channels + 1)]);
    }
    return audio;
}

class Cli : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("brisbleep-cli-" + std::to_string(getpid()) + "-" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    // `shell` runs first in the same shell, e.g. to set resource limits for the renderer.
    Outcome Render(const std::vector<std::string>& args, const std::string& shell = {})
    {
        std::string command = shell + Quote(BRISBLEEP_RENDER_PATH);
        for (const std::string& a : args)
        {
            command += ' ';
            command += Quote(a);
        }
        const fs::path out = dir / "stdout.txt", err = dir / "stderr.txt";
        command += " >" + Quote(out) + " 2>" + Quote(err);
        Outcome run;
        const int raw = std::system(command.c_str());
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.out = Slurp(out);
        run.err = Slurp(err);
        fs::remove(out);
        fs::remove(err);
        return run;
    }

    // A failed run: status 1, one line on standard error naming `what`, no file left behind.
    void ExpectFailure(const std::vector<std::string>& args, const std::string& what,
                       const std::string& shell = {})
    {
        const std::size_t before = std::distance(fs::directory_iterator(dir), fs::directory_iterator());
        const Outcome run = Render(args, shell);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_NE(run.err.find(what), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(run.err.rfind("brisbleep-render: ", 0), 0u) << run.err;
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), before);
    }

    std::string File(const std::string& name) const { return (dir / name).string(); }

    fs::path dir;
};

} // namespace

TEST_F(Cli, DefaultNoteIsA16BitMonoWavOfTheHeldTimePlusRelease)
{
    const Outcome run = Render({"-o", File("note.wav")});
    ASSERT_EQ(run.status, 0) << run.err;
    const Audio mono = ReadAudio(File("note.wav"));
    EXPECT_EQ(mono.channels, 1);
    ASSERT_EQ(Render({"-o", File("stereo.wav"), "--channels", "2"}).status, 0);
    const Audio a = ReadAudio(File("stereo.wav"));
    EXPECT_EQ(a.left, mono.left); // the second channel only repeats the first
    EXPECT_EQ(a.rate, 44100);
    EXPECT_EQ(a.channels, 2);
    EXPECT_EQ(a.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    // Held 1 s; the 0.2 s release and the filter tail end well before 1.5 s.
    EXPECT_GT(a.left.size(), 44100u + 4410u);
    EXPECT_LT(a.left.size(), 66150u);
    EXPECT_EQ(a.left, a.right);
    EXPECT_NEAR(RisingCrossingFrequency(a.left, 4410, 44100, 44100), 414.857, 0.1);
    EXPECT_NEAR(PeakMagnitude(a.left), 0.501, 0.01);
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_TRUE(entry.path().filename() == "note.wav" || entry.path().filename() == "stereo.wav")
            << entry.path(); // no temporary file left
}

TEST_F(Cli, FormatsBitsRatesAndChannels)
{
    ASSERT_EQ(Render({"-o", File("a.flac"), "--length", "0.2"}).status, 0);
    EXPECT_EQ(ReadAudio(File("a.flac")).format, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    ASSERT_EQ(Render({"-o", File("b.ogg"), "--length", "0.2"}).status, 0);
    EXPECT_EQ(ReadAudio(File("b.ogg")).format, SF_FORMAT_OGG | SF_FORMAT_VORBIS);
    ASSERT_EQ(Render({"-o", File("c.raw"), "--format", "wav", "--bits", "24", "--length", "0.2"}).status, 0);
    EXPECT_EQ(ReadAudio(File("c.raw")).format, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    ASSERT_EQ(Render({"-o", File("d.flac"), "--bits", "24", "--length", "0.2"}).status, 0);
    EXPECT_EQ(ReadAudio(File("d.flac")).format, SF_FORMAT_FLAC | SF_FORMAT_PCM_24);

    // Float output keeps samples beyond full scale: +12 dB of a full-scale triangle.
    ASSERT_EQ(
        Render({"-o", File("e.wav"), "--bits", "32f", "--length", "0.3", "--set", "Output Gain=12"}).status,
        0);
    const Audio loud = ReadAudio(File("e.wav"));
    EXPECT_EQ(loud.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_NEAR(PeakMagnitude(loud.left), 3.98, 0.05);

    ASSERT_EQ(Render({"-o", File("f.wav"), "--rate", "48000", "--channels", "1", "--length", "0.5"}).status,
              0);
    const Audio mono = ReadAudio(File("f.wav"));
    EXPECT_EQ(mono.rate, 48000);
    EXPECT_EQ(mono.channels, 1);
    EXPECT_NEAR(RisingCrossingFrequency(mono.left, 4800, 24000, 48000), 414.857, 0.1);
    ASSERT_EQ(Render({"-o", File("g.wav"), "--rate", "8000", "--length", "0.1"}).status, 0);
    EXPECT_EQ(ReadAudio(File("g.wav")).rate, 8000);
}

TEST_F(Cli, NoteVelocityLengthAndTail)
{
    ASSERT_EQ(Render({"-o", File("a5.wav"), "--note", "A5", "--length", "0.5", "--bits", "32f"}).status, 0);
    ASSERT_EQ(Render({"-o", File("81.wav"), "--note", "81", "--length", "0.5", "--bits", "32f"}).status, 0);
    EXPECT_EQ(Slurp(File("a5.wav")), Slurp(File("81.wav")));
    // The engine's tuning: note 81 is 880 Hz times the 0.97100782 cents factor of 0 cents.
    EXPECT_NEAR(RisingCrossingFrequency(ReadAudio(File("a5.wav")).left, 4410, 22050, 44100), 854.487, 0.2);

    ASSERT_EQ(Render({"-o", File("soft.wav"), "--velocity", "64", "--length", "0.5", "--bits", "32f"}).status,
              0);
    // Velocity scales before the compressor curve x^(1/2.2).
    EXPECT_NEAR(PeakMagnitude(ReadAudio(File("soft.wav")).left), 0.501 * std::pow(64.0 / 127.0, 1.0 / 2.2),
                0.01);

    ASSERT_EQ(Render({"-o", File("short.wav"), "--length", "0.25"}).status, 0);
    const std::size_t shortLength = ReadAudio(File("short.wav")).left.size();
    EXPECT_GT(shortLength, 11025u + 4410u);
    EXPECT_LT(shortLength, 11025u + 22050u);

    ASSERT_EQ(Render({"-o", File("cut.wav"), "--length", "0.25", "--max-tail", "0.05"}).status, 0);
    EXPECT_EQ(ReadAudio(File("cut.wav")).left.size(), 11025u + 2205u);

    // The length does not depend on the block size.
    ASSERT_EQ(Render({"-o", File("b64.wav"), "--length", "0.25", "--block", "64", "--bits", "32f"}).status,
              0);
    ASSERT_EQ(
        Render({"-o", File("b1000.wav"), "--length", "0.25", "--block", "1000", "--bits", "32f"}).status, 0);
    EXPECT_EQ(Slurp(File("b64.wav")), Slurp(File("b1000.wav")));
}

TEST_F(Cli, SettingsByNameIndexAndDisplayText)
{
    ASSERT_EQ(
        Render({"-o", File("byname.wav"), "--length", "0.3", "--bits", "32f", "--set", "Osc1 Type=Square"})
            .status,
        0);
    ASSERT_EQ(Render({"-o", File("byindex.wav"), "--length", "0.3", "--bits", "32f", "--set", "1=3"}).status,
              0);
    ASSERT_EQ(
        Render({"-o", File("lower.wav"), "--length", "0.3", "--bits", "32f", "--set", "osc1 type = square"})
            .status,
        0);
    EXPECT_EQ(Slurp(File("byname.wav")), Slurp(File("byindex.wav")));
    EXPECT_EQ(Slurp(File("byname.wav")), Slurp(File("lower.wav")));
    ASSERT_EQ(Render({"-o", File("tri.wav"), "--length", "0.3", "--bits", "32f"}).status, 0);
    EXPECT_NE(Slurp(File("byname.wav")), Slurp(File("tri.wav")));
    // A square compresses to full scale all the time: mean |y| equals the peak.
    const Audio square = ReadAudio(File("byname.wav"));
    double mean = 0.0;
    for (std::size_t i = 4410; i < 11025; ++i)
        mean += std::abs(square.left[i]);
    EXPECT_NEAR(mean / (11025 - 4410) / PeakMagnitude(square.left), 1.0, 0.05);
}

TEST_F(Cli, ListParams)
{
    const Outcome run = Render({"--list-params"});
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 61);
    EXPECT_NE(run.out.find("Whiite EnvDepth"), std::string::npos);
    EXPECT_NE(run.out.find("0=Off, 1=Triangle, 2=Sin, 3=Square, 4=Saw, 5=Breaker, 6=Tan, 7=Whistle"),
              std::string::npos);
    EXPECT_NE(run.out.find("0=On NoteOn, 1=On NoteOff, 2=Both"), std::string::npos);
    EXPECT_NE(run.out.find("-48"), std::string::npos);
    EXPECT_NE(run.out.find("Hz"), std::string::npos);
}

TEST_F(Cli, StatesRoundTripWithAndWithoutHeader)
{
    const std::vector<std::string> settings = {"--set",        "Osc1 Type=Saw", "--set",
                                               "Pitch End=-1", "--set",         "Output Gain=-3"};
    std::vector<std::string> save = {"--save-state", File("s.state")};
    save.insert(save.end(), settings.begin(), settings.end());
    ASSERT_EQ(Render(save).status, 0);
    const std::string state = Slurp(File("s.state"));
    ASSERT_EQ(state.size(), 484u);
    EXPECT_EQ(state.substr(0, 4), std::string("\x01\x00\x01\x00", 4));
    EXPECT_FALSE(fs::exists(File("unused.wav")));

    std::vector<std::string> direct = {"-o", File("direct.wav"), "--length", "0.3", "--bits", "32f"};
    direct.insert(direct.end(), settings.begin(), settings.end());
    ASSERT_EQ(Render(direct).status, 0);
    ASSERT_EQ(
        Render({"-o", File("loaded.wav"), "--length", "0.3", "--bits", "32f", "--state", File("s.state")})
            .status,
        0);
    EXPECT_EQ(Slurp(File("direct.wav")), Slurp(File("loaded.wav")));

    std::ofstream(File("h.state"), std::ios::binary)
        << std::string("\x74\x66\x66\x70\x00\x00\x01\x00", 8) << state;
    ASSERT_EQ(
        Render({"-o", File("header.wav"), "--length", "0.3", "--bits", "32f", "--state", File("h.state")})
            .status,
        0);
    EXPECT_EQ(Slurp(File("direct.wav")), Slurp(File("header.wav")));

    // Settings apply after the state; the saved state reflects both.
    ASSERT_EQ(Render({"--state", File("s.state"), "--set", "Output Gain=-9", "--save-state", File("t.state")})
                  .status,
              0);
    const std::string changed = Slurp(File("t.state"));
    double gain = 0.0;
    std::memcpy(&gain, changed.data() + 4, 8);
    EXPECT_EQ(gain, -9.0);
    EXPECT_EQ(changed.substr(12), state.substr(12));
}

TEST_F(Cli, BadInputIsReportedOnOneLine)
{
    const std::string out = File("x.wav");
    ExpectFailure({"-o", out, "--set", "Osc1 Tpye=Square"},
                  "unknown parameter \"Osc1 Tpye\" (did you mean \"Osc1 Type\"");
    ExpectFailure({"-o", out, "--set", "Pich End=1"}, "\"Pitch End\"");
    ExpectFailure({"-o", out, "--set", "Output Gain=20"}, "out of range: use -48 to 12 dB");
    ExpectFailure({"-o", out, "--set", "Osc1 Type=Squarish"}, "use one of \"Off\", \"Triangle\"");
    ExpectFailure({"-o", out, "--set", "Osc1 Octave=1.5"}, "whole number");
    ExpectFailure({"-o", out, "--set", "Output Gain"}, "has no value");
    ExpectFailure({"-o", out, "--set", "60=1"}, "unknown parameter \"60\"");
    ExpectFailure({"-o", out, "--rate", "7999"}, "sample rate 7999 is out of range");
    ExpectFailure({"-o", out, "--rate", "384001"}, "sample rate 384001 is out of range");
    ExpectFailure({"-o", out, "--channels", "3"}, "channel count 3");
    ExpectFailure({"-o", out, "--velocity", "0"}, "velocity 0");
    ExpectFailure({"-o", out, "--note", "H4"}, "invalid note \"H4\"");
    ExpectFailure({"-o", out, "--note", "128"}, "invalid note \"128\"");
    ExpectFailure({"-o", out, "--block", "0"}, "block size 0");
    ExpectFailure({"-o", out, "--length", "0", "--max-tail", "0"}, "nothing to render");
    ExpectFailure({"-o", File("x.mp3")}, "cannot tell the format");
    ExpectFailure({"-o", out, "--format", "aiff"}, "unknown format \"aiff\"");
    ExpectFailure({"-o", File("x.ogg"), "--bits", "16"}, "--bits does not apply to Ogg");
    ExpectFailure({"-o", File("x.flac"), "--bits", "32f"}, "FLAC stores integers only");
    ExpectFailure({"-o", out, "--bits", "12"}, "unknown sample format \"12\"");
    ExpectFailure({"-o", out, "--frobnicate"}, "--frobnicate");
    ExpectFailure({}, "no output file given");

    ExpectFailure({"-o", out, "--state", File("missing.state")}, "cannot read state file");
    std::ofstream(File("short.state"), std::ios::binary) << std::string(100, '\0');
    ExpectFailure({"-o", out, "--state", File("short.state")},
                  "expected 484 bytes (or 492 with the chunk header), found 100");
    std::string wrong(484, '\0');
    wrong[0] = 2;
    std::ofstream(File("version.state"), std::ios::binary) << wrong;
    ExpectFailure({"-o", out, "--state", File("version.state")},
                  "has version word 0x00000002, expected 0x00010001");
    std::string nan(484, '\0');
    nan[0] = 1;
    nan[2] = 1;
    const double bad = std::nan("");
    std::memcpy(nan.data() + 4 + 8 * 5, &bad, 8);
    std::ofstream(File("nan.state"), std::ios::binary) << nan;
    ExpectFailure({"-o", out, "--state", File("nan.state")}, "invalid value for \"Osc2 Level\"");

    ExpectFailure({"-o", File("no/such/dir/x.wav")}, "cannot write");
    fs::create_directory(File("taken.wav"));
    ExpectFailure({"-o", File("taken.wav"), "--length", "0.05"}, "cannot write");
    EXPECT_TRUE(fs::is_directory(File("taken.wav")));
    ExpectFailure({"--save-state", File("no/such/dir/s.state")}, "cannot write");
}

TEST_F(Cli, OutputsThatCannotBeCreatedAreReportedBeforeRendering)
{
    std::ofstream(File("plain")) << "a file, not a directory";
    fs::create_directory(File("taken.wav"));
    const std::string missing = File("no/such/dir/x.wav");
    const std::string ok = File("ok.wav");
    struct Case
    {
        std::vector<std::string> args;
        std::string message;
    };
    std::vector<Case> cases = {
        {{"-o", missing}, "cannot write \"" + missing + "\": No such file or directory"},
        {{"-o", File("plain/x.wav")}, "cannot write \"" + File("plain/x.wav") + "\": Not a directory"},
        {{"-o", File("taken.wav")}, "cannot write \"" + File("taken.wav") + "\": Is a directory"},
        {{"-o", ok, "--save-state", File("no/s.state")},
         "cannot write \"" + File("no/s.state") + "\": No such file or directory"},
        {{"-o", ok, "--save-state", File("taken.wav")},
         "cannot write \"" + File("taken.wav") + "\": Is a directory"},
        {{"-o", ok, "--editor-png", File("no/e.png")},
         "cannot write \"" + File("no/e.png") + "\": No such file or directory"},
        {{"--save-state", File("s.state"), "--editor-png", File("plain/e.png")},
         "cannot write \"" + File("plain/e.png") + "\": Not a directory"},
    };
    // Permissions do not hold back the superuser, so a read-only directory only tells otherwise.
    if (geteuid() != 0)
    {
        fs::create_directory(File("readonly"));
        fs::permissions(File("readonly"), fs::perms::owner_read | fs::perms::owner_exec);
        cases.push_back({{"-o", File("readonly/x.wav")},
                         "cannot write \"" + File("readonly/x.wav") + "\": Permission denied"});
    }
    for (Case& c : cases)
    {
        // Two and a half minutes of sound take seconds to render: the problem is named at once.
        c.args.insert(c.args.end(), {"--length", "150"});
        const auto start = std::chrono::steady_clock::now();
        ExpectFailure(c.args, c.message);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << c.message;
    }
    EXPECT_TRUE(fs::is_directory(File("taken.wav")));
    EXPECT_TRUE(fs::is_empty(File("taken.wav")));
    if (fs::exists(File("readonly"))) fs::permissions(File("readonly"), fs::perms::owner_all);
}

TEST_F(Cli, AFailedAudioWriteLeavesNoSavedStateOrImage)
{
    // A file size limit of 1 KiB (two 512-byte blocks; the signal ignored so that writes fail with
    // EFBIG) lets the 484-byte state through but stops the audio file after the render.
    const std::string limit = "trap '' XFSZ; ulimit -f 2; ";
    ExpectFailure({"-o", File("x.wav"), "--length", "0.2", "--save-state", File("s.state")},
                  "cannot write \"" + File("x.wav") + "\": ", limit);
    EXPECT_FALSE(fs::exists(File("s.state")));

    // Nor is an existing state replaced by the failed run.
    std::ofstream(File("keep.state")) << "precious";
    ExpectFailure({"-o", File("x.wav"), "--length", "0.2", "--save-state", File("keep.state")},
                  "File too large", limit);
    EXPECT_EQ(Slurp(File("keep.state")), "precious");

    // Without the limit the same run writes both.
    ASSERT_EQ(Render({"-o", File("x.wav"), "--length", "0.2", "--save-state", File("s.state")}).status, 0);
    EXPECT_EQ(fs::file_size(File("s.state")), 484u);
    EXPECT_GT(fs::file_size(File("x.wav")), 1024u);

    ExpectFailure({"-o", File("no/x.wav"), "--save-state", File("t.state"), "--editor-png", File("e.png")},
                  "cannot write");
    EXPECT_FALSE(fs::exists(File("t.state")));
    EXPECT_FALSE(fs::exists(File("e.png")));
}

TEST_F(Cli, FailedRunLeavesAnExistingOutputAlone)
{
    std::ofstream(File("keep.wav")) << "precious";
    const Outcome run = Render({"-o", File("keep.wav"), "--set", "Nope=1"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Slurp(File("keep.wav")), "precious");
}

TEST_F(Cli, HelpDocumentsEveryOptionWithExamples)
{
    const Outcome run = Render({"--help"});
    EXPECT_EQ(run.status, 0);
    for (const char* option :
         {"--output", "--format", "--bits", "--rate", "--block", "--note", "--velocity", "--length",
          "--max-tail", "--channels", "--set", "--state", "--save-state", "--list-params", "Examples:"})
        EXPECT_NE(run.out.find(option), std::string::npos) << option;
}

TEST_F(Cli, StateOfHeaderSizeWithoutTheHeaderIsNamedAsSuch)
{
    ASSERT_EQ(Render({"--save-state", File("s.state")}).status, 0);
    std::ofstream(File("bad.state"), std::ios::binary)
        << std::string("notahead", 8) << Slurp(File("s.state"));
    ExpectFailure({"-o", File("x.wav"), "--state", File("bad.state")},
                  "492 bytes, but it does not start with the chunk header");
}

TEST_F(Cli, ValuesAsTheEditorShowsThemRenderTheSameSound)
{
    const std::vector<std::string> common = {"--length", "0.3", "--bits", "32f"};
    std::vector<std::string> shown = {"-o",    File("shown.wav"),     "--set", "Output Gain=-3 dB",
                                      "--set", "Pitch High Note=C 8", "--set", "Pitch Start=1"};
    std::vector<std::string> plain = {"-o",    File("plain.wav"),     "--set", "Output Gain=-3",
                                      "--set", "Pitch High Note=108", "--set", "Pitch Start=1"};
    shown.insert(shown.end(), common.begin(), common.end());
    plain.insert(plain.end(), common.begin(), common.end());
    ASSERT_EQ(Render(shown).status, 0);
    ASSERT_EQ(Render(plain).status, 0);
    EXPECT_EQ(Slurp(File("shown.wav")), Slurp(File("plain.wav")));
}

TEST_F(Cli, OggRatesEndAtTheVorbisLimitAndSaySoBeforeRendering)
{
    ASSERT_EQ(Render({"-o", File("top.ogg"), "--rate", "200000", "--length", "0.05"}).status, 0);
    EXPECT_EQ(ReadAudio(File("top.ogg")).rate, 200000);
    ExpectFailure({"-o", File("x.ogg"), "--rate", "200001"}, "Ogg Vorbis output takes at most 200000 Hz");
    ExpectFailure({"-o", File("x.wav"), "--format", "ogg", "--rate", "384000"},
                  "use a lower --rate, or WAV or FLAC");
    ASSERT_EQ(Render({"-o", File("top.flac"), "--rate", "384000", "--length", "0.05"}).status, 0);
    EXPECT_EQ(ReadAudio(File("top.flac")).rate, 384000);
}

TEST_F(Cli, OggRendersAreByteIdenticalAndDecode)
{
    ASSERT_EQ(Render({"-o", File("first.ogg"), "--length", "0.4"}).status, 0);
    // The encoder's own stream serial comes from the clock: render again in a later second.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    ASSERT_EQ(Render({"-o", File("second.ogg"), "--length", "0.4"}).status, 0);
    EXPECT_EQ(Slurp(File("first.ogg")), Slurp(File("second.ogg")));
    // The rewritten pages still pass the decoder's checksums and hold the note.
    const Audio decoded = ReadAudio(File("second.ogg"));
    ASSERT_GT(decoded.left.size(), 17640u);
    EXPECT_NEAR(RisingCrossingFrequency(decoded.left, 4410, 17640, 44100), 414.857, 0.5);
}

namespace
{
class CliAssets : public Cli
{
};
} // namespace

TEST_F(CliAssets, VersionEightBitWavAndRecipeAliases)
{
    const Outcome version = Render({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("brisbleep-render ", 0), 0u) << version.out;
    EXPECT_TRUE(version.err.empty()) << version.err;

    // 8-bit WAV is unsigned PCM; it holds the 16-bit render to within one 8-bit step.
    ASSERT_EQ(Render({"-o", File("8.wav"), "--bits", "8", "--length", "0.2", "--seed", "1"}).status, 0);
    ASSERT_EQ(Render({"-o", File("16.wav"), "--bits", "16", "--length", "0.2", "--seed", "1"}).status, 0);
    const Audio eight = ReadAudio(File("8.wav")), sixteen = ReadAudio(File("16.wav"));
    EXPECT_EQ(eight.format, SF_FORMAT_WAV | SF_FORMAT_PCM_U8);
    ASSERT_EQ(eight.left.size(), sixteen.left.size());
    double worst = 0.0;
    for (std::size_t i = 0; i < eight.left.size(); ++i)
        worst = std::max(worst, std::fabs(eight.left[i] - sixteen.left[i]));
    EXPECT_LE(worst, 1.0 / 128.0);
    EXPECT_GT(PeakMagnitude(eight.left, 0, eight.left.size()), 0.3);
    ExpectFailure({"-o", File("x.flac"), "--bits", "8"}, "8-bit samples are for WAV output");

    // Any case, and the names other generators use, make the same sound as the button's name.
    const struct
    {
        const char* typed;
        const char* name;
    } aliases[] = {{"LASER", "shoot"}, {"Pickup", "coin"}, {"select", "blip"}, {"PowerUp", "powerup"}};
    for (const auto& a : aliases)
    {
        ASSERT_EQ(
            Render({"-o", File("typed.wav"), "--recipe", a.typed, "--seed", "7", "--length", "0.2"}).status,
            0)
            << a.typed;
        ASSERT_EQ(
            Render({"-o", File("name.wav"), "--recipe", a.name, "--seed", "7", "--length", "0.2"}).status, 0);
        EXPECT_EQ(Slurp(File("typed.wav")), Slurp(File("name.wav"))) << a.typed;
    }
    ExpectFailure({"-o", File("x.wav"), "--recipe", "lazer"}, "unknown recipe \"lazer\"");
}

TEST_F(CliAssets, TwoOutputsNamingOneFileAreRefusedBeforeRendering)
{
    // The audio used to be overwritten by the state without a word.
    fs::create_directories(dir / "sub");
    ExpectFailure({"-o", File("x.wav"), "--save-state", File("x.wav")},
                  "-o and --save-state name the same file");
    ExpectFailure({"-o", File("sub/../y.wav"), "--editor-png", File("y.wav")},
                  "-o and --editor-png name the same file");
    ExpectFailure({"--save-state", File("z"), "--editor-png", File("sub/../z")},
                  "--save-state and --editor-png name the same file");
}

TEST_F(CliAssets, SeedsWithoutSeedOptionDifferFromRunToRun)
{
    // Two runs in the same second used to take the same clock seed and make the same sound.
    std::set<std::string> seeds;
    for (int run = 0; run < 3; ++run)
    {
        const Outcome outcome = Render({"-o", File("r.wav"), "--recipe", "random", "--length", "0.05"});
        ASSERT_EQ(outcome.status, 0) << outcome.err;
        const std::size_t at = outcome.out.find("--seed ");
        ASSERT_NE(at, std::string::npos) << outcome.out;
        seeds.insert(outcome.out.substr(at, outcome.out.find(' ', at + 7) - at));
    }
    EXPECT_EQ(seeds.size(), 3u);
}

namespace
{
// Sounds per recipe for the batch checks: all of them normally, a fifth in the sanitizer builds
// (tools/test-sanitize.sh sets BRISBLEEP_SANITIZER_RUN), where every render is many times slower.
std::string BatchCount(int full)
{
    return std::to_string(std::getenv("BRISBLEEP_SANITIZER_RUN") != nullptr ? full / 5 : full);
}

class CliPipeline : public Cli
{
protected:
    // Starts the renderer without waiting for it; its standard output and error go to files.
    pid_t Start(const std::vector<std::string>& args)
    {
        std::vector<std::string> argv = {BRISBLEEP_RENDER_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        const std::string out = (dir / "stdout.txt").string(), err = (dir / "stderr.txt").string();
        const pid_t pid = fork();
        if (pid == 0)
        {
            std::freopen(out.c_str(), "w", stdout);
            std::freopen(err.c_str(), "w", stderr);
            std::vector<char*> raw;
            for (std::string& a : argv)
                raw.push_back(a.data());
            raw.push_back(nullptr);
            execv(raw[0], raw.data());
            _exit(127);
        }
        return pid;
    }
    static int Wait(pid_t pid)
    {
        int raw = 0;
        waitpid(pid, &raw, 0);
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    std::size_t Count(const fs::path& where, const std::string& part) const
    {
        std::size_t n = 0;
        for (const auto& entry : fs::directory_iterator(where))
            n += entry.path().filename().string().find(part) != std::string::npos;
        return n;
    }
};

std::string LastTwoMillisecondsAbove(const Audio& audio, double level)
{
    const std::size_t quiet = static_cast<std::size_t>(audio.rate * 0.002);
    const std::size_t from = audio.left.size() > quiet ? audio.left.size() - quiet : 0;
    for (std::size_t i = from; i < audio.left.size(); ++i)
        if (std::abs(audio.left[i]) > level)
            return "sample " + std::to_string(i) + " = " + std::to_string(audio.left[i]);
    return {};
}
} // namespace

TEST_F(CliPipeline, StandardOutputFifoSymlinkAndDeviceDestinations)
{
    const std::vector<std::string> sound = {"--recipe", "blip", "--seed", "5", "--length", "0.2"};
    std::vector<std::string> plain = {"-o", File("plain.wav")};
    plain.insert(plain.end(), sound.begin(), sound.end());
    ASSERT_EQ(Render(plain).status, 0);
    const std::string expected = Slurp(File("plain.wav"));
    ASSERT_GT(expected.size(), 1000u);

    // -o -: the audio alone on standard output; the summary moves to standard error.
    std::vector<std::string> toStdout = {"-o", "-"};
    toStdout.insert(toStdout.end(), sound.begin(), sound.end());
    const Outcome piped = Render(toStdout);
    ASSERT_EQ(piped.status, 0) << piped.err;
    EXPECT_TRUE(piped.out == expected);
    EXPECT_NE(piped.err.find("seed 5"), std::string::npos) << piped.err;
    // --format picks the format of standard output.
    const Outcome flac = Render({"-o", "-", "--format", "flac", "--length", "0.1"});
    ASSERT_EQ(flac.status, 0) << flac.err;
    EXPECT_EQ(flac.out.substr(0, 4), "fLaC");

    // A FIFO is written in place, for the reader at its other end, and stays a FIFO.
    ASSERT_EQ(mkfifo(File("pipe.wav").c_str(), 0644), 0);
    std::string received;
    std::thread reader([&] { received = Slurp(File("pipe.wav")); });
    std::vector<std::string> toFifo = {"-o", File("pipe.wav")};
    toFifo.insert(toFifo.end(), sound.begin(), sound.end());
    const Outcome fifo = Render(toFifo);
    reader.join();
    EXPECT_EQ(fifo.status, 0) << fifo.err;
    EXPECT_TRUE(received == expected);
    EXPECT_TRUE(fs::is_fifo(File("pipe.wav")));

    // A symlink is followed: the file it names is replaced, keeping its mode; the link stays.
    fs::create_directories(dir / "assets");
    std::ofstream(File("assets/blip.wav")) << "old";
    fs::permissions(File("assets/blip.wav"), fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("assets/blip.wav", File("link.wav"));
    std::vector<std::string> toLink = {"-o", File("link.wav")};
    toLink.insert(toLink.end(), sound.begin(), sound.end());
    ASSERT_EQ(Render(toLink).status, 0);
    EXPECT_TRUE(fs::is_symlink(File("link.wav")));
    EXPECT_TRUE(Slurp(File("assets/blip.wav")) == expected);
    EXPECT_EQ(fs::status(File("assets/blip.wav")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Count(dir / "assets", ".tmp-"), 0u);
    // A link to a file that does not exist yet gets that file.
    fs::create_symlink("assets/new.wav", File("dangling.wav"));
    toLink[1] = File("dangling.wav");
    ASSERT_EQ(Render(toLink).status, 0);
    EXPECT_TRUE(fs::is_symlink(File("dangling.wav")));
    EXPECT_TRUE(Slurp(File("assets/new.wav")) == expected);

    // /dev/stdout leads to the descriptor the output was redirected to.
    toLink[1] = "/dev/stdout";
    const Outcome devStdout = Render(toLink);
    EXPECT_EQ(devStdout.status, 0) << devStdout.err;
    EXPECT_TRUE(devStdout.out == expected);
    EXPECT_NE(devStdout.err.find("seed 5"), std::string::npos);

    // A device is written into, not replaced.
    toLink[1] = "/dev/null";
    EXPECT_EQ(Render(toLink).status, 0);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST_F(CliPipeline, NoClobberAndMissingDirectories)
{
    std::ofstream(File("keep.wav")) << "precious";
    ExpectFailure({"-o", File("keep.wav"), "--no-clobber"}, "the file exists and --no-clobber keeps it");
    EXPECT_EQ(Slurp(File("keep.wav")), "precious");
    // Checked for every file of a batch before the first render.
    std::ofstream(File("c_2.wav")) << "precious";
    const Outcome batch = Render(
        {"--recipe", "coin", "--count", "3", "-o", File("c_%d.wav"), "--no-clobber", "--length", "0.1"});
    EXPECT_EQ(batch.status, 1);
    EXPECT_NE(batch.err.find("c_2.wav\": the file exists"), std::string::npos) << batch.err;
    EXPECT_FALSE(fs::exists(File("c_1.wav")));
    ASSERT_EQ(Render({"-o", File("new.wav"), "--no-clobber", "--length", "0.1"}).status, 0);
    EXPECT_TRUE(fs::exists(File("new.wav")));

    const struct
    {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"-o", File("nodir/x.wav")}, "(there is no directory \"" + File("nodir") + "\")"},
        {{"-o", File("sounds")}, "has no extension and there is no directory of that name"},
        {{"--recipe", "coin", "--count", "2", "-o", File("sounds")}, "there is no directory"},
        {{"-o", "-", "--count", "2"}, "-o - writes one sound"},
    };
    for (const auto& c : cases)
        ExpectFailure(c.args, c.message);
}

TEST_F(CliPipeline, StopSignalsKeepFinishedFilesAndRemoveTemporaries)
{
    const struct
    {
        int signal;
        int status;
        const char* name;
    } cases[] = {{SIGINT, 130, "SIGINT"}, {SIGTERM, 143, "SIGTERM"}};
    for (const auto& c : cases)
    {
        const fs::path out = dir / c.name;
        const pid_t pid = Start({"--recipe", "coin", "--seed", "1", "--count", "2000", "--length", "0.2",
                                 "--save-state", "-o", out.string() + "/"});
        // Wait for a few finished files, then stop the batch in the middle.
        const auto finished = [&]
        {
            std::size_t n = 0;
            for (const auto& entry : fs::directory_iterator(out))
                n += entry.path().extension() == ".state";
            return n;
        };
        for (int i = 0; i < 500 && (!fs::exists(out) || finished() < 3); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        kill(pid, c.signal);
        EXPECT_EQ(Wait(pid), c.status) << c.name;
        const std::string summary = Slurp(dir / "stdout.txt");
        EXPECT_NE(Slurp(dir / "stderr.txt").find(std::string("stopped by ") + c.name), std::string::npos);
        EXPECT_EQ(Count(out, ".tmp-"), 0u) << c.name;
        const std::size_t wavs = Count(out, ".wav");
        EXPECT_GE(wavs, 3u);
        EXPECT_EQ(Count(out, ".state"), wavs) << "each state with its sound";
        EXPECT_EQ(Count(out, ".wav"), Count(out, ".state"));
        EXPECT_NE(summary.find("wrote " + std::to_string(wavs) + " of 2000 files"), std::string::npos)
            << summary;
        // Every file kept is complete: it decodes to the sound of its seed.
        for (const auto& entry : fs::directory_iterator(out))
        {
            if (entry.path().extension() != ".wav") continue;
            EXPECT_GT(ReadAudio(entry.path()).left.size(), 8820u) << entry.path();
            EXPECT_NE(summary.find(entry.path().filename().string()), std::string::npos);
        }
    }
}

TEST_F(CliPipeline, AStopWhileWaitingForAFifoReaderWritesNothing)
{
    // No one reads the FIFO: the renderer waits at its open until the signal ends the wait.
    ASSERT_EQ(mkfifo(File("nobody.wav").c_str(), 0644), 0);
    const pid_t pid = Start({"-o", File("nobody.wav"), "--length", "0.1", "--save-state", File("s.state")});
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    kill(pid, SIGTERM);
    EXPECT_EQ(Wait(pid), 143);
    EXPECT_NE(Slurp(dir / "stderr.txt").find("stopped by SIGTERM; no file written"), std::string::npos);
    EXPECT_TRUE(fs::is_fifo(File("nobody.wav")));
    EXPECT_FALSE(fs::exists(File("s.state")));
    EXPECT_EQ(Count(dir, ".tmp-"), 0u);
}

TEST_F(CliPipeline, EveryRenderThatDrawsRandomNumbersPrintsItsSeed)
{
    // White noise draws from the generator: the seed is printed and repeats the sound.
    const Outcome noise = Render({"-o", File("noise.wav"), "--set", "White Level=0", "--length", "0.1"});
    ASSERT_EQ(noise.status, 0) << noise.err;
    const std::size_t at = noise.out.find("--seed ");
    ASSERT_NE(at, std::string::npos) << noise.out;
    const std::string seed = noise.out.substr(at + 7, noise.out.find(' ', at + 7) - at - 7);
    ASSERT_EQ(
        Render({"-o", File("again.wav"), "--set", "White Level=0", "--length", "0.1", "--seed", seed}).status,
        0);
    EXPECT_TRUE(Slurp(File("noise.wav")) == Slurp(File("again.wav")));
    // The default triangle draws nothing and says nothing.
    const Outcome plain = Render({"-o", File("plain.wav"), "--length", "0.1"});
    EXPECT_EQ(plain.out, "");
}

TEST_F(CliPipeline, NormalizeBringsEveryRecipeToOnePeak)
{
    // The spread of the peaks was 55 dB across powerup seeds alone; after --normalize -1 every file
    // of 50 seeds per recipe peaks at -1 dBFS.
    for (const char* recipe : {"coin", "shoot", "powerup", "hit", "jump", "blip", "blade", "random"})
    {
        const fs::path out = dir / recipe;
        const Outcome run =
            Render({"--recipe", recipe, "--seed", "1", "--count", BatchCount(50), "--length", "0.15",
                    "--max-tail", "0.5", "--bits", "32f", "--normalize", "-1", "-o", out.string() + "/"});
        ASSERT_EQ(run.status, 0) << run.err;
        double low = 1.0, high = 0.0;
        for (const auto& entry : fs::directory_iterator(out))
        {
            const double peak = PeakMagnitude(ReadAudio(entry.path()).left);
            // Even the quietest (powerup seed 31 peaks near -63 dBFS) is brought up, not faded away.
            EXPECT_GT(peak, 0.0) << entry.path();
            low = std::min(low, peak);
            high = std::max(high, peak);
        }
        EXPECT_NEAR(20.0 * std::log10(low), -1.0, 0.001) << recipe;
        EXPECT_NEAR(20.0 * std::log10(high), -1.0, 0.001) << recipe;
    }
}

TEST_F(CliPipeline, LoudnessTrimAndCleanEnds)
{
    // --loudness: measured again with the same meter, the file sits at its target.
    for (const char* target : {"-23", "-14"})
    {
        ASSERT_EQ(
            Render({"-o", File("loud.wav"), "--bits", "32f", "--length", "1", "--loudness", target}).status,
            0);
        const Audio audio = ReadAudio(File("loud.wav"));
        double loudness = 0.0;
        ebur128_state* meter = ebur128_init(1, static_cast<unsigned long>(audio.rate), EBUR128_MODE_I);
        ebur128_add_frames_double(meter, audio.left.data(), audio.left.size());
        ebur128_loudness_global(meter, &loudness);
        ebur128_destroy(&meter);
        EXPECT_NEAR(loudness, std::stod(target), 0.05) << target;
    }
    // A sound shorter than the meter's 400 ms blocks still gets its level: 10 LU apart are 10 dB.
    ASSERT_EQ(Render({"-o", File("s20.wav"), "--bits", "32f", "--length", "0.1", "--loudness", "-20"}).status,
              0);
    ASSERT_EQ(Render({"-o", File("s30.wav"), "--bits", "32f", "--length", "0.1", "--loudness", "-30"}).status,
              0);
    EXPECT_NEAR(20.0 * std::log10(PeakMagnitude(ReadAudio(File("s20.wav")).left) /
                                  PeakMagnitude(ReadAudio(File("s30.wav")).left)),
                10.0, 1e-6);
    // A gain that lifts the peaks beyond full scale says so.
    const Outcome hot = Render({"-o", File("hot.wav"), "--length", "0.5", "--loudness", "0"});
    EXPECT_EQ(hot.status, 0);
    EXPECT_NE(hot.err.find("integer samples clip there"), std::string::npos) << hot.err;
    ExpectFailure({"-o", File("x.wav"), "--normalize", "-1", "--loudness", "-16"}, "give one");
    const Outcome silent = Render({"-o", File("silent.wav"), "--set", "Osc1 Type=Off", "--normalize", "-1"});
    EXPECT_EQ(silent.status, 0);
    EXPECT_NE(silent.err.find("silent.wav\" is silent: --normalize leaves it as it is"), std::string::npos)
        << silent.err;

    // --trim: a 50 ms attack starts below -60 dBFS; the trimmed file starts at that level and is
    // shorter by the silent part only.
    const std::vector<std::string> slow = {"--bits", "32f",   "--length",
                                           "0.2",    "--set", "Amp Env Attack=0.05"};
    std::vector<std::string> whole = {"-o", File("whole.wav")}, trimmed = {"-o", File("trim.wav"), "--trim"};
    whole.insert(whole.end(), slow.begin(), slow.end());
    trimmed.insert(trimmed.end(), slow.begin(), slow.end());
    ASSERT_EQ(Render(whole).status, 0);
    ASSERT_EQ(Render(trimmed).status, 0);
    const Audio a = ReadAudio(File("whole.wav")), t = ReadAudio(File("trim.wav"));
    ASSERT_LT(t.left.size(), a.left.size());
    const std::size_t cut = a.left.size() - t.left.size();
    EXPECT_GE(std::abs(t.left[0]), 0.001);
    EXPECT_LT(PeakMagnitude(a.left, 0, cut), 0.001);
    EXPECT_TRUE(std::equal(t.left.begin(), t.left.end(), a.left.begin() + static_cast<std::ptrdiff_t>(cut)));

    // Clean ends: sounds that used to stop while loud (blip seed 24 held -6 dBFS to its last
    // sample) and a --max-tail cut end below -40 dBFS in their last 2 ms.
    for (const char* recipe : {"blip", "random"})
    {
        const fs::path out = dir / recipe;
        ASSERT_EQ(Render({"--recipe", recipe, "--seed", "1", "--count", BatchCount(40), "--length", "0.4",
                          "-o", out.string() + "/"})
                      .status,
                  0);
        for (const auto& entry : fs::directory_iterator(out))
            EXPECT_EQ(LastTwoMillisecondsAbove(ReadAudio(entry.path()), 0.01), "") << entry.path();
    }
    ASSERT_EQ(Render({"--recipe", "blip", "--seed", "24", "--length", "0.4", "-o", File("b24.wav")}).status,
              0);
    const Audio blip = ReadAudio(File("b24.wav"));
    EXPECT_EQ(LastTwoMillisecondsAbove(blip, 0.01), "");
    // It still holds its level until the fade: the sound is not shortened.
    EXPECT_GT(PeakMagnitude(blip.left, blip.left.size() - 882, blip.left.size() - 661), 0.4);
    ASSERT_EQ(
        Render({"-o", File("cut.wav"), "--length", "0.25", "--max-tail", "0.05", "--bits", "32f"}).status, 0);
    const Audio cut2 = ReadAudio(File("cut.wav"));
    EXPECT_EQ(cut2.left.size(), 11025u + 2205u);
    EXPECT_EQ(LastTwoMillisecondsAbove(cut2, 0.01), "");
    // The fade is smooth: no step between samples larger than the sound's own before it.
    const auto largestStep = [&](std::size_t from, std::size_t to)
    {
        double step = 0.0;
        for (std::size_t i = from; i + 1 < to; ++i)
            step = std::max(step, std::abs(cut2.left[i + 1] - cut2.left[i]));
        return step;
    };
    const std::size_t end = cut2.left.size();
    EXPECT_LE(largestStep(end - 600, end), largestStep(end - 2000, end - 600));
}

TEST_F(CliPipeline, MisspeltOptionsAndValuesSayWhatIsExpected)
{
    const struct
    {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"-o", File("x.wav"), "--lenght", "1"}, "unknown option \"--lenght\" (did you mean \"--length\"?)"},
        {{"-o", File("x.wav"), "--normalise", "-1"}, "(did you mean \"--normalize\"?)"},
        {{"-o", File("x.wav"), "--seed", "abc"},
         "--seed takes a whole number from 0 to 4294967295, not \"abc\""},
        {{"-o", File("x.wav"), "--seed", "4294967296"}, "--seed takes a whole number from 0 to 4294967295"},
        {{"-o", File("x.wav"), "--velocity", "1.5"}, "--velocity takes a whole number from 1 to 127"},
        {{"-o", File("x.wav"), "--length", "long"}, "--length takes a number of seconds from 0 to 3600"},
        {{"-o", File("x.wav"), "--count", "x"}, "--count takes a whole number from 1 to 100000"},
        {{"-o", File("x.wav"), "--normalize", "3"}, "--normalize takes a peak level in dBFS from -96 to 0"},
        {{"-o", File("x.wav"), "--loudness", "-80"}, "--loudness takes a loudness in LUFS from -70 to 0"},
        {{"-o", File("x.wav"), "--trim=loud"}, "--trim takes a level in dBFS from -120 to 0"},
    };
    for (const auto& c : cases)
        ExpectFailure(c.args, c.message);

    const Outcome help = Render({"--help"});
    for (const char* option : {"--no-clobber", "--normalize", "--loudness", "--trim", "--save-json",
                               "--print-state", "--program", "--sprite", "--sprite-gap", "-o - | aplay"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
}

namespace
{
// Preset containers as the plug-ins' hosts write them, around a 484-byte state.
std::string BigEndian(std::uint32_t v)
{
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}
std::string LittleEndian(std::uint64_t v, int width)
{
    std::string out;
    for (int i = 0; i < width; ++i)
        out += static_cast<char>(v >> (8 * i));
    return out;
}
const std::string kChunkHeader("\x74\x66\x66\x70\x00\x00\x01\x00", 8);

std::string Fxp(const std::string& state, const std::string& id = "spgp")
{
    const std::string chunk = kChunkHeader + state;
    std::string body = "FPCh" + BigEndian(1) + id + BigEndian(1) + BigEndian(1) + std::string(28, '\0');
    body += BigEndian(static_cast<std::uint32_t>(chunk.size())) + chunk;
    return "CcnK" + BigEndian(static_cast<std::uint32_t>(body.size())) + body;
}

// A bank of programs: each (name, state), an empty state meaning a program never initialised.
std::string Fxb(const std::vector<std::pair<std::string, std::string>>& programs)
{
    std::string chunk = kChunkHeader;
    for (const auto& [name, state] : programs)
        chunk +=
            LittleEndian(name.size(), 4) + name + (state.empty() ? std::string(1, '\0') : "\x01" + state);
    std::string body = "FBCh" + BigEndian(2) + "spgp" + BigEndian(1) +
                       BigEndian(static_cast<std::uint32_t>(programs.size())) + BigEndian(0) +
                       std::string(124, '\0');
    body += BigEndian(static_cast<std::uint32_t>(chunk.size())) + chunk;
    return "CcnK" + BigEndian(static_cast<std::uint32_t>(body.size())) + body;
}

std::string VstPreset(const std::string& vst3State,
                      const std::string& classId = "0DE7AEF2DE004E4F516F727673706770")
{
    const std::uint64_t list = 48 + vst3State.size();
    return "VST3" + LittleEndian(1, 4) + classId + LittleEndian(list, 8) + vst3State + "List" +
           LittleEndian(1, 4) + "Comp" + LittleEndian(48, 8) + LittleEndian(vst3State.size(), 8);
}
} // namespace

TEST_F(CliPipeline, StatesAsJsonRoundTripByteForByte)
{
    // Several sounds: the default, recipes with every kind of value, and one with settings on top.
    const std::vector<std::vector<std::string>> sounds = {
        {},
        {"--recipe", "random", "--seed", "3"},
        {"--recipe", "blip", "--seed", "24", "--mutate", "5"},
        {"--recipe", "powerup", "--seed", "9", "--set", "BitCrush Position=After", "--set",
         "Pitch Low Note=C2"},
    };
    for (std::size_t i = 0; i < sounds.size(); ++i)
    {
        std::vector<std::string> save = {"--save-state", File("a.state"), "--save-json", File("a.json")};
        save.insert(save.end(), sounds[i].begin(), sounds[i].end());
        ASSERT_EQ(Render(save).status, 0) << i;
        // state -> JSON -> state, and JSON -> state -> JSON: the same bytes.
        ASSERT_EQ(Render({"--state", File("a.json"), "--save-state", File("b.state")}).status, 0) << i;
        EXPECT_TRUE(Slurp(File("a.state")) == Slurp(File("b.state"))) << i;
        ASSERT_EQ(Render({"--state", File("a.state"), "--save-json", File("b.json")}).status, 0) << i;
        EXPECT_EQ(Slurp(File("a.json")), Slurp(File("b.json"))) << i;
        // --print-state shows the same text.
        EXPECT_EQ(Render({"--state", File("a.state"), "--print-state"}).out, Slurp(File("a.json"))) << i;
    }

    // The text: format, versions, every parameter by name in index order with its unit, one a line.
    ASSERT_EQ(
        Render({"--save-json", File("d.json"), "--set", "Output Gain=-3", "--set", "Osc1 Type=Saw"}).status,
        0);
    const std::string text = Slurp(File("d.json"));
    EXPECT_EQ(
        text.rfind("{\n  \"format\": \"brisbleep-state\",\n  \"version\": 1,\n  \"instrument\": \"1.0.1\",\n",
                   0),
        0u)
        << text;
    EXPECT_NE(text.find("\n    \"Output Gain\": {\"value\":-3.0,\"unit\":\"dB\"},\n    \"Osc1 Type\": "
                        "{\"value\":\"Saw\"},\n"),
              std::string::npos);
    EXPECT_NE(text.find("\"Whiite EnvDepth\": {\"value\":1.0}"), std::string::npos);
    EXPECT_NE(text.find("\"Mutation %\": {\"value\":5.0}\n  }\n}\n"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 60 + 7);

    // Hand-edited text: a bare number or text is a value too, and parameters left out keep their
    // defaults; mistakes say what was expected and found.
    std::ofstream(File("hand.json")) << R"({"format":"brisbleep-state","version":1,"instrument":"1.0.1",)"
                                     << R"("parameters":{"Osc1 Type":"square","Output Gain":-3}})";
    ASSERT_EQ(Render({"--state", File("hand.json"), "--save-state", File("hand.state")}).status, 0);
    ASSERT_EQ(
        Render({"--set", "Osc1 Type=Square", "--set", "Output Gain=-3", "--save-state", File("set.state")})
            .status,
        0);
    EXPECT_TRUE(Slurp(File("hand.state")) == Slurp(File("set.state")));
    const std::string head = R"({"format":"brisbleep-state","version":1,"instrument":"1.0.1","parameters":)";
    const struct
    {
        std::string json;
        std::string message;
    } bad[] = {
        {R"({"format":"other","version":1})", "has format \"other\", expected \"brisbleep-state\""},
        {R"({"format":"brisbleep-state","version":2})", "has version 2, expected 1"},
        {R"({"format":"brisbleep-state","version":1,"instrument":"2.0.0"})",
         "is for instrument version \"2.0.0\", expected \"1.0.1\""},
        {head + R"({"Output Gian":-3}})", "unknown parameter \"Output Gian\" (did you mean \"Output Gain\""},
        {head + R"({"Output Gain":{"value":-3,"unit":"Hz"}}})",
         "gives \"Output Gain\" in \"Hz\", expected \"dB\""},
        {head + R"({"Output Gain":20}})", "\"Output Gain\" takes -48 to 12 dB, found 20"},
        {head + R"({"Osc1 Type":"Squarish"}})", "\"Osc1 Type\" takes one of \"Off\", \"Triangle\""},
        {head + R"({"Osc1 Octave":1.5}})", "\"Osc1 Octave\" takes a whole number, found 1.5"},
        {head + R"({"Output Gain":"loud"}})", "\"Output Gain\" takes a number, found the text \"loud\""},
        {"{ not json", "is not valid JSON"},
    };
    for (const auto& c : bad)
    {
        std::ofstream(File("bad.json"), std::ios::trunc) << c.json;
        ExpectFailure({"--state", File("bad.json"), "--save-state", File("x.state")}, c.message);
    }
}

TEST_F(CliPipeline, StatesFromPluginPresetFiles)
{
    ASSERT_EQ(Render({"--recipe", "hit", "--seed", "4", "--save-state", File("hit.state")}).status, 0);
    ASSERT_EQ(Render({"--recipe", "coin", "--seed", "4", "--save-state", File("coin.state")}).status, 0);
    const std::string hit = Slurp(File("hit.state")), coin = Slurp(File("coin.state"));
    ASSERT_EQ(hit.size(), 484u);
    const std::string bypassed = hit + std::string("\x01\x00\x00\x00", 4);

    // Every container gives the state inside it, byte for byte.
    const struct
    {
        const char* name;
        std::string bytes;
        std::vector<std::string> extra;
        const std::string& expected;
    } good[] = {
        {"vst3.state", bypassed, {}, hit},
        {"p.vstpreset", VstPreset(bypassed), {}, hit},
        {"p.fxp", Fxp(hit), {}, hit},
        {"one.fxb", Fxb({{"-", hit}}), {}, hit},
        {"two.fxb", Fxb({{"hit", hit}, {"coin", coin}}), {"--program", "1"}, coin},
        {"first.fxb", Fxb({{"hit", hit}, {"coin", coin}}), {"--program", "0"}, hit},
        {"skip.fxb", Fxb({{"empty", ""}, {"coin", coin}}), {"--program", "1"}, coin},
    };
    for (const auto& c : good)
    {
        std::ofstream(File(c.name), std::ios::binary) << c.bytes;
        std::vector<std::string> args = {"--state", File(c.name), "--save-state", File("out.state")};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const Outcome run = Render(args);
        ASSERT_EQ(run.status, 0) << c.name << ": " << run.err;
        EXPECT_TRUE(Slurp(File("out.state")) == c.expected) << c.name;
    }

    std::string damaged = Fxp(hit);
    damaged.resize(damaged.size() - 10);
    std::string wrongVersion = hit;
    wrongVersion[0] = 7;
    const struct
    {
        const char* name;
        std::string bytes;
        std::vector<std::string> extra;
        std::string message;
    } bad[] = {
        {"other.fxp", Fxp(hit, "abcd"), {}, "is a VST2 preset for plug-in ID 'abcd', expected 'spgp'"},
        {"cut.fxp", damaged, {}, "is a .fxp announcing a 492-byte chunk, found 482"},
        {"params.fxp",
         "CcnK" + BigEndian(52) + "FxCk" + std::string(60, '\0'),
         {},
         "of kind 'FxCk', expected a program or bank chunk"},
        {"range.fxb",
         Fxb({{"-", hit}}),
         {"--program", "1"},
         "is a bank of 1 program, so --program 1 is not in it (use 0)"},
        {"empty.fxb",
         Fxb({{"empty", ""}, {"coin", coin}}),
         {"--program", "0"},
         "is a bank whose program 0 is empty"},
        {"other.vstpreset",
         VstPreset(bypassed, std::string(32, 'A')),
         {},
         "is a .vstpreset for class ID AAAA"},
        {"short.vstpreset",
         VstPreset(hit.substr(0, 400)),
         {},
         "holds 400 bytes, expected the VST3 state of 488"},
        {"version.vstpreset", VstPreset(wrongVersion + "\0\0\0\0"), {}, "has version word 0x00010007"},
        {"program.fxp", Fxp(hit), {"--program", "0"}, "--program applies to .fxb banks"},
    };
    for (const auto& c : bad)
    {
        std::ofstream(File(c.name), std::ios::binary) << c.bytes;
        std::vector<std::string> args = {"--state", File(c.name), "--save-state", File("x.state")};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        ExpectFailure(args, c.message);
    }
}

TEST_F(CliPipeline, SpritesHoldEverySoundWhereTheMapSays)
{
    const std::vector<std::string> batch = {"--recipe", "jump",     "--seed", "11",     "--count",
                                            "3",        "--length", "0.15",   "--bits", "32f"};
    std::vector<std::string> apart = {"-o", File("apart") + "/"},
                             together = {"--sprite", File("sfx.wav"), "--sprite-gap", "0.25"};
    apart.insert(apart.end(), batch.begin(), batch.end());
    together.insert(together.end(), batch.begin(), batch.end());
    ASSERT_EQ(Render(apart).status, 0);
    const Outcome run = Render(together);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("with 3 sounds"), std::string::npos) << run.out;

    const nlohmann::json map = nlohmann::json::parse(Slurp(File("sfx.json")));
    EXPECT_EQ(map["src"], nlohmann::json::array({"sfx.wav"}));
    const Audio sprite = ReadAudio(File("sfx.wav"));
    std::size_t expectedStart = 0;
    for (int i = 1; i <= 3; ++i)
    {
        const std::string name = "jump_00" + std::to_string(i);
        const Audio alone = ReadAudio(File("apart/" + name + ".wav"));
        ASSERT_TRUE(map["sprite"].contains(name)) << name;
        const double startMs = map["sprite"][name][0], durationMs = map["sprite"][name][1];
        // The range holds the whole sound, to the millisecond.
        EXPECT_EQ(startMs, std::floor(expectedStart * 1000.0 / 44100)) << name;
        EXPECT_EQ(startMs + durationMs, std::ceil((expectedStart + alone.left.size()) * 1000.0 / 44100))
            << name;
        ASSERT_LE(expectedStart + alone.left.size(), sprite.left.size());
        EXPECT_TRUE(std::equal(alone.left.begin(), alone.left.end(),
                               sprite.left.begin() + static_cast<std::ptrdiff_t>(expectedStart)))
            << name;
        expectedStart += alone.left.size();
        if (i < 3)
        {
            // A quarter second of silence before the next sound.
            EXPECT_EQ(PeakMagnitude(sprite.left, expectedStart, expectedStart + 11025), 0.0);
            expectedStart += 11025;
        }
    }
    EXPECT_EQ(expectedStart, sprite.left.size());

    ExpectFailure({"--sprite", File("s.wav"), "-o", File("x.wav")}, "--sprite writes the audio itself");
    ExpectFailure({"--sprite", File("s.txt"), "--count", "2"}, "cannot tell the format of");
    ExpectFailure({"--sprite", File("s.json"), "--count", "2"},
                  "--sprite and the sprite map name the same file");
    ExpectFailure({"--sprite", File("s.wav"), "--save-json", File("s.json")},
                  "--save-json and the sprite map name the same file");
}
