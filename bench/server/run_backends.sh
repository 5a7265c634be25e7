#!/usr/bin/env bash
# Keyword searches under load from wrk against the same catalogue (the 20,000 stations) on the same
# machine, two ways: SQLite with one tessivar-directory process, and PostgreSQL with two processes
# behind nginx (server/nginx/tessivar-directory-cluster.conf). Each way runs with the answer cache
# off (every search computed) and on (the default), in alternating rounds; prints requests/s and the
# 99th-percentile latency, and the import times. PostgreSQL runs in a throwaway cluster in a temporary
# folder (as the postgres user when run as root), removed afterwards.
#
#   run_backends.sh [path/to/tessivar-directory] [data folder with stations.csv]
# Environment: DURATION (seconds each, default 20), ROUNDS (default 4), CONNECTIONS (default 16),
# THREADS (wrk threads, default 2).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
directory=${1:-$top/build/bin/tessivar-directory}
data=${2:-$top/../shared/data}
duration=${DURATION:-20}
rounds=${ROUNDS:-4}
connections=${CONNECTIONS:-16}
wrk_threads=${THREADS:-2}

for tool in wrk nginx curl; do
  command -v "$tool" >/dev/null || { echo "run_backends.sh: $tool is not installed" >&2; exit 1; }
done
pg_bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
[ -n "$pg_bin" ] && [ -x "$pg_bin/initdb" ] || { echo "run_backends.sh: PostgreSQL is not installed (scripts/install-deps)" >&2; exit 1; }
[ -x "$directory" ] || { echo "run_backends.sh: no tessivar-directory at $directory" >&2; exit 1; }
[ -f "$data/stations.csv" ] || { echo "run_backends.sh: no stations.csv in $data" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tessivar-backends.XXXXXX")
as_cluster_user=()
if [ "$(id -u)" -eq 0 ]; then
  as_cluster_user=(setpriv --reuid=postgres --regid=postgres --init-groups --)
  chown postgres: "$work"
fi
server_pids=()
nginx_pid=""
pg_pid=""
stop_servers() {
  for pid in "${server_pids[@]}"; do kill -TERM "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true; done
  server_pids=()
  if [ -n "$nginx_pid" ]; then kill -QUIT "$nginx_pid" 2>/dev/null && wait "$nginx_pid" 2>/dev/null || true; fi
  nginx_pid=""
}
cleanup() {
  stop_servers
  if [ -n "$pg_pid" ]; then kill -INT "$pg_pid" 2>/dev/null && wait "$pg_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

echo "Starting a throwaway PostgreSQL ($pg_bin) ..."
"${as_cluster_user[@]}" "$pg_bin/initdb" -D "$work/pg" -U postgres -A trust -E UTF8 --locale=C.UTF-8 -N >"$work/initdb.log"
"${as_cluster_user[@]}" "$pg_bin/postgres" -D "$work/pg" -k "$work" -p 5432 -c listen_addresses= \
  -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c shared_buffers=256MB >"$work/pg.log" 2>&1 &
pg_pid=$!
for _ in $(seq 1 100); do "$pg_bin/psql" -h "$work" -U postgres -d postgres -qAtc "SELECT 1" >/dev/null 2>&1 && break; sleep 0.1; done
"$pg_bin/psql" -h "$work" -U postgres -d postgres -qc "CREATE DATABASE tessivar"
pg_address="postgresql:///tessivar?host=$work&user=postgres"

timed_import() { # catalogue -> seconds
  local start end
  start=$(date +%s.%N)
  "$directory" import --db "$1" --stations "$data/stations.csv" >/dev/null
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", b - a }'
}
echo "Importing $data/stations.csv into both ..."
sqlite_import=$(timed_import "$work/catalogue.db")
pg_import=$(timed_import "$pg_address")

start_server() { # catalogue cache-mb -> sets server_port
  local out="$work/server-${#server_pids[@]}.out"
  "$directory" serve --db "$1" --port 0 --quiet --threads $((connections * 2)) --cache-mb "$2" \
    --trusted-proxy 127.0.0.1 >"$out" 2>&1 &
  server_pids+=("$!")
  for _ in $(seq 1 100); do grep -q '^Listening on ' "$out" && break; sleep 0.1; done
  server_port=$(sed -n 's/^Listening on .*:\([0-9][0-9]*\)$/\1/p' "$out")
  [ -n "$server_port" ] || { echo "run_backends.sh: the server did not start" >&2; cat "$out" >&2; exit 1; }
}

free_port() {
  for candidate in $(seq 18437 18637); do
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$candidate") 2>/dev/null; then echo "$candidate"; return; fi
  done
  echo "run_backends.sh: no free port for nginx" >&2
  exit 1
}

start_nginx() { # upstream-port upstream-port -> sets nginx_port
  nginx_port=$(free_port)
  mkdir -p "$work/nginx"
  # The shipped file with its ports, and no per-client cap (every wrk connection comes from 127.0.0.1).
  sed -e "s/listen 80;/listen 127.0.0.1:$nginx_port;/" -e "s/127\.0\.0\.1:8437/127.0.0.1:$1/" \
    -e "s/127\.0\.0\.1:8438/127.0.0.1:$2/" -e "s/limit_conn tessivar_cluster_per_client 16;/limit_conn tessivar_cluster_per_client 10000;/" \
    "$top/server/nginx/tessivar-directory-cluster.conf" >"$work/nginx/site.conf"
  cat >"$work/nginx/nginx.conf" <<CONF
daemon off;
$([ "$(id -u)" -eq 0 ] && echo "user root;")
worker_processes auto;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 4096; }
http {
  access_log off;
  client_body_temp_path $work/nginx/body;
  proxy_temp_path $work/nginx/proxy;
  fastcgi_temp_path $work/nginx/fastcgi;
  uwsgi_temp_path $work/nginx/uwsgi;
  scgi_temp_path $work/nginx/scgi;
  include $work/nginx/site.conf;
}
CONF
  nginx -p "$work/nginx" -c "$work/nginx/nginx.conf" 2>"$work/nginx/start.log" &
  nginx_pid=$!
  for _ in $(seq 1 50); do curl -sf -o /dev/null "http://127.0.0.1:$nginx_port/top10.asp" && break; sleep 0.1; done
}

measure() { # url -> "requests/s p99-ms"
  local out rps p99
  out=$(wrk -t"$wrk_threads" -c"$connections" -d"${round_seconds}s" --latency -s "$here/search_terms.lua" "$1")
  echo "$out" >>"$work/wrk.log"
  rps=$(echo "$out" | awk '/^Requests\/sec:/ {print $2}')
  p99=$(echo "$out" | awk '$1 == "99%" {v = $2; if (v ~ /us$/) {sub(/us$/, "", v); v /= 1000} else if (v ~ /ms$/) {sub(/ms$/, "", v)} else if (v ~ /s$/) {sub(/s$/, "", v); v *= 1000}; printf "%.2f", v}')
  echo "$rps $p99"
}
summary() { awk '{ r += $1; if ($2 > p) p = $2 } END { printf "%.0f %.2f\n", r / NR, p }' "$1"; }

round_seconds=$(( (duration + rounds - 1) / rounds ))
echo "wrk: $wrk_threads threads, $connections connections, ${duration}s each in $rounds rounds, all on 127.0.0.1"
printf '%-58s %11s %9s\n' "" "requests/s" "p99 (ms)"
for cache in 0 64; do
  start_server "$work/catalogue.db" "$cache"
  sqlite_port=$server_port
  start_server "$pg_address" "$cache"
  first=$server_port
  start_server "$pg_address" "$cache"
  start_nginx "$first" "$server_port"
  : >"$work/sqlite.$cache" && : >"$work/pg.$cache"
  for _ in $(seq 1 "$rounds"); do
    measure "http://127.0.0.1:$sqlite_port/" >>"$work/sqlite.$cache"
    measure "http://127.0.0.1:$nginx_port/" >>"$work/pg.$cache"
  done
  stop_servers
  label=$([ "$cache" = 0 ] && echo "cache off" || echo "cache on")
  read -r rps p99 < <(summary "$work/sqlite.$cache")
  printf '%-58s %11s %9s\n' "SQLite, one process, $label" "$rps" "$p99"
  read -r rps p99 < <(summary "$work/pg.$cache")
  printf '%-58s %11s %9s\n' "PostgreSQL, two processes behind nginx, $label" "$rps" "$p99"
done
echo "import of the stations: SQLite ${sqlite_import}s, PostgreSQL ${pg_import}s"
errors=$(grep -c 'Non-2xx\|Socket errors' "$work/wrk.log" || true)
[ "$errors" = "0" ] || { echo "wrk reported errors:"; grep 'Non-2xx\|Socket errors' "$work/wrk.log"; }
