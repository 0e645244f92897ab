#!/usr/bin/env bash
# Start-up time and memory of the Site Builder against its floor: a bare
# window holding one QWebEngineView (bench/floor/bare_webengine_window.cpp).
#
# Usage: bench/startup.sh BUILD_DIR [runs]
#
# Both programs run alternately on one virtual screen (Xvfb), each with
# SB_EXIT_WHEN_SHOWN=1 so that it quits as soon as its window has been shown
# and painted once. Prints the median wall time to exit, the ratio
# program/floor and the median peak resident memory of each. One untimed run
# of each comes first, so that both start with the libraries in the cache.
set -euo pipefail

if [[ $# -lt 1 || $# -gt 2 ]]; then
    echo "usage: $0 BUILD_DIR [runs]" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
runs=${2:-7}
program="$build/app/sitebuilder"
floor="$build/bare_webengine_window"

for exe in "$program" "$floor"; do
    if [[ ! -x $exe ]]; then
        echo "missing $exe: build the targets sitebuilder and bare_webengine_window first" >&2
        exit 1
    fi
done
if [[ ! -x /usr/bin/time ]]; then
    echo "GNU time (/usr/bin/time) is needed to measure memory: install the Debian package 'time'" >&2
    exit 1
fi
if ! command -v xvfb-run >/dev/null; then
    echo "xvfb-run is needed: install the Debian packages 'xvfb' and 'xauth'" >&2
    exit 1
fi

export SB_EXIT_WHEN_SHOWN=1
export QTWEBENGINE_DISABLE_SANDBOX=1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/inner.sh" <<'INNER'
set -euo pipefail
program=$1 floor=$2 runs=$3 work=$4
# One run: "milliseconds peak-kilobytes" on stdout.
measure() {
    local exe=$1 start end
    start=$(date +%s%N)
    if ! /usr/bin/time -f %M -o "$work/rss" "$exe" >"$work/out" 2>&1; then
        echo "$exe failed:" >&2
        tail -n 20 "$work/out" >&2
        exit 1
    fi
    end=$(date +%s%N)
    echo "$(( (end - start) / 1000000 )) $(tail -n 1 "$work/rss")"
}
measure "$program" >/dev/null
measure "$floor" >/dev/null
for ((i = 1; i <= runs; i++)); do
    echo "program $(measure "$program")"
    echo "floor $(measure "$floor")"
done
INNER

echo "start-up of the Site Builder against a bare WebEngine window, $runs runs each"
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/inner.sh" "$program" "$floor" "$runs" "$work" >"$work/results"

median() {  # field number, name
    awk -v f="$1" -v n="$2" '$1 == n { print $f }' "$work/results" | sort -n |
        awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print int((v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}
program_ms=$(median 2 program)
floor_ms=$(median 2 floor)
program_kb=$(median 3 program)
floor_kb=$(median 3 floor)

awk '{ printf "  %-8s %6d ms  %7.1f MiB\n", $1, $2, $3 / 1024 }' "$work/results"
echo "median time to shown and painted: program ${program_ms} ms, floor ${floor_ms} ms"
awk -v p="$program_ms" -v f="$floor_ms" 'BEGIN { printf "ratio program/floor: %.2f (aim: at most 1.30)\n", p / f }'
awk -v p="$program_kb" -v f="$floor_kb" \
    'BEGIN { printf "median peak memory: program %.1f MiB, floor %.1f MiB (ratio %.2f)\n", p / 1024, f / 1024, p / f }'
