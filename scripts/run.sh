#!/usr/bin/env bash
# Builds devhttpd and kiosk-sim (no sanitizers, tree build/run) and runs devhttpd
# on port 12531 under a simulated kiosk: a flipping board (type 09) with a card at
# the front slot and a standard board (type 00), on a simulated USB bus. Arguments
# go to devhttpd (for example: http_port 9000). Operator actions (insert a card,
# pull a cable) go to the control socket $KQ_SIM_CONTROL. Stop it with Ctrl-C.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake --preset run "${launcher[@]}" >/dev/null
cmake --build --preset run -j"$(nproc)"

control=${KQ_SIM_CONTROL:-/tmp/kiosk-sim.sock}
echo "devhttpd under kiosk-sim: boards 09 and 00, control socket $control"
exec build/run/bin/kiosk-sim --board 09,card=0 --board 00,pid=0x5741 --control "$control" \
  -- build/run/bin/devhttpd "$@"
