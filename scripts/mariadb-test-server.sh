#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A private MariaDB server for the test suite: its own data folder, loopback only, its own port and
# socket, and a private ODBC configuration that defines the data source KVTEST.
#
#   scripts/mariadb-test-server.sh start DIR PORT   initialise (once) and start; recreate the test database
#   scripts/mariadb-test-server.sh stop  DIR PORT   stop the server
#   scripts/mariadb-test-server.sh env   DIR PORT   print the variables the tests read
#
# Test database KVTEST (upper case, so that the table prefix "KVTEST." names it), users
# kvtest/kvtest and kvsemi with the password "ge;heim{1" (for the quoting test), each for
# localhost and 127.0.0.1. ODBC: DIR/odbc/odbcinst.ini (ODBCSYSINI=DIR/odbc) and
# DIR/odbc/odbc.ini (ODBCINI) with the data source KVTEST.
set -euo pipefail

ACTION="${1:-}"
DIR="${2:-}"
PORT="${3:-}"
if [[ -z "$ACTION" || -z "$DIR" || -z "$PORT" ]]; then
  echo "usage: $0 start|stop|env DIR PORT" >&2
  exit 2
fi
mkdir -p "$DIR"
DIR="$(cd "$DIR" && pwd)"
DATA="$DIR/data"
SOCK="$DIR/mysqld.sock"
PIDFILE="$DIR/mysqld.pid"
LOG="$DIR/error.log"
ODBC="$DIR/odbc"
DB=KVTEST

fail() {
  echo "mariadb-test-server: $*" >&2
  if [[ -f "$LOG" ]]; then
    echo "--- last lines of $LOG:" >&2
    tail -n 20 "$LOG" >&2
  fi
  exit 1
}

client() { mariadb --no-defaults --protocol=socket --socket="$SOCK" -uroot "$@"; }
alive() { mariadb-admin --no-defaults --protocol=socket --socket="$SOCK" -uroot --connect-timeout=2 ping >/dev/null 2>&1; }

print_env() {
  cat <<EOF
KV_MARIADB_HOST=127.0.0.1
KV_MARIADB_PORT=$PORT
KV_MARIADB_SOCKET=$SOCK
KV_MARIADB_USER=kvtest
KV_MARIADB_PASSWORD=kvtest
KV_MARIADB_DATABASE=$DB
KV_MARIADB_DSN=$DB
KV_MARIADB_LOG=$LOG
ODBCSYSINI=$ODBC
ODBCINI=$ODBC/odbc.ini
EOF
}

write_odbc() {
  mkdir -p "$ODBC"
  local lib=""
  for candidate in /usr/lib/x86_64-linux-gnu/odbc/libmaodbc.so /usr/lib/*/odbc/libmaodbc.so /usr/lib/odbc/libmaodbc.so \
    /usr/lib64/libmaodbc.so /usr/local/lib/libmaodbc.so; do
    if [[ -f "$candidate" ]]; then lib="$candidate"; break; fi
  done
  [[ -n "$lib" ]] || fail "the MariaDB ODBC driver (libmaodbc.so, package odbc-mariadb) is not installed"
  cat >"$ODBC/odbcinst.ini" <<EOF
[MariaDB Unicode]
Description=MariaDB Connector/ODBC (Unicode)
Driver=$lib
Threading=0
EOF
  cat >"$ODBC/odbc.ini" <<EOF
[$DB]
Description=KvDokMan test database
Driver=MariaDB Unicode
SERVER=127.0.0.1
PORT=$PORT
DATABASE=$DB
CHARSET=utf8mb4
EOF
}

start() {
  command -v mariadbd >/dev/null || fail "mariadbd not found (package mariadb-server)"
  command -v mariadb-install-db >/dev/null || fail "mariadb-install-db not found (package mariadb-server)"
  local user
  user="$(id -un)"
  if ! alive; then
    rm -f "$PIDFILE" "$SOCK"
    if [[ ! -d "$DATA/mysql" ]]; then
      rm -rf "$DATA"
      mariadb-install-db --no-defaults --user="$user" --datadir="$DATA" --auth-root-authentication-method=normal \
        --skip-test-db >"$DIR/install.log" 2>&1 || {
        cat "$DIR/install.log" >&2
        fail "mariadb-install-db failed"
      }
    fi
    if (echo >"/dev/tcp/127.0.0.1/$PORT") 2>/dev/null; then
      fail "port $PORT on 127.0.0.1 is in use by another program (set KV_MARIADB_PORT when configuring)"
    fi
    # setsid: the server must outlive this script and the CTest fixture step.
    setsid mariadbd --no-defaults --user="$user" --datadir="$DATA" --socket="$SOCK" --port="$PORT" \
      --bind-address=127.0.0.1 --pid-file="$PIDFILE" --log-error="$LOG" --skip-log-bin \
      --character-set-server=utf8mb4 --collation-server=utf8mb4_general_ci --skip-name-resolve \
      --innodb-buffer-pool-size=64M --innodb-flush-log-at-trx-commit=2 </dev/null >/dev/null 2>&1 &
    for _ in $(seq 1 120); do
      alive && break
      sleep 0.25
    done
    alive || fail "the server did not start within 30 s"
  fi
  client <<EOF || fail "creating the test database and users failed"
DROP DATABASE IF EXISTS $DB;
CREATE DATABASE $DB CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci;
CREATE USER IF NOT EXISTS 'kvtest'@'localhost' IDENTIFIED BY 'kvtest';
CREATE USER IF NOT EXISTS 'kvtest'@'127.0.0.1' IDENTIFIED BY 'kvtest';
CREATE USER IF NOT EXISTS 'kvsemi'@'localhost' IDENTIFIED BY 'ge;heim{1';
CREATE USER IF NOT EXISTS 'kvsemi'@'127.0.0.1' IDENTIFIED BY 'ge;heim{1';
GRANT ALL PRIVILEGES ON $DB.* TO 'kvtest'@'localhost', 'kvtest'@'127.0.0.1', 'kvsemi'@'localhost', 'kvsemi'@'127.0.0.1';
GRANT ALL PRIVILEGES ON \`kvbig%\`.* TO 'kvtest'@'localhost', 'kvtest'@'127.0.0.1';
FLUSH PRIVILEGES;
EOF
  write_odbc
  echo "mariadb-test-server: running on 127.0.0.1:$PORT, socket $SOCK, database $DB"
}

stop() {
  if alive; then
    mariadb-admin --no-defaults --protocol=socket --socket="$SOCK" -uroot shutdown >/dev/null 2>&1 || true
  fi
  if [[ -f "$PIDFILE" ]]; then
    local pid
    pid="$(cat "$PIDFILE")"
    for _ in $(seq 1 80); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.25
    done
    if kill -0 "$pid" 2>/dev/null; then kill "$pid" 2>/dev/null || true; fi
    rm -f "$PIDFILE"
  fi
  echo "mariadb-test-server: stopped"
}

case "$ACTION" in
  start) start ;;
  stop) stop ;;
  env) print_env ;;
  *)
    echo "usage: $0 start|stop|env DIR PORT" >&2
    exit 2
    ;;
esac
