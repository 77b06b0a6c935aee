#!/bin/bash
# Start to exit of a command-line run that ends at once (a task file that is
# not there) beside small QtCore programs doing the same, interleaved:
#   bench/startup.sh [ROUNDS]      (default 200)
# VQ_BENCH_BUILD is the build folder (default build-bench).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/.." && pwd)
build=${VQ_BENCH_BUILD:-$top/build-bench}
rounds=${1:-200}

cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target vqstart vqpeer-qtcore vqpeer-qtcore-libs vqpeer-qtcore-libs-ssh-curl Vantorquill

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
# A home of its own: the run reads and writes its settings there.
HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data \
"$build/vqstart" "$rounds" \
    Vantorquill="$build/vantorquill/src/Vantorquill" \
    qtcore+libraries="$build/vqpeer-qtcore-libs" \
    qtcore+libs+ssh+curl="$build/vqpeer-qtcore-libs-ssh-curl" \
    qtcore="$build/vqpeer-qtcore" \
    -- "task=$home/missing.elt"
