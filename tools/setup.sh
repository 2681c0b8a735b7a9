#!/usr/bin/env bash
# Makes a fresh Debian 12 machine ready to build and test Brisbleep.
# Installs only the packages that are missing, so running it again is cheap.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    libpng-dev zlib1g-dev
    libsndfile1-dev libcli11-dev libebur128-dev nlohmann-json3-dev
    libx11-dev libxext-dev libxtst-dev xvfb xauth libgtkmm-3.0-dev
    libfreetype-dev libfontconfig-dev fonts-liberation2
    emscripten node-acorn optipng fonttools chromium
    clang libclang-rt-14-dev
    g++-mingw-w64-x86-64-posix wine64
    dpkg-dev ca-certificates
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done

if ((${#missing[@]} == 0)); then
    echo "setup: all ${#packages[@]} packages present"
    exit 0
fi

sudo_cmd=()
if ((EUID != 0)); then
    sudo_cmd=(sudo)
fi

echo "setup: installing ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
