#!/bin/bash
# Throwaway servers for the tests, on loopback only, in a folder of their own.
#   testservers.sh start DIR   start them; DIR/env holds the variables to source
#   testservers.sh stop DIR    stop them (safe to call twice)
# Each server is a function pair below; add new ones to SERVERS.
set -euo pipefail

SERVERS="mariadb"

free_port() {
    python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()'
}

wait_for() {   # wait_for SECONDS COMMAND...
    local limit=$1; shift
    for _ in $(seq 1 $((limit * 10))); do
        if "$@" >/dev/null 2>&1; then return 0; fi
        sleep 0.1
    done
    return 1
}

# --- MariaDB ---------------------------------------------------------------
TEST_DB_USER=vqtest
TEST_DB_PASSWORD='vq-Test-Pass1'

start_mariadb() {
    local dir=$1/mariadb
    mkdir -p "$dir"
    local port; port=$(free_port)
    mariadb-install-db --no-defaults --user="$(id -un)" --datadir="$dir/data" \
        --auth-root-authentication-method=socket --skip-test-db \
        >"$dir/install.log" 2>&1 || { cat "$dir/install.log" >&2; return 1; }
    mariadbd --no-defaults --user="$(id -un)" --datadir="$dir/data" \
        --socket="$dir/mysql.sock" --port="$port" --bind-address=127.0.0.1 \
        --pid-file="$dir/mysql.pid" --log-error="$dir/error.log" \
        --skip-name-resolve --max-allowed-packet=256M \
        --character-set-server=utf8mb4 --collation-server=utf8mb4_general_ci \
        --innodb-buffer-pool-size=256M --innodb-log-file-size=256M \
        >/dev/null 2>&1 &
    echo $! >"$dir/server.pid"
    if ! wait_for 60 mariadb-admin --no-defaults --socket="$dir/mysql.sock" -uroot ping; then
        echo "MariaDB did not start:" >&2; cat "$dir/error.log" >&2; return 1
    fi
    mariadb --no-defaults --socket="$dir/mysql.sock" -uroot <<SQL
DELETE FROM mysql.global_priv WHERE User='';
CREATE USER '$TEST_DB_USER'@'localhost' IDENTIFIED BY '$TEST_DB_PASSWORD';
CREATE USER '$TEST_DB_USER'@'%' IDENTIFIED BY '$TEST_DB_PASSWORD';
GRANT ALL PRIVILEGES ON *.* TO '$TEST_DB_USER'@'localhost' WITH GRANT OPTION;
GRANT ALL PRIVILEGES ON *.* TO '$TEST_DB_USER'@'%' WITH GRANT OPTION;
FLUSH PRIVILEGES;
SQL
    cat >>"$1/env" <<ENV
export VQ_TEST_DB_HOST=127.0.0.1
export VQ_TEST_DB_PORT=$port
export VQ_TEST_DB_SOCKET='$dir/mysql.sock'
export VQ_TEST_DB_USER='$TEST_DB_USER'
export VQ_TEST_DB_PASSWORD='$TEST_DB_PASSWORD'
ENV
    echo "MariaDB on 127.0.0.1:$port"
}

stop_mariadb() {
    local dir=$1/mariadb
    [ -f "$dir/server.pid" ] || return 0
    local pid; pid=$(cat "$dir/server.pid")
    if kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
        wait_for 30 sh -c "! kill -0 $pid" || kill -9 "$pid" 2>/dev/null || true
    fi
    rm -f "$dir/server.pid"
}

# ---------------------------------------------------------------------------
cmd=${1:-}; dir=${2:-}
[ -n "$cmd" ] && [ -n "$dir" ] || { echo "usage: $0 start|stop DIR" >&2; exit 2; }
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
case $cmd in
    start)
        : >"$dir/env"
        for s in $SERVERS; do
            if ! "start_$s" "$dir"; then
                for t in $SERVERS; do "stop_$t" "$dir" || true; done
                exit 1
            fi
        done ;;
    stop)
        for s in $SERVERS; do "stop_$s" "$dir" || true; done ;;
    *) echo "usage: $0 start|stop DIR" >&2; exit 2 ;;
esac
