#!/usr/bin/env bash
# Shared by the fetch scripts: downloads the files of a Debian source package with an apt configuration
# of its own (sources, lists and archives under a cache directory), so nothing of the system's apt
# set-up is changed. The mirror URIs are copied from the machine's own Debian entry. Meant to be
# sourced; the caller defines log and die.

# The URIs of the machine's main Debian archive entry (not the security one).
debian_mirror_uris() {
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

# debian_source_download <apt-dir> <suite> <download-dir> <source-package...>
# Runs apt-get source --download-only for the packages of that suite into download-dir. Failures of
# single files (a .dsc, say) are left to the caller, which checks the files it needs.
debian_source_download() {
    local apt_dir=$1 suite=$2 downloads=$3
    shift 3
    mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/archives/partial" "$downloads"
    local uris keyring=/usr/share/keyrings/debian-archive-keyring.gpg
    uris=$(debian_mirror_uris)
    {
        echo "Types: deb-src"
        echo "URIs: $uris"
        echo "Suites: $suite"
        echo "Components: main"
        [[ -f "$keyring" ]] && echo "Signed-By: $keyring"
    } >"$apt_dir/sources.list.d/brisbleep-$suite.sources"
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
    log "updating the private apt lists for $suite (deb-src from $uris)"
    apt-get "${apt_options[@]}" -qq update >&2 || die "apt-get update with the private configuration failed"
    log "downloading the sources of $* into $downloads"
    (cd "$downloads" && apt-get "${apt_options[@]}" -qq source --download-only "$@" >&2) || true
}

# debian_source_check <file> <sha256>: stops with a clear message when the file's SHA-256 differs.
debian_source_check() {
    local actual
    actual=$(sha256sum "$1" | cut -d' ' -f1)
    [[ "$actual" == "$2" ]] ||
        die "SHA-256 mismatch for $(basename "$1"): expected $2, got $actual (delete it to fetch again)"
}
