// A sound tuned in a VST2 host, handed to brisbleep-render: .fxp and .fxb files around the program and
// bank chunks the plug-in itself hands out load into the renderer as the state the plug-in held.

#include "Vst2Host.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

using namespace vst2;
namespace fs = std::filesystem;

namespace
{
std::string BigEndian(std::uint32_t v)
{
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

// The preset file a host writes: "CcnK", the size of the rest, the kind, format version, plug-in ID,
// plug-in version, program count, the kind's own fields, the chunk's size and the chunk.
std::string FxFile(const char* kind, const EffectRecord& effect, const std::string& fields,
                   const std::string& chunk)
{
    const std::string body = std::string(kind) + BigEndian(1) +
                             BigEndian(static_cast<std::uint32_t>(effect.uniqueID)) +
                             BigEndian(static_cast<std::uint32_t>(effect.version)) +
                             BigEndian(static_cast<std::uint32_t>(effect.numPrograms)) + fields +
                             BigEndian(static_cast<std::uint32_t>(chunk.size())) + chunk;
    return "CcnK" + BigEndian(static_cast<std::uint32_t>(body.size())) + body;
}

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
} // namespace

TEST(PresetRenderVST2, FxpAndFxbAroundThePluginsChunksLoadIntoTheRenderer)
{
    const fs::path dir = fs::temp_directory_path() / ("brisbleep-fx-" + std::to_string(getpid()));
    fs::create_directories(dir);
    Vst2Host host(BRISBLEEP_VST2_PLUGIN_PATH);
    ASSERT_NE(host.Create(), nullptr);
    host.Dispatch(EffectOp::kOpen);
    host.effect->setParameter(host.effect, 0, 0.75f); // Output Gain
    host.effect->setParameter(host.effect, 1, 0.5f);  // Osc1 Type
    const auto chunk = [&](bool program)
    {
        void* data = nullptr;
        const intptr_t size = host.Dispatch(EffectOp::kGetChunk, program ? 1 : 0, 0, &data);
        return size > 0 && data ? std::string(static_cast<char*>(data), static_cast<std::size_t>(size))
                                : std::string();
    };
    const std::string program = chunk(true), bank = chunk(false);
    ASSERT_EQ(program.size(), 8u + 484u);
    const std::string expected = program.substr(8);

    const struct
    {
        const char* name;
        std::string bytes;
    } files[] = {
        {"sound.fxp", FxFile("FPCh", *host.effect, std::string(28, '\0'), program)},
        {"sounds.fxb", FxFile("FBCh", *host.effect, BigEndian(0) + std::string(124, '\0'), bank)},
    };
    for (const auto& f : files)
    {
        std::ofstream(dir / f.name, std::ios::binary) << f.bytes;
        const std::string command = std::string("'") + BRISBLEEP_RENDER_PATH + "' --state '" +
                                    (dir / f.name).string() + "' --save-state '" +
                                    (dir / "out.state").string() + "' 2>&1";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << f.name;
        EXPECT_TRUE(Slurp(dir / "out.state") == expected) << f.name;
    }
    host.Close();
    fs::remove_all(dir);
}
