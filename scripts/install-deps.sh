#!/bin/sh
# Installs the Debian packages of scripts/packages.txt that are missing.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
packages=$(grep -v '^[[:space:]]*#' "$here/packages.txt" | tr -s ' \n' ' ')
missing=""
for p in $packages; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
# Keep package scripts from starting the system's own servers.
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends $missing
