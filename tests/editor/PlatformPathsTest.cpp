// Where the Linux editor finds the desktop and the configuration folders: the XDG conventions.

#include "EditorTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>

#include <unistd.h>

namespace
{

namespace fs = std::filesystem;

// Sets environment variables for one test and puts the old values back.
class Environment
{
public:
    void Set(const char* name, const char* value)
    {
        if (!saved.count(name))
        {
            const char* old = std::getenv(name);
            saved[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~Environment()
    {
        for (const auto& [name, value] : saved)
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
    }

private:
    std::map<std::string, std::optional<std::string>> saved;
};

TEST(PlatformPaths, DesktopAndConfigurationFolders)
{
    const fs::path home = fs::temp_directory_path() / ("brisbleep-home-" + std::to_string(getpid()));
    fs::create_directories(home / ".config");
    fs::create_directories(home / "alt");
    {
        std::ofstream dirs(home / ".config" / "user-dirs.dirs");
        dirs << "# written by "
                "xdg-user-dirs-update\nXDG_MUSIC_DIR=\"$HOME/Music\"\nXDG_DESKTOP_DIR=\"$HOME/"
                "Schreibtisch\"\n";
    }
    {
        std::ofstream dirs(home / "alt" / "user-dirs.dirs");
        dirs << "XDG_DESKTOP_DIR=\"/srv/desk\"\n";
    }
    const std::string h = home.string();
    const std::string alt = h + "/alt";
    struct Case
    {
        const char* homeDir;
        const char* configHome;
        const char* desktopEnv;
        const char* configDirs;
        std::string desktop, userData, systemData;
    };
    const Case cases[] = {
        {"/nowhere", nullptr, nullptr, nullptr, "/nowhere/Desktop/", "/nowhere/.config/", "/etc/xdg/"},
        {h.c_str(), nullptr, nullptr, nullptr, h + "/Schreibtisch/", h + "/.config/", "/etc/xdg/"},
        {h.c_str(), alt.c_str(), nullptr, "/opt/xdg:/etc/xdg", "/srv/desk/", h + "/alt/", "/opt/xdg/"},
        {h.c_str(), "relative/config", nullptr, "relative:/etc/xdg", h + "/Schreibtisch/", h + "/.config/",
         "/etc/xdg/"},
        {h.c_str(), nullptr, "/media/desk", nullptr, "/media/desk/", h + "/.config/", "/etc/xdg/"},
        {"", nullptr, nullptr, nullptr, "", "", "/etc/xdg/"},
    };
    EditorTestFrame frame;
    TestGraphics g(&frame);
    for (const Case& c : cases)
    {
        Environment env;
        env.Set("HOME", c.homeDir);
        env.Set("XDG_CONFIG_HOME", c.configHome);
        env.Set("XDG_DESKTOP_DIR", c.desktopEnv);
        env.Set("XDG_CONFIG_DIRS", c.configDirs);
        std::string path;
        g.GetDesktopPath(path);
        EXPECT_EQ(path, c.desktop) << c.homeDir << " " << (c.configHome ? c.configHome : "-");
        g.GetUserAppDataPath(path);
        EXPECT_EQ(path, c.userData);
        g.GetAppDataPath(path, true);
        EXPECT_EQ(path, c.systemData);
    }
    fs::remove_all(home);
}

TEST(PlatformPaths, HostAndPluginFoldersEndWithASlash)
{
    EditorTestFrame frame;
    TestGraphics g(&frame);
    std::string host, plugin;
    g.GetHostPath(host);
    g.GetPluginPath(plugin);
    EXPECT_EQ(host, fs::canonical("/proc/self/exe").parent_path().string() + "/");
    EXPECT_EQ(plugin, host) << "the editor is linked into this test program";
}

} // namespace
