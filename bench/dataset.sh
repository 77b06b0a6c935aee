#!/bin/bash
# The editable data set beside a C client (dataset/vqopenc.c) in one run:
# - time to the first 15 rows of "select * from t" on 10,000, 100,000 and
#   1,000,000 rows of an INT key and a 4 KiB BLOB (first, uncached open apart;
#   then the best of the runs on one connection) and the peak memory;
# - a 64 MiB value loaded from a file and posted, against a chunked prepared
#   UPDATE in C; the peak memory over the connect-only baseline;
# - a drain of the largest table: the memory its kept rows take.
# VQ_BENCH_DIR is the scratch folder (default /tmp/vq-bench), VQ_BENCH_BUILD
# the build folder. The tables are made once and kept in the server's folder
# for the run only.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/.." && pwd)
scratch=${VQ_BENCH_DIR:-/tmp/vq-bench}
build=${VQ_BENCH_BUILD:-$top/build-bench}
runs=${VQ_BENCH_RUNS:-6}

cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target vqopen vqopenc

mkdir -p "$scratch"
# shellcheck source=server.sh
. "$here/server.sh"
bench_start_server "$scratch/server-dataset"
export VQ_BENCH_DB=vqbench_ds
sql() { mariadb --no-defaults --socket="$VQ_TEST_DB_SOCKET" -u"$(id -un)" "$@"; }

echo "Making the tables..."
sql -e "CREATE DATABASE $VQ_BENCH_DB"
for n in 10000 100000 1000000; do
    sql "$VQ_BENCH_DB" -e "CREATE TABLE t$n (id INT PRIMARY KEY, b BLOB) ENGINE=InnoDB;
        INSERT INTO t$n SELECT seq, REPEAT(MD5(seq), 128) FROM seq_1_to_$n;"
done
sql "$VQ_BENCH_DB" -e "CREATE TABLE t64 (id INT PRIMARY KEY, b LONGBLOB); INSERT INTO t64 VALUES (1, '');"
file="$scratch/value64.bin"
head -c $((64 << 20)) /dev/urandom >"$file"

value() { sed -n "s/^$1=//p"; }
printf '\n%-10s %-12s %14s %14s %12s\n' rows contender first_open_ms best_open_ms peak_kb
for n in 10000 100000 1000000; do
    for c in c vantorquill; do
        if [ $c = c ]; then out=$("$build/vqopenc" open "t$n" "$runs"); else out=$("$build/vqopen" open "t$n" "$runs"); fi
        printf '%-10s %-12s %14s %14s %12s\n' "$n" "$c" "$(value first_ms <<<"$out")" \
            "$(value best_ms <<<"$out")" "$(value peak_kb <<<"$out")"
    done
done

printf '\n%-12s %12s %12s %22s\n' contender post_ms load_ms peak_over_baseline_kb
for _ in 1 2 3; do
    out=$("$build/vqopenc" update "$file")
    printf '%-12s %12s %12s %22s\n' c "$(value post_ms <<<"$out")" - "$(value peak_over_baseline_kb <<<"$out")"
    out=$("$build/vqopen" post "$file")
    printf '%-12s %12s %12s %22s\n' vantorquill "$(value post_ms <<<"$out")" "$(value load_ms <<<"$out")" \
        "$(value peak_over_baseline_kb <<<"$out")"
done
sql "$VQ_BENCH_DB" -N -e "SELECT CONCAT('server sha2: ', SHA2(b, 256)) FROM t64"
echo "file sha2:   $(sha256sum "$file" | cut -d' ' -f1)"

echo
"$build/vqopen" drain t1000000
rm -f "$file"
