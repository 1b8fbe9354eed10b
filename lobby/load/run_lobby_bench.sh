#!/bin/sh
# Measures quillmoor-lobby on loopback: one in-memory process, then two
# processes sharing one private redis-server, with the same load.
# Usage: lobby/load/run_lobby_bench.sh [BIN_DIR] [CLIENTS]   (default build-release/bin, 10000)
set -eu
bin=${1:-build-release/bin}
clients=${2:-10000}
work=$(mktemp -d)
pids=""
cleanup() {
  for pid in $pids; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

# Starts a service with the given extra arguments; sets $port and $pid.
start_service() {
  log="$work/service-$(date +%s%N).log"
  : >"$log"
  "$bin/quillmoor-lobby" --port 0 --bind 127.0.0.1 "$@" 2>"$log" &
  pid=$!
  pids="$pids $pid"
  port=""
  for _ in $(seq 100); do
    port=$(sed -n 's/.*listening on 127.0.0.1:\([0-9]*\).*/\1/p' "$log")
    [ -n "$port" ] && break
    sleep 0.05
  done
  [ -n "$port" ] || { echo "the service did not start:" >&2; cat "$log" >&2; exit 1; }
}

load() {
  "$bin/quillmoor-lobby-load" --clients "$clients" "$@"
}

echo "== one process, lobbies in memory"
start_service
load --ports "$port" --pids "$pid" --scenario create
load --ports "$port" --pids "$pid" --scenario relay --rate 10000
load --ports "$port" --pids "$pid" --scenario hold --rate 10000 --seconds 5
kill "$pid"

if ! command -v redis-server >/dev/null; then
  echo "redis-server is not installed: the shared-Redis figures are skipped"
  exit 0
fi
redis_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
redis-server --port "$redis_port" --bind 127.0.0.1 --save "" --appendonly no >"$work/redis.log" &
redis_pid=$!
pids="$pids $redis_pid"
sleep 0.5
echo "== two processes over one Redis (memory figures include redis-server)"
start_service --redis "127.0.0.1:$redis_port"
port_a=$port pid_a=$pid
start_service --redis "127.0.0.1:$redis_port"
port_b=$port pid_b=$pid
load --ports "$port_a,$port_b" --pids "$pid_a,$pid_b,$redis_pid" --scenario create
load --ports "$port_a,$port_b" --pids "$pid_a,$pid_b,$redis_pid" --scenario relay --rate 10000
load --ports "$port_a,$port_b" --pids "$pid_a,$pid_b,$redis_pid" --scenario hold --rate 2000 --seconds 5
