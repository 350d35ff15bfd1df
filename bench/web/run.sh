#!/usr/bin/env bash
# Web benchmark, in one run: wrk with 8 keep-alive connections against
# devhttpd's heart_beat (answered on the network thread), against add_filter_dev
# (a method without device I/O that takes the one-at-a-time worker path), and
# against the bare civetweb engine answering the same 27 bytes. The web layer
# alone, without the SDK, shows which part of the cost is the SDK's, and a bare
# single-threaded Beast server which part is the engine's own. wrk takes
# more than one of two cores, so the server's CPU time per request is the
# fairer efficiency figure; figures are ratios against the bare engine.
# Then hostile clients: RSS after $KQ_BENCH_HOSTILE requests of the kinds the
# tests send, heart_beat latency beside 1000 idle and 200 slow connections,
# and CPU while idle.
# Goals: heart_beat CPU/request <= 1.0 and requests/s >= 0.8 of the bare
# engine; add_filter_dev CPU/request <= 1.3; p99 <= 1 ms for both; every
# connection served; RSS <= 64 MB after the hostile requests; idle CPU 0.
# Build folder: $KQ_BENCH_BUILD_DIR (build/bench, the bench preset's tree).
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${KQ_BENCH_BUILD_DIR:-build/bench}
seconds=${KQ_BENCH_SECONDS:-5}
hostile_requests=${KQ_BENCH_HOSTILE:-100000}

if [ "${KQ_BENCH_SKIP_BUILD:-0}" != 1 ]; then
  cmake --preset bench -B "$build" >/dev/null
  cmake --build "$build" --target devhttpd bare_heart_beat bare_beast_heart_beat web_heart_beat -j"$(nproc)" >/dev/null
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
scratch=$(mktemp -d)
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$scratch"
}
trap cleanup EXIT

service_port=$(free_port)
# In a folder of its own, so ./web is an empty document root.
mkdir -p "$scratch/web"
(cd "$scratch" && exec "$OLDPWD/$build/bin/devhttpd" http_port "$service_port" >/dev/null) &
pids+=($!)
bare_port=$(free_port)
"$build/bin/bare_heart_beat" "$bare_port" &
pids+=($!)
web_port=$(free_port)
"$build/bin/web_heart_beat" "$web_port" &
pids+=($!)
beast_port=$(free_port)
"$build/bin/bare_beast_heart_beat" "$beast_port" &
pids+=($!)
wait_port "$service_port"
wait_port "$bare_port"
wait_port "$web_port"
wait_port "$beast_port"

# CPU time of a process in clock ticks, user and system.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# One wrk run against the server with the given port and process id, posting
# the body $3 and expecting the reply body $4; adds the server's CPU time per
# request, which other load on the machine disturbs less than requests/s.
measure() {
  local before after result requests
  before=$(cpu_ticks "$2")
  result=$(KQ_BENCH_BODY="$3" KQ_BENCH_EXPECT="$4" wrk -t8 -c8 -d"${seconds}s" --latency \
    -s bench/web/heartbeat.lua "http://127.0.0.1:$1/api/call_method/heart_beat" | grep '^RESULT')
  after=$(cpu_ticks "$2")
  requests=$(sed -n 's/.*requests=\([0-9]*\).*/\1/p' <<<"$result")
  echo "$result cpu_us_per_request=$(python3 -c "print(round(($after - $before) * 1e6 / $(getconf CLK_TCK) / max($requests, 1), 1))")"
}

beat='{"funccode":"heart_beat"}'
beat_reply='{"msg":"成功","result":0}'
filter='{"funccode":"add_filter_dev"}'
heart_beat=$(measure "$service_port" "${pids[0]}" "$beat" "$beat_reply")
serial=$(measure "$service_port" "${pids[0]}" "$filter" "")
bare=$(measure "$bare_port" "${pids[1]}" "$beat" "$beat_reply")
web=$(measure "$web_port" "${pids[2]}" "$beat" "$beat_reply")
beast=$(measure "$beast_port" "${pids[3]}" "$beat" "$beat_reply")
echo "devhttpd heart_beat:     ${heart_beat#RESULT }"
echo "devhttpd add_filter_dev: ${serial#RESULT }"
echo "bare civetweb:           ${bare#RESULT }"
echo "web layer, no SDK:       ${web#RESULT }"
echo "bare Beast:              ${beast#RESULT }"

flood=$(python3 bench/web/hostile.py "$service_port" "${pids[0]}" "$hostile_requests")
crowd=$(python3 bench/web/hostile.py "$service_port" "${pids[0]}" crowd)
sleep 6  # idle connections time out
idle_before=$(cpu_ticks "${pids[0]}")
sleep 5
idle_after=$(cpu_ticks "${pids[0]}")
echo "hostile: ${flood#HOSTILE }"
echo "crowd:   ${crowd#HOSTILE }"
echo "idle:    $((idle_after - idle_before)) ticks of CPU in 5 s"

field() { sed -n "s/.*[ ]$2=\([0-9.]*\).*/\1/p" <<<" $1"; }
python3 - <<PY
hb = dict(rps=$(field "$heart_beat" rps), cpu=$(field "$heart_beat" cpu_us_per_request),
          p99=$(field "$heart_beat" p99_us), least=$(field "$heart_beat" conn_min),
          bad=$(field "$heart_beat" bad) + $(field "$heart_beat" errors))
se = dict(rps=$(field "$serial" rps), cpu=$(field "$serial" cpu_us_per_request),
          p99=$(field "$serial" p99_us), least=$(field "$serial" conn_min),
          bad=$(field "$serial" bad) + $(field "$serial" errors))
bare = dict(rps=$(field "$bare" rps), cpu=$(field "$bare" cpu_us_per_request))
web = dict(rps=$(field "$web" rps), cpu=$(field "$web" cpu_us_per_request))
beast = dict(rps=$(field "$beast" rps), cpu=$(field "$beast" cpu_us_per_request))
rss_mb = $(field "$flood" rss_kib) / 1024
idle = $((idle_after - idle_before))
r = lambda a, b: a / b if b else 0.0
print(f"heart_beat:     cpu/request {r(hb['cpu'], bare['cpu']):.2f}, requests/s {r(hb['rps'], bare['rps']):.2f} of bare civetweb, p99 {hb['p99']:.0f} us")
print(f"add_filter_dev: cpu/request {r(se['cpu'], bare['cpu']):.2f}, requests/s {r(se['rps'], bare['rps']):.2f} of bare civetweb, p99 {se['p99']:.0f} us")
print(f"web layer:      cpu/request {r(web['cpu'], bare['cpu']):.2f}, requests/s {r(web['rps'], bare['rps']):.2f} of bare civetweb")
print(f"bare Beast:     cpu/request {r(beast['cpu'], bare['cpu']):.2f}, requests/s {r(beast['rps'], bare['rps']):.2f} of bare civetweb")
print(f"RSS after hostile requests {rss_mb:.1f} MB, idle CPU {idle} ticks")
goals = {
    "heart_beat cpu <= 1.0": r(hb['cpu'], bare['cpu']) <= 1.0,
    "heart_beat rps >= 0.8": r(hb['rps'], bare['rps']) >= 0.8,
    "add_filter_dev cpu <= 1.3": r(se['cpu'], bare['cpu']) <= 1.3,
    "p99 <= 1 ms": hb['p99'] <= 1000 and se['p99'] <= 1000,
    "every connection served": hb['least'] > 0 and se['least'] > 0 and hb['bad'] == 0 and se['bad'] == 0,
    "RSS <= 64 MB": rss_mb <= 64,
    "idle CPU 0": idle == 0,
}
for name, met in goals.items():
    print(f"  {'met   ' if met else 'MISSED'} {name}")
PY
