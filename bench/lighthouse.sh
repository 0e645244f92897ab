#!/usr/bin/env bash
# Lighthouse scores of a written gallery: a site of 200 photos (4 groups of
# 50, 12 megapixels each, made with ImageMagick), served over http on
# 127.0.0.1, measured on its home page and on a group page, with the mobile
# and the desktop presets. Not part of the tests: it needs Debian's Chromium
# (installed through scripts/deps.sh --bench) and Lighthouse from the npm
# registry (npx, pinned).
#
#   bench/lighthouse.sh [--engine FILE] [--build DIR] [--keep DIR] [--reports DIR]
#
# --engine FILE  measures another gallery engine (e.g. an older one:
#                git show main:engine/galleria_by_Velmora.js > /tmp/old.js)
# --build DIR    the build folder holding lighthouse_site_qt (default: build)
# --keep DIR     makes the site in DIR and keeps it (made once, reused)
# --reports DIR  keeps Lighthouse's JSON reports there (page-preset.json)
#
# Where the picture list carries no web-sized copies yet, the script makes
# them itself (ImageMagick, long sides 2048 and 1024) under the names the
# list uses for them, and writes the list's new fields and words, so that
# the engine is measured as it works on a site of this program.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
engine="" build="$here/build" keep="" reports=""
while [ $# -gt 0 ]; do
  case "$1" in
    --engine) engine=$(realpath "$2"); shift 2 ;;
    --build) build=$(realpath "$2"); shift 2 ;;
    --keep) keep="$2"; shift 2 ;;
    --reports) reports="$2"; shift 2 ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
done

"$here/scripts/deps.sh" --bench
export CHROME_PATH=${CHROME_PATH:-/usr/bin/chromium}

work=$(mktemp -d "${TMPDIR:-/tmp}/lighthouse.XXXXXX")
server=""
cleanup() {
  [ -n "$server" ] && kill "$server" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

site=${keep:-$work/site}
if [ ! -f "$site/index.htm" ]; then
  mkdir -p "$site"
  echo "Making 200 photos of 4000x3000 (10 different ones, each in 20 places)..."
  mkdir -p "$work/photos"
  for k in $(seq 0 9); do
    convert -size 1000x750 "plasma:hsl($((k * 36)),60%,60%)-hsl($((k * 36 + 120)),50%,40%)" -seed "$k" \
      -resize 4000x3000! -attenuate 0.4 +noise Gaussian -quality 90 "$work/photos/$k.jpg"
  done
  groups=("Mare" "Montagna" "Citt$(printf '\xc3\xa0') d'arte" "Fiori e giardini")
  for g in "${groups[@]}"; do
    mkdir -p "$site/$g"
    for i in $(seq 1 50); do cp "$work/photos/$((i % 10)).jpg" "$site/$g/Foto $i.jpg"; done
  done
  echo "Writing the site (thumbnails made by the program)..."
  cmake --build "$build" -j2 --target lighthouse_site_qt >/dev/null
  "$build/lighthouse_site_qt" "$site"
  python3 - "$site" "$work/photos" <<'PYTHON'
# The list in the new form, with the web-sized copies, where the writer does not make them yet.
import os, re, subprocess, sys
site, photos = sys.argv[1], sys.argv[2]
path = os.path.join(site, 'Immagini_by_Velmora.js')
text = open(path, encoding='cp1252').read()
if 'Parole_Galleria' not in text:
    sizes = {}
    for side in (2048, 1024):
        for k in range(10):
            out = os.path.join(photos, '%d_%d.jpg' % (k, side))
            subprocess.run(['convert', os.path.join(photos, '%d.jpg' % k), '-resize', '%dx%d' % (side, side), '-quality', '82', out], check=True)
    def entry(match):
        name, thumb = match.group(1), match.group(2)
        number = int(re.search(r'(\d+)\.jpg$', name).group(1)) % 10
        stem = thumb.split('_')[0]
        copies = []
        for side in (2048, 1024):
            copy = '%s_%d.jpg' % (stem, side)
            target = os.path.join(site, 'Miniature_by_Velmora', copy)
            if not os.path.exists(target):
                os.link(os.path.join(photos, '%d_%d.jpg' % (number, side)), target)
            copies.append(copy)
        return "['%s','%s','%s','%s',4000,3000]" % (name, thumb, copies[0], copies[1])
    text = re.sub(r"\['(Foto \d+\.jpg)','([0-9a-f]{16}_\d+x\d+\.jpg)'\]", entry, text)
    words = ("var Lingua_Galleria='it';\r\nvar Parole_Galleria={home:'Home',page:'Pagina {k} di {n}',previous:'Precedente',"
             "next:'Successiva',close:'Chiudi',download:'Scarica l\\'originale',slideshow:'Presentazione',pause:'Pausa',"
             "fullscreen:'Schermo intero',loading:'Caricamento\\u2026',first:'Prima',last:'Ultima'};\r\n")
    text = text.replace('var Gruppi_Immagini=[', words + 'var Gruppi_Immagini=[', 1)
    open(path, 'w', encoding='cp1252', newline='').write(text)
PYTHON
  if [ ! -f "$site/favicon_by_Velmora.png" ] && [ -f "$build/app/Site_Builder.png" ]; then
    convert "$build/app/Site_Builder.png" -resize 32x32 "$site/favicon_by_Velmora.png"
  fi
fi
[ -n "$engine" ] && cp "$engine" "$site/galleria_by_Velmora.js"
[ -z "$engine" ] && cp "$here/engine/galleria_by_Velmora.js" "$site/galleria_by_Velmora.js"

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$site" >"$work/server.log" 2>&1 &
server=$!
for _ in $(seq 50); do curl -s -o /dev/null "http://127.0.0.1:$port/" && break; sleep 0.1; done

group=$(python3 -c 'import urllib.parse, sys; print(urllib.parse.quote(sys.argv[1], safe=""))' "Citt$(printf '\xc3\xa0') d'arte")
echo "Load average before the runs (the performance scores suffer on a busy machine): $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-8s %-8s %12s %14s %15s %4s\n' page preset Performance Accessibility "Best Practices" SEO
for page in home group; do
  url="http://127.0.0.1:$port/index.htm"
  [ "$page" = group ] && url="$url#gruppo=$group"
  for preset in mobile desktop; do
    flags=()
    [ "$preset" = desktop ] && flags=(--preset=desktop)
    out="$work/$page-$preset.json"
    [ -n "$reports" ] && mkdir -p "$reports" && out="$reports/$page-$preset.json"
    npx -y lighthouse@12.2.3 "$url" "${flags[@]}" --quiet --output=json --output-path="$out" \
      --only-categories=performance,accessibility,best-practices,seo \
      --chrome-flags="--headless=new --no-sandbox --disable-gpu" >"$work/lighthouse.log" 2>&1 ||
      { tail -n 20 "$work/lighthouse.log" >&2; exit 1; }
    node -e '
      const r = require(process.argv[1]), c = r.categories, s = (k) => Math.round(c[k].score * 100);
      const failing = Object.values(r.audits).filter((a) => a.score !== null && a.score < 0.9 && a.scoreDisplayMode === "binary").map((a) => a.id);
      const m = (k) => r.audits[k].displayValue;
      console.log([process.argv[2].padEnd(8), process.argv[3].padEnd(8), String(s("performance")).padStart(12),
        String(s("accessibility")).padStart(14), String(s("best-practices")).padStart(15), String(s("seo")).padStart(4),
        " failing: " + (failing.join(", ") || "none")].join(" "));
      console.log("                  load " + require("fs").readFileSync("/proc/loadavg", "utf8").split(" ").slice(0, 3).join(" ") + ", FCP " + m("first-contentful-paint") + ", LCP " + m("largest-contentful-paint") +
        ", TBT " + m("total-blocking-time") + ", CLS " + m("cumulative-layout-shift") + ", " + m("total-byte-weight"));' "$out" "$page" "$preset"
  done
done
