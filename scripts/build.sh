#!/usr/bin/env bash
# Installs the packages (unless OCG_SKIP_DEPS=1), configures and builds into
# build/: every target, or only those named (bash scripts/build.sh ocg).
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ "${OCG_SKIP_DEPS:-0}" != 1 ]]; then
  bash scripts/install-deps.sh
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build ${1:+--target "$@"}
