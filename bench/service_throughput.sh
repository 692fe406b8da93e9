#!/usr/bin/env bash
# Requests per second of the service for gCons_Docto_Transp (order 1, Oracle
# path, demo database) against a hello-world cpp-httplib handler, both with
# the same worker count and keep-alive settings, measured one after the other
# with wrk on 127.0.0.1 from the same machine. Prints both and their ratio.
#
#   bash bench/service_throughput.sh [SECONDS=10] [CONNECTIONS=8] [WORKERS=8]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
connections=${2:-8}
workers=${3:-8}
for tool in wrk build/ocg build/hello_server; do
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
for port in 18601 18602; do
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

# url pid -> "requests/s server-CPU-microseconds-per-request"
run() {
  local before after
  before=$(cpu_ticks "$2")
  wrk -t2 -c"$connections" -d"${seconds}s" -s "$dir/order.lua" "$1" > "$dir/wrk.out"
  after=$(cpu_ticks "$2")
  grep -E "Non-2xx|Socket errors" "$dir/wrk.out" >&2 || true
  awk -v ticks=$((after - before)) -v hz="$(getconf CLK_TCK)" '
    /^Requests\/sec/ {rps = $2}
    / requests in / {n = $1}
    END {printf "%s %.1f\n", rps, ticks / hz * 1e6 / n}' "$dir/wrk.out"
}
read -r service service_cpu < <(run http://127.0.0.1:18601/ocg/gCons_Docto_Transp "${pids[0]}")
read -r hello hello_cpu < <(run http://127.0.0.1:18602/hello "${pids[1]}")
echo "service gCons_Docto_Transp: $service requests/s, $service_cpu us of server CPU each"
echo "hello-world handler:        $hello requests/s, $hello_cpu us of server CPU each"
awk -v s="$service" -v h="$hello" 'BEGIN {printf "service / hello-world:      %.2f\n", s / h}'
