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
  # A virtual screen has no graphics card: the browser draws in software and
  # keeps quiet about the missing GPU and its context settings.
  export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu${QTWEBENGINE_CHROMIUM_FLAGS:+ $QTWEBENGINE_CHROMIUM_FLAGS}"
  export QT_LOGGING_RULES="qt.webenginecontext.info=false${QT_LOGGING_RULES:+;$QT_LOGGING_RULES}"
  if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    XDG_RUNTIME_DIR=$(mktemp -d "${TMPDIR:-/tmp}/site-builder-runtime.XXXXXX")
    export XDG_RUNTIME_DIR
    trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
  fi
  xvfb-run -a -s "-screen 0 1280x1024x24" build/app/sitebuilder
  exit
fi
exec build/app/sitebuilder
