#!/usr/bin/env bash
# Runs the Win32 test runners of a build under Wine: creates the build's
# throw-away prefix first, so that tests never race to create it.
# Usage: [WINEARCH=win64] wine-tests.sh BUILD_DIR PREFIX (win64: a 64-bit prefix, for the x86-64 build)
set -uo pipefail
build_dir=$1 prefix=$2
run="$(dirname "$0")/wine-run.sh"
"$run" "$prefix" cmd /c exit 0 >/dev/null 2>&1
# A crashing test must fail at once, not wait in Wine's debugger; and with no
# window manager under Xvfb, Wine waits two seconds on every window it hides
# unless its windows are unmanaged.
"$run" "$prefix" reg delete "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug" /v Debugger /f >/dev/null 2>&1
"$run" "$prefix" reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
cd "$build_dir" && ctest -V
