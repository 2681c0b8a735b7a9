#!/usr/bin/env bash
# The main job: shows what the build produced.
set -euo pipefail
build_dir=${1:-build}
echo "Built in $build_dir:"
find "$build_dir" -maxdepth 3 -type f \( -name '*.a' -o -name '*.so' -o -name 'brisbleep-render' \) -printf '  %p (%s bytes)\n' | sort
