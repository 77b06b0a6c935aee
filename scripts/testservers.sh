#!/bin/bash
# Throwaway servers for the tests, on loopback only, in a folder of their own.
#   testservers.sh start DIR [SERVER...]   start them (all, or those named);
#                                          DIR/env holds the variables to source
#   testservers.sh stop DIR                stop them (safe to call twice)
# Each server is a function pair below; add new ones to SERVERS.
set -euo pipefail

SERVERS="mariadb sshd http"

# shellcheck source=server-util.sh
. "$(dirname "$0")/server-util.sh"

# Runs a command as root: directly, or through sudo.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Ends the server whose process id PIDFILE holds (by force after 30 seconds)
# and removes PIDFILE; PREFIX runs the kill (as_root for a server of root's).
stop_server() {   # stop_server PIDFILE [PREFIX...]
    local pidfile=$1; shift
    [ -f "$pidfile" ] || return 0
    local pid; pid=$(cat "$pidfile")
    if alive "$pid"; then
        "$@" kill "$pid" 2>/dev/null || true
        wait_for 30 sh -c "[ ! -d /proc/$pid ]" || "$@" kill -9 "$pid" 2>/dev/null || true
    fi
    if alive "$pid"; then
        echo "The server of $pidfile (process $pid) did not stop" >&2
        return 1
    fi
    rm -f "$pidfile"
}

# --- MariaDB ---------------------------------------------------------------
TEST_DB_USER=vqtest
TEST_DB_PASSWORD='vq-Test-Pass1'

start_mariadb() {
    local dir=$1/mariadb
    rm -rf "$dir"   # the data of an earlier run would clash with the new users
    mkdir -p "$dir"
    # A start that fails with nothing else wrong (a port taken between its
    # choice and its use, a slow first start) gets one more try afresh.
    if try_start_mariadb "$1"; then return 0; fi
    echo "MariaDB did not come up (its logs are above); trying once more with a fresh data folder and port" >&2
    stop_mariadb "$1" || true
    mkdir -p "$dir"
    if try_start_mariadb "$1"; then return 0; fi
    echo "MariaDB did not come up on the second try either" >&2
    return 1
}

# One start: a data folder of its own under a private temporary folder (gone
# at stop), a free port, the test users. Runs under "if": every failing step
# returns on its own.
try_start_mariadb() {
    local dir=$1/mariadb
    local data; data=$(mktemp -d "${TMPDIR:-/tmp}/vq-mariadb.XXXXXX") || return 1
    echo "$data" >"$dir/datadir"
    local port; port=$(free_port) || return 1
    # Temporary tables stay in the private folder too: other servers share /tmp.
    mkdir -p "$data/tmp" || return 1
    mariadb-install-db --no-defaults --user="$(id -un)" --datadir="$data/data" --tmpdir="$data/tmp" \
        --auth-root-authentication-method=socket --skip-test-db \
        >"$dir/install.log" 2>&1 || { echo "mariadb-install-db failed:" >&2; cat "$dir/install.log" >&2; return 1; }
    # /usr/sbin is not on a normal user's PATH; what fails before the server's
    # own log opens goes to that log too.
    : >"$dir/error.log"
    /usr/sbin/mariadbd --no-defaults --user="$(id -un)" --datadir="$data/data" --tmpdir="$data/tmp" \
        --socket="$dir/mysql.sock" --port="$port" --bind-address=127.0.0.1 \
        --pid-file="$dir/mysql.pid" --log-error="$dir/error.log" \
        --skip-name-resolve --max-allowed-packet=256M \
        --character-set-server=utf8mb4 --collation-server=utf8mb4_general_ci \
        --innodb-buffer-pool-size=256M --innodb-log-file-size=256M \
        >/dev/null 2>>"$dir/error.log" &
    echo $! >"$dir/server.pid"
    # The administrator is the system user, logged on through the socket.
    if ! wait_for 60 mariadb-admin --no-defaults --socket="$dir/mysql.sock" -u"$(id -un)" ping; then
        echo "MariaDB did not start on port $port:" >&2; cat "$dir/error.log" >&2; return 1
    fi
    mariadb --no-defaults --socket="$dir/mysql.sock" -u"$(id -un)" <<SQL || { echo "The test users could not be made" >&2; return 1; }
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
    stop_server "$dir/server.pid" || return 1
    if [ -f "$dir/datadir" ]; then
        local data; data=$(cat "$dir/datadir")
        case $data in "${TMPDIR:-/tmp}"/vq-mariadb.*) rm -rf "$data" ;; esac
        rm -f "$dir/datadir"
    fi
}

# --- OpenSSH sshd ------------------------------------------------------------
# Password authentication and TCP forwarding for a test user that this script
# creates; both need root (as CI runs) or sudo. Nothing of the machine's own
# sshd is touched.
TEST_SSH_USER=vqsshtest
TEST_SSH_PASSWORD='vq-Ssh-Pass1'

start_sshd() {
    local dir=$1/sshd
    rm -rf "$dir"   # ssh-keygen would stop at its overwrite question
    mkdir -p "$dir"
    if [ "$(id -u)" -ne 0 ] && ! { command -v sudo >/dev/null && sudo -v; }; then
        echo "sshd: the test user and the server need root or sudo; the SSH tests will fail" >&2
        return 0
    fi
    if ! id "$TEST_SSH_USER" >/dev/null 2>&1; then
        as_root useradd --create-home --shell /bin/sh "$TEST_SSH_USER"
    fi
    echo "$TEST_SSH_USER:$TEST_SSH_PASSWORD" | as_root chpasswd
    as_root mkdir -p /run/sshd
    as_root chmod 0755 /run/sshd
    ssh-keygen -q -t ed25519 -N '' -f "$dir/host_ed25519" -C vq-test-host
    local port; port=$(free_port)
    cat >"$dir/sshd_config" <<CONF
Port $port
ListenAddress 127.0.0.1
HostKey $dir/host_ed25519
PidFile $dir/sshd.pid
UsePAM no
PasswordAuthentication yes
KbdInteractiveAuthentication no
PubkeyAuthentication no
PermitRootLogin no
AllowTcpForwarding yes
AllowUsers $TEST_SSH_USER
StrictModes no
LogLevel INFO
# Test suites log on from many processes at once.
MaxStartups 200
CONF
    as_root /usr/sbin/sshd -f "$dir/sshd_config" -E "$dir/sshd.log" || { cat "$dir/sshd.log" >&2; return 1; }
    if ! wait_for 20 test -s "$dir/sshd.pid"; then
        echo "sshd did not start:" >&2; cat "$dir/sshd.log" >&2; return 1
    fi
    cat >>"$1/env" <<ENV
export VQ_TEST_SSH_HOST=127.0.0.1
export VQ_TEST_SSH_PORT=$port
export VQ_TEST_SSH_USER='$TEST_SSH_USER'
export VQ_TEST_SSH_PASSWORD='$TEST_SSH_PASSWORD'
export VQ_TEST_SSH_HOST_KEY='$dir/host_ed25519.pub'
ENV
    echo "sshd on 127.0.0.1:$port"
}

stop_sshd() {
    stop_server "$1/sshd/sshd.pid" as_root
}

# --- HTTP ----------------------------------------------------------------------
# Python's own server (scripts/http-test-server.py): tests set the answers of
# their paths and read back the requests it received.
start_http() {
    local dir=$1/http
    rm -rf "$dir"
    mkdir -p "$dir"
    python3 "$(dirname "$0")/http-test-server.py" --port-file "$dir/port" \
        >"$dir/server.log" 2>&1 &
    echo $! >"$dir/server.pid"
    if ! wait_for 20 test -s "$dir/port"; then
        echo "The HTTP test server did not start:" >&2; cat "$dir/server.log" >&2; return 1
    fi
    local port; port=$(cat "$dir/port")
    echo "export VQ_TEST_HTTP_URL=http://127.0.0.1:$port/" >>"$1/env"
    echo "HTTP on 127.0.0.1:$port"
}

stop_http() {
    stop_server "$1/http/server.pid"
}

# Whether a server of an earlier start in DIR still runs (its pid file is alive).
still_running() {
    local pidfile
    for pidfile in "$1"/*/*.pid; do
        [ -f "$pidfile" ] && alive "$(cat "$pidfile")" && return 0
    done
    return 1
}

# ---------------------------------------------------------------------------
usage() { echo "usage: $0 start DIR [SERVER...] | stop DIR (servers: $SERVERS)" >&2; exit 2; }
cmd=${1:-}; dir=${2:-}
[ -n "$cmd" ] && [ -n "$dir" ] || usage
shift 2
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
case $cmd in
    start)
        # A used folder starts afresh; one whose servers still run is refused.
        if still_running "$dir"; then
            echo "Test servers of $dir are still running; stop them first: $0 stop $dir" >&2
            exit 1
        fi
        servers=${*:-$SERVERS}
        for s in $servers; do
            declare -F "start_$s" >/dev/null || usage
        done
        : >"$dir/env"
        # A failed step stops what has started (not run under "if", where
        # set -e would not stop at the step).
        trap 'for t in $SERVERS; do "stop_$t" "$dir" || true; done' EXIT
        for s in $servers; do "start_$s" "$dir"; done
        trap - EXIT ;;
    stop)
        [ $# -eq 0 ] || usage
        status=0
        for s in $SERVERS; do "stop_$s" "$dir" || status=1; done
        exit $status ;;
    *) usage ;;
esac
