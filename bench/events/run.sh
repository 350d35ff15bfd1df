#!/usr/bin/env bash
# Event latency from kiosk-sim's physical change to the browser console's page
# update, 100 moves of a flipping board. Usage: bench/events/run.sh [BUILD_DIR]
# (default build/run, as scripts/run.sh builds it). Goal: median under 20 ms,
# worst under 100 ms.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/run}
bash scripts/setup-deps.sh >/dev/null
sock=$(mktemp -u /tmp/event-latency-XXXXXX.sock)
DEVHTTPD=$PWD/$build/bin/devhttpd exec "$build/bin/kiosk-sim" --speed "${KQ_BENCH_SPEED:-0}" --board 09,card=0 \
  --control "$sock" -- node bench/events/latency.mjs
