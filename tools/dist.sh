#!/usr/bin/env bash
# Builds what Windows users download, into dist/: the setup program
# quarvex-<version>-setup.exe and the portable zips quarvex-<version>-win32.zip
# and, when the x86-64 toolchain file exists, quarvex-<version>-win64.zip
# (the setup program then installs the x86-64 program on 64-bit Windows).
# The version is the CMake project version. BUILD names the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${BUILD:-build}
bash tools/setup.sh

builds=()
build_program() {   # FOLDER TOOLCHAIN ARCH
  echo "== $1 ($3)"
  cmake -S . -B "$1" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$2" >/dev/null
  cmake --build "$1" --target quarvex -j"$(nproc)" >/dev/null || cmake --build "$1" --target quarvex
  builds+=("--$3" "$1")
}
build_program "$build/win32" mingw-i686.cmake x86
if [ -f cmake/mingw-x86_64.cmake ]; then
  build_program "$build/win64" mingw-x86_64.cmake x64
fi

echo "== packages"
bash tools/package.sh --out dist "${builds[@]}"
