#!/usr/bin/env bash
# Time from start to the first paint of the Site Builder's Main Window,
# against two floors measured in the same run (bench/floor/bare_window.cpp):
# a bare window that links the browser engine without making a web view, and
# a bare window of plain Qt Widgets.
#
# Usage: bench/startup.sh BUILD_DIR [rounds]
#
# Each round starts the three programs one after the other on one virtual
# screen (Xvfb), each with SB_EXIT_WHEN_SHOWN=1: it prints when its window was
# first painted and quits. The time counted runs from just before the start
# to that paint (the shutdown after it is not counted). Each round gives one
# ratio per floor; the minimum, median and maximum of those are printed, with
# the median times and peak memory. One untimed round comes first, so that
# every program starts with its libraries in the cache.
set -euo pipefail

if [[ $# -lt 1 || $# -gt 2 ]]; then
    echo "usage: $0 BUILD_DIR [rounds]" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
rounds=${2:-11}
programs=("$build/app/sitebuilder" "$build/bare_webengine_window" "$build/plain_qt_window")
names=(program webengine plain)

for exe in "${programs[@]}"; do
    if [[ ! -x $exe ]]; then
        echo "missing $exe: build the targets sitebuilder, bare_webengine_window and plain_qt_window first" >&2
        exit 1
    fi
done
for tool in /usr/bin/time xvfb-run; do
    if ! command -v "$tool" >/dev/null; then
        echo "missing $tool: install the Debian packages 'time', 'xvfb' and 'xauth'" >&2
        exit 1
    fi
done

export SB_EXIT_WHEN_SHOWN=1
export QTWEBENGINE_DISABLE_SANDBOX=1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/inner.sh" <<'INNER'
set -euo pipefail
work=$1 rounds=$2
shift 2
# One start: "milliseconds-to-first-paint peak-kilobytes" on stdout.
measure() {
    local exe=$1 start painted
    start=$(date +%s.%N)
    if ! /usr/bin/time -f %M -o "$work/rss" "$exe" >"$work/out" 2>&1; then
        echo "$exe failed:" >&2
        tail -n 20 "$work/out" >&2
        exit 1
    fi
    painted=$(awk '/^painted at / { print $3; exit }' "$work/out")
    if [[ -z $painted ]]; then
        echo "$exe did not say when it painted its window" >&2
        exit 1
    fi
    awk -v s="$start" -v p="$painted" -v k="$(tail -n 1 "$work/rss")" 'BEGIN { printf "%.1f %d\n", (p - s) * 1000, k }'
}
for exe in "$@"; do measure "$exe" >/dev/null; done
for ((i = 1; i <= rounds; i++)); do
    line=$i
    for exe in "$@"; do line="$line $(measure "$exe")"; done
    echo "$line"
done
INNER

echo "first paint of the Site Builder against two bare windows, $rounds rounds; load average: $(cut -d' ' -f1-3 /proc/loadavg)"
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/inner.sh" "$work" "$rounds" "${programs[@]}" >"$work/results"
# Columns: round, then milliseconds and kilobytes of program, webengine, plain.

stats() {  # prints "min median max" of the numbers on stdin
    sort -g | awk '{ v[NR] = $1 } END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
                                      printf "%.2f %.2f %.2f", v[1], m, v[NR] }'
}
column() { awk -v c="$1" '{ print $c }' "$work/results"; }

printf "  %-10s %10s %10s %10s\n" round program webengine plain
awk '{ printf "  %-10s %7.1f ms %7.1f ms %7.1f ms\n", $1, $2, $4, $6 }' "$work/results"
for i in 0 1 2; do
    read -r _ ms _ <<<"$(column $((2 + 2 * i)) | stats)"
    read -r _ kb _ <<<"$(column $((3 + 2 * i)) | stats)"
    printf "median %-10s %7.1f ms to first paint, peak memory %6.1f MiB\n" "${names[$i]}" "$ms" "$(awk -v k="$kb" 'BEGIN { print k / 1024 }')"
done
read -r lo mid hi <<<"$(awk '{ print $2 / $4 }' "$work/results" | stats)"
echo "program / bare window linking the browser engine: min ${lo}x, median ${mid}x, max ${hi}x (aim: at most 1.30x)"
read -r lo mid hi <<<"$(awk '{ print $2 / $6 }' "$work/results" | stats)"
echo "program / plain Qt window:                        min ${lo}x, median ${mid}x, max ${hi}x"
