#!/usr/bin/env bash
# The main job: shows what the build produced.
set -euo pipefail
build_dir=${1:-build}
echo "Built in $build_dir:"
find "$build_dir" -maxdepth 3 -type f \( -name '*.a' -o -name '*.so' -o -name 'brisbleep-render' \) -printf '  %p (%s bytes)\n' | sort

# The VST2 plug-in goes where hosts look for it (~/.vst).
if [[ -f "$build_dir/VST2/Brisbleep.so" ]]; then
    cmake --install "$build_dir" --component vst2 >/dev/null
    echo "VST2 plug-in installed: ${HOME}/.vst/Brisbleep.so"
fi
