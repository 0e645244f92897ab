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
  exec xvfb-run -a -s "-screen 0 1280x1024x24" build/app/sitebuilder
fi
exec build/app/sitebuilder
