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

"$top/scripts/install-deps.sh"
missing=""
for p in $(grep -v '^[[:space:]]*#' "$here/packages.txt"); do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "Installing:$missing"
    if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update
    # shellcheck disable=SC2086
    $sudo apt-get install -y --no-install-recommends $missing
fi

cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"

mkdir -p "$scratch"
server="$scratch/server"
cleanup() { "$top/scripts/testservers.sh" stop "$server" || true; }
trap cleanup EXIT INT TERM
"$top/scripts/testservers.sh" stop "$server" || true
rm -rf "$server"
"$top/scripts/testservers.sh" start "$server"
# shellcheck disable=SC1091
. "$server/env"
# Debian's python3, the one python3-mysqldb belongs to.
/usr/bin/python3 "$here/harness.py" --build "$build" --dir "$scratch" "$@"
