#!/bin/sh
# Runs every benchmark script with the acorn command several times, checks
# each output against expected/NAME.out, and prints the median wall time
# beside the reference interpreter's time on a comparable machine
# (AMD EPYC, 2 vCPUs) and the ratio ours / reference.
#
# usage: run.sh [path/to/acorn] [runs]      (defaults: build/bin/acorn, 5)
# exit status: 0 when every output matched, 1 otherwise.
set -u

here=$(cd "$(dirname "$0")" && pwd)
acorn=${1:-$here/../../build/bin/acorn}
runs=${2:-5}

if [ ! -x "$acorn" ]; then
    echo "run.sh: no acorn command at $acorn (build the acorn_cmd target first)" >&2
    exit 1
fi
acorn=$(cd "$(dirname "$acorn")" && pwd)/$(basename "$acorn")

# Median wall seconds of the reference Squirrel 3.2 interpreter.
reference_seconds() {
    case "$1" in
    array_ops) echo 0.293 ;;
    class_methods) echo 0.481 ;;
    closures) echo 0.458 ;;
    fib) echo 0.143 ;;
    loop_arith) echo 0.626 ;;
    nbody) echo 0.484 ;;
    particles) echo 0.408 ;;
    sort) echo 0.237 ;;
    string_build) echo 0.244 ;;
    table_access) echo 0.373 ;;
    *) echo "" ;;
    esac
}

now() { date +%s.%N; }

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0

printf '%-16s %10s %12s %8s  %s\n' benchmark "median s" "reference s" ratio output
for script in "$here"/*.nut; do
    name=$(basename "$script" .nut)
    status=ok
    : > "$scratch/times"
    i=0
    while [ "$i" -lt "$runs" ]; do
        start=$(now)
        (cd "$here" && "$acorn" "$script") > "$scratch/out" 2> "$scratch/err"
        code=$?
        end=$(now)
        awk -v a="$start" -v b="$end" 'BEGIN { print b - a }' >> "$scratch/times"
        if [ "$code" -ne 0 ] || ! cmp -s "$scratch/out" "$here/expected/$name.out"; then
            status="WRONG (exit $code)"
        fi
        i=$((i + 1))
    done
    [ "$status" = ok ] || failed=1
    seconds=$(median < "$scratch/times")
    reference=$(reference_seconds "$name")
    if [ -n "$reference" ]; then
        ratio=$(awk -v a="$seconds" -v b="$reference" 'BEGIN { print a / b }')
        printf '%-16s %10.3f %12.3f %8.2f  %s\n' "$name" "$seconds" "$reference" "$ratio" "$status"
    else
        printf '%-16s %10.3f %12s %8s  %s\n' "$name" "$seconds" - - "$status"
    fi
done
exit "$failed"
