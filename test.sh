#!/bin/sh
# Installs what is missing, builds, starts the test servers, runs every test.
set -eu
top=$(cd "$(dirname "$0")" && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
build=${VQ_BUILD_DIR:-$top/build}
exec "$top/scripts/with-test-servers.sh" \
    ctest --test-dir "$build" --output-on-failure -j "$(nproc)" "$@"
