# Shell routines of the scripts that start local servers (sourced by bash).

free_port() {
    python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()'
}

# Whether process PID runs (also one of another user, which kill -0 cannot ask).
alive() {
    [ -n "$1" ] && [ -d "/proc/$1" ]
}

wait_for() {   # wait_for SECONDS COMMAND...
    local limit=$1; shift
    for _ in $(seq 1 $((limit * 10))); do
        if "$@" >/dev/null 2>&1; then return 0; fi
        sleep 0.1
    done
    return 1
}
