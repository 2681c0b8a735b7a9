#!/bin/bash
# Runs the SDK's editorhost sample on the module for a few seconds (inside an X server started by the
# caller) and checks the editor it shows: editorhost-test.sh EDITORHOST BUNDLE CHECKER SCREENSHOT
set -u
editorhost=$1 bundle=$2 checker=$3 screenshot=$4
log=$(mktemp)
trap 'rm -f "$log"' EXIT

"$checker" --intern-atoms || exit 1
"$editorhost" "$bundle" >"$log" 2>&1 &
host=$!
"$checker" "$screenshot"
status=$?
if ! kill -0 "$host" 2>/dev/null; then
    echo "editorhost stopped by itself:"
    cat "$log"
    exit 1
fi
kill "$host"
wait "$host" 2>/dev/null
# The toolkit's own complaints about the desktop session (no accessibility bus, no settings daemon
# under Xvfb) are not the host's.
if grep -viE "^\(?[a-z_-]*:?[0-9]*\)?:? *(Gtk|Gdk|GLib|GLib-GIO|dbind|atk|at-spi)" "$log" |
    grep -qiE "error|fail|could not"; then
    echo "editorhost reported:"
    cat "$log"
    exit 1
fi
exit $status
