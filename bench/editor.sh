#!/bin/bash
# The field editor on large binary values beside a C client, in one run:
# - the click to the first hex rows of the editor on a 1 KiB, a 64 MiB and a
#   512 MiB value, and the peak memory growth from before the query; the C
#   client fetches the same row with mysql_stmt_fetch_column (editor/vqeditc.c);
# - the Text and Rich tabs on a 50 MiB value: the time until the whole value
#   is in, the longest the window was held, the memory, the resident size
#   after the editor closes against before it opened, and Escape pressed
#   while the value loads.
# VQ_BENCH_DIR is the scratch folder (default /tmp/vq-bench), VQ_BENCH_BUILD
# the build folder, VQ_BENCH_RUNS the rounds (default 3; the best is shown).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/.." && pwd)
scratch=${VQ_BENCH_DIR:-/tmp/vq-bench}
build=${VQ_BENCH_BUILD:-$top/build-bench}
runs=${VQ_BENCH_RUNS:-3}

cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "${VQ_BENCH_JOBS:-$(nproc)}" --target vqedit vqeditc

mkdir -p "$scratch"
# shellcheck source=server.sh
. "$here/server.sh"
bench_start_server "$scratch/server-editor"
export VQ_BENCH_DB=vqbench_ed
sql() { mariadb --no-defaults --socket="$VQ_TEST_DB_SOCKET" -u"$(id -un)" "$@"; }

echo "Making the values..."
# A 512 MiB value is over the server's default packet limit.
sql -e "SET GLOBAL max_allowed_packet = 1073741824; CREATE DATABASE $VQ_BENCH_DB"
declare -A bytes=([t1k]=1024 [t50m]=$((50 << 20)) [t64m]=$((64 << 20)) [t512m]=$((512 << 20)))
for t in t1k t50m t64m t512m; do
    "$build/vqeditc" fill "$t" "${bytes[$t]}"
done

value() { sed -n "s/^$1=//p"; }
best() { sort -n | head -1; }
declare -A ms growth
for _ in $(seq "$runs"); do
    for t in t1k t64m t512m; do
        out=$("$build/vqeditc" fetch "$t")
        ms[c,$t]+="$(value fetch_ms <<<"$out") "
        growth[c,$t]+="$(value growth_kb <<<"$out") "
        out=$(QT_QPA_PLATFORM=offscreen "$build/vqedit" hex "$t")
        [ "$(value tab <<<"$out")" = Hex ] || echo "warning: $t opened on $(value tab <<<"$out")"
        ms[vq,$t]+="$(value click_to_rows_ms <<<"$out") "
        growth[vq,$t]+="$(value growth_kb <<<"$out") "
    done
done

printf '\nFirst hex rows (best of %s; C: the fetch of the row, ours: the click to the painted rows)\n' "$runs"
printf '%-8s %-12s %12s %14s %14s\n' value contender ms growth_MiB growth/value
for t in t1k t64m t512m; do
    for c in c vq; do
        m=$(tr ' ' '\n' <<<"${ms[$c,$t]}" | grep . | best)
        g=$(tr ' ' '\n' <<<"${growth[$c,$t]}" | grep . | best)
        name=$([ $c = c ] && echo c-fetch || echo vantorquill)
        printf '%-8s %-12s %12.1f %14.1f %14.2f\n' "$t" "$name" "$m" "$(bc -l <<<"$g / 1024")" \
            "$(bc -l <<<"$g * 1024 / ${bytes[$t]}")"
    done
done

printf '\nText and Rich tabs on a 50 MiB value (each run once per round; the last round shown)\n'
printf '%-12s %10s %12s %12s %14s %16s %12s\n' tab loaded_ms longest_ms growth_MiB rss_before_MiB rss_after_close_MiB escape_ms
declare -A line
for _ in $(seq "$runs"); do
    for tab in text rich; do
        out=$(QT_QPA_PLATFORM=offscreen "$build/vqedit" "$tab" t50m)
        esc=$(QT_QPA_PLATFORM=offscreen "$build/vqedit" "$tab-escape" t50m)
        line[$tab]=$(printf '%-12s %10.0f %12.1f %12.1f %14.1f %16.1f %12.1f' "$tab" "$(value loaded_ms <<<"$out")" \
            "$(value longest_hold_ms <<<"$out")" "$(bc -l <<<"$(value growth_kb <<<"$out") / 1024")" \
            "$(bc -l <<<"$(value rss_before_kb <<<"$out") / 1024")" \
            "$(bc -l <<<"$(value rss_after_close_kb <<<"$out") / 1024")" \
            "$(value escape_to_closed_ms <<<"$esc")")
    done
done
printf '%s\n%s\n' "${line[text]}" "${line[rich]}"
