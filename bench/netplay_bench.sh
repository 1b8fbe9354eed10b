#!/bin/sh
# What rollback netplay costs on the co-op demo:
#  1. the CPU time of a rollback of 8 ticks with re-simulation, from a sync
#     test with 4 autopiloted players on one machine (every tick is rolled
#     back 8 ticks and run again; the library times each rollback);
#  2. the bytes each player sends and receives per second, from a host and
#     three clients on 127.0.0.1, all on the autopilot.
# Use a release build: the figures of a sanitizer build mean nothing.
#
# usage: netplay_bench.sh [path/to/quillmoor] [game folder] [sync test ticks] [network seconds]
#        (defaults: build/bin/quillmoor, games/coop, 3000, 30)
set -u

here=$(cd "$(dirname "$0")" && pwd)
binary=${1:-$here/../build/bin/quillmoor}
game=${2:-$here/../games/coop}
ticks=${3:-3000}
seconds=${4:-30}

if [ ! -x "$binary" ]; then
    echo "netplay_bench.sh: no quillmoor at $binary" >&2
    exit 1
fi
binary=$(cd "$(dirname "$binary")" && pwd)/$(basename "$binary")
work=$(mktemp -d "${TMPDIR:-/tmp}/quillmoor_netplay_bench_XXXXXX") || exit 1
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
export HOME="$work/home" XDG_DOCUMENTS_DIR="$work/docs" QUILLMOOR_NO_MESSAGE_BOX=1
export SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-offscreen} SDL_AUDIODRIVER=dummy

# A copy of the game whose boot.config ends with the given settings, its
# save directory named after the copy.
prepare() {
    name=$1
    shift
    cp -r "$game" "$work/$name"
    {
        echo "system::save_dir = \"user:$name\""
        for setting in "$@"; do echo "$setting"; done
    } >> "$work/$name/boot.config"
}

netplay_lines() {
    grep '^netplay: ' "$work/docs/$1/game_log.txt" 2>/dev/null
}

prepare synctest 'coop::mode = "solo"' 'coop::autopilot = 7' 'coop::local_players = 4' \
    "coop::quit_after_ticks = $ticks" 'system::maximum_fps = 1000'
(cd "$work/synctest" && "$binary" --synctest 8 > /dev/null 2>&1)
status=$?
echo "== rollback cost: sync test of $ticks ticks, 4 players, every tick rolled back 8 ticks (exit status $status)"
netplay_lines synctest | grep -e 'rollback of' -e 'sync test'

port=$((30000 + $$ % 20000))
ticks_network=$((seconds * 60))
prepare host 'coop::mode = "host"' "coop::port = $port" 'coop::autopilot = 1' \
    "coop::quit_after_ticks = $((ticks_network + 120))"
(cd "$work/host" && "$binary" > /dev/null 2>&1) &
sleep 2
for player in 2 3 4; do
    prepare "client$player" 'coop::mode = "join"' "coop::port = $port" "coop::autopilot = $player" \
        "coop::quit_after_ticks = $ticks_network"
    (cd "$work/client$player" && "$binary" > /dev/null 2>&1) &
done
wait
echo "== traffic: a host and three clients for about $seconds s"
for peer in host client2 client3 client4; do
    printf '%-8s ' "$peer"
    netplay_lines "$peer" | grep 'traffic:' | sed 's/^netplay: traffic: //'
    netplay_lines "$peer" | grep -e 'desync' -e 'rollback of'
done
