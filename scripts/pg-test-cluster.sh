#!/usr/bin/env bash
# A throwaway PostgreSQL 15 cluster for the tests: made with initdb in a
# temporary folder, listening on a Unix socket only (no TCP), owned by an
# unprivileged user (the system user "postgres" when we run as root).
#
#   scripts/pg-test-cluster.sh start DIR   makes and starts the cluster in DIR and
#                                          prints its URL (ZENTRA_TEST_PG_URL)
#   scripts/pg-test-cluster.sh stop DIR    stops it and removes DIR
set -euo pipefail

bindir=$(ls -d /usr/lib/postgresql/15/bin 2>/dev/null || dirname "$(command -v initdb || echo /nonexistent/x)")
if [ ! -x "$bindir/initdb" ] || [ ! -x "$bindir/pg_ctl" ]; then
  echo "pg-test-cluster: initdb and pg_ctl of PostgreSQL 15 are not installed" >&2
  exit 1
fi

cmd=${1:-}
dir=${2:-}
if [ -z "$cmd" ] || [ -z "$dir" ]; then
  echo "usage: $0 start|stop DIR" >&2
  exit 2
fi

# The server refuses to run as root: run it as "postgres" (or nobody) then.
as_owner=()
owner=$(id -un)
if [ "$(id -u)" -eq 0 ]; then
  owner=postgres
  getent passwd "$owner" >/dev/null || owner=nobody
  as_owner=(runuser -u "$owner" --)
fi

case "$cmd" in
start)
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  chmod 755 "$dir"
  mkdir -p "$dir/data" "$dir/sock" "$dir/log"
  if [ "$(id -u)" -eq 0 ]; then chown "$owner" "$dir/data" "$dir/sock" "$dir/log"; fi
  chmod 700 "$dir/data"
  chmod 755 "$dir/sock"
  # A UTF-8 locale whose lower() knows non-ASCII letters: the program must
  # not depend on the server's locale, and the tests show it.
  "${as_owner[@]}" "$bindir/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 --locale=C.UTF-8 \
    >"$dir/log/initdb.log" 2>&1 || { cat "$dir/log/initdb.log" >&2; exit 1; }
  "${as_owner[@]}" "$bindir/pg_ctl" -D "$dir/data" -l "$dir/log/server.log" -w -t 60 \
    -o "-c listen_addresses='' -c unix_socket_directories='$dir/sock' -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=200" \
    start >/dev/null || { cat "$dir/log/server.log" >&2; exit 1; }
  echo "postgresql:///postgres?host=$dir/sock&user=postgres"
  ;;
stop)
  if [ -d "$dir/data" ]; then
    "${as_owner[@]}" "$bindir/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  rm -rf "$dir"
  ;;
*)
  echo "usage: $0 start|stop DIR" >&2
  exit 2
  ;;
esac
