#!/usr/bin/env bash
# The seeded monkey: runs the real program under Xvfb with EVENTS random
# events from SEED (default: a fixed one, so that CI replays the same run),
# in a folder of its own. Fails on a crash, a hang of more than 5 seconds,
# or a file touched outside that folder. Also replays the seeds of earlier
# findings (seeds.txt: "seed events" per line).
#
#   tests/monkey/run.sh EVENTS [SEED]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${SB_BUILD_DIR:-$here/../../build}
events=${1:-2000}
monkey=$build/sitebuilder_monkey
[ -x "$monkey" ] || { echo "monkey: $monkey is not built"; exit 1; }

export QTWEBENGINE_DISABLE_SANDBOX=1  # the tests may run as root
export QT_QPA_PLATFORMTHEME=
. "$here/../../scripts/virtual_screen.sh"

runs=()
if [ $# -ge 2 ]; then
  runs+=("$2 $events")
else
  runs+=("20261206 $events")
  while read -r seed count _; do
    [ -n "${seed:-}" ] && [ "${seed:0:1}" != "#" ] && runs+=("$seed $count")
  done <"$here/seeds.txt"
fi

status=0
for run in "${runs[@]}"; do
  read -r seed count <<<"$run"
  root=$(mktemp -d)
  mkdir -p "$root/home" "$root/tmp" "$root/runtime" "$root/app"
  chmod 700 "$root/runtime"
  # The program's own files, without the site an earlier run wrote.
  (cd "$build/app" && find . -path ./LAYOUT_01 -prune -o -type f \( -iname '*.gif' -o -iname '*.jpg' -o -iname '*.png' -o -iname '*.ico' \) -print0 |
     xargs -0 cp --parents -t "$root/app")
  bash "$here/make_pictures.sh" "$root/pictures" "$build/app/image1.jpg"
  cp -r "$build/app/SFONDI" "$root/pictures/SFONDI"
  log=$root/monkey.log
  start=$(date +%s)
  # The monkey finds a hang itself (5 s without an answer); this limit only
  # ends a run whose watchdog could not.
  virtual_screen 1600x1200
  HOME=$root/home TMPDIR=$root/tmp XDG_RUNTIME_DIR=$root/runtime XDG_CONFIG_HOME=$root/home/.config XDG_CACHE_HOME=$root/home/.cache \
    timeout -k 10 $((120 + count / 4)) "${screen[@]}" \
    "$monkey" --seed "$seed" --events "$count" --app "$root/app" --pictures "$root/pictures" --root "$root" \
    >"$log" 2>&1
  code=$?
  [ $code -eq 124 ] && echo "monkey: the run did not end within $((120 + count / 4)) s" >>"$log"
  took=$(( $(date +%s) - start ))
  if [ $code -eq 0 ]; then
    echo "monkey: seed $seed, $count events: passed in ${took}s"
    rm -rf "$root"
  else
    status=1
    echo "monkey: seed $seed, $count events: FAILED with status $code after ${took}s (log kept: $log)"
    echo "monkey: replay with: tests/monkey/run.sh $count $seed"
    grep -v '^\[' "$log" | tail -20
    grep '^\[' "$log" | tail -15
  fi
done
exit $status
