#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the service and the tests need:
# Boost (Beast is the service's HTTP front end), cpp-httplib (the tests' and
# the benchmark's HTTP client and yardstick), wrk for the throughput
# benchmark, chromium for the order screen's browser tests, libcurl for the
# job runner's e-mail and aiosmtpd for the local SMTP server its tests start;
# then, with npm, the exact axe-core version tests/server/package.json names,
# which the browser tests load.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  libsqlite3-dev sqlite3
  nlohmann-json3-dev libcli11-dev libboost-dev libcpp-httplib-dev
  libgtest-dev libbenchmark-dev wrk chromium curl
  # the ODBC engine, and the drivers and server its tests run against
  unixodbc-dev libsqliteodbc odbc-postgresql postgresql
  # the job runner's SMTP client, and the server its tests run against
  libcurl4-openssl-dev python3-aiosmtpd
)
# npm comes with the machine's Node.js where there is one, else from Debian.
command -v npm > /dev/null || packages+=(npm)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]} > 0)); then
  SUDO=""
  if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

page_tests="$(dirname "$0")/../tests/server"
wanted=$(sed -n 's/.*"axe-core": "\(.*\)".*/\1/p' "$page_tests/package.json")
installed=$(sed -n 's/^  "version": "\(.*\)".*/\1/p' \
  "$page_tests/node_modules/axe-core/package.json" 2>/dev/null || true)
if [[ "$installed" != "$wanted" ]]; then
  npm install --prefix "$page_tests" --no-package-lock --no-audit --no-fund --loglevel=error
fi
