#!/usr/bin/env bash
# Web benchmark: wrk with 8 keep-alive connections against devhttpd's
# heart_beat route and, in the same run, against the bare engine answering the
# same 27 bytes with the same worker pool. Prints requests/s, p99 latency and
# per-connection reply counts of both, and their ratio. A third server, the
# web layer answering the same reply without the SDK, shows which part of the
# difference is the SDK's.
# Goal: devhttpd at least 0.9 of the bare engine's requests/s, p99 at most
# 1 ms, every connection served. Build folder: $KQ_BENCH_BUILD_DIR (build).
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${KQ_BENCH_BUILD_DIR:-build}
seconds=${KQ_BENCH_SECONDS:-5}

if [ "${KQ_BENCH_SKIP_BUILD:-0}" != 1 ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKQ_SANITIZE=OFF >/dev/null
  cmake --build "$build" --target devhttpd bare_heart_beat web_heart_beat -j"$(nproc)" >/dev/null
fi

free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

wait_port() {
  for _ in $(seq 100); do
    if curl -s -o /dev/null --max-time 1 "http://127.0.0.1:$1/"; then return 0; fi
    sleep 0.1
  done
  echo "nothing answers on port $1" >&2
  return 1
}

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

service_port=$(free_port)
"$build/bin/devhttpd" http_port "$service_port" >/dev/null &
pids+=($!)
bare_port=$(free_port)
"$build/bin/bare_heart_beat" "$bare_port" &
pids+=($!)
web_port=$(free_port)
"$build/bin/web_heart_beat" "$web_port" &
pids+=($!)
wait_port "$service_port"
wait_port "$bare_port"
wait_port "$web_port"

# CPU time of a process in clock ticks, user and system.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# One wrk run against the server with the given port and process id; adds the
# server's CPU time per request, which other load on the machine disturbs less
# than requests/s.
measure() {
  local before after result requests
  before=$(cpu_ticks "$2")
  result=$(wrk -t8 -c8 -d"${seconds}s" --latency -s bench/web/heartbeat.lua \
    "http://127.0.0.1:$1/api/call_method/heart_beat" | grep '^RESULT')
  after=$(cpu_ticks "$2")
  requests=$(sed -n 's/.*requests=\([0-9]*\).*/\1/p' <<<"$result")
  echo "$result cpu_us_per_request=$(python3 -c "print(round(($after - $before) * 1e6 / $(getconf CLK_TCK) / max($requests, 1), 1))")"
}

service=$(measure "$service_port" "${pids[0]}")
bare=$(measure "$bare_port" "${pids[1]}")
web=$(measure "$web_port" "${pids[2]}")
echo "devhttpd heart_beat: ${service#RESULT }"
echo "bare engine:         ${bare#RESULT }"
echo "web layer, no SDK:   ${web#RESULT }"

field() { sed -n "s/.*$2=\([0-9.]*\).*/\1/p" <<<"$1"; }
python3 - "$(field "$service" rps)" "$(field "$bare" rps)" "$(field "$service" p99_us)" \
  "$(field "$service" conn_min)" "$(field "$service" bad)" "$(field "$service" errors)" \
  "$(field "$web" rps)" <<'PY'
import sys
rps, bare, p99, least, bad, errors, web = (float(v) for v in sys.argv[1:])
ratio = rps / bare if bare else 0.0
print(f"web layer without the SDK: {web / bare if bare else 0.0:.3f} of the bare engine")
met = ratio >= 0.9 and p99 <= 1000 and least > 0 and bad == 0 and errors == 0
print(f"ratio {ratio:.3f}, p99 {p99:.0f} us, slowest connection {least:.0f} replies: "
      f"goal {'met' if met else 'missed'}")
PY
