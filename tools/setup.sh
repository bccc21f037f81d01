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

# Every file in tools/packages lists Debian packages, one a line ("#" starts a comment).
packages=()
for list in "$(dirname "$0")"/packages/*.txt; do
  while read -r line; do
    line=${line%%#*}
    for p in $line; do packages+=("$p"); done
  done < "$list"
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

has_deb_src() {
  grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ || grep -qs '^deb-src' /etc/apt/sources.list
}

if [ "${#missing[@]}" -gt 0 ] || ! has_deb_src; then
  need_root
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  # Source packages are needed to build the Win32 JPEG library from Debian's own source.
  if ! has_deb_src; then
    cat > /etc/apt/sources.list.d/quarvex-src.sources <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  fi
  apt-get update -qq
  if [ "${#missing[@]}" -gt 0 ]; then
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
fi
echo "setup: packages present"
