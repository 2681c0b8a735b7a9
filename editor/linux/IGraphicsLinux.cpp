#include "editor/linux/IGraphicsLinux.h"

#include "raster/PIX_Png.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "editor/linux/IGraphicsLinuxNative.h"

namespace
{

// The folder of a path, with its trailing slash; empty when the path has no folder part.
std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash + 1 >= path.size()) return {};
    return path.substr(0, slash + 1);
}

std::string EnvText(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string HomeFolder()
{
    return EnvText("HOME");
}

bool IsAbsolute(const std::string& path)
{
    return !path.empty() && path.front() == '/';
}

std::string WithSlash(std::string path)
{
    if (!path.empty() && path.back() != '/') path += '/';
    return path;
}

// The user's configuration folder: XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
std::string ConfigHome()
{
    const std::string config = EnvText("XDG_CONFIG_HOME");
    if (IsAbsolute(config)) return WithSlash(config);
    const std::string home = HomeFolder();
    return home.empty() ? std::string() : home + "/.config/";
}

// The desktop folder as the user's folder settings name it (XDG_DESKTOP_DIR in the environment or in
// user-dirs.dirs, "$HOME" expanded), else ~/Desktop.
std::string DesktopFolder()
{
    const std::string home = HomeFolder();
    std::string desktop = EnvText("XDG_DESKTOP_DIR");
    if (desktop.empty() && !ConfigHome().empty())
    {
        if (std::FILE* file = std::fopen((ConfigHome() + "user-dirs.dirs").c_str(), "r"))
        {
            char line[1024];
            while (std::fgets(line, sizeof line, file))
            {
                const std::string text = line;
                const std::string key = "XDG_DESKTOP_DIR=\"";
                if (text.compare(0, key.size(), key) != 0) continue;
                const std::size_t end = text.find('"', key.size());
                if (end != std::string::npos) desktop = text.substr(key.size(), end - key.size());
            }
            std::fclose(file);
        }
    }
    if (desktop.compare(0, 5, "$HOME") == 0) desktop = home + desktop.substr(5);
    if (IsAbsolute(desktop)) return WithSlash(desktop);
    return home.empty() ? std::string() : home + "/Desktop/";
}

} // namespace

IGraphicsLinux::IGraphicsLinux(IFrameBase* plugin, int width, int height, int fps)
    : IGraphics(plugin, width, height, fps), mNative(std::make_unique<Native>())
{
}

IGraphicsLinux::~IGraphicsLinux()
{
    CloseWindow();
}

void IGraphicsLinux::GetHostPath(std::string& path)
{
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    path = n > 0 ? FolderOf(std::string(buffer, static_cast<std::size_t>(n))) : std::string();
}

void IGraphicsLinux::GetPluginPath(std::string& path)
{
    Dl_info info{};
    static const int anchor = 0; // any object of this module locates it
    path.clear();
    if (!dladdr(&anchor, &info) || !info.dli_fname) return;
    // The name is as the module was loaded, possibly relative to a folder the host has left since.
    char* absolute = realpath(info.dli_fname, nullptr);
    path = FolderOf(absolute ? absolute : info.dli_fname);
    std::free(absolute);
}

void IGraphicsLinux::GetDesktopPath(std::string& path)
{
    path = DesktopFolder();
}

void IGraphicsLinux::GetAppDataPath(std::string& path, bool systemWide)
{
    if (systemWide)
    {
        // The first of the system's configuration folders.
        const std::string dirs = EnvText("XDG_CONFIG_DIRS");
        const std::string first = dirs.substr(0, dirs.find(':'));
        path = IsAbsolute(first) ? WithSlash(first) : std::string("/etc/xdg/");
        return;
    }
    path = ConfigHome();
}

PIX_IBitmap* IGraphicsLinux::LoadBitmapResource(int id, const char* name)
{
    if (!PIX_HasPngExtension(name)) return nullptr;
    // Decoded when first drawn: an instrument that never shows its editor never decodes an image.
    return PIX_LoadPNGResourceLazily(mModule, id);
}
