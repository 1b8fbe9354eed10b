#!/bin/sh
# Start-up time of the demo beside the floor, measured alternately in one run:
# milliseconds from launching quillmoor to the demo's first update, and from
# launching startup_floor (a bare SDL2 program that opens an OpenGL window and
# presents one frame) to its first presented frame; medians and their ratio.
#   bench/startup_time.sh QUILLMOOR_BINARY STARTUP_FLOOR_BINARY [RUNS]
# Each program prints a marker that is polled for (so both read a millisecond
# or two late alike). The last demo run logs its start-up steps. Uses SDL's
# offscreen video driver unless SDL_VIDEODRIVER is set.
set -u

absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
binary=$(absolute "$1")
floor=$(absolute "$2")
runs=${3:-7}
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
floor_out="$work/floor.txt"
floor_marker="startup-floor: first frame"

cp -R "$demo" "$work/game"
echo 'system::log_startup_times = 1' >> "$work/game/boot.config"
[ -n "${STARTUP_EXTRA_CONFIG:-}" ] && echo "$STARTUP_EXTRA_CONFIG" >> "$work/game/boot.config"
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

# time_until FILE MARKER COMMAND...: milliseconds until MARKER shows in FILE.
time_until() {
    file=$1
    text=$2
    shift 2
    rm -f "$file"
    start=$(now_ns)
    "$@" &
    pid=$!
    until grep -F -q "$text" "$file" 2>/dev/null; do
        kill -0 "$pid" 2>/dev/null || break
    done
    seen=$(now_ns)
    wait "$pid"
    status=$?
    if [ "$status" -ne 0 ] || ! grep -F -q "$text" "$file" 2>/dev/null; then
        echo "$* exited with $status before its marker" >&2
        exit 1
    fi
    echo $(( (seen - start) / 1000000 ))
}

run_demo() { "$binary" "$work/game" > /dev/null 2>&1; }
run_floor() { "$floor" > "$floor_out" 2>&1; }

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

demo_times=""
floor_times=""
for run in $(seq "$runs"); do
    d=$(time_until "$log" "$marker" run_demo) || exit 1
    f=$(time_until "$floor_out" "$floor_marker" run_floor) || exit 1
    echo "run $run: demo $d ms, floor $f ms"
    demo_times="$demo_times $d"
    floor_times="$floor_times $f"
done
demo_median=$(echo "$demo_times" | tr ' ' '\n' | grep . | median)
floor_median=$(echo "$floor_times" | tr ' ' '\n' | grep . | median)
echo "median: demo $demo_median ms, floor $floor_median ms, ratio $(echo "$demo_median $floor_median" | awk '{ printf "%.2f", $1 / $2 }')"
grep -F "Start-up took" "$log" || true
