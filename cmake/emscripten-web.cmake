# Building the web edition with Debian's emscripten: its own platform file, plus the libraries built
# for WebAssembly from source (BRISBLEEP_WEB_DEPS, see tools/target-deps.sh).
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

# Passed on to try_compile projects, which read this file again.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES BRISBLEEP_WEB_DEPS)
if(NOT BRISBLEEP_WEB_DEPS)
    set(BRISBLEEP_WEB_DEPS "$ENV{HOME}/.cache/brisbleep/web-deps-emscripten-3.1.6")
endif()
list(APPEND CMAKE_FIND_ROOT_PATH ${BRISBLEEP_WEB_DEPS})
