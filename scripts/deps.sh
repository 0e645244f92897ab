#!/usr/bin/env bash
# Installs the Debian packages the program needs to build, run and be tested,
# when any of them is missing: as root directly, otherwise through sudo. When
# neither can install (no sudo, or a sudo that would ask for a password where
# nobody can type it), it prints the one command to run as root and stops.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-webengine-dev libgl1-mesa-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  imagemagick fonts-dejavu-core
  xvfb xauth x11-utils xclip xdotool
  nodejs time
  dpkg-dev file desktop-file-utils appstream
  qt6-image-formats-plugins
  clang libclang-rt-dev
  zlib1g-dev
  qtkeychain-qt6-dev
  libcurl4-openssl-dev libssl-dev openssh-server openssh-client vsftpd openssl rsync
)
# Optional groups, named on the command line: --bench adds what the
# benchmarks that drive a real browser need (bench/lighthouse.sh).
for group in "$@"; do
  case "$group" in
    --bench) packages+=(chromium) ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

apt=(apt-get -o DPkg::Lock::Timeout=600)
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
  sudo=(sudo -n)
elif command -v sudo >/dev/null && [ -t 0 ] && sudo -v; then
  sudo=(sudo)  # the password was just asked for at the terminal
else
  cat >&2 <<MESSAGE
The Site Builder needs Debian packages that are not installed:
  ${missing[*]}
Installing them needs root, and neither root nor sudo is at hand here.
Run this one line as root, then start this command again:
  ${apt[*]} update && ${apt[*]} install -y --no-install-recommends ${missing[*]}
MESSAGE
  exit 1
fi

log=$(mktemp "${TMPDIR:-/tmp}/site-builder-apt.XXXXXX")
echo "Installing ${#missing[@]} missing Debian packages and what they need (a few minutes; apt-get's output goes to $log)..."
if ! { "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive "${apt[@]}" update &&
       "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive "${apt[@]}" install -y --no-install-recommends "${missing[@]}"; } \
     >"$log" 2>&1; then
  echo "Installing the packages failed. The end of apt-get's output ($log):" >&2
  tail -n 20 "$log" >&2
  exit 1
fi
installed=$(grep -E -m1 '^[0-9]+ upgraded, [0-9]+ newly installed' "$log" | sed -E 's/^[0-9]+ upgraded, ([0-9]+) newly installed.*/\1/' || true)
downloaded=$(grep -E -m1 -o '^Need to get [0-9.,]+ [kMG]?B' "$log" | sed 's/^Need to get //' || true)
echo "Installed ${installed:-the} Debian packages${downloaded:+ ($downloaded downloaded)}."
rm -f "$log"
