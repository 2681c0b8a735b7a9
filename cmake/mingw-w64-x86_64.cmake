# Cross-building for 64-bit Windows with Debian's mingw-w64 toolchain (the POSIX-threads variant, so
# std::thread and std::mutex are available). Everything is linked statically: the deliverables need
# nothing but the system's own DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(BRISBLEEP_MINGW_TRIPLE x86_64-w64-mingw32)
# Passed on to try_compile projects, which read this file again.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES BRISBLEEP_WINDOWS_DEPS)
set(CMAKE_C_COMPILER ${BRISBLEEP_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRISBLEEP_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${BRISBLEEP_MINGW_TRIPLE}-windres)

if(NOT BRISBLEEP_WINDOWS_DEPS)
    set(BRISBLEEP_WINDOWS_DEPS "$ENV{HOME}/.cache/brisbleep/windows-deps-mingw-w64-12")
endif()
# The target's libraries: the toolchain's own, and those built for it from source (BRISBLEEP_WINDOWS_DEPS,
# see tools/target-deps.sh).
set(CMAKE_FIND_ROOT_PATH /usr/${BRISBLEEP_MINGW_TRIPLE} ${BRISBLEEP_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
