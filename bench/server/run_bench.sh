#!/usr/bin/env bash
# Keyword searches under load from wrk against tessivar-directory serving the 20,000-station
# catalogue, and, in the same run, against nginx serving a saved copy of one result page.
# The searches are a generated list of a few thousand (make_queries.py, words of the catalogue's names,
# genres and places, fixed seed), so the answer cache helps only as much as real searches repeat.
# Prints requests/s and the 99th-percentile latency of each, and the ratios. The server runs twice:
# with its answer cache off (every search computed) and on (the default).
#
#   run_bench.sh [path/to/tessivar-directory] [data folder with stations.csv]
# Environment: DURATION (seconds each, default 15), ROUNDS (turns they are split into, default 5),
# CONNECTIONS (default 16), THREADS (wrk threads, default 2).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
directory=${1:-$top/build/bin/tessivar-directory}
data=${2:-$top/../shared/data}
duration=${DURATION:-15}
rounds=${ROUNDS:-5}
connections=${CONNECTIONS:-16}
wrk_threads=${THREADS:-2}

for tool in wrk nginx curl python3; do
  command -v "$tool" >/dev/null || { echo "run_bench.sh: $tool is not installed (apt-get install wrk nginx-light curl)" >&2; exit 1; }
done
[ -x "$directory" ] || { echo "run_bench.sh: no tessivar-directory at $directory" >&2; exit 1; }
[ -f "$data/stations.csv" ] || { echo "run_bench.sh: no stations.csv in $data" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tessivar-bench.XXXXXX")
server_pids=()
nginx_pid=""
cleanup() {
  for pid in "${server_pids[@]}"; do kill -TERM "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
  [ -n "$nginx_pid" ] && kill -QUIT "$nginx_pid" 2>/dev/null && wait "$nginx_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

echo "Importing $data/stations.csv ..."
python3 "$here/make_queries.py" "$data/stations.csv" "$work/queries.txt"
export TESSIVAR_QUERIES="$work/queries.txt"
"$directory" import --db "$work/catalogue.db" --stations "$data/stations.csv" >/dev/null

start_server() { # cache-mb -> sets server_port, appends to server_pids
  local out="$work/server-$1.out"
  "$directory" serve --db "$work/catalogue.db" --port 0 --quiet --threads $((connections * 2)) --cache-mb "$1" \
    >"$out" 2>&1 &
  server_pids+=("$!")
  for _ in $(seq 1 100); do grep -q '^Listening on ' "$out" && break; sleep 0.1; done
  server_port=$(sed -n 's/^Listening on .*:\([0-9][0-9]*\)$/\1/p' "$out")
  [ -n "$server_port" ] || { echo "run_bench.sh: the server did not start" >&2; cat "$out" >&2; exit 1; }
}
start_server 0
uncached_port=$server_port
start_server 64
cached_port=$server_port

# nginx serves the page a typical search returns, saved from the server itself.
mkdir -p "$work/www" "$work/nginx"
chmod 755 "$work" "$work/www"
curl -sf "http://127.0.0.1:$cached_port/tessivar37.asp?V=3.7&P=T&T1=jazz&F=1&RA=1&MA=1&NA=1&LIVE=1&SPD=0" \
  >"$work/www/result.html"
nginx_port=""
for candidate in $(seq 18437 18537); do
  if ! (exec 3<>"/dev/tcp/127.0.0.1/$candidate") 2>/dev/null; then nginx_port=$candidate; break; fi
done
[ -n "$nginx_port" ] || { echo "run_bench.sh: no free port for nginx" >&2; exit 1; }
cat >"$work/nginx/nginx.conf" <<CONF
daemon off;
worker_processes auto;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 1024; }
http {
  access_log off;
  client_body_temp_path $work/nginx/body;
  proxy_temp_path $work/nginx/proxy;
  fastcgi_temp_path $work/nginx/fastcgi;
  uwsgi_temp_path $work/nginx/uwsgi;
  scgi_temp_path $work/nginx/scgi;
  server {
    listen 127.0.0.1:$nginx_port;
    root $work/www;
    location / { default_type text/html; }
  }
}
CONF
nginx -p "$work/nginx" -c "$work/nginx/nginx.conf" 2>"$work/nginx/start.log" &
nginx_pid=$!
for _ in $(seq 1 50); do curl -sf -o /dev/null "http://127.0.0.1:$nginx_port/result.html" && break; sleep 0.1; done

measure() { # url [script] -> "requests/s p99-ms"
  local out
  if [ -n "${2:-}" ]; then
    out=$(wrk -t"$wrk_threads" -c"$connections" -d"${duration}s" --latency -s "$2" "$1")
  else
    out=$(wrk -t"$wrk_threads" -c"$connections" -d"${duration}s" --latency "$1")
  fi
  echo "$out" >>"$work/wrk.log"
  local rps p99
  rps=$(echo "$out" | awk '/^Requests\/sec:/ {print $2}')
  p99=$(echo "$out" | awk '$1 == "99%" {v = $2; if (v ~ /us$/) {sub(/us$/, "", v); v /= 1000} else if (v ~ /ms$/) {sub(/ms$/, "", v)} else if (v ~ /s$/) {sub(/s$/, "", v); v *= 1000}; printf "%.2f", v}')
  echo "$rps $p99"
}

# The three take turns in short rounds, so a change in what else the machine runs meets all of them.
# Each figure is the mean requests/s over its rounds and the worst round's p99.
round_seconds=$(( (duration + rounds - 1) / rounds ))
echo "wrk: $wrk_threads threads, $connections connections, ${duration}s each in $rounds rounds, all on 127.0.0.1"
: >"$work/cold" && : >"$work/warm" && : >"$work/nginx.figures"
for _ in $(seq 1 "$rounds"); do
  duration=$round_seconds measure "http://127.0.0.1:$uncached_port/" "$here/search_terms.lua" >>"$work/cold"
  duration=$round_seconds measure "http://127.0.0.1:$cached_port/" "$here/search_terms.lua" >>"$work/warm"
  duration=$round_seconds measure "http://127.0.0.1:$nginx_port/result.html" >>"$work/nginx.figures"
done
summary() { awk '{ r += $1; if ($2 > p) p = $2 } END { printf "%.2f %.2f\n", r / NR, p }' "$1"; }
read -r cold_rps cold_p99 < <(summary "$work/cold")
read -r warm_rps warm_p99 < <(summary "$work/warm")
read -r nginx_rps nginx_p99 < <(summary "$work/nginx.figures")
errors=$(grep -c 'Non-2xx\|Socket errors' "$work/wrk.log" || true)

row() { # label requests/s p99 -> one line with the ratio to nginx and the verdict on the goal
  awk -v label="$1" -v r="$2" -v p="$3" -v g="$4" -v n="$nginx_rps" 'BEGIN {
    ratio = r / n
    verdict = (ratio >= g) ? "goal met" : "goal not met"
    printf "%-52s %11.0f %9.2f %9.2f  %s\n", label, r, p, ratio, verdict }'
}
printf '%-52s %11s %9s %9s\n' "" "requests/s" "p99 (ms)" "to nginx"
row "tessivar-directory, cache off (every search computed)" "$cold_rps" "$cold_p99" 0.3
row "tessivar-directory, cache on (default)" "$warm_rps" "$warm_p99" 0.7
printf '%-52s %11.0f %9.2f\n' "nginx, saved result page ($(wc -c <"$work/www/result.html") bytes)" "$nginx_rps" "$nginx_p99"
echo "goal: at least 0.30 of nginx's requests/s computed, 0.70 with the cache"
[ "$errors" = "0" ] || { echo "wrk reported errors:"; grep 'Non-2xx\|Socket errors' "$work/wrk.log"; }
