#!/usr/bin/env bash
# The quick start on PostgreSQL: install, build, start a private PostgreSQL
# cluster in a folder of its own (pgdemo/, or OCG_PG_DIR) on a free loopback
# port, create the demo database there and serve it. The cluster runs as the
# invoking user, or as "nobody" when run as root (PostgreSQL refuses root),
# and stops with the service (Ctrl-C). Run it again to serve the same data.
#   OCG_LISTEN=127.0.0.1:8080 by default; OCG_PG_SERVE=0 only starts the
#   cluster and prints its connection string.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh ocg
dir=$(realpath -m "${OCG_PG_DIR:-pgdemo}")
bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -1)
as_owner=()
if [[ $(id -u) -eq 0 ]]; then as_owner=(runuser -u nobody --); fi
mkdir -p "$dir"
[[ $(id -u) -eq 0 ]] && chown nobody: "$dir"
if [[ ! -f $dir/data/PG_VERSION ]]; then
  # C.UTF-8: upper() knows the accented letters, as the embedded engine does.
  "${as_owner[@]}" "$bin/initdb" -D "$dir/data" -A trust -U ocg -E UTF8 --locale=C.UTF-8 \
      > "$dir/initdb.log"
fi
if "${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" status > /dev/null; then
  port=$(sed -n 4p "$dir/data/postmaster.pid")  # left running by OCG_PG_SERVE=0
else
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  "${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w \
      -o "-p $port -k $dir -c listen_addresses=127.0.0.1" start > /dev/null
fi
trap '"${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" -m fast stop > /dev/null' EXIT
connection="Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=$port;Database=postgres;Uid=ocg;Pwd=;"
if ! "${as_owner[@]}" "$bin/psql" -h "$dir" -p "$port" -U ocg -d postgres -tAc \
    "SELECT 1 FROM information_schema.tables WHERE table_name = 'docto_transporte'" | grep -q 1; then
  ./build/ocg init-db "$connection" --demo
else
  ./build/ocg upgrade "$connection"  # a cluster made by an older ocg
fi
if [[ ${OCG_PG_SERVE:-1} == 0 ]]; then
  echo "$connection"
  trap - EXIT
  exit 0
fi
echo
echo "PostgreSQL on 127.0.0.1:$port ($dir). Open http://${OCG_LISTEN:-127.0.0.1:8080}/ for the order screen, or try:"
echo "  curl -s -X POST http://${OCG_LISTEN:-127.0.0.1:8080}/ocg/gCons_Docto_Transp -d '{\"invntDocto_Transp_id\": 1}'"
echo
./build/ocg serve --listen "${OCG_LISTEN:-127.0.0.1:8080}" --db "demo=$connection" \
    --user "${OCG_USER:-5}"
