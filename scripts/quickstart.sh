#!/usr/bin/env bash
# From a fresh Debian 12 machine: install, build, create the demo database and
# serve it. Prints the address to open; Ctrl-C stops the service.
#   OCG_LISTEN=127.0.0.1:8080 by default.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh ocg
if [[ ! -f demo.db ]]; then
  ./build/ocg init-db demo.db --demo
else
  ./build/ocg upgrade demo.db  # one made by an earlier build; nothing to do when current
fi
echo
echo "Open http://${OCG_LISTEN:-127.0.0.1:8080}/ for the order screen, or try:"
echo "  curl -s -X POST http://${OCG_LISTEN:-127.0.0.1:8080}/ocg/gCons_Docto_Transp -d '{\"invntDocto_Transp_id\": 1}'"
echo
exec ./build/ocg serve --listen "${OCG_LISTEN:-127.0.0.1:8080}" --db "demo=Data Source=demo.db" \
    --user "${OCG_USER:-5}"
