#!/bin/sh
# Configures and builds in build/ (or $VQ_BUILD_DIR).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VQ_BUILD_DIR:-$top/build}
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=${VQ_BUILD_TYPE:-RelWithDebInfo} >/dev/null
cmake --build "$build" -j "$(nproc)"
