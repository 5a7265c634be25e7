#!/usr/bin/env bash
# tessivar-directory with a million stations: builds the catalogue file from the shared stations (names
# and addresses made unique, make_catalogue.py), imports it under /usr/bin/time -v, then measures
# keyword searches computed every time (--cache-mb 0) from wrk with the generated searches
# (make_queries.py), alone and beside three clients downloading "list all" over and over, and "list all"
# (first byte, total, the server's peak memory before and after).
#
#   run_million.sh [path/to/tessivar-directory] [data folder with stations.csv]
# Environment: ROWS (default 1000000), SHAPE (how copies differ, make_catalogue.py: path, the default, or
# query: " N" after each name and "?copy=N" after each address), DURATION (wrk seconds, default 30), CONNECTIONS (default 8),
# THREADS (wrk threads, default 2), WORK (folder kept between runs for the CSV; default a temporary one),
# CATALOGUE (an imported catalogue to serve instead of importing; the import is then not measured).
# Heavy: run it alone, under nice.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
directory=${1:-$top/build/bin/tessivar-directory}
data=${2:-$top/../shared/data}
rows=${ROWS:-1000000}
shape=${SHAPE:-path}
duration=${DURATION:-30}
connections=${CONNECTIONS:-8}
wrk_threads=${THREADS:-2}

for tool in wrk curl python3 /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "run_million.sh: $tool is not installed" >&2; exit 1; }
done
[ -x "$directory" ] || { echo "run_million.sh: no tessivar-directory at $directory" >&2; exit 1; }

keep=${WORK:-}
work=${WORK:-$(mktemp -d "${TMPDIR:-/tmp}/tessivar-million.XXXXXX")}
mkdir -p "$work"
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill -TERM "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  [ -z "${CATALOGUE:-}" ] && rm -f "$work"/catalogue.db*
  [ -z "$keep" ] && rm -rf "$work"
  return 0
}
trap cleanup EXIT

csv="$work/stations-$rows-$shape.csv"
[ -n "${CATALOGUE:-}" ] || [ -f "$csv" ] || python3 "$here/make_catalogue.py" "$data/stations.csv" "$csv" "$rows" "$shape"
python3 "$here/make_queries.py" "$data/stations.csv" "$work/queries.txt"

catalogue=${CATALOGUE:-$work/catalogue.db}
if [ -z "${CATALOGUE:-}" ]; then
  echo "Importing $rows stations ..."
  rm -f "$catalogue"*
  /usr/bin/time -v "$directory" import --db "$catalogue" --stations "$csv" >"$work/import.out" 2>"$work/import.time"
  import_seconds=$(awk -F': ' '/Elapsed \(wall clock\)/ {n = split($2, p, ":"); s = 0; for (i = 1; i <= n; ++i) s = s * 60 + p[i]; print s}' "$work/import.time")
  import_cpu=$(awk -F': ' '/(User|System) time/ {s += $2} END {printf "%.0f", s}' "$work/import.time")
  import_mb=$(awk -F': ' '/Maximum resident set size/ {printf "%.0f", $2 / 1024}' "$work/import.time")
  printf 'import: %s s (%s s of processor time), peak %s MB, catalogue %s MB\n' "$import_seconds" "$import_cpu" \
    "$import_mb" "$(du -m "$catalogue" | cut -f1)"
fi

"$directory" serve --db "$catalogue" --port 0 --quiet --threads $((connections * 2)) --cache-mb 0 \
  >"$work/server.out" 2>&1 &
server_pid=$!
for _ in $(seq 1 300); do grep -q '^Listening on ' "$work/server.out" && break; sleep 0.1; done
port=$(sed -n 's/^Listening on .*:\([0-9][0-9]*\)$/\1/p' "$work/server.out")
[ -n "$port" ] || { echo "run_million.sh: the server did not start" >&2; cat "$work/server.out" >&2; exit 1; }

# The server's own memory (not the catalogue's pages it maps, which the kernel may drop at any time).
anon_mb() { awk '/^RssAnon:/ {printf "%.0f", $2 / 1024}' "/proc/$server_pid/status"; }

# Warm the catalogue's pages once, as a server that has run for a while has them.
curl -s -o /dev/null "http://127.0.0.1:$port/tessivar37.asp?V=3.7&P=T&T1=ALL&LIVE=1"
out=$(TESSIVAR_QUERIES="$work/queries.txt" wrk -t"$wrk_threads" -c"$connections" -d"${duration}s" --latency \
  -s "$here/search_terms.lua" "http://127.0.0.1:$port/")
echo "$out" >"$work/wrk.log"
ms() { awk -v key="$1" '$1 == key {v = $2; if (v ~ /us$/) {sub(/us$/, "", v); v /= 1000} else if (v ~ /ms$/) {sub(/ms$/, "", v)} else if (v ~ /s$/) {sub(/s$/, "", v); v *= 1000}; printf "%.1f", v}' <<<"$out"; }
rps=$(awk '/^Requests\/sec:/ {printf "%.0f", $2}' <<<"$out")

before=$(anon_mb)
curl -s -o "$work/list.html" -w '%{time_starttransfer} %{time_total} %{size_download}' \
  "http://127.0.0.1:$port/tessivar37.asp?V=3.7&P=T&T1=ALL&LIVE=1" >"$work/list.figures" &
curl_pid=$!
after=$before
while kill -0 "$curl_pid" 2>/dev/null; do
  now=$(anon_mb)
  [ "$now" -gt "$after" ] && after=$now
  sleep 0.05
done
wait "$curl_pid"
read -r first total size <"$work/list.figures" || true  # curl ends it without a line break
rm -f "$work/list.html"

# The searches again while three clients download list all over and over: a long answer must not hold
# up the others.
list_all() { while curl -s -o /dev/null "http://127.0.0.1:$port/tessivar37.asp?V=3.7&P=T&T1=ALL&LIVE=1"; do :; done; }
list_pids=()
for _ in 1 2 3; do list_all & list_pids+=("$!"); done
beside=$(TESSIVAR_QUERIES="$work/queries.txt" wrk -t"$wrk_threads" -c"$connections" -d"$(( (duration + 1) / 2 ))s" \
  --latency -s "$here/search_terms.lua" "http://127.0.0.1:$port/")
kill "${list_pids[@]}" 2>/dev/null; wait "${list_pids[@]}" 2>/dev/null || true

printf 'searches (cache off, %s connections): %s requests/s, p50 %s ms, p99 %s ms\n' "$connections" "$rps" "$(ms 50%)" "$(ms 99%)"
out=$beside
printf '  beside 3 clients downloading list all: %s requests/s, p50 %s ms, p99 %s ms\n' \
  "$(awk '/^Requests\/sec:/ {printf "%.0f", $2}' <<<"$out")" "$(ms 50%)" "$(ms 99%)"
awk -v f="$first" -v t="$total" -v s="$size" -v b="$before" -v a="$after" 'BEGIN {
  printf "list all: first byte %.0f ms, total %.2f s, %.0f MB; server memory (anonymous) %s MB before, at most %s MB while sending\n",
    f * 1000, t, s / 1048576, b, a }'
grep -q 'Non-2xx\|Socket errors' "$work/wrk.log" && { echo "wrk reported errors:"; grep 'Non-2xx\|Socket errors' "$work/wrk.log"; }
exit 0
