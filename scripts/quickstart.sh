#!/usr/bin/env bash
# From a fresh Debian 12 machine: install, build, create the demo database and
# read a collection order from it under both database kinds.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh ocg
rm -f demo.db demo.db-wal demo.db-shm
./build/ocg init-db demo.db --demo
export OCG_CONNECT="Data Source=demo.db" OCG_USER=5
echo
echo "== Order 1 under ORACLE (the component's own statement) =="
./build/ocg call gCons_Docto_Transp '{"invntDocto_Transp_id": 1}' --kind ORACLE
echo
echo "== The same order under SQLSERVER (the bundled stored procedure) =="
./build/ocg call gCons_Docto_Transp '{"invntDocto_Transp_id": 1}' --kind SQLSERVER
