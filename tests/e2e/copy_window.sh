#!/usr/bin/env bash
# The Copy Window end to end on a virtual screen: opened with "Copia Img.",
# a copy of the image on view into a fresh folder, then a move into another
# one (see drive.cpp). Leaves copy_window.png in ARTIFACT_DIR.
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
drive=${SB_BUILD_DIR:-$app_dir/..}/e2e_drive
[[ -x $drive ]] || { echo "no driver at $drive" >&2; exit 1; }
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/virtual_screen.sh"
export QTWEBENGINE_DISABLE_SANDBOX=1
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
chmod 700 "$runtime"
log="$artifacts/copy_window.log"
virtual_screen 1280x1024
status=0
XDG_RUNTIME_DIR=$runtime timeout -k 10 120 "${screen[@]}" "$drive" copy "$app_dir" "$artifacts" >"$log" 2>&1 || status=$?
cat "$log"
if [[ $status -eq 124 || $status -eq 137 ]]; then
    echo "FAIL: the Copy Window drive did not end within 120 s"
fi
quiet_log "$log" || status=1
exit "$status"
