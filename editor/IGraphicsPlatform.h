#pragma once

// The graphics context of the platform this build is for: the X11 window layer on Linux, the Win32
// and GDI one on Windows, the page's canvas in the browser.
#ifdef _WIN32
#include "editor/win/IGraphicsWin.h"
using IGraphicsPlatform = IGraphicsWin;
#elif defined(__EMSCRIPTEN__)
#include "editor/web/IGraphicsWeb.h"
using IGraphicsPlatform = IGraphicsWeb;
#else
#include "editor/linux/IGraphicsLinux.h"
using IGraphicsPlatform = IGraphicsLinux;
#endif
