#include "editor/linux/IGraphicsLinux.h"

#include "raster/PIX_Png.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <strings.h>

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

std::string HomeFolder()
{
    const char* home = std::getenv("HOME");
    return home && *home ? std::string(home) : std::string();
}

// True when the text after the last '.' of name is "png", in any case.
bool HasPngExtension(const char* name)
{
    if (!name) return false;
    const char* dot = nullptr;
    for (const char* p = name; *p; ++p)
        if (*p == '.') dot = p;
    return dot && strcasecmp(dot + 1, "png") == 0;
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
    path = dladdr(&anchor, &info) && info.dli_fname ? FolderOf(info.dli_fname) : std::string();
}

void IGraphicsLinux::GetDesktopPath(std::string& path)
{
    const std::string home = HomeFolder();
    path = home.empty() ? std::string() : home + "/Desktop/";
}

void IGraphicsLinux::GetAppDataPath(std::string& path, bool systemWide)
{
    if (systemWide)
    {
        path = "/etc/xdg/";
        return;
    }
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config)
        path = std::string(config) + "/";
    else
    {
        const std::string home = HomeFolder();
        path = home.empty() ? std::string() : home + "/.config/";
    }
}

PIX_IBitmap* IGraphicsLinux::LoadBitmapResource(int id, const char* name)
{
    if (!HasPngExtension(name)) return nullptr;
    return PIX_LoadPNGResource(mModule, id);
}
