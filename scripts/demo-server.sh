#!/bin/bash
# The user's own demo MariaDB server, kept in the per-user data folder
# ($XDG_DATA_HOME/Vantorquill/demo) and listening on 127.0.0.1 only:
#   demo-server.sh start   start it (or reuse the running one), create the demo
#                          database and write the example tasks for it
#   demo-server.sh stop    stop it (its data stays for the next start)
#   demo-server.sh sql     a mariadb client session on it as administrator
# After start, $VQ_DEMO_DIR/env holds the connection as shell variables.
set -euo pipefail
umask 077

top=$(cd "$(dirname "$0")/.." && pwd)
base=${XDG_DATA_HOME:-$HOME/.local/share}/Vantorquill/demo
server=$base/server
data=$server/data
user=vantorquill
database=vqdemo

socket=$server/mysql.sock
# A Unix socket path is limited to about 100 bytes.
if [ ${#socket} -gt 100 ]; then
    socket=${XDG_RUNTIME_DIR:-/tmp}/vantorquill-demo-$(id -u).sock
fi

# shellcheck source=server-util.sh
. "$(dirname "$0")/server-util.sh"

# Tested as the server binds it (with SO_REUSEADDR): the connections of its
# last run that linger in TIME_WAIT do not hold the port.
port_free() {
    python3 -c 'import socket,sys
s=socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("127.0.0.1",int(sys.argv[1]))); s.close()' "$1" 2>/dev/null
}

# The administrator is the system user, logged on through the socket.
admin() {
    mariadb --no-defaults --socket="$socket" -u"$(id -un)" "$@"
}

running() {
    [ -f "$server/server.pid" ] && kill -0 "$(cat "$server/server.pid")" 2>/dev/null \
        && mariadb-admin --no-defaults --socket="$socket" -u"$(id -un)" ping >/dev/null 2>&1
}

start_server() {
    mkdir -p "$server"
    chmod 700 "$base" "$server"
    # Temporary tables in a folder of the server's own: other servers on the
    # machine share /tmp.
    mkdir -p "$server/tmp"
    chmod 700 "$server/tmp"
    if [ ! -d "$data/mysql" ]; then
        rm -rf "$data"
        echo "Creating the demo server's data in $data"
        mariadb-install-db --no-defaults --user="$(id -un)" --datadir="$data" --tmpdir="$server/tmp" \
            --auth-root-authentication-method=socket --skip-test-db \
            >"$server/install.log" 2>&1 || { cat "$server/install.log" >&2; exit 1; }
    fi
    local port
    port=$(cat "$server/port" 2>/dev/null || true)
    # The port stays across restarts: saved tasks, batch scripts and scheduled
    # tasks name it.
    if [ -z "$port" ] || ! port_free "$port"; then
        local previous=$port
        port=$(free_port)
        echo "$port" >"$server/port"
        if [ -n "$previous" ]; then
            echo "Port $previous is held by another program: the demo server moves to port $port;" \
                 "task files written for the old port have to be changed." >&2
        fi
    fi
    # /usr/sbin is not on a normal user's PATH; what fails before the server's
    # own log opens goes to that log too.
    setsid /usr/sbin/mariadbd --no-defaults --user="$(id -un)" --datadir="$data" --tmpdir="$server/tmp" \
        --socket="$socket" --port="$port" --bind-address=127.0.0.1 \
        --pid-file="$server/mysql.pid" --log-error="$server/error.log" \
        --skip-name-resolve --max-allowed-packet=512M \
        --character-set-server=utf8mb4 --collation-server=utf8mb4_general_ci \
        </dev/null >/dev/null 2>>"$server/error.log" &
    echo $! >"$server/server.pid"
    if ! wait_for 60 mariadb-admin --no-defaults --socket="$socket" -u"$(id -un)" ping; then
        echo "The demo MariaDB server did not start:" >&2
        tail -n 20 "$server/error.log" >&2
        exit 1
    fi
}

# A file's bytes as an SQL hexadecimal literal.
hex_literal() {
    printf "x'%s'" "$(od -An -v -tx1 "$1" | tr -d ' \n')"
}

# The demo user, database and tables; the sample table is filled once.
create_database() {
    if [ ! -s "$server/password" ]; then
        od -An -N18 -tx1 /dev/urandom | tr -d ' \n' >"$server/password"
    fi
    local password; password=$(cat "$server/password")
    admin <<SQL
CREATE USER IF NOT EXISTS '$user'@'127.0.0.1';
CREATE USER IF NOT EXISTS '$user'@'localhost';
ALTER USER '$user'@'127.0.0.1' IDENTIFIED BY '$password';
ALTER USER '$user'@'localhost' IDENTIFIED BY '$password';
GRANT ALL PRIVILEGES ON *.* TO '$user'@'127.0.0.1';
GRANT ALL PRIVILEGES ON *.* TO '$user'@'localhost';
CREATE DATABASE IF NOT EXISTS $database CHARACTER SET utf8mb4;
CREATE TABLE IF NOT EXISTS $database.samples (
  id INT AUTO_INCREMENT PRIMARY KEY,
  name VARCHAR(100) NOT NULL,
  ext VARCHAR(20) NOT NULL,
  content LONGBLOB
);
CREATE TABLE IF NOT EXISTS $database.imported (
  id INT AUTO_INCREMENT PRIMARY KEY,
  name VARCHAR(255) NOT NULL,
  content LONGBLOB
);
SQL
    if [ "$(admin -N -e "SELECT COUNT(*) FROM $database.samples")" = 0 ]; then
        local file name sql=""
        for file in "$top"/examples/files/*; do
            name=$(basename "$file")
            sql="$sql INSERT INTO $database.samples (name, ext, content) VALUES ('${name%.*}', '${name##*.}', $(hex_literal "$file"));"
        done
        admin -e "$sql"
    fi
}

# A text as the replacement of a sed "s|...|...|" command.
sed_text() {
    printf '%s' "$1" | sed -e 's/[\\|&]/\\&/g'
}

# The example tasks with this server's connection, the examples folder and
# the export folder filled in.
write_tasks() {
    local examples=$base/examples task
    mkdir -p "$examples" "$base/export" "$base/logs"
    for task in "$top"/examples/*.ilt "$top"/examples/*.elt; do
        sed -e "s|@EXAMPLES@|$(sed_text "$top/examples")|g" -e "s|@OUTPUT@|$(sed_text "$base/export")|g" \
            -e "s|@SERVER@|127.0.0.1|g" -e "s|@PORT@|$(cat "$server/port")|g" \
            -e "s|@USERNAME@|$user|g" -e "s|@PASSWORD@|$(cat "$server/password")|g" \
            "$task" >"$examples/$(basename "$task")"
    done
    cat >"$base/env" <<ENV
VQ_DEMO_DIR='$base'
VQ_DEMO_SERVER=127.0.0.1
VQ_DEMO_PORT=$(cat "$server/port")
VQ_DEMO_SOCKET='$socket'
VQ_DEMO_USER=$user
VQ_DEMO_PASSWORD_FILE='$server/password'
VQ_DEMO_DATABASE=$database
ENV
}

case ${1:-} in
    start)
        if running; then
            echo "Reusing the demo MariaDB server on 127.0.0.1:$(cat "$server/port")"
        else
            start_server
            echo "Started the demo MariaDB server on 127.0.0.1:$(cat "$server/port")"
        fi
        create_database
        write_tasks ;;
    stop)
        if [ -f "$server/server.pid" ]; then
            pid=$(cat "$server/server.pid")
            if kill -0 "$pid" 2>/dev/null; then
                kill "$pid"
                wait_for 60 sh -c "! kill -0 $pid" || { echo "The demo server did not stop" >&2; exit 1; }
            fi
            rm -f "$server/server.pid"
        fi
        echo "The demo MariaDB server is stopped." ;;
    sql)
        shift
        running || { echo "The demo server does not run: $0 start" >&2; exit 1; }
        admin "$database" "$@" ;;
    *)
        echo "usage: $0 start|stop|sql" >&2; exit 2 ;;
esac
