#!/usr/bin/env bash
# Runs the Win32 test runners of a build under Wine: creates the build's
# throw-away prefix first, so that tests never race to create it.
# Usage: wine-tests.sh BUILD_DIR PREFIX
set -uo pipefail
build_dir=$1 prefix=$2
"$(dirname "$0")/wine-run.sh" "$prefix" cmd /c exit 0 >/dev/null 2>&1
cd "$build_dir" && ctest -V
