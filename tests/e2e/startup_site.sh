#!/usr/bin/env bash
# Starts the real Site Builder on a virtual screen and checks what its start
# writes without being asked: the default site in APP_DIR/LAYOUT_01 (27 files)
# and the slide and groups sample pages beside the default slide background.
#
# Usage: startup_site.sh APP_DIR ARTIFACT_DIR
#   APP_DIR       the application folder (the program and its pictures)
#   ARTIFACT_DIR  receives startup_site/: the program's output and the files
#                 it wrote
#
# The program quits by itself once its window is shown (SB_EXIT_WHEN_SHOWN=1);
# one still running after 60 s is stuck at start-up: it is stopped and the
# test fails.
set -euo pipefail

if [[ $# -ne 2 ]]; then
    echo "usage: $0 APP_DIR ARTIFACT_DIR" >&2
    exit 2
fi
app_dir=$(cd "$1" && pwd)
mkdir -p "$2/startup_site"
out=$(cd "$2/startup_site" && pwd)
site="$app_dir/LAYOUT_01"
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/virtual_screen.sh"

if ! command -v xvfb-run >/dev/null; then
    echo "missing xvfb-run (packages xvfb, xauth)" >&2
    exit 1
fi
if [[ ! -x "$app_dir/sitebuilder" ]]; then
    echo "no program at $app_dir/sitebuilder" >&2
    exit 1
fi

rm -rf "$site"
rm -f "$app_dir"/SFONDI_DIAPOSITIVE/*_Esempio_Sfondo[78].htm

runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
chmod 700 "$runtime"

# setsid: xvfb-run, Xvfb and the program share one process group of their
# own, which can be stopped as a whole.
virtual_screen 1280x1024
QTWEBENGINE_DISABLE_SANDBOX=1 SB_EXIT_WHEN_SHOWN=1 XDG_RUNTIME_DIR=$runtime \
    setsid "${screen[@]}" "$app_dir/sitebuilder" >"$out/program.log" 2>&1 &
group=$!

status=
for _ in $(seq 1 120); do
    if ! kill -0 "$group" 2>/dev/null; then
        wait "$group" && status=0 || status=$?
        break
    fi
    sleep 0.5
done
if [[ -z $status ]]; then
    echo "FAIL: the program had not quit 60 s after its start (it quits once its window is painted): stuck at start-up"
    kill -TERM -- "-$group" 2>/dev/null || true
    for _ in $(seq 1 40); do
        kill -0 "$group" 2>/dev/null || break
        sleep 0.25
    done
    kill -KILL -- "-$group" 2>/dev/null || true
    wait "$group" || true
    status=stopped
fi

failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

if [[ $status == stopped ]]; then
    failed=1
elif [[ $status != 0 ]]; then
    fail "the program ended with exit code $status"
fi
quiet_log "$out/program.log" || failed=1
if grep -Eq 'AddressSanitizer|runtime error:|Segmentation' "$out/program.log"; then
    fail "the program's output reports a crash"
fi

expected=(
    Parametri_by_Velmora.js index.htm blank.gif
    Sfondo_Bello_Azzurro_Moderno_main-bg_1024x768_RID.jpg Tela_Vuota_Quadro_3_200x152_RID.jpg
    Tela_Vuota_Quadro_3_RID.jpg Sfondo_Diapositiva_Oro_01.gif Image5.jpg Fumetto_01.gif
    Pulsante_tondo_Annulla_thumbdown.gif Pulsante_X_Chiudi_Finestra_by_Velmora_03.GIF
    Icona_Avanti_1.gif Icona_Avanti_2.gif Icona_Indietro_1.gif Icona_Indietro_2.gif
)
for i in 01 02 03 04 05 06 07 08 09 10; do expected+=("Pulsante_$i.gif"); done
expected+=(galleria_by_Velmora.js Immagini_by_Velmora.js favicon_by_Velmora.png)

if [[ ! -d $site ]]; then
    fail "start-up did not create $site"
else
    for name in "${expected[@]}"; do
        [[ -f "$site/$name" ]] || fail "LAYOUT_01 lacks $name"
    done
    # Besides the site, only the preview's copy of the home page.
    while IFS= read -r name; do
        case " ${expected[*]} index_TMP.htm " in
        *" $name "*) ;;
        *) fail "LAYOUT_01 holds an unexpected file: $name" ;;
        esac
    done < <(ls -A "$site")
    echo "LAYOUT_01 holds $(ls -A "$site" | wc -l) files"
    cp "$site/Parametri_by_Velmora.js" "$site/index.htm" "$out/" 2>/dev/null || true
fi

# line_is FILE NUMBER TEXT: line NUMBER of FILE is TEXT followed by CR LF.
line_is() {
    local got
    got=$(sed -n "${2}p" "$1" | od -An -c | tr -s ' \n' ' ')
    local want
    want=$(printf '%s\r\n' "$3" | od -An -c | tr -s ' \n' ' ')
    [[ $got == "$want" ]] || fail "$(basename "$1") line $2 is not \"$3\" + CR LF"
}
# Every line ends with CR LF.
crlf_only() {
    [[ $(grep -c $'\r$' "$1") -eq $(wc -l <"$1") ]] || fail "$(basename "$1") has lines without CR LF"
}

script="$site/Parametri_by_Velmora.js"
home="$site/index.htm"
if [[ -f $script ]]; then
    crlf_only "$script"
    line_is "$script" 6 "var MAX_NUM_ARG= 5;"
    line_is "$script" 13 "var LARGH_X_DIA= 135;"
    line_is "$script" 24 "var Nome_Immagine_Sfondo_Sito='Sfondo_Bello_Azzurro_Moderno_main-bg_1024x768_RID.jpg';"
    [[ $(wc -l <"$script") -eq 32 ]] || fail "the script does not have 32 lines"
fi
if [[ -f $home ]]; then
    crlf_only "$home"
    line_is "$home" 4 "<title>Titolo del Sito - Layout creato da Velmora(c)</title>"
    line_is "$home" 24 "<body background='Sfondo_Bello_Azzurro_Moderno_main-bg_1024x768_RID.jpg'>"
    line_is "$home" 32 "Descrizione del Sito</strong></font>"
    [[ $(wc -l <"$home") -eq 51 ]] || fail "the home page does not have 51 lines"
    if [[ -f "$site/index_TMP.htm" ]] && ! cmp -s "$home" "$site/index_TMP.htm"; then
        fail "the preview copy differs from the home page"
    fi
fi
for name in "${expected[@]:2}"; do
    source_file=$(find "$app_dir" -path "$site" -prune -o -type f -name "$name" -print | head -n1)
    if [[ -n $source_file && -f "$site/$name" ]] && ! cmp -s "$source_file" "$site/$name"; then
        fail "$name in LAYOUT_01 is not a copy of $source_file"
    fi
done

# The slide and groups sample pages, written while start-up visits the tabs.
slide="$app_dir/SFONDI_DIAPOSITIVE/Sfondo_Diapositiva_Oro_01.gif"
for n in 7 8; do
    page="$app_dir/SFONDI_DIAPOSITIVE/Sfondo_Diapositiva_Oro_01_Esempio_Sfondo$n.htm"
    if [[ ! -f $page ]]; then
        fail "start-up did not write $(basename "$page")"
        continue
    fi
    cp "$page" "$out/"
    crlf_only "$page"
    line_is "$page" 3 "<title>$slide</title>"
done

if [[ $failed -ne 0 ]]; then
    echo "program output ($out/program.log):"
    tail -n 30 "$out/program.log"
    exit 1
fi
echo "ok: start-up wrote the default site and the sample pages (files in $out)"
