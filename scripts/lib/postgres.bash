# Sourced by the scripts that test the plant database: starts a throwaway PostgreSQL 15 (Debian's
# postgresql package) in a temporary folder, as an ordinary user (nobody, through setpriv, when the
# caller is root), listening on a free TCP port of 127.0.0.1 with TLS (a throwaway CA and a server
# certificate for localhost) and scram-sha-256 password logins, and its socket in the folder.
# Database quality; roles qorb_owner (may create the history's tables), qorb_station (granted
# only the right to add, by the tests, once the tables exist) and qorb_reader (may only read);
# their passwords in a password file.
#
#   start_test_postgres   starts it and exports, for the tests:
#       QORB_TEST_POSTGRES, QORB_TEST_POSTGRES_STATION, QORB_TEST_POSTGRES_READER: connection
#           strings without passwords (host=localhost, sslmode=verify-full)
#       QORB_TEST_POSTGRES_PORT, QORB_TEST_POSTGRES_ROOT_CERT: the port and the CA's certificate
#       QORB_TEST_POSTGRES_CONTROL: a command that takes stop or start, to stop the same server and
#           start it again with its data
#       PGPASSFILE: the password file
#   stop_test_postgres    stops it, leaves no process behind and removes the folder; safe to call
#                         twice or when nothing was started

source "$(dirname "${BASH_SOURCE[0]}")/apt.bash"

postgres_bin=/usr/lib/postgresql/15/bin
test_postgres_folder=

start_test_postgres() {
    install_missing_packages postgresql-15 openssl util-linux
    local folder
    folder=$(mktemp -d "${TMPDIR:-/tmp}/qorb-postgres.XXXXXX")
    test_postgres_folder=$folder
    chmod 755 "$folder"
    mkdir -m 700 "$folder/data" "$folder/run" "$folder/tls"

    # The server refuses to run as root: nobody runs it, owning its data, socket and key.
    local as=()
    if [ "$(id -u)" -eq 0 ]; then
        chown nobody: "$folder/data" "$folder/run" "$folder/tls"
        as=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups)
    fi
    # Only what the server needs, and this run's mark, by which scripts/test sees what outlived it.
    local environment=(env -i PATH=/usr/bin:/bin LC_ALL=C)
    [ -z "${QORB_TEST_RUN:-}" ] || environment+=(QORB_TEST_RUN="$QORB_TEST_RUN")
    cat >"$folder/control" <<EOF
#!/usr/bin/env bash
# Stops (stop) or starts again (start) the throwaway PostgreSQL of $folder.
set -euo pipefail
# The server holds none of its caller's files (a test's lock, a pipe read to its end).
for fd in /proc/\$\$/fd/*; do
    fd=\${fd##*/}
    [ "\$fd" -le 2 ] || eval "exec \$fd>&-" 2>/dev/null || true
done
case "\${1:-}" in
    stop) exec ${as[*]} ${environment[*]} $postgres_bin/pg_ctl -D $folder/data -m fast -w \
        stop >/dev/null ;;
    start) exec ${as[*]} ${environment[*]} $postgres_bin/pg_ctl -D $folder/data -w \
        -l $folder/server.log start >/dev/null ;;
    *) echo "usage: \$0 stop|start" >&2; exit 64 ;;
esac
EOF
    chmod 755 "$folder/control"
    touch "$folder/server.log"
    [ ${#as[@]} -eq 0 ] || chown nobody: "$folder/server.log"

    make_test_certificates "$folder/tls" "${as[@]}"
    "${as[@]}" "${environment[@]}" "$postgres_bin/initdb" -D "$folder/data" -U postgres -E UTF8 \
        --no-locale --auth-local=trust --auth-host=scram-sha-256 --no-sync >/dev/null
    # TCP on 127.0.0.1 only, with or without TLS; the socket, for setting up, in the folder.
    cat >"$folder/data/pg_hba.conf" <<EOF
local all postgres trust
host all all 127.0.0.1/32 scram-sha-256
EOF
    local port tries
    for tries in 1 2 3 4 5 6 7 8; do
        port=$((20000 + RANDOM % 40000))
        (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && continue # taken
        cat >"$folder/data/postgresql.auto.conf" <<EOF
listen_addresses = '127.0.0.1'
port = $port
unix_socket_directories = '$folder/run'
ssl = on
ssl_cert_file = '$folder/tls/server.crt'
ssl_key_file = '$folder/tls/server.key'
EOF
        "$folder/control" start && break
        grep -q 'could not bind' "$folder/server.log" && [ "$tries" -lt 8 ] && continue
        echo "postgres: the throwaway server did not start; its log:" >&2
        cat "$folder/server.log" >&2
        stop_test_postgres
        return 1
    done
    if [ ! -f "$folder/data/postmaster.pid" ]; then
        echo "postgres: found no free port for the throwaway server" >&2
        stop_test_postgres
        return 1
    fi

    local owner station reader
    owner=$(openssl rand -hex 16)
    station=$(openssl rand -hex 16)
    reader=$(openssl rand -hex 16)
    "${as[@]}" "${environment[@]}" "$postgres_bin/psql" -h "$folder/run" -p "$port" -U postgres \
        -d postgres -q -v ON_ERROR_STOP=1 -v owner="$owner" -v station="$station" \
        -v reader="$reader" >/dev/null <<'EOF'
CREATE ROLE qorb_owner LOGIN PASSWORD :'owner';
CREATE ROLE qorb_station LOGIN PASSWORD :'station';
CREATE ROLE qorb_reader LOGIN PASSWORD :'reader';
CREATE DATABASE quality OWNER qorb_owner;
EOF
    # The tests' connection strings carry no password: libpq finds it here.
    (
        umask 077
        {
            printf '*:%s:quality:qorb_owner:%s\n' "$port" "$owner"
            printf '*:%s:quality:qorb_station:%s\n' "$port" "$station"
            printf '*:%s:quality:qorb_reader:%s\n' "$port" "$reader"
        } >"$folder/pgpass"
    )

    local common="host=localhost port=$port dbname=quality sslmode=verify-full"
    common+=" sslrootcert=$folder/tls/root.crt"
    export QORB_TEST_POSTGRES="$common user=qorb_owner"
    export QORB_TEST_POSTGRES_STATION="$common user=qorb_station"
    export QORB_TEST_POSTGRES_READER="$common user=qorb_reader"
    export QORB_TEST_POSTGRES_PORT=$port
    export QORB_TEST_POSTGRES_ROOT_CERT=$folder/tls/root.crt
    export QORB_TEST_POSTGRES_CONTROL=$folder/control
    export PGPASSFILE=$folder/pgpass
    echo "postgres: a throwaway PostgreSQL 15 on 127.0.0.1:$port (TLS), in $folder"
}

# make_test_certificates FOLDER [AS...]: a CA of its own (root.crt) and a certificate for localhost
# it signed (server.crt, server.key), the key readable by the server's user alone.
make_test_certificates() {
    local folder=$1
    shift
    openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 \
        -subj "/CN=QORB throwaway test CA" -keyout "$folder/root.key" -out "$folder/root.crt" \
        2>/dev/null
    openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 \
        -subj "/CN=localhost" -addext "subjectAltName=DNS:localhost" \
        -addext "basicConstraints=critical,CA:FALSE" -CA "$folder/root.crt" \
        -CAkey "$folder/root.key" -keyout "$folder/server.key" -out "$folder/server.crt" \
        2>/dev/null
    rm -f "$folder/root.key"
    chmod 600 "$folder/server.key"
    chmod 644 "$folder/root.crt" "$folder/server.crt"
    [ $# -eq 0 ] || chown nobody: "$folder/server.key" "$folder/server.crt"
}

stop_test_postgres() {
    local folder=$test_postgres_folder
    [ -n "$folder" ] || return 0
    test_postgres_folder=
    if [ -f "$folder/data/postmaster.pid" ]; then
        "$folder/control" stop 2>/dev/null || true
    fi
    # A server that would not stop in time is ended.
    if [ -f "$folder/data/postmaster.pid" ]; then
        local pid
        pid=$(head -n 1 "$folder/data/postmaster.pid")
        kill -KILL "$pid" 2>/dev/null || true
        while kill -0 "$pid" 2>/dev/null; do sleep 0.1; done
    fi
    rm -rf "$folder"
    unset QORB_TEST_POSTGRES QORB_TEST_POSTGRES_STATION QORB_TEST_POSTGRES_READER \
        QORB_TEST_POSTGRES_PORT QORB_TEST_POSTGRES_ROOT_CERT QORB_TEST_POSTGRES_CONTROL PGPASSFILE
}
