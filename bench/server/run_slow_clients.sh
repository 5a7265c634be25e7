#!/usr/bin/env bash
# Keyword searches from wrk against tessivar-directory with and without slow clients holding
# connections at the same time (bench_slow_clients: heads trickled a byte at a time, idle connections,
# answers read a few bytes at a time), in alternating rounds of one run. Prints requests/s and the
# 99th-percentile latency of each, for the answer cache off and on, and the ratio with slow clients to
# without (goal: at least 0.8).
#
#   run_slow_clients.sh [tessivar-directory] [bench_slow_clients] [data folder with stations.csv]
# Environment: DURATION (seconds each, default 20), ROUNDS (default 4), CONNECTIONS (wrk, default 16),
# THREADS (wrk threads, default 2), SLOW (slow clients, default 200), INTERVAL_MS (between a slow client's
# steps, default 2000), SERVER_OPTIONS (added to serve; default "--connections-per-client 0", so every
# slow client gets in), SLOW_MODE (mixed, or list-all: every slow client reads list all a byte at a
# time).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
directory=${1:-$top/build/bin/tessivar-directory}
slow_clients=${2:-$top/build/bin/bench_slow_clients}
data=${3:-$top/../shared/data}
duration=${DURATION:-20}
rounds=${ROUNDS:-4}
connections=${CONNECTIONS:-16}
wrk_threads=${THREADS:-2}
slow=${SLOW:-200}
interval=${INTERVAL_MS:-2000}
server_options=${SERVER_OPTIONS---connections-per-client 0}
slow_mode=${SLOW_MODE:-mixed}

command -v wrk >/dev/null || { echo "run_slow_clients.sh: wrk is not installed (apt-get install wrk)" >&2; exit 1; }
[ -x "$directory" ] || { echo "run_slow_clients.sh: no tessivar-directory at $directory" >&2; exit 1; }
[ -x "$slow_clients" ] || { echo "run_slow_clients.sh: no bench_slow_clients at $slow_clients" >&2; exit 1; }
[ -f "$data/stations.csv" ] || { echo "run_slow_clients.sh: no stations.csv in $data" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tessivar-slow.XXXXXX")
server_pids=()
cleanup() {
  for pid in "${server_pids[@]}"; do kill -TERM "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

echo "Importing $data/stations.csv ..."
"$directory" import --db "$work/catalogue.db" --stations "$data/stations.csv" >/dev/null

start_server() { # cache-mb -> sets server_port
  local out="$work/server-$1.out"
  # shellcheck disable=SC2086
  "$directory" serve --db "$work/catalogue.db" --port 0 --quiet --threads $((connections * 2)) --cache-mb "$1" \
    $server_options >"$out" 2>&1 &
  server_pids+=("$!")
  for _ in $(seq 1 100); do grep -q '^Listening on ' "$out" && break; sleep 0.1; done
  server_port=$(sed -n 's/^Listening on .*:\([0-9][0-9]*\)$/\1/p' "$out")
  [ -n "$server_port" ] || { echo "run_slow_clients.sh: the server did not start" >&2; cat "$out" >&2; exit 1; }
}

measure() { # port -> "requests/s p99-ms" (a run with no answer at all gives "0 timeouts")
  local out rps p99
  out=$(wrk -t"$wrk_threads" -c"$connections" -d"${round_seconds}s" --timeout 10s --latency \
    -s "$here/search_terms.lua" "http://127.0.0.1:$1/")
  echo "$out" >>"$work/wrk.log"
  rps=$(echo "$out" | awk '/^Requests\/sec:/ {print $2}')
  p99=$(echo "$out" | awk '$1 == "99%" {v = $2; if (v ~ /us$/) {sub(/us$/, "", v); v /= 1000} else if (v ~ /ms$/) {sub(/ms$/, "", v)} else if (v ~ /s$/) {sub(/s$/, "", v); v *= 1000}; printf "%.2f", v}')
  echo "${rps:-0} ${p99:-0}"
}

with_slow_clients() { # port -> measure while the slow clients hold their connections
  "$slow_clients" "$1" "$slow" $((round_seconds + 3)) "$interval" "$slow_mode" >"$work/slow.out" &
  local pid=$!
  for _ in $(seq 1 50); do grep -q 'connected' "$work/slow.out" && break; sleep 0.1; done
  sleep 1
  measure "$1"
  wait "$pid"
  tail -n 1 "$work/slow.out" >>"$work/slow.log"
}

round_seconds=$(( (duration + rounds - 1) / rounds ))
summary() { awk '{ r += $1; if ($2 > p) p = $2 } END { printf "%.2f %.2f\n", r / NR, p }' "$1"; }
echo "wrk: $wrk_threads threads, $connections connections, ${duration}s each in $rounds rounds; $slow slow clients (a step every ${interval} ms); wrk on 127.0.0.1, each slow client from an address of its own ($slow_mode)"
printf '%-44s %11s %9s %9s\n' "" "requests/s" "p99 (ms)" "ratio"
for cache in 0 64; do
  start_server "$cache"
  : >"$work/plain" && : >"$work/slow"
  for _ in $(seq 1 "$rounds"); do
    measure "$server_port" >>"$work/plain"
    with_slow_clients "$server_port" >>"$work/slow"
  done
  read -r plain_rps plain_p99 < <(summary "$work/plain")
  read -r slow_rps slow_p99 < <(summary "$work/slow")
  label="cache $([ "$cache" = 0 ] && echo off || echo on)"
  printf '%-44s %11.0f %9.2f\n' "$label, no slow clients" "$plain_rps" "$plain_p99"
  awk -v label="$label, $slow slow clients" -v r="$slow_rps" -v p="$slow_p99" -v base="$plain_rps" 'BEGIN {
    ratio = base > 0 ? r / base : 0
    verdict = (ratio >= 0.8) ? "goal met" : "goal not met"
    printf "%-44s %11.0f %9.2f %9.2f  %s\n", label, r, p, ratio, verdict }'
done
echo "goal: with the slow clients at least 0.80 of the requests/s without them"
echo "what the server did to the slow clients, per round:"
sed 's/^/  /' "$work/slow.log"
errors=$(grep -c 'Non-2xx\|Socket errors' "$work/wrk.log" || true)
[ "$errors" = "0" ] || { echo "wrk reported errors:"; grep 'Non-2xx\|Socket errors' "$work/wrk.log"; }
