#!/usr/bin/env bash
# Builds the Site Builder and starts it. Without a display it runs under a
# virtual X server (Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target sitebuilder

if [ "$(id -u)" -eq 0 ] && [ -z "${QTWEBENGINE_DISABLE_SANDBOX:-}" ]; then
  echo "Running as root: the embedded browser's sandbox is turned off (QTWEBENGINE_DISABLE_SANDBOX=1)."
  export QTWEBENGINE_DISABLE_SANDBOX=1
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting the Site Builder under Xvfb (a virtual screen, nothing will be seen)."
  . scripts/virtual_screen.sh
  if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    XDG_RUNTIME_DIR=$(mktemp -d "${TMPDIR:-/tmp}/site-builder-runtime.XXXXXX")
    export XDG_RUNTIME_DIR
    made_runtime=1
  fi
  virtual_screen 1280x1024
  # The virtual screen and the program run in a session of their own, out
  # of the terminal's reach: Ctrl+C (or a stop of this script) goes to the
  # program alone, which closes; xvfb-run then ends the screen and removes
  # its temporary files. Were Ctrl+C to reach them all, the screen would
  # vanish under the running program (X11 I/O errors) and xvfb-run would
  # stop before its clean-up.
  pidfile=$(mktemp "${TMPDIR:-/tmp}/site-builder-pid.XXXXXX")
  leftovers=("$pidfile")
  [ -z "${made_runtime:-}" ] || leftovers+=("$XDG_RUNTIME_DIR")
  trap 'rm -rf "${leftovers[@]}"' EXIT
  trap 'pid=$(cat "$pidfile" 2>/dev/null) && [ -n "$pid" ] && kill -TERM "$pid" 2>/dev/null || true' INT TERM
  echo "Stop it with Ctrl+C."
  setsid "${screen[@]}" sh -c 'echo $$ >"$0" && exec build/app/sitebuilder' "$pidfile" &
  runner=$!
  status=0
  while kill -0 "$runner" 2>/dev/null; do
    wait "$runner" && status=0 || status=$?
  done
  exit "$status"
fi
exec build/app/sitebuilder
