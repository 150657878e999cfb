#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for the tests and the benchmarks: a temporary folder of its own,
# a Unix socket in it and no TCP, a password for its one role, run by an unprivileged user when
# started as root (the server refuses to run as root).
#   tools/pgcluster.sh start STATE    makes and starts one; STATE (a file) gets its folder and the
#                                     connection string, as lines "dir=..." and "url=..."
#   tools/pgcluster.sh halt STATE     stops its server at once, as a crash or a pulled cable would
#   tools/pgcluster.sh resume STATE   starts its server again
#   tools/pgcluster.sh stop STATE     stops it and removes its folder and STATE
# The role and the database are both "velumin"; the password is in PASSWORD below.
set -euo pipefail
PASSWORD=velumin-test
cmd=${1:?usage: $0 start|halt|resume|stop STATE}
state=${2:?usage: $0 start|halt|resume|stop STATE}

state=$(readlink -f "$state")
self=$(readlink -f "$0")
# The server's user may not be allowed into the folder this was started from.
cd /

bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -x "$bin/pg_ctl" ] || { echo "$0: PostgreSQL's server is not installed" >&2; exit 1; }

as_owner() {
    if [ "$(id -u)" -eq 0 ]; then runuser -u nobody -- "$@"; else "$@"; fi
}

field() { sed -n "s/^$1=//p" "$state"; }

server() {  # server start|stop DIR
    local mode=()
    [ "$1" = stop ] && mode=(-m immediate)
    as_owner "$bin/pg_ctl" -D "$2/data" -l "$2/server.log" -w -t 60 "${mode[@]}" "$1" >/dev/null
}

case "$cmd" in
start)
    # One left behind by a run that was killed goes first.
    [ -f "$state" ] && "$self" stop "$state"
    # Short, whatever the build folder's length: a socket's path has room for about 100 bytes.
    dir=$(mktemp -d /tmp/velumin-pg.XXXXXX)
    chmod 755 "$dir"
    [ "$(id -u)" -eq 0 ] && chown nobody "$dir"
    as_owner sh -c "printf '%s\n' '$PASSWORD' > '$dir/password'"
    as_owner "$bin/initdb" -D "$dir/data" -U velumin --pwfile="$dir/password" \
        --auth=scram-sha-256 -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 ||
        { cat "$dir/initdb.log" >&2; exit 1; }
    cat >>"$dir/data/postgresql.conf" <<CONF
listen_addresses = ''
unix_socket_directories = '$dir'
port = 5432
max_connections = 50
CONF
    server start "$dir" || { cat "$dir/server.log" >&2; exit 1; }
    PGPASSWORD=$PASSWORD "$bin/createdb" -h "$dir" -U velumin velumin
    printf 'dir=%s\nurl=postgresql://velumin@/velumin?host=%s\npassword=%s\n' \
        "$dir" "$dir" "$PASSWORD" >"$state"
    ;;
halt) server stop "$(field dir)" ;;
resume)
    dir=$(field dir)
    as_owner "$bin/pg_ctl" -D "$dir/data" status >/dev/null 2>&1 || server start "$dir"
    ;;
stop)
    [ -f "$state" ] || exit 0
    dir=$(field dir)
    server stop "$dir" 2>/dev/null || true
    rm -rf "$dir" "$state"
    ;;
*) echo "usage: $0 start|halt|resume|stop STATE" >&2; exit 2 ;;
esac
