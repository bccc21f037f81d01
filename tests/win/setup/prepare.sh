#!/usr/bin/env bash
# Makes what setup_tests needs: the setup program and the zip of this build
# (tools/package.sh), a fresh Wine prefix, and the zip unpacked into it.
# Usage: prepare.sh WORK_DIR x86|x64 BUILD_DIR
set -euo pipefail
work=$1 arch=$2 build=$3
root=$(cd "$(dirname "$0")/../../.." && pwd)
prefix="$work/wineprefix"

WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
rm -rf "$work"
mkdir -p "$work"
bash "$root/tools/package.sh" --out "$work/dist" "--$arch" "$build"
# A 64-bit setup program for the x86-64 program, a 32-bit one for the x86
# program: the test below would not notice, as 64-bit Wine starts both.
/usr/bin/python3 "$root/tests/win/check_pe.py" "$work"/dist/quarvex-*-setup-"$arch".exe \
  --machine "$([ "$arch" = x64 ] && echo amd64 || echo i386)"

run="$root/tools/wine-run.sh"
"$run" "$prefix" cmd /c exit 0 >/dev/null 2>&1
# A crash fails at once instead of waiting in the debugger; windows need no
# window manager (none runs under Xvfb).
"$run" "$prefix" reg delete "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug" /v Debugger /f >/dev/null 2>&1
"$run" "$prefix" reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
zip_arch=$([ "$arch" = x64 ] && echo win64 || echo win32)
unzip -q "$work"/dist/quarvex-*-"$zip_arch".zip -d "$prefix/drive_c/zip-unpacked"
