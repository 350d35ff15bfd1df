-- POSTs a method document (heart_beat unless KQ_BENCH_BODY names another) and
-- counts the replies whose body is KQ_BENCH_EXPECT; with one connection per
-- thread, the replies counted per thread are the replies per connection.
wrk.method = "POST"
wrk.body = os.getenv("KQ_BENCH_BODY") or '{"funccode":"heart_beat"}'
wrk.headers["Content-Type"] = "application/json"
local expected = os.getenv("KQ_BENCH_EXPECT") or '{"msg":"成功","result":0}'

local threads = {}

function setup(thread)
  table.insert(threads, thread)
end

function init(args)
  replies = 0
  failures = 0
end

function response(status, headers, body)
  if status == 200 and body == expected then
    replies = replies + 1
  else
    failures = failures + 1
  end
end

function done(summary, latency, requests)
  local least, most, bad = nil, 0, 0
  for _, thread in ipairs(threads) do
    local n = thread:get("replies")
    bad = bad + thread:get("failures")
    if least == nil or n < least then least = n end
    if n > most then most = n end
  end
  io.write(string.format("RESULT requests=%d rps=%.0f p99_us=%.0f conn_min=%d conn_max=%d bad=%d errors=%d\n",
    summary.requests, summary.requests / (summary.duration / 1e6), latency:percentile(99),
    least or 0, most, bad,
    summary.errors.connect + summary.errors.read + summary.errors.write +
    summary.errors.status + summary.errors.timeout))
end
