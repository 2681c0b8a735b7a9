#include "../PluginLibrary.h"

#include <dlfcn.h>

void* OpenPluginLibrary(const std::string& path, std::string& error)
{
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) error = dlerror();
    return library;
}

void* FindPluginExport(void* library, const char* name)
{
    return dlsym(library, name);
}

void ClosePluginLibrary(void* library)
{
    dlclose(library);
}
