#!/usr/bin/env bash
# Installs every Debian package Kist needs to build, run and test. Idempotent.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

# The RAR library (libunrar5) and the rar tool live in Debian's non-free component.
NONFREE=/etc/apt/sources.list.d/kist-non-free.sources
if [ ! -f "$NONFREE" ]; then
  mirror=$(grep -h -m1 -E '^URIs:.*debian/?$' /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '{print $2}' || true)
  if [ -z "$mirror" ]; then
    mirror=$(grep -h -m1 -E '^deb .*debian/? bookworm' /etc/apt/sources.list 2>/dev/null | awk '{print $2}' || true)
  fi
  mirror=${mirror:-http://deb.debian.org/debian}
  $SUDO tee "$NONFREE" >/dev/null <<SRC
Types: deb
URIs: $mirror
Suites: bookworm
Components: non-free
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  STAMP_FORCE=1
fi

PACKAGES=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools libgl-dev libqt6svg6 qt6-l10n-tools qt6-tools-dev dbus-daemon
  zlib1g-dev libdeflate-dev libisal-dev liblzma-dev libbz2-dev libminizip-dev libarchive-dev libicu-dev
  libunrar-dev libunrar5
  libgtest-dev libgmock-dev
  zip unzip 7zip rar libarchive-tools python3
  xz-utils zstd lz4 lzip ncompress genisoimage cpio binutils dpkg rpm gcab
  clang-14 clang-tidy-14 libclang-rt-14-dev llvm-14
  gcovr
  lintian appstream desktop-file-utils bash-completion zsh locales
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ] || [ -n "${STAMP_FORCE:-}" ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  if [ "${#missing[@]}" -gt 0 ]; then
    $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
fi
