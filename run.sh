#!/bin/sh
# Installs what is missing, builds, and runs the program. Arguments are passed
# through: ./run.sh task=/path/to/task.elt logfile=/path/to/run.log
# Without arguments it first starts (or reuses) the user's demo MariaDB server
# with its example tasks; without a display it then runs those tasks instead
# of opening the window.
set -eu
top=$(cd "$(dirname "$0")" && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
build=${VQ_BUILD_DIR:-$top/build}
program="$build/src/Vantorquill"
if [ $# -eq 0 ]; then
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
        exec "$top/scripts/first-run.sh" "$program" demo
    fi
    "$top/scripts/first-run.sh" "$program"
fi
exec "$program" "$@"
