#!/bin/bash
# The command-line peer: the mariadb client once per file, as a user scripts it.
#   cli.sh import DIR   one client per file: INSERT ... FROM_BASE64(...) on stdin
#   cli.sh export DIR   one client lists the rows, then one client per row
#                       writes its value with --raw (the newline it appends cut)
#   cli.sh merge FILE   one client: every value followed by CR (the client adds LF)
#   cli.sh noop         one client that does nothing (the memory baseline)
# Every value crosses the client protocol, as with the other contenders; see
# README.md for why not LOAD_FILE or INTO DUMPFILE.
# Connection and table from VQB_HOST, VQB_PORT, VQB_USER, VQB_PASSWORD, VQB_DB
# and VQB_TABLE.
set -euo pipefail
export LC_ALL=C
export MYSQL_PWD=${VQB_PASSWORD:-}
table=${VQB_TABLE:-bench_lob}
client=(mariadb --no-defaults --protocol=TCP -h "${VQB_HOST:-127.0.0.1}" -P "${VQB_PORT:-3306}"
        -u "${VQB_USER:-root}" --max-allowed-packet=256M "${VQB_DB:-vqbench}")

op=${1:-}; target=${2:-}
case $op in
    import)
        count=0
        for path in "$target"/*; do
            [ -f "$path" ] || continue
            name=${path##*/}; name=${name%%.*}
            { printf "INSERT INTO \`%s\` (\`name\`, \`data\`) VALUES ('%s', FROM_BASE64('" "$table" "$name"
              base64 -w0 "$path"
              printf "'));\n"; } | "${client[@]}"
            count=$((count + 1))
        done
        echo "$count" ;;
    export)
        count=0
        while read -r id name; do
            "${client[@]}" -N -B --raw -e "SELECT \`data\` FROM \`$table\` WHERE id = $id" </dev/null \
                | head -c -1 >"$target/$name.bin"
            count=$((count + 1))
        done < <("${client[@]}" -N -B -e "SELECT id, \`name\` FROM \`$table\` ORDER BY id")
        echo "$count" ;;
    merge)
        "${client[@]}" -N -B --raw --quick \
            -e "SELECT CONCAT(\`data\`, CHAR(13)) FROM \`$table\` WHERE \`data\` IS NOT NULL" >"$target" ;;
    noop)
        "${client[@]}" -e "DO 0"
        echo 0 ;;
    *)
        echo "usage: cli.sh import DIR | export DIR | merge FILE | noop" >&2
        exit 2 ;;
esac
