#!/usr/bin/env bash
# Runs a cross-built Windows program under Wine, in the Wine prefix of the build tree it belongs to:
#
#   tools/wine-run.sh [--display] <build-dir> <program.exe> [arguments...]
#
# The prefix (<build-dir>/wineprefix) is created on first use. Wine's own diagnostics are off, so a
# test's output is its own. Programs that open windows run with --display (under xvfb-run) in a prefix
# of their own (<build-dir>/wineprefix-display): a prefix's Wine server keeps the display it started
# with, so a windowless program running at the same time must not have started it.
set -euo pipefail
prefix_name=wineprefix
if [[ "${1:-}" == --display ]]; then
    prefix_name=wineprefix-display
    shift
fi
build_dir=$1
shift
export WINEPREFIX=$build_dir/$prefix_name
export WINEDEBUG=-all
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
[[ -x "$wine" ]] || { echo "wine-run: Wine is not installed (package wine64)" >&2; exit 127; }
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    mkdir -p "$WINEPREFIX"
    (
        flock 9
        [[ -f "$WINEPREFIX/system.reg" ]] || "$wine" wineboot --init >/dev/null 2>&1 || true
    ) 9>"$build_dir/.$prefix_name.lock"
fi
if [[ "$prefix_name" == wineprefix ]]; then
    exec "$wine" "$@"
fi
# The display goes with this run: the prefix's server (and its desktop) stop with the program, so the
# next run starts them on its own display.
status=0
"$wine" "$@" || status=$?
wineserver=$(command -v wineserver || echo "$(dirname "$(readlink -f "$wine")")/wineserver")
"$wineserver" -k >/dev/null 2>&1 || true
"$wineserver" -w >/dev/null 2>&1 || true
exit "$status"
