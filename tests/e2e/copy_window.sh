#!/usr/bin/env bash
# The Copy Window end to end on a virtual screen: opened with "Copia Img.",
# a copy of the image on view into a fresh folder, then a move into another
# one (see copy_window_drive.cpp). Leaves copy_window.png in ARTIFACT_DIR.
#
# Usage: copy_window.sh APP_DIR ARTIFACT_DIR
set -euo pipefail
if [[ $# -ne 2 ]]; then
    echo "usage: $0 APP_DIR ARTIFACT_DIR" >&2
    exit 2
fi
app_dir=$(cd "$1" && pwd)
mkdir -p "$2"
artifacts=$(cd "$2" && pwd)
drive=${SB_BUILD_DIR:-$app_dir/..}/copy_window_drive
[[ -x $drive ]] || { echo "no driver at $drive" >&2; exit 1; }
export QTWEBENGINE_DISABLE_SANDBOX=1 QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
chmod 700 "$runtime"
XDG_RUNTIME_DIR=$runtime xvfb-run -a -s "-screen 0 1280x1024x24" "$drive" "$app_dir" "$artifacts"
