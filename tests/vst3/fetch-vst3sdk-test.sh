#!/usr/bin/env bash
# How the SDK fetch script fails: a VST3_SDK_ROOT without an SDK and cached tarballs whose SHA-256
# differs from the pinned value each stop it with exit status 1 and a message naming the problem, and
# a damaged cache unpacks nothing. A real SDK root comes back as the last line of output. Nothing here
# touches the network: the damaged cache already holds all six tarballs.
#
#   fetch-vst3sdk-test.sh <fetch-script> <unpacked-sdk-root>
set -u
script=$1
sdk_root=$2
stem='vst3sdk_3.7.10.14+~4.13.3.orig'

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*"
    [[ -f "$work/err" ]] && sed 's/^/  stderr: /' "$work/err"
    exit 1
}

# A root that holds no SDK.
mkdir "$work/empty"
out=$(VST3_SDK_ROOT="$work/empty" "$script" 2>"$work/err")
status=$?
[[ $status -eq 1 ]] || fail "a VST3_SDK_ROOT without an SDK gave exit status $status"
grep -q "VST3_SDK_ROOT=$work/empty does not hold an unpacked SDK" "$work/err" ||
    fail "no clear message for a VST3_SDK_ROOT without an SDK"
[[ -z "$out" ]] || fail "a VST3_SDK_ROOT without an SDK still printed a root: $out"

# Six cached tarballs with the wrong content.
cache=$work/cache
mkdir -p "$cache/vst3sdk-downloads"
for part in "" -base -cmake -pluginterfaces -public-sdk -vstgui4; do
    echo damaged >"$cache/vst3sdk-downloads/$stem$part.tar.gz"
done
out=$(env -u VST3_SDK_ROOT "$script" "$cache" 2>"$work/err")
status=$?
[[ $status -eq 1 ]] || fail "damaged tarballs gave exit status $status"
grep -q "SHA-256 mismatch for $stem.tar.gz: expected 0c9fa7b578f8549d6ce6efeb427e9c7df8ca0e018bea13a523b78bb167663b81" \
    "$work/err" || fail "no clear message for a damaged tarball"
[[ -z "$out" ]] || fail "damaged tarballs still printed a root: $out"
leftovers=$(find "$cache" -mindepth 1 -maxdepth 1 -name 'vst3sdk-3*' -o -mindepth 1 -maxdepth 1 -name 'vst3sdk-staging*')
[[ -z "$leftovers" ]] || fail "damaged tarballs left an unpacked tree: $leftovers"

# A real root is taken as it is.
rm -f "$work/err"
out=$(VST3_SDK_ROOT="$sdk_root" "$script" 2>"$work/err")
status=$?
[[ $status -eq 0 ]] || fail "a real SDK root gave exit status $status"
[[ "$(tail -n 1 <<<"$out")" == "$sdk_root" ]] || fail "a real SDK root came back as '$out'"
echo "fetch-vst3sdk failures: all cases pass"
