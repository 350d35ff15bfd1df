#!/usr/bin/env bash
# Runs the console test under kiosk-sim: KIOSK_SIM DEVHTTPD WEB_ROOT OUT_DIR.
# Installs the test's npm packages first when they are missing; the browser is
# the system's Chromium, nothing is downloaded for it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export PUPPETEER_SKIP_DOWNLOAD=1
if [ ! -d "$here/node_modules/puppeteer-core" ]; then
  (cd "$here" && npm ci --no-audit --no-fund --loglevel=error)
fi
mkdir -p "$OUT_DIR"
exec "$KIOSK_SIM" --speed 0.1 --board 09,card=0 --control "$OUT_DIR/sim.sock" \
  -- node "$here/console-test.mjs"
