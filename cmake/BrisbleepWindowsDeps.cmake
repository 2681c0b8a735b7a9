# The libraries the Windows deliverables link statically, built for the target from Debian's sources by
# tools/target-deps.sh into BRISBLEEP_WINDOWS_DEPS (set by the toolchain file) at configure time. A
# second configure finds them built and does nothing.
include_guard(GLOBAL)

set(BRISBLEEP_CACHE_DIR "$ENV{HOME}/.cache/brisbleep" CACHE PATH "Where downloaded sources are kept")
execute_process(
    COMMAND ${PROJECT_SOURCE_DIR}/tools/target-deps.sh windows ${BRISBLEEP_WINDOWS_DEPS} ${CMAKE_TOOLCHAIN_FILE}
            ${BRISBLEEP_CACHE_DIR}
    RESULT_VARIABLE deps_result)
if(NOT deps_result EQUAL 0)
    message(FATAL_ERROR "Could not build the Windows libraries (see the messages above).")
endif()

# Static libraries only, found in the prefix: libpng's and zlib's by the standard find modules,
# libsndfile's through its pkg-config file, GoogleTest and CLI11 through their package files.
set(ZLIB_ROOT ${BRISBLEEP_WINDOWS_DEPS})
set(ZLIB_USE_STATIC_LIBS ON)
set(PNG_ROOT ${BRISBLEEP_WINDOWS_DEPS})
set(ENV{PKG_CONFIG_LIBDIR} ${BRISBLEEP_WINDOWS_DEPS}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
list(APPEND CMAKE_PREFIX_PATH ${BRISBLEEP_WINDOWS_DEPS})

# Test programs and the validator run under Wine, with a prefix inside the build tree.
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tools/wine-run.sh ${PROJECT_BINARY_DIR})
