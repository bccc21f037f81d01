#!/usr/bin/env bash
# Installs what the builds and tests need on a Debian 12 machine, once.
# Safe to run again: every step checks first.
set -euo pipefail

need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: run as root (or through sudo) to install packages" >&2
    exit 1
  fi
}

packages=(
  cmake make g++ pkg-config googletest libturbojpeg0-dev libjpeg-turbo-progs
  g++-mingw-w64-i686 binutils-mingw-w64-i686 nasm dpkg-dev
  wine wine32:i386 xvfb x11-utils imagemagick
  gdal-bin shapelib python3-pyshp python3 unixodbc
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  need_root
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  # Source packages are needed to build the Win32 JPEG library from Debian's own source.
  if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    cat > /etc/apt/sources.list.d/quarvex-src.sources <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  fi
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
echo "setup: packages present"
