#!/usr/bin/env bash
# Requests per second of the service for gCons_Docto_Transp (order 1, Oracle
# path, demo database) against two hello-world handlers with the same worker
# count: one on the service's own front end (Boost.Beast), one on cpp-httplib,
# a thread per connection. Measured one after the other with wrk on 127.0.0.1
# from the same machine; prints each with the server's CPU per request and
# wrk's p99 latency, and the service's ratio to each.
#
#   bash bench/service_throughput.sh [SECONDS=10] [CONNECTIONS=8] [WORKERS=8]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
connections=${2:-8}
workers=${3:-8}
for tool in wrk build/ocg build/hello_server build/front_end_hello_server; do
  command -v "$tool" > /dev/null || { echo "missing: $tool (bash scripts/build.sh)"; exit 2; }
done

dir=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null || true; done
  rm -rf "$dir"
}
trap cleanup EXIT

./build/ocg init-db "$dir/bench.db" --demo > /dev/null
./build/ocg serve --listen 127.0.0.1:18601 --db "bench=Data Source=$dir/bench.db" \
  --workers "$workers" > "$dir/serve.log" 2>&1 &
pids+=($!)
./build/hello_server 18602 "$workers" &
pids+=($!)
./build/front_end_hello_server 18603 "$workers" &
pids+=($!)
for port in 18601 18602 18603; do
  for _ in $(seq 1 100); do
    curl -s -o /dev/null "http://127.0.0.1:$port/" && break
    sleep 0.1
  done
done

cat > "$dir/order.lua" << 'LUA'
wrk.method = "POST"
wrk.body = '{"invntDocto_Transp_id": 1}'
wrk.headers["Content-Type"] = "application/json"
LUA

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

# url pid -> "requests/s server-CPU-microseconds-per-request p99"
run() {
  local before after
  before=$(cpu_ticks "$2")
  wrk -t2 -c"$connections" -d"${seconds}s" --latency -s "$dir/order.lua" "$1" > "$dir/wrk.out"
  after=$(cpu_ticks "$2")
  grep -E "Non-2xx|Socket errors" "$dir/wrk.out" >&2 || true
  awk -v ticks=$((after - before)) -v hz="$(getconf CLK_TCK)" '
    /^Requests\/sec/ {rps = $2}
    / requests in / {n = $1}
    /^ +99%/ {p99 = $2}
    END {printf "%s %.1f %s\n", rps, ticks / hz * 1e6 / n, p99}' "$dir/wrk.out"
}
read -r service service_cpu service_p99 < <(run http://127.0.0.1:18601/ocg/gCons_Docto_Transp "${pids[0]}")
read -r front front_cpu front_p99 < <(run http://127.0.0.1:18603/hello "${pids[2]}")
read -r hello hello_cpu hello_p99 < <(run http://127.0.0.1:18602/hello "${pids[1]}")
printf "%-28s %9s req/s %7s us CPU each  p99 %s\n" \
  "service gCons_Docto_Transp" "$service" "$service_cpu" "$service_p99" \
  "hello-world, front end" "$front" "$front_cpu" "$front_p99" \
  "hello-world, cpp-httplib" "$hello" "$hello_cpu" "$hello_p99"
awk -v s="$service" -v f="$front" -v h="$hello" 'BEGIN {
  printf "service / hello-world:      %.2f (front end), %.2f (cpp-httplib)\n", s / f, s / h}'
