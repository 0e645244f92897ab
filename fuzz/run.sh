#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each one for SECONDS (default
# 20) on its corpus in fuzz/corpus/<target>; new inputs the fuzzer finds go
# to a scratch copy, not into the tree. Prints each target's executions per
# second. A finding stops with the input that caused it (crash-*) kept in
# fuzz/findings/; put it into the corpus once mended, so it is replayed.
# Then runs a sample of the written scripts through Node.
#
#   fuzz/run.sh [SECONDS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
seconds=${1:-20}
build=${SB_FUZZ_BUILD_DIR:-$here/../build-fuzz}

if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ is missing (scripts/deps.sh installs it)"; exit 1
fi
cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j2 >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$here/findings"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
for target in "$build"/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  cp -r "$here/corpus/$name" "$scratch/$name"
  extra=()
  if [ "$name" = fuzz_site ]; then mkdir -p "$scratch/scripts"; export FUZZ_SCRIPTS_TO=$scratch/scripts; fi
  if "$target" "$scratch/$name" -max_total_time="$seconds" -print_final_stats=1 -max_len=4096 -timeout=5 \
       -artifact_prefix="$here/findings/$name-" "${extra[@]}" >"$scratch/$name.log" 2>&1; then
    runs=$(grep -m1 'stat::number_of_executed_units' "$scratch/$name.log" | awk '{print $2}')
    echo "fuzz: $name: ${runs:-?} runs in ${seconds}s, $(( ${runs:-0} / seconds )) execs/s, no finding"
  else
    status=1
    echo "fuzz: $name: FINDING (input kept in fuzz/findings/)"
    grep -E 'FUZZ CHECK|ERROR|SUMMARY|runtime error' "$scratch/$name.log" | head -10
  fi
  unset FUZZ_SCRIPTS_TO
done

# A sample of the scripts the site target wrote, read by a real engine.
if command -v node >/dev/null && [ -d "$scratch/scripts" ]; then
  sample=$(find "$scratch/scripts" -name '*.js' | head -300)
  if [ -n "$sample" ]; then
    if node -e '
      const fs = require("fs"), vm = require("vm");
      let bad = 0, n = 0;
      for (const f of process.argv.slice(1)) {
        n++;
        const text = Array.from(fs.readFileSync(f), b => String.fromCharCode(b)).join("");
        try { vm.runInNewContext(text, {}); } catch (e) { bad++; console.log(f + ": " + e.message); }
      }
      console.log("fuzz: " + n + " written scripts run in Node, " + bad + " refused");
      process.exit(bad ? 1 : 0);' $sample; then :; else status=1; fi
  fi
fi
exit $status
