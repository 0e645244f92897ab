#!/usr/bin/env bash
# Draws the pictures that live in Site Builder's application folder:
# page backgrounds, slide frames, buttons, headers, balloons, the sample
# photo, navigation arrows, link tiles, the language flags and the icon
# (also as the icon every written site carries).
#
# Usage: assets/make_assets.sh OUTDIR [ICONDIR ICONNAME]
#
# With ICONDIR the program's icon is also written there in the sizes a
# desktop menu asks for, as ICONDIR/hicolor/NxN/apps/ICONNAME.png.
#
# Everything is drawn from scratch with ImageMagick 6 and the DejaVu Sans
# font, so the output is the same on every run.

set -euo pipefail

if [[ !( $# -eq 1 || $# -eq 3 ) || -z "$1" ]]; then
    echo "usage: $0 OUTDIR [ICONDIR ICONNAME]" >&2
    exit 2
fi

if ! command -v convert >/dev/null 2>&1; then
    echo "ImageMagick (convert) is needed to make the program's pictures" >&2
    exit 1
fi

FONT_DIR=/usr/share/fonts/truetype/dejavu
FONT="$FONT_DIR/DejaVuSans.ttf"
FONTB="$FONT_DIR/DejaVuSans-Bold.ttf"
for f in "$FONT" "$FONTB"; do
    if [[ ! -r "$f" ]]; then
        echo "The DejaVu Sans font is needed to make the program's pictures (missing $f; install fonts-dejavu-core)" >&2
        exit 1
    fi
done

OUT="$1"
ICON_DIR="${2:-}"
ICON_NAME="${3:-}"
mkdir -p "$OUT/SFONDI" "$OUT/SFONDI_DIAPOSITIVE" "$OUT/PULSANTI" "$OUT/TESTATE"

# Starting convert is the slow part, so each group of pictures is drawn by a
# single command: every picture is built inside parentheses, saved with
# -write and dropped again. -respect-parentheses keeps colours, fonts and
# strokes from leaking from one picture into the next.
#
# One thread keeps the noise texture identical from run to run, and no
# metadata with dates goes into the files.
IM=(convert -limit thread 1 -respect-parentheses)
DONE=(-size 1x1 xc:none null:)
JPG=(-strip -sampling-factor 2x2 -quality 90)
PNG=(-strip -define 'png:exclude-chunks=date,time')
# GIF has only on/off transparency: cut soft edges at half opacity.
GIF_ALPHA=(-channel A -threshold 50% +channel)

# ---------------------------------------------------------------------------
# Page background: modern light blue with soft waves and bubbles
# ---------------------------------------------------------------------------
make_blue_background() {
    "${IM[@]}" \
        -size 1024x768 -define gradient:angle=160 gradient:'#f4fbff'-'#7fc1ec' \
        \( -size 1024x768 xc:none \
           -fill 'rgba(255,255,255,0.22)' -draw "circle 880,130 880,330" \
           -fill 'rgba(255,255,255,0.16)' -draw "circle 760,40 760,150" \
           -fill 'rgba(255,255,255,0.14)' -draw "circle 120,170 120,260" \
           -fill 'rgba(40,120,190,0.10)'  -draw "circle 980,420 980,560" \
           -blur 0x6 \) -composite \
        \( -size 1024x768 xc:none \
           -fill 'rgba(255,255,255,0.35)' \
           -draw "path 'M 0,520 C 220,430 420,640 700,560 C 860,515 960,470 1024,480 L 1024,768 L 0,768 Z'" \
           -fill 'rgba(30,110,185,0.18)' \
           -draw "path 'M 0,610 C 260,540 520,700 780,630 C 900,598 980,590 1024,596 L 1024,768 L 0,768 Z'" \
           -fill 'rgba(20,90,160,0.20)' \
           -draw "path 'M 0,700 C 300,640 560,760 1024,680 L 1024,768 L 0,768 Z'" \
           -fill none -stroke 'rgba(255,255,255,0.55)' -strokewidth 2 \
           -draw "path 'M 0,560 C 240,470 430,660 720,590 C 870,553 970,520 1024,526'" \
           -blur 0x1.5 \) -composite \
        "${JPG[@]}" "$OUT/SFONDI/Sfondo_Bello_Azzurro_Moderno_main-bg_1024x768_RID.jpg"
}

# ---------------------------------------------------------------------------
# Empty canvas: cream linen weave inside a wooden frame, plus the small
# copy used as a group button
# ---------------------------------------------------------------------------
make_empty_canvas() {
    "${IM[@]}" \
        -size 752x552 radial-gradient:'#f8f2e3'-'#e6d9bb' \
        \( -size 376x276 xc:gray50 -seed 1 -attenuate 1.0 +noise Gaussian -colorspace Gray \
           -virtual-pixel tile \
           \( -clone 0 -motion-blur 0x5+0 \) \
           \( -clone 0 -motion-blur 0x5+90 \) \
           -delete 0 -evaluate-sequence Mean -auto-level -level 28%,72% \
           -resize 200% \) \
        -compose SoftLight -composite -compose Over \
        \( -size 752x552 xc:none -fill none -stroke 'rgba(90,60,25,0.22)' -strokewidth 10 \
           -draw "rectangle 0,0 751,551" -blur 0x5 \) -composite \
        -mattecolor '#8a5a2e' -frame 24x24+9+9 \
        \( -size 800x600 -define gradient:angle=135 gradient:'#f0c890'-'#3a2008' \
           -fill black -draw "rectangle 24,24 775,575" -transparent black \
           -channel A -evaluate multiply 0.5 +channel \) \
        -compose Overlay -composite -compose Over \
        -fill none -stroke '#3b2410' -draw "rectangle 0,0 799,599" \
        \( +clone -filter Lanczos -resize '200x152!' -unsharp 0x0.6 \
           "${JPG[@]}" -write "$OUT/PULSANTI/Tela_Vuota_Quadro_3_200x152_RID.jpg" +delete \) \
        "${JPG[@]}" "$OUT/SFONDI/Tela_Vuota_Quadro_3_RID.jpg"
}

# ---------------------------------------------------------------------------
# Sample photo: hills under a sunny sky
# ---------------------------------------------------------------------------
hill() { # GRADIENT-TOP GRADIENT-BOTTOM PATH -> a gradient-filled hill layer
    printf '%s\n' '(' -size 640x480 "gradient:$1-$2" \
        '(' -size 640x480 xc:black -fill white -draw "path '$3'" ')' \
        -alpha off -compose CopyOpacity -composite ')' -compose Over -composite
}

make_sample_photo() {
    local -a near far
    mapfile -t far < <(hill '#7cbf55' '#2f6b2a' \
        'M 0,350 C 140,320 260,340 360,370 C 460,400 560,360 640,350 L 640,480 L 0,480 Z')
    mapfile -t near < <(hill '#5ea83c' '#1f4d1c' \
        'M 0,420 C 120,380 240,390 330,430 C 420,470 520,420 640,400 L 640,480 L 0,480 Z')
    "${IM[@]}" \
        -size 640x480 gradient:'#3d7cc9'-'#ffe3b8' \
        \( -size 640x480 -define gradient:center=470,130 -define gradient:radii=430,430 \
           radial-gradient:'rgba(255,244,200,1)'-'rgba(255,220,150,0)' \
           -channel A -evaluate pow 2.2 +channel \) \
        -compose Screen -composite -compose Over \
        -fill '#fff6d6' -draw "circle 470,130 470,158" \
        \( -size 640x480 xc:none -fill 'rgba(255,255,255,0.75)' \
           -draw "ellipse 140,90 70,16 0,360 ellipse 190,80 50,20 0,360 ellipse 100,96 40,12 0,360" \
           -draw "ellipse 330,150 60,10 0,360 ellipse 370,142 40,14 0,360" \
           -blur 0x5 \) -composite \
        -fill '#8fa6c6' -draw "path 'M 0,300 C 90,230 170,250 240,270 C 320,220 400,200 470,250 C 540,230 600,240 640,260 L 640,480 L 0,480 Z'" \
        -fill '#6f93a8' -draw "path 'M 0,330 C 120,280 220,300 300,320 C 400,290 520,280 640,310 L 640,480 L 0,480 Z'" \
        "${far[@]}" "${near[@]}" \
        -fill '#1e4a22' \
        -draw "polygon 90,360 104,320 118,360 polygon 96,340 104,310 112,340" \
        -draw "polygon 122,364 134,330 146,364 polygon 127,346 134,322 141,346" \
        -draw "polygon 520,372 536,326 552,372 polygon 526,350 536,316 546,350" \
        -draw "polygon 554,378 566,346 578,378" \
        -fill '#5a3a1e' \
        -draw "rectangle 102,360 106,368 rectangle 132,364 136,371 rectangle 534,372 538,380 rectangle 564,378 568,385" \
        -fill none -stroke '#2a2a3a' -strokewidth 1.5 \
        -draw "path 'M 250,110 q 6,-5 12,0 q 6,-5 12,0'" \
        -draw "path 'M 285,130 q 4,-4 8,0 q 4,-4 8,0'" \
        "${JPG[@]}" "$OUT/image1.jpg"
}

# ---------------------------------------------------------------------------
# Header banner, comment balloon, gold slide frame and the spacer
# ---------------------------------------------------------------------------
make_decorations() {
    local balloon="M 24,6 L 196,6 Q 214,6 214,24 L 214,78 Q 214,96 196,96 L 86,96 L 42,124 L 58,96 L 24,96 Q 6,96 6,78 L 6,24 Q 6,6 24,6 Z"
    "${IM[@]}" \
        \( -size 100x600 gradient:'#1b4f8a'-'#45b3c9' -rotate -90 \
           \( -size 600x100 gradient:'rgba(255,255,255,0.18)'-'rgba(0,0,0,0.18)' \) -composite \
           \( -size 600x100 xc:none \
              -fill 'rgba(255,255,255,0.16)' -draw "circle 520,30 520,100" \
              -fill 'rgba(255,255,255,0.12)' -draw "circle 430,110 430,160" \
              -fill 'rgba(255,255,255,0.10)' -draw "circle 590,95 590,125" \
              -blur 0x2 \) -composite \
           \( -size 600x100 xc:none -font "$FONTB" -pointsize 46 -fill 'rgba(0,20,50,0.65)' \
              -gravity west -annotate +32-5 'Galleria' -blur 0x3 \) -composite \
           -font "$FONTB" -pointsize 46 -fill white -gravity west -annotate +30-8 'Galleria' \
           -fill 'rgba(255,255,255,0.55)' -draw "rectangle 32,72 280,73" \
           -font "$FONT" -pointsize 13 -fill 'rgba(255,255,255,0.9)' -gravity northwest \
           -annotate +33+77 'fotografie e ricordi' \
           "${JPG[@]}" -write "$OUT/TESTATE/Image5.jpg" +delete \) \
        \( -size 220x130 xc:none \
           -fill '#a9b1ba' -draw "translate 3,3 path '$balloon'" \
           \( -size 220x130 gradient:'#ffffff'-'#fff1c4' \
              \( -size 220x130 xc:black -fill white -draw "path '$balloon'" \) \
              -alpha off -compose CopyOpacity -composite \) -compose Over -composite \
           -fill none -stroke '#4d5560' -strokewidth 2 -draw "path '$balloon'" \
           "${GIF_ALPHA[@]}" -write "$OUT/TESTATE/Fumetto_01.gif" +delete \) \
        \( -size 115x80 gradient:'#382d1d'-'#1a140b' \
           -mattecolor '#d4a93a' -frame 10x10+4+4 \
           \( -size 135x100 -define gradient:angle=135 gradient:'#fff6c8'-'#9a6f12' \
              -fill black -draw "rectangle 10,10 124,89" -transparent black \
              -channel A -evaluate multiply 0.45 +channel \) \
           -compose Overlay -composite -compose Over \
           -fill none -stroke '#5c4210' -draw "rectangle 0,0 134,99" \
           -stroke '#f7e08a' -draw "rectangle 9,9 125,90" \
           +dither -colors 255 -write "$OUT/SFONDI_DIAPOSITIVE/Sfondo_Diapositiva_Oro_01.gif" +delete \) \
        \( -size 16x16 xc:none -write "$OUT/blank.gif" +delete \) \
        "${DONE[@]}"
}

# ---------------------------------------------------------------------------
# Round and square buttons, forward / back arrows
# ---------------------------------------------------------------------------
disc() { # LIGHT DARK -> a lit 40x40 disc on a transparent square
    printf '%s\n' -size 40x40 -define gradient:center=16,13 -define gradient:radii=28,28 \
        "radial-gradient:$1-$2" \
        '(' -size 40x40 xc:black -fill white -draw "circle 19.5,19.5 19.5,1" ')' \
        -alpha off -compose CopyOpacity -composite -compose Over \
        -fill none -stroke 'rgba(0,0,0,0.45)' -strokewidth 1 -draw "circle 19.5,19.5 19.5,1" \
        -stroke none -fill 'rgba(255,255,255,0.35)' -draw "ellipse 19.5,11 12,6.5 0,360"
}

make_small_buttons() {
    local arrow="polygon 10,16.5 20,16.5 20,10 31,20 20,30 20,23.5 10,23.5"
    local cross="stroke-linecap round line 13.5,13.5 26.5,26.5 line 26.5,13.5 13.5,26.5"
    local -a red blue gold
    mapfile -t red < <(disc '#ff9a7a' '#b3200f')
    mapfile -t blue < <(disc '#9fd6ff' '#1b5aa6')
    mapfile -t gold < <(disc '#fff0a8' '#d98a0b')
    "${IM[@]}" \
        \( "${red[@]}" \
           -fill none -stroke 'rgba(90,0,0,0.6)' -strokewidth 5 -draw "translate 0.5,1 $cross" \
           -stroke white -strokewidth 4.5 -draw "$cross" \
           "${GIF_ALPHA[@]}" -write "$OUT/PULSANTI/Pulsante_tondo_Annulla_thumbdown.gif" +delete \) \
        \( -size 40x40 gradient:'#ff6b5e'-'#b3140a' \
           \( -size 40x40 xc:black -fill white -draw "roundrectangle 1,1 38,38 6,6" \) \
           -alpha off -compose CopyOpacity -composite -compose Over \
           -fill 'rgba(255,255,255,0.25)' -draw "roundrectangle 3,3 36,18 5,5" \
           -fill none -stroke '#7a0b05' -strokewidth 1 -draw "roundrectangle 1,1 38,38 6,6" \
           -stroke 'rgba(80,0,0,0.55)' -strokewidth 5 -draw "translate -0.5,0.5 $cross" \
           -stroke white -strokewidth 4.5 -draw "translate -1,-1 $cross" \
           "${GIF_ALPHA[@]}" -write "GIF:$OUT/PULSANTI/Pulsante_X_Chiudi_Finestra_by_Velmora_03.GIF" +delete \) \
        \( "${blue[@]}" \
           -fill 'rgba(0,30,80,0.5)' -draw "translate 1,1 $arrow" \
           -fill white -draw "$arrow" \
           \( +clone "${GIF_ALPHA[@]}" -write "$OUT/Icona_Avanti_1.gif" +delete \) \
           -flop "${GIF_ALPHA[@]}" -write "$OUT/Icona_Indietro_1.gif" +delete \) \
        \( "${gold[@]}" \
           -fill 'rgba(255,255,255,0.6)' -draw "translate 1,1 $arrow" \
           -fill '#5b3200' -draw "$arrow" \
           \( +clone "${GIF_ALPHA[@]}" -write "$OUT/Icona_Avanti_2.gif" +delete \) \
           -flop "${GIF_ALPHA[@]}" -write "$OUT/Icona_Indietro_2.gif" +delete \) \
        "${DONE[@]}"
}

# ---------------------------------------------------------------------------
# Numbered page buttons 1..10
# ---------------------------------------------------------------------------
make_number_buttons() {
    local -a each=()
    local i
    for i in 1 2 3 4 5 6 7 8 9 10; do
        each+=( '(' +clone -font "$FONTB" -pointsize 22 -gravity center
                -fill '#0d2f58' -annotate +1+2 "$i"
                -fill white -annotate +0+1 "$i"
                "${GIF_ALPHA[@]}" -write "$OUT/$(printf 'Pulsante_%02d.gif' "$i")" +delete ')' )
    done
    "${IM[@]}" \
        -size 110x40 gradient:'#7cc3f5'-'#1d5ea8' \
        \( -size 110x40 xc:black -fill white -draw "roundrectangle 0,0 109,39 14,14" \) \
        -alpha off -compose CopyOpacity -composite -compose Over \
        -fill 'rgba(255,255,255,0.30)' -draw "roundrectangle 4,2 105,19 11,8" \
        -fill none -stroke '#143f73' -strokewidth 1.2 -draw "roundrectangle 0.5,0.5 108.5,38.5 14,14" \
        "${each[@]}" null:
}

# ---------------------------------------------------------------------------
# Link tiles (117x69), each with a little symbol and a label
# ---------------------------------------------------------------------------
star_points() {
    awk 'BEGIN{
        pi = atan2(0, -1); cx = 58.5; cy = 24; ro = 15; ri = 6.2; s = "";
        for (i = 0; i < 10; i++) {
            r = (i % 2) ? ri : ro; a = -pi/2 + i*pi/5;
            s = s sprintf("%.1f,%.1f ", cx + r*cos(a), cy + r*sin(a));
        }
        print s }'
}

TILES=()
link_tile() { # FILE LIGHT DARK LABEL DRAWING...
    local out=$1 light=$2 dark=$3 label=$4
    shift 4
    TILES+=( '('
        -size 117x69 -define gradient:angle=150 "gradient:$light-$dark"
        -fill 'rgba(255,255,255,0.10)' -draw "circle 105,8 105,40"
        -fill none -stroke 'rgba(255,255,255,0.45)' -draw "line 0,0 116,0 line 0,0 0,68"
        -stroke 'rgba(0,0,0,0.35)' -draw "line 116,0 116,68 line 0,68 116,68"
        -stroke none "$@"
        -stroke none -font "$FONTB" -pointsize 13 -gravity south
        -fill 'rgba(0,0,0,0.45)' -annotate +1+5 "$label"
        -fill white -annotate +0+6 "$label"
        -colors 128 -write "$OUT/$out" +delete ')' )
}

make_link_tiles() {
    local star
    star=$(star_points)
    link_tile Link_01.gif '#c39be0' '#6c2f8f' 'Velmora' \
        -fill 'rgba(0,0,0,0.25)' -draw "translate 1,1.5 polygon $star" \
        -fill '#ffe680' -stroke '#b38600' -draw "polygon $star"
    link_tile Link_02.gif '#8fc8f2' '#1f5f99' 'Layout' \
        -fill 'rgba(255,255,255,0.92)' \
        -draw "rectangle 42,9 75,15 rectangle 42,18 53,39 rectangle 56,18 75,39" \
        -fill 'rgba(31,95,153,0.55)' -draw "rectangle 59,22 72,23 rectangle 59,27 72,28 rectangle 59,32 68,33"
    link_tile Link_03.gif '#9be3a9' '#1d7a3e' 'Gallerie' \
        -fill white -draw "rectangle 41,8 76,39" \
        -fill '#8fd0f5' -draw "rectangle 44,11 73,36" \
        -fill '#ffd84a' -draw "circle 66,17 66,20.5" \
        -fill '#2f8a3a' -draw "polygon 44,36 53,22 60,30 64,26 73,36"
    link_tile Link_04.gif '#8fe6d6' '#0f7566' 'Sfondi' \
        -fill none -stroke white -strokewidth 3 \
        -draw "stroke-linecap round path 'M 40,14 C 46,8 52,20 58,14 C 64,8 70,20 76,14'" \
        -draw "stroke-linecap round path 'M 40,24 C 46,18 52,30 58,24 C 64,18 70,30 76,24'" \
        -draw "stroke-linecap round path 'M 40,34 C 46,28 52,40 58,34 C 64,28 70,40 76,34'"
    link_tile Link_05.gif '#ffc38a' '#c45f0c' 'Pulsanti' \
        -fill 'rgba(0,0,0,0.25)' -draw "roundrectangle 39,13 79,33 9,9" \
        -fill white -draw "roundrectangle 37,11 77,31 9,9" \
        -fill '#e68a2e' -draw "circle 47,21 47,25" \
        -fill '#e68a2e' -draw "rectangle 54,19 70,23" \
        -fill '#333333' -stroke white -strokewidth 1 \
        -draw "polygon 66,24 66,40 70,36 73,42 75,41 72,35 77,35"
    link_tile Link_06.gif '#f3a39a' '#9e2a1f' 'Guide' \
        -fill white -stroke '#7a1f16' -strokewidth 1 \
        -draw "polygon 58.5,13 42,9 42,35 58.5,39" \
        -draw "polygon 58.5,13 75,9 75,35 58.5,39" \
        -stroke 'rgba(122,31,22,0.5)' \
        -draw "line 46,16 55,18 line 46,21 55,23 line 46,26 55,28 line 62,18 71,16 line 62,23 71,21 line 62,28 71,26"
    link_tile Link_07.gif '#9fb3c8' '#2c3e50' 'Contatti' \
        -fill 'rgba(0,0,0,0.25)' -draw "rectangle 42,12 77,37" \
        -fill white -draw "rectangle 40,10 75,35" \
        -fill none -stroke '#2c3e50' -strokewidth 1.5 \
        -draw "polyline 40.5,10.5 57.5,25 74.5,10.5" \
        -draw "line 40.5,34.5 52,22 line 74.5,34.5 63,22"
    "${IM[@]}" "${TILES[@]}" "${DONE[@]}"
}

# ---------------------------------------------------------------------------
# Language flags: 38x26 flag plus a 2 px shadow, interlaced GIF89a
# ---------------------------------------------------------------------------
shadowed() { # FILE -> puts the flag on the stack over its shadow and saves it
    printf '%s\n' '(' -size 40x28 xc:none -fill '#3a3a3a' -draw "rectangle 2,2 39,27" ')' \
        +swap -geometry +0+0 -composite "${GIF_ALPHA[@]}" -interlace GIF \
        -write "GIF:$1" +delete
}

make_flags() {
    local -a it uk
    mapfile -t it < <(shadowed "$OUT/Bandiera_Italiana.gif")
    mapfile -t uk < <(shadowed "$OUT/Bandiera_Inglese.gif")
    # The Union Jack is drawn on a 600x300 field (10 px per unit of its
    # 60x30 pattern) and then brought down to the small size. The thin red
    # diagonals are counterchanged: broad white uppermost at the hoist.
    "${IM[@]}" \
        \( -size 38x26 xc:'#f4f5f0' \
           -fill '#009246' -draw "rectangle 0,0 12,25" \
           -fill '#ce2b37' -draw "rectangle 25,0 37,25" \
           "${it[@]}" \) \
        \( -size 600x300 xc:'#012169' \
           -stroke white -strokewidth 60 \
           -draw "line -60,-30 660,330 line 660,-30 -60,330" \
           -stroke none -fill '#c8102e' \
           -draw "polygon 0,0 300,150 291.06,167.89 -8.94,17.89" \
           -draw "polygon 600,0 300,150 291.06,132.11 591.06,-17.89" \
           -draw "polygon 600,300 300,150 308.94,132.11 608.94,282.11" \
           -draw "polygon 0,300 300,150 308.94,167.89 8.94,317.89" \
           -fill white -draw "rectangle 250,0 350,300 rectangle 0,100 600,200" \
           -fill '#c8102e' -draw "rectangle 270,0 330,300 rectangle 0,120 600,180" \
           -filter Triangle -resize '38x26!' \
           "${uk[@]}" \) \
        "${DONE[@]}"
    local f
    for f in "$OUT/Bandiera_Italiana.gif" "$OUT/Bandiera_Inglese.gif"; do
        if [[ "$(head -c 6 "$f")" != "GIF89a" ]]; then
            echo "$f was not written as GIF89a" >&2
            exit 1
        fi
    done
}

# ---------------------------------------------------------------------------
# Program icon: a framed landscape with a small globe (the web)
# ---------------------------------------------------------------------------
make_icon() {
    local -a menu=()
    local size
    if [[ -n $ICON_DIR ]]; then
        for size in 16 24 32 48 64 128 256; do
            mkdir -p "$ICON_DIR/hicolor/${size}x$size/apps"
            menu+=( '(' -clone 0 -resize "${size}x$size" "${PNG[@]}"
                    -write "$ICON_DIR/hicolor/${size}x$size/apps/$ICON_NAME.png" +delete ')' )
        done
    fi
    "${IM[@]}" -size 256x256 xc:none \
        -fill 'rgba(0,0,0,0.30)' -draw "roundrectangle 18,34 250,226 14,14" \
        -fill '#a8711f' -draw "roundrectangle 8,24 240,216 14,14" \
        -fill '#e2b04a' -draw "roundrectangle 14,30 234,210 10,10" \
        -fill '#7a4c12' -draw "rectangle 34,50 214,190" \
        \( -size 176x136 gradient:'#3f8fe0'-'#bfe6ff' \
           -fill '#ffd23a' -draw "circle 130,38 130,58" \
           -fill '#3c9a3c' -draw "path 'M 0,96 C 40,60 80,70 110,92 C 130,80 150,76 176,84 L 176,136 L 0,136 Z'" \
           -fill '#237a2a' -draw "path 'M 0,120 C 50,100 100,104 176,118 L 176,136 L 0,136 Z'" \
        \) -geometry +36+52 -composite \
        -fill '#1c5fb8' -stroke '#0d2f66' -strokewidth 6 -draw "circle 196,192 196,140" \
        -fill none -stroke '#bfe3ff' -strokewidth 5 \
        -draw "ellipse 196,192 22,51 0,360" \
        -draw "line 145,192 247,192" \
        -draw "path 'M 152,166 Q 196,178 240,166' path 'M 152,218 Q 196,206 240,218'" \
        -filter Lanczos \
        "${menu[@]}" \
        \( -clone 0 -resize 64x64 "${PNG[@]}" -write "$OUT/Site_Builder.png" +delete \) \
        \( -clone 0 -resize 48x48 "${PNG[@]}" -write "$OUT/favicon_by_Velmora.png" +delete \) \
        \( -clone 0 -resize 32x32 "${GIF_ALPHA[@]}" -colors 16 \) \
        \( -clone 0 -resize 16x16 -unsharp 0x0.5 "${GIF_ALPHA[@]}" -colors 16 \) \
        -delete 0 "ICO:$OUT/Site_Builder.ico"
}

# Two cores are plenty: the groups are independent, so run them side by side.
JOBS=(make_blue_background make_empty_canvas make_sample_photo make_decorations
      make_small_buttons make_number_buttons make_link_tiles make_flags make_icon)
declare -A PIDS=()
for job in "${JOBS[@]}"; do
    "$job" &
    PIDS[$job]=$!
done
failed=0
for job in "${JOBS[@]}"; do
    if ! wait "${PIDS[$job]}"; then
        echo "${job#make_}: drawing failed" >&2
        failed=1
    fi
done
if (( failed )); then
    exit 1
fi

echo "Pictures written to $OUT"
