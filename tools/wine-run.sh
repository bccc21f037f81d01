#!/usr/bin/env bash
# Runs a Win32 program under Wine in the given throw-away prefix.
# Usage: wine-run.sh PREFIX PROGRAM.exe [ARGS...]
# The prefix is 32-bit unless WINEARCH=win64 asks for a 64-bit one (for the
# x86-64 build); an existing prefix keeps the architecture it was made with.
set -euo pipefail
prefix=$1; shift
export WINEPREFIX="$prefix"
if [ -f "$prefix/system.reg" ]; then
  if grep -q '^#arch=win64' "$prefix/system.reg"; then WINEARCH=win64; else WINEARCH=win32; fi
fi
export WINEARCH="${WINEARCH:-win32}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installers: nothing here needs .NET or HTML.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# Debian's wine script prefers the 32-bit loader; a 64-bit prefix needs the
# 64-bit one (which starts 32-bit programs in it too).
loader=wine
if [ "$WINEARCH" = win64 ]; then
  loader=/usr/lib/wine/wine64
  export WINELOADER=$loader
fi
if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$prefix"
  "$loader" wineboot -i >/dev/null 2>&1
  wineserver -w
fi
exec "$loader" "$@"
