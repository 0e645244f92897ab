#!/usr/bin/env bash
# Makes, in folder $1, pictures that are hard on a viewer: odd names (quotes,
# "%", "#", "?", blanks at either end, a line break, emoji, bytes that are not
# UTF-8, 255 bytes) and broken or extreme files (truncated, garbage, empty,
# a text named .jpg, a PNG header claiming 100000x100000, a GIF 0 pixels high).
# $2 is a good picture to start from.
set -euo pipefail
out=$1 good=$2
mkdir -p "$out"
names=("l'alba" '"mare"' 'a&b' 'hash#x' 'pct%20' 'q?x=1' '<b>' '  ai lati  ' $'riga\nnuova' '😀' $'caf\xe9 \x81' 'c:x'
       "$(printf 'n%.0s' {1..251})")
for name in "${names[@]}"; do cp "$good" "$out/$name.jpg"; done
head -c 2000 "$good" >"$out/troncata.jpg"
head -c 20000 /dev/urandom >"$out/rumore.png" 2>/dev/null || true
: >"$out/vuota.gif"
echo "non sono una immagine" >"$out/testo.jpg"
# PNG signature and an IHDR claiming 100000 x 100000 pixels, then nothing.
printf '\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR\x00\x01\x86\xa0\x00\x01\x86\xa0\x08\x02\x00\x00\x00\x00\x00\x00\x00' >"$out/enorme.png"
printf 'GIF89a\x10\x00\x00\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff,\x00\x00\x00\x00\x10\x00\x00\x00\x00\x02\x02D\x01\x00;' >"$out/alta0.gif"
