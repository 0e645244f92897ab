#!/usr/bin/env bash
# Runs the caption test of the adapter tests with exactly the fonts that the
# given Debian packages install, as on a fresh system with only the program's
# package: a private fontconfig set-up that knows those font files alone
# (plus the system's usual rules for choosing among them).
# Usage: package_fonts.sh ADAPTER_TESTS PACKAGE...
set -euo pipefail
tests=$1
shift
work=$(mktemp -d "${TMPDIR:-/tmp}/sb-package-fonts.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/fonts" "$work/cache"
found=0
for package in "$@"; do
  while IFS= read -r file; do
    case $file in
    *.ttf | *.otf | *.pfb) ln -s "$file" "$work/fonts/" && found=$((found + 1)) ;;
    esac
  done < <(dpkg -L "$package")
done
[ "$found" -gt 0 ] || { echo "FAIL: the packages $* bring no fonts"; exit 1; }
cat >"$work/fonts.conf" <<CONF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>$work/fonts</dir>
  <cachedir>$work/cache</cachedir>
  <include ignore_missing="yes">/etc/fonts/conf.d</include>
</fontconfig>
CONF
echo "$found font files of: $*"
FONTCONFIG_FILE="$work/fonts.conf" HOME="$work" XDG_DATA_HOME="$work/data" "$tests" --gtest_filter='Captions.*'
