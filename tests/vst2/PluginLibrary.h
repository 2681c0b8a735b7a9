#pragma once

#include <string>

// Loading a plug-in library and finding its exports, as a host on the platform does. Each returns
// none (and sets error) on failure.
void* OpenPluginLibrary(const std::string& path, std::string& error);
void* FindPluginExport(void* library, const char* name);
void ClosePluginLibrary(void* library);
