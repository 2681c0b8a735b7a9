# The libraries the web edition links, built for WebAssembly from Debian's sources by
# tools/target-deps.sh into BRISBLEEP_WEB_DEPS (set by the toolchain file) at configure time. A second
# configure finds them built and does nothing.
include_guard(GLOBAL)

set(BRISBLEEP_CACHE_DIR "$ENV{HOME}/.cache/brisbleep" CACHE PATH "Where downloaded sources are kept")
execute_process(
    COMMAND ${PROJECT_SOURCE_DIR}/tools/target-deps.sh web ${BRISBLEEP_WEB_DEPS} ${CMAKE_TOOLCHAIN_FILE}
            ${BRISBLEEP_CACHE_DIR}
    RESULT_VARIABLE deps_result)
if(NOT deps_result EQUAL 0)
    message(FATAL_ERROR "Could not build the web libraries (see the messages above).")
endif()

# Static libraries only, found in the prefix: libpng's, zlib's and FreeType's by the standard find
# modules, libsndfile's and libebur128's through their pkg-config files, CLI11 and nlohmann-json
# through their package files.
set(ZLIB_ROOT ${BRISBLEEP_WEB_DEPS})
set(PNG_ROOT ${BRISBLEEP_WEB_DEPS})
set(FREETYPE_DIR ${BRISBLEEP_WEB_DEPS})
set(ENV{PKG_CONFIG_LIBDIR} ${BRISBLEEP_WEB_DEPS}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
list(APPEND CMAKE_PREFIX_PATH ${BRISBLEEP_WEB_DEPS})
