#!/usr/bin/env bash
# Builds the libraries a cross-built target links statically (the Windows deliverables with mingw-w64,
# the web edition with emscripten) from Debian's source packages (suite bookworm, the versions the Linux
# build links), and installs them under a prefix:
#
#   tools/target-deps.sh <windows|web> <prefix> <toolchain-file> [cache-dir]
#
#   zlib 1.2.13, libpng 1.6.39   PNG decoding
#   libsndfile 1.2.0              audio files of brisbleep-render (built without its external codec
#                                 libraries: WAV, AIFF and the other uncompressed formats, no FLAC/Ogg)
#   libebur128 1.2.6              loudness
#   FreeType 2.12.1               (web) editor text; Windows draws text with GDI
#   GoogleTest                    (windows) the test suites, from the sources Debian's libgtest-dev ships
#   CLI11, nlohmann-json          header-only; their headers are copied so the target never sees /usr/include
#
# The source tarballs are cached with their SHA-256 values pinned; the prefix holds a stamp and a
# second run does nothing.
set -euo pipefail

log() { echo "${target:-target}-deps: $*" >&2; }
die() {
    log "error: $*"
    exit 1
}
# shellcheck source=tools/debian-source.sh
source "$(dirname "$0")/debian-source.sh"

[[ $# -ge 3 ]] || die "usage: $0 <windows|web> <prefix> <toolchain-file> [cache-dir]"
target=$1
prefix=$2
toolchain=$3
cache=${4:-${BRISBLEEP_CACHE:-${HOME:-/tmp}/.cache/brisbleep}}
case "$target" in
windows) stamp=$prefix/.brisbleep-deps-3 ;;
web) stamp=$prefix/.brisbleep-deps-1 ;;
*) die "unknown target '$target' (windows or web)" ;;
esac
[[ -f "$stamp" ]] && exit 0

# package|file|sha256|unpacked folder
sources=(
    "zlib|zlib_1.2.13.dfsg.orig.tar.bz2|71feb7947e3c00ef125f83b79a4e529bde31171e5babe48b391f06758d1ab0a1|zlib"
    "libpng1.6|libpng1.6_1.6.39.orig.tar.gz|a00e9d2f2f664186e4202db9299397f851aea71b36a35e74910b8820e380d441|libpng"
    "libsndfile|libsndfile_1.2.0.orig.tar.gz|62dc4e2bcd45f6f0e89cbc3522cc90eb174dca0eef0a0d19ead289833b390cd7|libsndfile"
    "libebur128|libebur128_1.2.6.orig.tar.gz|baa7fc293a3d4651e244d8022ad03ab797ca3c2ad8442c43199afe8059faa613|libebur128"
)
if [[ "$target" == web ]]; then
    sources+=("freetype|freetype_2.12.1+dfsg.orig.tar.xz|7dedb6b9adf331559daea614a83b8de42a753e685ec8e1c4bdb4529eb880b0d1|freetype")
fi
# Both targets share the downloads.
downloads=$cache/windows-deps-downloads
mkdir -p "$downloads" "$prefix"
prefix=$(cd "$prefix" && pwd)

exec 9>"$cache/.target-deps.lock"
command -v flock >/dev/null && flock 9

missing=()
for entry in "${sources[@]}"; do
    IFS='|' read -r package file _ _ <<<"$entry"
    [[ -f "$downloads/$file" ]] || missing+=("$package")
done
if ((${#missing[@]} > 0)); then
    debian_source_download "$cache/windows-deps-apt" bookworm "$downloads" "${missing[@]}"
fi

work=$prefix/src
rm -rf "$work"
mkdir -p "$work"
for entry in "${sources[@]}"; do
    IFS='|' read -r package file sum folder <<<"$entry"
    [[ -f "$downloads/$file" ]] || die "apt-get source did not deliver $file"
    debian_source_check "$downloads/$file" "$sum"
    mkdir -p "$work/$folder"
    tar -xf "$downloads/$file" -C "$work/$folder" --strip-components=1 || die "could not unpack $file"
done
log "sources checked against their pinned SHA-256 values"

# cmake_configure <source-dir> <options...>: configure one library for the target.
cmake_configure() {
    local source=$1
    shift
    local build=$work/build-$(basename "$source")
    cmake -S "$source" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DBRISBLEEP_WINDOWS_DEPS="$prefix" -DBRISBLEEP_WEB_DEPS="$prefix" -DBUILD_SHARED_LIBS=OFF \
        -DCMAKE_POLICY_DEFAULT_CMP0074=NEW -Wno-dev "$@" >"$build.log" 2>&1 ||
        die "configuring $(basename "$source") failed, see $build.log"
}

# cmake_build <source-dir> <options...>: configure, build and install one library into the prefix.
cmake_build() {
    local source=$1
    local build=$work/build-$(basename "$source")
    cmake_configure "$@"
    cmake --build "$build" --parallel "${JOBS:-2}" >>"$build.log" 2>&1 || die "building $(basename "$source") failed, see $build.log"
    cmake --install "$build" >>"$build.log" 2>&1 || die "installing $(basename "$source") failed, see $build.log"
    log "built $(basename "$source")"
}

# zlib: only the static library. For Windows through its CMake build (Debian's source leaves out the
# DLL's resource script, which only the DLL uses); emscripten's CMake sees two rules for libz.a there, so
# for the web its fifteen sources are compiled directly.
mkdir -p "$prefix/include" "$prefix/lib"
if [[ "$target" == web ]]; then
    zlib_sources=(adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees trees
        uncompr zutil)
    (cd "$work/zlib" && emcc -O2 -DHAVE_UNISTD_H -DHAVE_STDARG_H -c "${zlib_sources[@]/%/.c}" && emar rcs "$prefix/lib/libz.a" "${zlib_sources[@]/%/.o}") \
        >"$work/build-zlib.log" 2>&1 || die "building zlib failed, see $work/build-zlib.log"
    cp "$work/zlib/zlib.h" "$work/zlib/zconf.h" "$prefix/include/"
else
    cmake_configure "$work/zlib"
    cmake --build "$work/build-zlib" --target zlibstatic >>"$work/build-zlib.log" 2>&1 ||
        die "building zlib failed, see $work/build-zlib.log"
    cp "$work/zlib/zlib.h" "$work/build-zlib/zconf.h" "$prefix/include/"
    cp "$work/build-zlib/libzlibstatic.a" "$prefix/lib/libz.a"
fi
log "built zlib"
zlib_options=(-DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include")
cmake_build "$work/libpng" "${zlib_options[@]}" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
    -DPNG_EXECUTABLES=OFF -DSKIP_INSTALL_PROGRAMS=ON
cmake_build "$work/libsndfile" -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_TESTING=OFF \
    -DENABLE_EXTERNAL_LIBS=OFF -DENABLE_MPEG=OFF -DENABLE_CPACK=OFF -DENABLE_PACKAGE_CONFIG=ON \
    -DINSTALL_PKGCONFIG_MODULE=ON -DINSTALL_MANPAGES=OFF
cmake_build "$work/libebur128" -DBUILD_SHARED_LIBS=OFF -DBUILD_STATIC_LIBS=ON -DENABLE_INTERNAL_QUEUE_H=ON
if [[ "$target" == windows ]]; then
    cmake_build /usr/src/googletest -Dgtest_disable_pthreads=OFF
else
    # Glyphs from TrueType files. zlib is the one built above (FreeType's own copy would clash with
    # it at link time); none of the other optional companions.
    cmake_build "$work/freetype" "${zlib_options[@]}" -DFT_REQUIRE_ZLIB=ON -DFT_DISABLE_BZIP2=ON \
        -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
fi

mkdir -p "$prefix/include" "$prefix/lib/cmake/CLI11"
rm -rf "$prefix/include/CLI"
cp -r /usr/include/CLI "$prefix/include/CLI"
cat >"$prefix/lib/cmake/CLI11/CLI11Config.cmake" <<'CONFIG'
# CLI11's headers, copied for the target.
if(NOT TARGET CLI11::CLI11)
    add_library(CLI11::CLI11 INTERFACE IMPORTED)
    set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${CMAKE_CURRENT_LIST_DIR}/../../../include")
endif()
CONFIG

# nlohmann-json is headers only: Debian's copy serves the target as it is.
mkdir -p "$prefix/lib/cmake/nlohmann_json"
rm -rf "$prefix/include/nlohmann"
cp -r /usr/include/nlohmann "$prefix/include/nlohmann"
json_version=$(dpkg-query -W -f='${Version}' nlohmann-json3-dev | sed 's/-.*//')
cat >"$prefix/lib/cmake/nlohmann_json/nlohmann_jsonConfig.cmake" <<'CONFIG'
# nlohmann-json's headers, copied for the target.
if(NOT TARGET nlohmann_json::nlohmann_json)
    add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
    set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${CMAKE_CURRENT_LIST_DIR}/../../../include")
endif()
CONFIG
cat >"$prefix/lib/cmake/nlohmann_json/nlohmann_jsonConfigVersion.cmake" <<CONFIG
set(PACKAGE_VERSION "$json_version")
if(PACKAGE_FIND_VERSION VERSION_GREATER PACKAGE_VERSION)
    set(PACKAGE_VERSION_COMPATIBLE FALSE)
else()
    set(PACKAGE_VERSION_COMPATIBLE TRUE)
endif()
CONFIG

rm -rf "$work"
touch "$stamp"
log "installed in $prefix"
