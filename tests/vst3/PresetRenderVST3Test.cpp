// A sound tuned in a VST 3 host, handed to brisbleep-render: the module's state and a .vstpreset
// written by the SDK's own preset writer load into the renderer as the same state.

#include "VST3TestHost.h"

#include "vst3/VST3Factory.h"

#include "public.sdk/source/vst/vstpresetfile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

using namespace Steinberg;
using namespace Steinberg::Vst;
namespace fs = std::filesystem;

namespace
{
std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Spit(const fs::path& path, const char* data, std::size_t size)
{
    std::ofstream(path, std::ios::binary).write(data, static_cast<std::streamsize>(size));
}

// Runs the renderer: loads `state` and saves it again as the plain 484-byte state.
std::string Rendered(const fs::path& state, const fs::path& saved)
{
    const std::string command = std::string("'") + BRISBLEEP_RENDER_PATH + "' --state '" + state.string() +
                                "' --save-state '" + saved.string() + "' 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? Slurp(saved) : std::string();
}
} // namespace

TEST(PresetRenderVST3, TheModulesStateAndItsVstPresetLoadIntoTheRenderer)
{
    const fs::path dir = fs::temp_directory_path() / ("brisbleep-vstpreset-" + std::to_string(getpid()));
    fs::create_directories(dir);

    VST3TestHost host;
    host.Plugin().SetParameterFromHost(0, -3.0, false);   // Output Gain
    host.Plugin().SetParameterFromHost(1, 3.0, false);    // Osc1 Type: Square
    host.Plugin().SetParameterFromHost(40, 880.0, false); // Filter LP Cutoff
    const std::vector<char> vst3State = host.SaveState();
    ASSERT_EQ(vst3State.size(), 488u);
    const std::string expected(vst3State.begin(), vst3State.begin() + 484);

    // The module's state as a host stores it: the state and the bypass word.
    Spit(dir / "module.state", vst3State.data(), vst3State.size());
    EXPECT_TRUE(Rendered(dir / "module.state", dir / "a.state") == expected);

    // A .vstpreset from the SDK's writer, holding that state as the component's and the controller's.
    MemoryStream component(const_cast<char*>(vst3State.data()), static_cast<TSize>(vst3State.size()));
    MemoryStream controller(const_cast<char*>(vst3State.data()), static_cast<TSize>(vst3State.size()));
    MemoryStream preset;
    ASSERT_TRUE(
        PresetFile::savePreset(&preset, FUID::fromTUID(VST3FactoryInfo::kClassId), &component, &controller));
    Spit(dir / "sound.vstpreset", preset.getData(), static_cast<std::size_t>(preset.getSize()));
    EXPECT_TRUE(Rendered(dir / "sound.vstpreset", dir / "b.state") == expected);

    fs::remove_all(dir);
}
