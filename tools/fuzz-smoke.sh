#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer on, everything instrumented) in their
# own build tree and runs each one briefly from its seed corpus.
#
#   tools/fuzz-smoke.sh [build-dir] [seconds-per-target]
#
# Defaults: build/fuzz-smoke and 5 seconds. A crash, leak or sanitizer report fails the run and
# leaves the reproducer in <build-dir>/artifacts/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/fuzz-smoke}
seconds=${2:-5}
jobs=${FUZZ_JOBS:-2}

if ! command -v clang++ >/dev/null; then
    echo "fuzz-smoke: clang++ is missing (tools/setup.sh installs it)" >&2
    exit 1
fi

flags="-fsanitize=fuzzer-no-link,address -fno-omit-frame-pointer -g"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DBRISBLEEP_BUILD_FUZZERS=ON -DBRISBLEEP_BUILD_TESTS=OFF -DBRISBLEEP_BUILD_BENCHMARKS=OFF \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address" >/dev/null
cmake --build "$build" --parallel "$jobs" --target brisbleep_fuzzers

mkdir -p "$build/artifacts"
status=0
for corpus in "$root"/fuzz/corpus/*/; do
    name=$(basename "$corpus")
    target="$build/fuzz/${name}_fuzzer"
    if [[ ! -x "$target" ]]; then
        echo "fuzz-smoke: no target ${name}_fuzzer for fuzz/corpus/$name" >&2
        status=1
        continue
    fi
    # New inputs go to a scratch corpus; the committed seeds stay as they are.
    work="$build/corpus/$name"
    mkdir -p "$work"
    echo "fuzz-smoke: ${name}_fuzzer for ${seconds}s"
    if ! "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -malloc_limit_mb=4096 \
        -print_final_stats=1 -artifact_prefix="$build/artifacts/${name}-" "$work" "$corpus" \
        >"$build/$name.log" 2>&1; then
        echo "fuzz-smoke: ${name}_fuzzer failed; see $build/$name.log" >&2
        tail -n 40 "$build/$name.log" >&2
        status=1
    else
        grep -E "stat::number_of_executed_units|cov:" "$build/$name.log" | tail -n 2
    fi
done
exit $status
