#!/usr/bin/env bash
# Runs the test suites under the sanitizers, each in a build tree of its own:
#   1. every suite (and the VST3 validator) built with clang under AddressSanitizer and
#      UndefinedBehaviorSanitizer, where the first report aborts the test that made it;
#   2. the suites that run threads built with gcc under ThreadSanitizer (clang 14's shared TSan
#      runtime crashes at start-up on Debian 12; gcc's works).
#
#   tools/test-sanitize.sh [asan-build-dir] [tsan-build-dir]
#
# Defaults: build-asan and build-tsan at the top of the tree. Builds are lean (-O1, no benchmarks,
# no fuzzers); the fuzz smoke test has its own instrumented tree and is left to `make test`. The
# SDK's editorhost sample is left out too: its own start-up uses an object before it is constructed,
# which UBSan rightly stops; our editor runs under the sanitizers in the window suites instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
asan=${1:-$root/build-asan}
tsan=${2:-$root/build-tsan}
jobs=${JOBS:-$(nproc)}
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache); fi

# Suites that start threads of their own; TSan has nothing to say about the others.
threaded='engine_tests|frame_tests|recipes_tests|vst2_tests|vst3_tests|stress_host'

common=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DBRISBLEEP_BUILD_BENCHMARKS=OFF -DBRISBLEEP_BUILD_FUZZERS=OFF -DBRISBLEEP_SANITIZE=ON
        "${launcher[@]}")

# The suites scale their longest batches down when they see this.
export BRISBLEEP_SANITIZER_RUN=1

echo "test-sanitize: AddressSanitizer + UndefinedBehaviorSanitizer (clang) in $asan"
flags="-O1 -gline-tables-only -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=all"
CC=clang CXX=clang++ cmake -S "$root" -B "$asan" "${common[@]}" \
    -DCMAKE_C_FLAGS_RELEASE="$flags" -DCMAKE_CXX_FLAGS_RELEASE="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_MODULE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$asan" --parallel "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
LSAN_OPTIONS=suppressions=$root/tools/lsan-suppressions.txt \
    ctest --test-dir "$asan" --output-on-failure --parallel "$jobs" -E '^(fuzz_smoke|window_editorhost)$'

echo "test-sanitize: ThreadSanitizer (gcc) in $tsan"
flags="-O1 -g1 -fno-omit-frame-pointer -fsanitize=thread"
CC=gcc CXX=g++ cmake -S "$root" -B "$tsan" "${common[@]}" \
    -DCMAKE_C_FLAGS_RELEASE="$flags" -DCMAKE_CXX_FLAGS_RELEASE="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=thread" \
    -DCMAKE_MODULE_LINKER_FLAGS="-fsanitize=thread" >/dev/null
targets=$(ctest --test-dir "$tsan" -N -R "^($threaded)\$" | sed -n 's/^ *Test *#[0-9]*: //p')
cmake --build "$tsan" --parallel "$jobs" --target $targets
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
    ctest --test-dir "$tsan" --output-on-failure --parallel "$jobs" -R "^($threaded)\$"
echo "test-sanitize: no sanitizer reports"
