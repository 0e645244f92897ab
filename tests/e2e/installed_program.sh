#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a staging folder and starts the
# installed program there as an ordinary user with a fresh home, on a virtual
# screen: the program must work in the user's own folder
# (~/.local/share/sitebuilder), write the default site there, write nothing
# under the installation, and keep what the user changed in that folder at
# the next start. Also checks the package's menu entry, icon and metadata
# agree, and the command line without a screen.
#
# Usage: installed_program.sh APP_DIR ARTIFACT_DIR
#   APP_DIR       the build's application folder (unused: the package is tested)
#   ARTIFACT_DIR  receives installed_program/: the package and the program's output
# Environment: SB_BUILD_DIR, the configured build folder.
#
# Run as root (as CI does), it makes the system user "sitebuilder-e2e" once
# and starts the program as that user with runuser.
set -euo pipefail

if [[ $# -ne 2 || -z ${SB_BUILD_DIR:-} ]]; then
    echo "usage: SB_BUILD_DIR=BUILD $0 APP_DIR ARTIFACT_DIR" >&2
    exit 2
fi
mkdir -p "$2/installed_program"
out=$(cd "$2/installed_program" && pwd)
for tool in xvfb-run dpkg-deb cpack; do
    command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done

here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/virtual_screen.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"

failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

# --- the package ---------------------------------------------------------------
(cd "$SB_BUILD_DIR" && cpack -G DEB -B "$work/package") >"$out/cpack.log" 2>&1 ||
    { tail -n 20 "$out/cpack.log"; echo "FAIL: cpack could not build the package"; exit 1; }
deb=$(ls "$work"/package/sitebuilder_*.deb)
cp "$deb" "$out/"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6webenginewidgets6' ||
    fail "the package's dependencies lack the browser engine: $(dpkg-deb -f "$deb" Depends)"
if command -v lintian >/dev/null; then
    lintian --fail-on error "$deb" >"$out/lintian.log" 2>&1 || fail "lintian finds errors: $(grep '^E:' "$out/lintian.log")"
fi

root="$work/root"
dpkg-deb -x "$deb" "$root"
program="$root/usr/bin/sitebuilder"
data="$root/usr/share/sitebuilder"
[[ -x $program ]] || { echo "FAIL: the package has no usr/bin/sitebuilder"; exit 1; }
[[ -f $data/blank.gif && -d $data/SFONDI ]] || fail "the package lacks the pictures in usr/share/sitebuilder"
if find "$data" -mindepth 1 \( -name LAYOUT_01 -o -iname '*.htm' -o -name sitebuilder -o -name '.*' \) | grep -q .; then
    fail "the package's data holds what a run wrote: $(find "$data" -mindepth 1 -name LAYOUT_01 -o -iname '*.htm' | head -n 3)"
fi

# The menu entry starts the installed command, with an icon that is installed
# under its name, and the metadata names the entry.
entry=$(ls "$root"/usr/share/applications/*.desktop)
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
icon=$(sed -n 's/^Icon=//p' "$entry")
[[ -x "$root/usr/bin/$exec_name" ]] || fail "the menu entry starts \"$exec_name\", which is not installed"
ls "$root"/usr/share/icons/hicolor/*/apps/"$icon".png >/dev/null 2>&1 || fail "no icon \"$icon\" in the hicolor theme"
grep -q "<launchable type=\"desktop-id\">$(basename "$entry")</launchable>" "$root"/usr/share/metainfo/*.metainfo.xml ||
    fail "the metadata does not name the menu entry $(basename "$entry")"

# --- the user -----------------------------------------------------------------
as_user=()
user=$(id -un)
if [[ $(id -u) -eq 0 ]]; then
    user=sitebuilder-e2e
    id -u "$user" >/dev/null 2>&1 ||
        useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user"
    as_user=(runuser -u "$user" --)
fi
home="$work/home"
runtime="$work/runtime"
mkdir -p "$home" "$runtime"
chown "$user" "$home" "$runtime"
chmod 700 "$runtime"
folder="$home/.local/share/sitebuilder"

# run NAME [ENV...]: one start of the installed program as the user, on a
# virtual screen; it quits once its window is painted, and fails the test
# when it has not within 60 s.
run() {
    local name=$1 status=0
    shift
    virtual_screen 1280x1024
    (cd "$home" && timeout -k 10 60 "${as_user[@]}" env -u QTWEBENGINE_DISABLE_SANDBOX -u QT_LOGGING_RULES -u XDG_DATA_HOME \
        -u XDG_CONFIG_HOME -u XDG_CACHE_HOME HOME="$home" XDG_RUNTIME_DIR="$runtime" SB_EXIT_WHEN_SHOWN=1 "$@" \
        "${screen[@]}" "$program") >"$out/$name.log" 2>&1 || status=$?
    if [[ $status -eq 124 || $status -eq 137 ]]; then
        fail "$name: the program had not quit 60 s after its start: stuck at start-up"
    fi
    quiet_log "$out/$name.log" || failed=1
    return "$status"
}

snapshot() { find "$root" -printf '%P %s %T@ %m\n' | sort; }
before=$(snapshot)

# --- first start: the user's folder is made and the default site written there
run first_start || fail "the first start ended with exit code $? (see $out/first_start.log)"
[[ -d $folder ]] || fail "the first start did not make $folder"
while IFS= read -r -d '' file; do
    relative=${file#"$data"/}
    cmp -s "$file" "$folder/$relative" || fail "the user's folder lacks a copy of $relative"
done < <(find "$data" -type f -print0)
site="$folder/LAYOUT_01"
for name in index.htm Parametri_by_Velmora.js blank.gif Pulsante_10.gif Sfondo_Bello_Azzurro_Moderno_main-bg_1024x768_RID.jpg; do
    [[ -f "$site/$name" ]] || fail "the default site in the user's folder lacks $name"
done
[[ -f "$folder/SFONDI_DIAPOSITIVE/Sfondo_Diapositiva_Oro_01_Esempio_Sfondo7.htm" ]] ||
    fail "the slide sample page was not written beside the user's slide background"
if grep -q "sandbox is turned off" "$out/first_start.log"; then
    fail "the browser's sandbox was turned off for an ordinary user"
fi

# --- the user changes the folder; a second start keeps the changes ------------
background="SFONDI/Sfondo_Bello_Azzurro_Moderno_main-bg_1024x768_RID.jpg"
"${as_user[@]}" cp "$folder/image1.jpg" "$folder/$background"
"${as_user[@]}" cp "$folder/image1.jpg" "$folder/SFONDI/my_own.jpg"
rm "$folder/Icona_Avanti_1.gif"
# A site written by the program is read back and kept at start-up (its own
# test covers that); with the site gone, the default site is written again
# and its pictures come from the user's folder as it now is.
rm -r "$site"
run second_start || fail "the second start ended with exit code $? (see $out/second_start.log)"
cmp -s "$folder/image1.jpg" "$folder/$background" || fail "the second start overwrote the picture the user changed"
cmp -s "$folder/image1.jpg" "$site/$(basename "$background")" ||
    fail "the default site was not made from the user's changed picture"
[[ -f "$folder/SFONDI/my_own.jpg" ]] || fail "the second start removed the user's own picture"
cmp -s "$data/Icona_Avanti_1.gif" "$folder/Icona_Avanti_1.gif" || fail "the second start did not bring back a deleted picture"

[[ $(snapshot) == "$before" ]] || fail "something was written under the installation: $(diff <(echo "$before") <(snapshot) | head -n 5)"

# --- as root: the sandbox is turned off, and said so once --------------------
if [[ $(id -u) -eq 0 ]]; then
    root_home="$work/root-home"
    mkdir -p "$root_home" "$work/root-runtime"
    chmod 700 "$work/root-runtime"
    virtual_screen 1280x1024
    (cd "$root_home" && timeout -k 10 60 env -u QTWEBENGINE_DISABLE_SANDBOX HOME="$root_home" XDG_RUNTIME_DIR="$work/root-runtime" \
        SB_EXIT_WHEN_SHOWN=1 "${screen[@]}" "$program") >"$out/root_start.log" 2>&1 ||
        fail "the start as root ended with exit code $? (124: stuck at start-up for 60 s)"
    [[ $(grep -c "sandbox is turned off" "$out/root_start.log") -eq 1 ]] ||
        fail "as root the program did not say once that the sandbox is off"
    [[ -f "$root_home/.local/share/sitebuilder/LAYOUT_01/index.htm" ]] ||
        fail "as root the default site was not written into root's own folder"
fi

# --- the command line without a screen ---------------------------------------
no_screen=(timeout -k 5 30 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$home")
version=$("${no_screen[@]}" "$program" --version 2>&1) || fail "--version failed: $version"
[[ $version == "sitebuilder "[0-9]* ]] || fail "--version printed \"$version\""
"${no_screen[@]}" "$program" --help | grep -q -- '--version' || fail "--help does not list --version"
for display in "" ":4711"; do
    status=0
    message=$(timeout -k 5 30 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ${display:+DISPLAY=$display} HOME="$home" \
        "$program" 2>&1) || status=$?
    [[ $status -eq 1 && $message == *"cannot open a window"* ]] ||
        fail "with DISPLAY=\"$display\" the program ended with $status saying: $message"
done

if [[ $failed -ne 0 ]]; then
    exit 1
fi
echo "ok: the installed program works in $folder and keeps the user's pictures (output in $out)"
