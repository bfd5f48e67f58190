#!/usr/bin/env bash
# A load measurement of varnex serve on loopback (not a test): USERS distinct
# sessions (1000 by default) send inputs to the demo brain through wrk for
# SECONDS each, with the memory store and then with the SQLite store (or
# the stores named in STORE: memory, sqlite, redis or all; redis starts a
# redis-server of its own on a Unix socket, without persistence). Prints
# wrk's inputs a second and latency percentiles, the answers a second the
# service counted, and the memory one idle session costs. Then sends inputs at
# half that peak rate on a fixed schedule (varnex_paced_load, built with the
# benchmarks) and prints the latency percentiles from each input's scheduled
# time.
#   bash scripts/install-deps.sh bench   # wrk
#   [STORE=redis] bash bench/serve/load.sh [VARNEX] [BRAIN]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
varnex=${1:-$here/../../build/console/varnex}
paced=${PACED:-$(dirname "$varnex")/../bench/varnex_paced_load}
brain=${2:-$here/../../brains/demo.vlf}
users=${USERS:-1000}
seconds=${SECONDS_EACH:-10}
connections=${CONNECTIONS:-50}
threads=${THREADS:-2}
stores=${STORE:-memory sqlite}
[ "$stores" = all ] && stores="memory sqlite redis"
dir=$(mktemp -d)
pid=
redis_pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  [ -n "$redis_pid" ] && kill "$redis_pid" 2>/dev/null && wait "$redis_pid" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT

cat >"$dir/users.lua" <<LUA
-- Each request: a random one of $users users says a random one of a few inputs.
local inputs = {"hello", "my name is Ann", "what is my name?", "what do you grow?", "tell me a joke",
                "water the plants", "I love the basil", "what is my favourite plant?"}
local headers = {["Content-Type"] = "application/json"}
request = function()
  local user = math.random($users)
  local input = inputs[math.random(#inputs)]
  return wrk.format("POST", "/v1/sessions/user" .. user .. "/input", headers, '{"input":"' .. input .. '"}')
end
LUA

rss_kib() { awk '/^VmRSS/ {print $2}' "/proc/$1/status"; }
metric() { curl -s "$base/metrics" | awk -v m="$1" '$1 == m {print $2}'; }

for kind in $stores; do
  case $kind in
    memory) store=memory ;;
    sqlite) store="sqlite:$dir/sessions.db" ;;
    redis)
      redis-server --port 0 --unixsocket "$dir/redis.sock" --unixsocketperm 700 --save "" --appendonly no \
        --dir "$dir" --logfile "$dir/redis.log" &
      redis_pid=$!
      for _ in $(seq 100); do [ "$(redis-cli -s "$dir/redis.sock" ping 2>/dev/null)" = PONG ] && break; sleep 0.05; done
      store="redis+unix://$dir/redis.sock"
      ;;
    *) echo "STORE: $kind is not memory, sqlite, redis or all" >&2; exit 2 ;;
  esac
  "$varnex" serve --listen 127.0.0.1:0 --store "$store" --rate 0 --threads "$threads" "$brain" \
    >"$dir/out" 2>"$dir/err" &
  pid=$!
  for _ in $(seq 50); do grep -q '^listening on ' "$dir/out" && break; sleep 0.1; done
  base=$(sed -n 's/^listening on //p' "$dir/out")
  echo "== store $store, $threads worker brains, $users users, $connections connections, ${seconds}s"
  before=$(rss_kib "$pid")
  # Every user says one thing first, so that the run measures sessions
  # that exist (and the memory they hold is counted below).
  for u in $(seq "$users"); do
    [ "$u" = 1 ] || echo next
    printf 'url = "%s/v1/sessions/user%d/input"\noutput = "/dev/null"\nheader = "Content-Type: application/json"\n' \
      "$base" "$u"
    printf 'data = "{\\"input\\": \\"hello\\"}"\n'
  done >"$dir/first.curl"
  curl -s -K "$dir/first.curl"
  after=$(rss_kib "$pid")
  echo "sessions: $(metric varnex_sessions); resident memory ${before} KiB before them, ${after} KiB after:" \
    "$(( (after - before) * 1024 / users )) bytes per idle session"
  answers0=$(metric varnex_answers_total)
  inputs0=$(metric varnex_inputs_total)
  wrk -t2 -c"$connections" -d"${seconds}s" --latency -s "$dir/users.lua" "$base" |
    grep -E 'Latency|50%|90%|99%|Requests/sec|Non-2xx|Socket errors|requests in'
  answers=$(( $(metric varnex_answers_total) - answers0 ))
  inputs=$(( $(metric varnex_inputs_total) - inputs0 ))
  echo "the service answered $inputs inputs with $answers answers: $(( answers / seconds )) answers a second"
  mean_ms() { awk -v s="$(metric "$1_sum")" -v c="$(metric "$1_count")" 'BEGIN {printf "%.3f", c ? 1000 * s / c : 0}'; }
  echo "mean engine turn $(mean_ms varnex_engine_seconds) ms, mean store write $(mean_ms varnex_store_write_seconds) ms"
  # Latency at half the peak, sent on a fixed schedule so that a stall
  # cannot hide by holding back the requests behind it.
  half=$(( inputs / seconds / 2 ))
  echo "-- at half the peak: $half inputs a second, open loop"
  "$paced" "${base#http://}" "$half" "$seconds" "$users" || true
  echo "resident memory after the run: $(rss_kib "$pid") KiB," \
    "$(( ($(rss_kib "$pid") - before) * 1024 / users )) bytes a session (histories of up to 100 inputs and outputs)"
  if [ "$kind" = redis ]; then
    echo "redis: $(redis-cli -s "$dir/redis.sock" info memory | grep '^used_memory_human' | tr -d '\r')," \
      "session blob of user1: $(redis-cli -s "$dir/redis.sock" hstrlen varnex:session:user1 blob) bytes"
  elif [ "$store" != memory ]; then
    python3 -c "import sqlite3,sys; c=sqlite3.connect(sys.argv[1]); print('session blobs: %d, %.0f bytes on average' % c.execute('select count(*), avg(length(blob)) from sessions').fetchone())" "${store#sqlite:}"
  fi
  kill "$pid"
  wait "$pid" || true
  pid=
  if [ -n "$redis_pid" ]; then
    kill "$redis_pid"
    wait "$redis_pid" || true
    redis_pid=
  fi
done
