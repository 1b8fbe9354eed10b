#!/bin/sh
# Runs every benchmark script several times, checks each output against
# expected/NAME.out and prints the median wall time and the peak resident
# memory. When a reference interpreter is given (second argument, or
# $ACORN_REFERENCE), both run alternately on this machine, run by run, and
# the table adds the reference's figures, the ratio acorn / reference and
# the geometric mean of the ratios. Times measured elsewhere are no
# comparison.
#
# usage: run.sh [path/to/acorn] [path/to/reference-sq] [runs]
#        (defaults: build/bin/acorn, $ACORN_REFERENCE or none, 7 runs)
# exit status: 0 when every acorn output matched, 1 otherwise.
set -u

here=$(cd "$(dirname "$0")" && pwd)
acorn=${1:-$here/../../build/bin/acorn}
reference=${2:-${ACORN_REFERENCE:-}}
runs=${3:-7}

absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }

if [ ! -x "$acorn" ]; then
    echo "run.sh: no acorn command at $acorn (build the acorn_cmd target first)" >&2
    exit 1
fi
acorn=$(absolute "$acorn")
if [ -n "$reference" ]; then
    if [ ! -x "$reference" ]; then
        echo "run.sh: no reference interpreter at $reference" >&2
        exit 1
    fi
    reference=$(absolute "$reference")
fi
if [ ! -x /usr/bin/time ]; then
    echo "run.sh: /usr/bin/time is needed for the memory figures" >&2
    exit 1
fi

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
largest() { sort -n | tail -n 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0

# One timed run: appends seconds and peak KiB to $2.times and $2.kib;
# returns non-zero when the output is not the expected one.
measure() {
    interpreter=$1 tag=$2 script=$3 expected=$4
    # Wall time in nanoseconds from date: time's own figure has only
    # centisecond steps, too coarse for runs of a tenth of a second.
    start=$(date +%s%N)
    (cd "$here" && /usr/bin/time -f "%M" -o "$scratch/$tag.time" "$interpreter" "$script") \
        > "$scratch/$tag.out" 2> /dev/null
    code=$?
    end=$(date +%s%N)
    read -r kib < "$scratch/$tag.time"
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f\n", (b - a) / 1e9 }' >> "$scratch/$tag.times"
    echo "$kib" >> "$scratch/$tag.kib"
    [ "$code" -eq 0 ] && cmp -s "$scratch/$tag.out" "$expected"
}

if [ -n "$reference" ]; then
    printf '%-14s %8s %8s %7s %10s %10s  %s\n' benchmark "acorn s" "ref s" ratio "acorn MiB" "ref MiB" output
else
    printf '%-14s %8s %10s  %s\n' benchmark "acorn s" "acorn MiB" output
fi
product=1
count=0
for script in "$here"/*.nut; do
    name=$(basename "$script" .nut)
    status=ok
    rm -f "$scratch"/*.times "$scratch"/*.kib
    i=0
    while [ "$i" -lt "$runs" ]; do
        measure "$acorn" acorn "$script" "$here/expected/$name.out" || status="WRONG"
        if [ -n "$reference" ]; then
            measure "$reference" ref "$script" "$here/expected/$name.out" || true
        fi
        i=$((i + 1))
    done
    [ "$status" = ok ] || failed=1
    seconds=$(median < "$scratch/acorn.times")
    mib=$(largest < "$scratch/acorn.kib" | awk '{ printf "%.1f", $1 / 1024 }')
    if [ -n "$reference" ]; then
        ref_seconds=$(median < "$scratch/ref.times")
        ref_mib=$(largest < "$scratch/ref.kib" | awk '{ printf "%.1f", $1 / 1024 }')
        ratio=$(awk -v a="$seconds" -v b="$ref_seconds" 'BEGIN { if (b > 0) printf "%.3f", a / b; else print "-" }')
        if [ "$ratio" != "-" ]; then
            product=$(awk -v p="$product" -v r="$ratio" 'BEGIN { print p * r }')
            count=$((count + 1))
        fi
        printf '%-14s %8.3f %8.3f %7s %10s %10s  %s\n' "$name" "$seconds" "$ref_seconds" "$ratio" "$mib" "$ref_mib" "$status"
    else
        printf '%-14s %8.3f %10s  %s\n' "$name" "$seconds" "$mib" "$status"
    fi
done
if [ "$count" -gt 0 ]; then
    awk -v p="$product" -v n="$count" 'BEGIN { printf "geometric mean of the ratios: %.2f\n", exp(log(p) / n) }'
fi
exit "$failed"
