#!/bin/sh
# The browser tests of the web edition: web/tests/run.sh <site-dir> <native-build-dir>
#
# Installs puppeteer-core (npm ci, once per lock file) into a cache folder, then runs the tests with
# node's test runner; they serve the site on a free loopback port and drive headless Chromium.
# BRISBLEEP_WEB_TEST_CACHE overrides the cache folder, BB_CHROMIUM the browser binary.
set -eu

if [ $# -ne 2 ]; then
    echo "usage: $0 <site-dir> <native-build-dir>" >&2
    exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
site=$(cd "$1" && pwd)
native=$(cd "$2" && pwd)
chromium=${BB_CHROMIUM:-/usr/bin/chromium}

for f in "$site/index.html" "$site/app.js" "$site/audio-worklet.js" "$site/brisbleep.js" "$site/brisbleep.wasm" \
    "$site/brisbleep-audio.wasm" "$native/cli/brisbleep-render"; do
    if [ ! -f "$f" ]; then
        echo "$0: $f is missing (build the site and the native renderer first)" >&2
        exit 1
    fi
done
if [ ! -x "$chromium" ]; then
    echo "$0: no browser at $chromium (Debian's chromium package)" >&2
    exit 1
fi

cache=${BRISBLEEP_WEB_TEST_CACHE:-$native/web-tests-node}
mkdir -p "$cache"
if ! cmp -s "$here/package-lock.json" "$cache/installed-lock.json" || [ ! -d "$cache/node_modules/puppeteer-core" ]; then
    rm -f "$cache/installed-lock.json"
    cp "$here/package.json" "$here/package-lock.json" "$cache/"
    # puppeteer-core downloads no browser; the scripts of its dependencies are not needed either.
    (cd "$cache" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --ignore-scripts --no-audit --no-fund --loglevel=error)
    cp "$here/package-lock.json" "$cache/installed-lock.json"
fi

export BB_SITE="$site" BB_NATIVE="$native" BB_NODE_MODULES="$cache/node_modules" BB_CHROMIUM="$chromium"
exec node --test --test-concurrency=1 "$here/page.test.mjs" "$here/audio.test.mjs"
