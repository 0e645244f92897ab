#!/usr/bin/env bash
# Puts each deliberate fault of a list into the core, one at a time, rebuilds
# the unit tests, runs them and puts the file back: every fault must make a
# test fail. It shows which faults the unit tests catch, and by which test.
# Not part of the test command: it rebuilds once per fault (minutes).
#
#   tests/faults/run.sh [list]      (default: tests/faults/faults.tsv)
set -uo pipefail
cd "$(dirname "$0")/../.."
list=${1:-tests/faults/faults.tsv}
build=build-faults

if ! git diff --quiet -- src/core; then
    echo "src/core has changes that are not committed: a fault is put back with git checkout, which would lose them" >&2
    exit 2
fi
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DSB_WITH_QT=OFF -DSB_BENCH=OFF >/dev/null || exit 2
cmake --build "$build" -j2 --target unit_tests >/dev/null || { echo "the unit tests do not build" >&2; exit 2; }

missed=0
number=0
while IFS=$'\t' read -r file script; do
    [[ -z $file || $file == \#* ]] && continue
    number=$((number + 1))
    sed -i "$script" "$file"
    if git diff --quiet -- "$file"; then
        result="NOT APPLIED (the line has changed)"
        missed=$((missed + 1))
    elif ! cmake --build "$build" -j2 --target unit_tests >/dev/null 2>&1; then
        result="DOES NOT BUILD"
        missed=$((missed + 1))
    else
        output=$(cd "$build" && timeout 300 ./unit_tests --gtest_brief=1 2>&1)
        status=$?
        failed=$(sed -n 's/^\[  FAILED  \] \([^ ,]*\).*/\1/p' <<<"$output" | sort -u | tr '\n' ' ')
        if [[ -n $failed ]]; then
            result="caught by $failed"
        elif [[ $status -ne 0 ]]; then
            # A fault that makes the tests crash or hang is caught too.
            result="caught: the tests stopped with status $status"
        else
            result="MISSED"
            missed=$((missed + 1))
        fi
    fi
    git checkout -q -- "$file"
    printf '%2d %s  %s\n    %s\n' "$number" "$file" "$script" "$result"
done < "$list"
cmake --build "$build" -j2 --target unit_tests >/dev/null
echo "$missed of $number faults not caught"
[[ $missed -eq 0 ]]
