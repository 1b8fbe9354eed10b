#!/bin/sh
# Start-up time of the demo: milliseconds from launching quillmoor to the
# first update call, over several runs.
#   bench/startup_time.sh QUILLMOOR_BINARY [RUNS]
# The demo is copied to a scratch folder and quits in its first update, which
# prints a marker; the time is taken when the marker reaches game_log.txt
# (polled, so it reads a millisecond or two late). Uses SDL's offscreen video
# driver unless SDL_VIDEODRIVER is set.
set -u

binary=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
runs=${2:-5}
demo=$(cd "$(dirname "$0")/../games/demo" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/quillmoor_startup_XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT

export HOME="$work/home"
export XDG_DOCUMENTS_DIR="$work/documents"
export QUILLMOOR_NO_MESSAGE_BOX=1
export SDL_VIDEODRIVER="${SDL_VIDEODRIVER:-offscreen}"
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
log="$XDG_DOCUMENTS_DIR/Quillmoor Demo/game_log.txt"
marker="startup-bench: first update"

cp -R "$demo" "$work/game"
sed -i '$d' "$work/game/scripts/main.nut"
cat >> "$work/game/scripts/main.nut" <<SCRIPT
class FirstUpdateMarker extends Demo {
    function update(dt) {
        print("$marker");
        ::System.request_quit();
    }
}
return FirstUpdateMarker();
SCRIPT

now_ns() { date +%s%N; }

for run in $(seq "$runs"); do
    rm -f "$log"
    start=$(now_ns)
    "$binary" "$work/game" > /dev/null 2>&1 &
    pid=$!
    until grep -F -q "$marker" "$log" 2>/dev/null; do
        kill -0 "$pid" 2>/dev/null || break
    done
    seen=$(now_ns)
    wait "$pid"
    status=$?
    if [ "$status" -ne 0 ] || ! grep -F -q "$marker" "$log" 2>/dev/null; then
        echo "run $run: quillmoor exited with $status before the first update" >&2
        exit 1
    fi
    echo "run $run: $(( (seen - start) / 1000000 )) ms to the first update"
done
