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

mirror_uris() {
    local uris=""
    if [[ -f /etc/apt/sources.list.d/debian.sources ]]; then
        # deb822: the URIs of the stanza that names the main Debian archive (not the security one).
        uris=$(awk '
            /^[[:space:]]*$/ { if (u != "" && u !~ /security/) { print u; exit } u = "" ; next }
            /^URIs:/ { sub(/^URIs:[[:space:]]*/, ""); u = $0 }
            END { if (u != "" && u !~ /security/) print u }
        ' /etc/apt/sources.list.d/debian.sources | head -n 1)
    fi
    if [[ -z "$uris" && -f /etc/apt/sources.list ]]; then
        uris=$(awk '$1 ~ /^deb(-src)?$/ {
                   for (i = 2; i <= NF; i++) if ($i ~ /^[a-z+]+:\/\//) { if ($i !~ /security/) { print $i; exit } }
               }' /etc/apt/sources.list)
    fi
    [[ -n "$uris" ]] || die "no Debian mirror entry found in /etc/apt/sources.list.d/debian.sources or /etc/apt/sources.list"
    echo "$uris"
}

download() {
    local apt_dir=$cache/vst3sdk-apt
    mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/archives/partial" "$downloads"
    local uris keyring=/usr/share/keyrings/debian-archive-keyring.gpg
    uris=$(mirror_uris)
    {
        echo "Types: deb-src"
        echo "URIs: $uris"
        echo "Suites: trixie"
        echo "Components: main"
        [[ -f "$keyring" ]] && echo "Signed-By: $keyring"
    } >"$apt_dir/sources.list.d/brisbleep-vst3sdk.sources"
    : >"$apt_dir/sources.list"

    local apt_options=(
        -o "Dir::Etc::SourceList=$apt_dir/sources.list"
        -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
        -o "Dir::State::Lists=$apt_dir/lists"
        -o "Dir::Cache=$apt_dir/cache"
        -o "Dir::Cache::Archives=$apt_dir/archives"
        -o "Dir::Cache::pkgcache="
        -o "Dir::Cache::srcpkgcache="
        -o "APT::Sandbox::User=$(id -un)"
        -o "Debug::NoLocking=1"
        -o "Acquire::Languages=none"
    )
    log "updating the private apt lists for trixie (deb-src from $uris)"
    apt-get "${apt_options[@]}" -qq update >&2 || die "apt-get update with the private configuration failed"
    log "downloading the vst3sdk source tarballs into $downloads"
    # The .dsc may fail to download; only the orig tarballs matter, and they are checked below.
    (cd "$downloads" && apt-get "${apt_options[@]}" -qq source --download-only vst3sdk >&2) || true
    have_all_tarballs || die "apt-get source did not deliver all six vst3sdk ${version} orig tarballs into $downloads"
}

have_all_tarballs || download

for entry in "${tarballs[@]}"; do
    IFS='|' read -r file sum _ <<<"$entry"
    actual=$(sha256sum "$downloads/$file" | cut -d' ' -f1)
    if [[ "$actual" != "$sum" ]]; then
        die "SHA-256 mismatch for $file: expected $sum, got $actual (delete $downloads to fetch again)"
    fi
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
