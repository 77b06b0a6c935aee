# Sourced by the benchmark scripts: starts a throwaway MariaDB in folder $1
# (afresh), stops it when the script ends, and exports its variables.
bench_start_server() {
    local top; top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
    bench_server=$1
    mkdir -p "$(dirname "$bench_server")"
    trap '"'"$top"'/scripts/testservers.sh" stop "$bench_server" || true' EXIT INT TERM
    "$top/scripts/testservers.sh" stop "$bench_server" || true
    rm -rf "$bench_server"
    "$top/scripts/testservers.sh" start "$bench_server" mariadb
    # shellcheck disable=SC1091
    . "$bench_server/env"
}
