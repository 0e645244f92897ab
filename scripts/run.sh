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
    trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
  fi
  virtual_screen 1280x1024
  "${screen[@]}" build/app/sitebuilder
  exit
fi
exec build/app/sitebuilder
