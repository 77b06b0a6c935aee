#!/bin/sh
# Installs what is missing, builds, and runs the program. Arguments are passed
# through: ./run.sh task=/path/to/task.elt logfile=/path/to/run.log
set -eu
top=$(cd "$(dirname "$0")" && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
build=${VQ_BUILD_DIR:-$top/build}
program="$build/src/Vantorquill"
if [ $# -eq 0 ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    cat <<TEXT
No display is available, so the window cannot open. Run a saved task without a window:
  ./run.sh task=/path/to/task.elt logfile=/path/to/run.log
TEXT
    exit 0
fi
exec "$program" "$@"
