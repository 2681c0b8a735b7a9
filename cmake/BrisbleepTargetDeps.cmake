# The libraries a cross-built target links, built from Debian's sources by tools/target-deps.sh into a
# prefix at configure time (a second configure finds them built and does nothing), and the prefix made
# the place where find_package and pkg-config look.
#
#   brisbleep_target_deps(<windows|web> <prefix>)
include_guard(GLOBAL)

set(BRISBLEEP_CACHE_DIR "$ENV{HOME}/.cache/brisbleep" CACHE PATH "Where downloaded sources are kept")

macro(brisbleep_target_deps target prefix)
    execute_process(
        COMMAND ${PROJECT_SOURCE_DIR}/tools/target-deps.sh ${target} ${prefix} ${CMAKE_TOOLCHAIN_FILE}
                ${BRISBLEEP_CACHE_DIR}
        RESULT_VARIABLE deps_result)
    if(NOT deps_result EQUAL 0)
        message(FATAL_ERROR "Could not build the ${target} libraries (see the messages above).")
    endif()
    # Static libraries only, found in the prefix: libpng's, zlib's and FreeType's by the standard find
    # modules, libsndfile's and libebur128's through their pkg-config files, the header-only ones
    # (CLI11, nlohmann-json) and GoogleTest through their package files.
    set(ZLIB_ROOT ${prefix})
    set(ZLIB_USE_STATIC_LIBS ON)
    set(PNG_ROOT ${prefix})
    set(ENV{PKG_CONFIG_LIBDIR} ${prefix}/lib/pkgconfig)
    set(ENV{PKG_CONFIG_PATH} "")
    list(APPEND CMAKE_PREFIX_PATH ${prefix})
endmacro()
