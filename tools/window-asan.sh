#!/usr/bin/env bash
# Builds the editor-window tests with AddressSanitizer in their own build tree and runs them in Xvfb:
# opening and closing the editor again and again (VST2 plug-in and VST3 view), two instances at once,
# an instance, a view or a host window destroyed under an open editor. Any sanitizer report fails the
# run.
#
#   tools/window-asan.sh [build-dir]
#
# Default build/window-asan. Leaks inside the system's X and font libraries are theirs and not reported.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/window-asan}
jobs=${WINDOW_ASAN_JOBS:-2}

flags="-fsanitize=address -fno-omit-frame-pointer -g"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
    -DBRISBLEEP_BUILD_VST3=ON -DBRISBLEEP_BUILD_BENCHMARKS=OFF \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address" -DCMAKE_MODULE_LINKER_FLAGS="-fsanitize=address" \
    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address" >/dev/null
suites=(window_vst2_tests window_vst3_tests window_editor_tests)
cmake --build "$build" --parallel "$jobs" --target "${suites[@]}"

suppressions="$build/lsan-suppressions.txt"
printf '%s\n' "leak:libX11.so" "leak:libfontconfig.so" "leak:libfreetype.so" "leak:libxcb.so" >"$suppressions"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$suppressions:print_suppressions=0"
status=0
for suite in "${suites[@]}"; do
    echo "window-asan: $suite"
    if ! xvfb-run -a -s "-screen 0 1800x1000x24 -nolisten tcp -noreset" \
        "$build/tests/window/$suite" --gtest_brief=1 >"$build/$suite.log" 2>&1; then
        echo "window-asan: $suite failed; see $build/$suite.log" >&2
        tail -n 60 "$build/$suite.log" >&2
        status=1
    fi
done
exit $status
