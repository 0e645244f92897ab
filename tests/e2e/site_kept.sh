#!/usr/bin/env bash
# A site the user made survives a restart, on a virtual screen: the first run
# sets three numbers and the header picture and writes the site, the second
# starts over the same folder and finds them in its fields; the second
# start's own writing of the site changes no byte of it (drive.cpp).
#
# Usage: site_kept.sh APP_DIR ARTIFACT_DIR
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

# The program's folder and the user's configuration of this run's own.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
chmod 700 "$scratch"
mkdir -p "$scratch/runtime" "$scratch/config" "$scratch/app/foto"
chmod 700 "$scratch/runtime"
for entry in "$app_dir"/*; do
    case $(basename "$entry") in LAYOUT_01 | sitebuilder) ;; *) cp -r "$entry" "$scratch/app/" ;; esac
done
cp "$app_dir/TESTATE/Fumetto_01.gif" "$scratch/app/foto/testata mia.gif"
site="$scratch/app/LAYOUT_01"

# site_files: every file of the site with its checksum, the preview's copy left out.
site_files() { (cd "$site" && find . -type f ! -name index_TMP.htm -print0 | sort -z | xargs -0 sha256sum); }

log="$artifacts/site_kept.log"
: >"$log"
status=0
for mode in write check; do
    virtual_screen 1280x1024
    XDG_RUNTIME_DIR=$scratch/runtime XDG_CONFIG_HOME=$scratch/config \
        timeout -k 10 120 "${screen[@]}" "$drive" "$mode" "$scratch/app" >>"$log" 2>&1 || status=$?
    [[ $mode == write ]] && site_files >"$scratch/written"
done
cat "$log"
if [[ $status -eq 124 || $status -eq 137 ]]; then
    echo "FAIL: a run of the driver did not end within 120 s"
fi
site_files >"$scratch/after"
if ! diff "$scratch/written" "$scratch/after"; then
    echo "FAIL: the second start changed the site's files"
    status=1
fi
quiet_log "$log" || status=1
[[ $status -eq 0 ]] && echo "ok: the site set in the first run is in the fields of the second, its $(wc -l <"$scratch/after") files unchanged"
exit "$status"
