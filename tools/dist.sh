#!/usr/bin/env bash
# Builds what Windows users download, into dist/: the setup programs
# quarvex-<version>-setup-x64.exe (64-bit Windows: the x86-64 program) and
# quarvex-<version>-setup-x86.exe (32-bit Windows: the x86 program), and the
# portable zips quarvex-<version>-win64.zip and quarvex-<version>-win32.zip.
# Nothing here runs a Windows program, so it works on a machine that cannot
# start 32-bit programs too.
# The version is the CMake project version. BUILD names the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${BUILD:-build}
source tools/lib/win-builds.sh
bash tools/setup.sh

builds=()
build_program() {   # win32|win64 ARCH
  local dir="$build/$1"
  echo "== $dir ($2)"
  configure_win_build "$dir" "$1"
  cmake --build "$dir" --target quarvex -j"$(nproc)" >/dev/null || cmake --build "$dir" --target quarvex
  builds+=("--$2" "$dir")
}
build_program win32 x86
build_program win64 x64

echo "== packages"
bash tools/package.sh --out dist "${builds[@]}"
