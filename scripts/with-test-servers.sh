#!/bin/bash
# Runs a command with the test servers up, and stops them afterwards whatever
# the command's outcome. Exits with the command's exit code.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
dir=$(mktemp -d "${TMPDIR:-/tmp}/vq-servers.XXXXXX")
cleanup() { "$here/testservers.sh" stop "$dir" || true; rm -rf "$dir"; }
trap cleanup EXIT INT TERM
"$here/testservers.sh" start "$dir"
# shellcheck disable=SC1091
. "$dir/env"
set +e
"$@"
rc=$?
set -e
exit $rc
