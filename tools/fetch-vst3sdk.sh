#!/usr/bin/env bash
# Gets the VST 3 SDK 3.7.10 sources from Debian's source package `vst3sdk` (suite trixie) and unpacks
# them into a cache directory. Prints the SDK root on standard output as its last line.
#
#   tools/fetch-vst3sdk.sh [cache-dir]
#
# The cache directory defaults to $BRISBLEEP_CACHE or ~/.cache/brisbleep. When VST3_SDK_ROOT names an
# unpacked SDK, nothing is fetched and that root is printed.
#
# apt runs with a configuration of its own (sources, lists and archives inside the cache), so nothing of
# the system's apt set-up is changed; the mirror URIs are copied from the machine's Debian entry.
set -euo pipefail

version=3.7.10.14+~4.13.3
stem=vst3sdk_${version}.orig

# The six tarballs and their SHA-256 values; the first is the SDK root, the others its component folders.
tarballs=(
    "${stem}.tar.gz|0c9fa7b578f8549d6ce6efeb427e9c7df8ca0e018bea13a523b78bb167663b81|."
    "${stem}-base.tar.gz|b9eb5c1e57ca2ef6b2560dd0e13822dd5a51e437b8f5a6c421b099d621d2bffb|base"
    "${stem}-cmake.tar.gz|f4699e910a67e585d7d177b2a48f6aa43706b3f073c8e454615f094484374349|cmake"
    "${stem}-pluginterfaces.tar.gz|fd426c6b26ef93fdfdc8aef7e9b836c1bf43f25b8a1ef4c0642a41fb9250ab8a|pluginterfaces"
    "${stem}-public-sdk.tar.gz|ca1f70406b36f0763c799085c67deed5befc69514cc2b9cacb804512e95db335|public.sdk"
    "${stem}-vstgui4.tar.gz|5a7673c7b22a66086a6749a0c7ff447fcfc4a10d2c2013d58ff1320be4e8456f|vstgui4"
)

log() { echo "fetch-vst3sdk: $*" >&2; }
die() {
    log "error: $*"
    exit 1
}
# shellcheck source=tools/debian-source.sh
source "$(dirname "$0")/debian-source.sh"

if [[ -n "${VST3_SDK_ROOT:-}" ]]; then
    [[ -f "$VST3_SDK_ROOT/pluginterfaces/base/funknown.h" ]] ||
        die "VST3_SDK_ROOT=$VST3_SDK_ROOT does not hold an unpacked SDK (no pluginterfaces/base/funknown.h)"
    echo "$VST3_SDK_ROOT"
    exit 0
fi

cache=${1:-${BRISBLEEP_CACHE:-${HOME:-/tmp}/.cache/brisbleep}}
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)
downloads=$cache/vst3sdk-downloads
sdk_root=$cache/vst3sdk-$version
stamp=$sdk_root/.brisbleep-unpacked

if [[ -f "$stamp" ]]; then
    echo "$sdk_root"
    exit 0
fi

# Concurrent configure runs share the cache; one fetches, the others wait for it.
exec 9>"$cache/.vst3sdk.lock"
if command -v flock >/dev/null; then
    flock 9
fi
if [[ -f "$stamp" ]]; then
    echo "$sdk_root"
    exit 0
fi

have_all_tarballs() {
    local entry file
    for entry in "${tarballs[@]}"; do
        file=${entry%%|*}
        [[ -f "$downloads/$file" ]] || return 1
    done
}

download() {
    debian_source_download "$cache/vst3sdk-apt" trixie "$downloads" vst3sdk
    have_all_tarballs || die "apt-get source did not deliver all six vst3sdk ${version} orig tarballs into $downloads"
}

have_all_tarballs || download

for entry in "${tarballs[@]}"; do
    IFS='|' read -r file sum _ <<<"$entry"
    debian_source_check "$downloads/$file" "$sum"
done
log "all six tarballs match their pinned SHA-256 values"

staging=$cache/vst3sdk-staging.$$
rm -rf "$staging"
mkdir -p "$staging"
trap 'rm -rf "$staging"' EXIT
for entry in "${tarballs[@]}"; do
    IFS='|' read -r file _ folder <<<"$entry"
    mkdir -p "$staging/$folder"
    # Each tarball has one top-level folder of its own name; its content goes into the target folder.
    tar -xzf "$downloads/$file" -C "$staging/$folder" --strip-components=1 ||
        die "could not unpack $file"
done
[[ -f "$staging/pluginterfaces/base/funknown.h" && -d "$staging/public.sdk/source" ]] ||
    die "the unpacked tree lacks pluginterfaces/base/funknown.h or public.sdk/source"
touch "$staging/.brisbleep-unpacked"
rm -rf "$sdk_root"
mv "$staging" "$sdk_root"
trap - EXIT
log "SDK unpacked at $sdk_root"
echo "$sdk_root"
