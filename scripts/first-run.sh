#!/bin/bash
# The first run of ./run.sh: the demo server with its database and example
# tasks; without a display, the two example tasks run from the command line
# and their logs and results are shown.
#   first-run.sh PROGRAM [demo]
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
program=$1
"$top/scripts/demo-server.sh" start
# shellcheck disable=SC1091
. "${XDG_DATA_HOME:-$HOME/.local/share}/Vantorquill/demo/env"
demo=$VQ_DEMO_DIR
# The logon dialog offers the demo server ready to use: its profile is written
# as the dialog would save it (a shell cannot encipher the password).
"$(dirname "$program")/vantorquill-demo-profile" "$VQ_DEMO_USER" "$VQ_DEMO_PORT" \
    "$VQ_DEMO_DATABASE" "$VQ_DEMO_PASSWORD_FILE" >/dev/null

logon_help() {
    cat <<TEXT

Log on to the demo server with:
  server 127.0.0.1, port $VQ_DEMO_PORT, user $VQ_DEMO_USER, database $VQ_DEMO_DATABASE,
  password in $VQ_DEMO_PASSWORD_FILE
Example tasks for it: $demo/examples
Stop the demo server with: $top/scripts/demo-server.sh stop
TEXT
}

[ "${2:-}" = demo ] || { logon_help; exit 0; }

sql() {
    "$top/scripts/demo-server.sh" sql "$@"
}

# Runs one task and shows its log; the exit code tells how it went.
run_task() {   # run_task TASK LOG
    local code=0
    rm -f "$2"
    echo
    echo "\$ Vantorquill task=$1 logfile=$2"
    "$program" "task=$1" "logfile=$2" || code=$?
    echo "exit code $code; the log:"
    sed 's/^/    /' "$2" 2>/dev/null || echo "    (no log written)"
    return "$code"
}

echo
echo "No display is available: running the example tasks from the command line."

# Each run starts from an empty import table and an empty export folder.
sql -e "DELETE FROM imported"
rm -rf "${demo:?}/export"
mkdir -p "$demo/export" "$demo/logs"

status=0
run_task "$demo/examples/import-samples.ilt" "$demo/logs/import.log" || status=1
echo "Rows in $VQ_DEMO_DATABASE.imported:"
sql -t -e "SELECT id, name, LENGTH(content) AS bytes FROM imported ORDER BY id"

run_task "$demo/examples/export-samples.elt" "$demo/logs/export.log" || status=1
echo "Files written to $demo/export:"
(cd "$demo/export" && ls -l)
for file in "$top"/examples/files/*; do
    if ! cmp -s "$file" "$demo/export/$(basename "$file")"; then
        echo "$(basename "$file") differs from the sample" >&2
        status=1
    fi
done
[ $status -ne 0 ] || echo "Every exported file equals its sample byte for byte."

logon_help
cat <<TEXT
Run a task file yourself:
  ./run.sh task=$demo/examples/export-samples.elt logfile=$demo/logs/export.log
TEXT
exit $status
