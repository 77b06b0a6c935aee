#!/bin/bash
# Installs what the benchmarks need, builds them, starts a throwaway MariaDB
# and runs import, export and merge for every contender on every data set.
# Options go to harness.py (--help); VQ_BENCH_DIR is the scratch folder
# (default /tmp/vq-bench), VQ_BENCH_BUILD the build folder.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/.." && pwd)
scratch=${VQ_BENCH_DIR:-/tmp/vq-bench}
build=${VQ_BENCH_BUILD:-$top/build-bench}

"$top/scripts/install-deps.sh" "$top/scripts/packages.txt" "$here/packages.txt"

cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"

mkdir -p "$scratch"
# shellcheck source=server.sh
. "$here/server.sh"
bench_start_server "$scratch/server"
# Debian's python3, the one python3-mysqldb belongs to.
/usr/bin/python3 "$here/harness.py" --build "$build" --dir "$scratch" "$@"
