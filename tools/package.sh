#!/usr/bin/env bash
# Packs built programs for Windows users, for each architecture given: a
# setup program (NSIS, installer/setup/quarvex.nsi) and a portable zip:
# quarvex-<version>-setup-x86.exe and -win32.zip with the x86 program,
# quarvex-<version>-setup-x64.exe and -win64.zip with the x86-64 one.
# Usage: package.sh --out DIR [--x86 BUILD_DIR] [--x64 BUILD_DIR]
#   BUILD_DIR is a Win32 build folder with app/quarvex.exe built; the
#   version comes from its quarvex-version.txt (CMake's project version).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="" x86="" x64=""
while [ $# -gt 0 ]; do
  case $1 in
    --out) out=$2; shift 2 ;;
    --x86) x86=$2; shift 2 ;;
    --x64) x64=$2; shift 2 ;;
    *) echo "package: unknown argument $1" >&2; exit 2 ;;
  esac
done
[ -n "$out" ] && { [ -n "$x86" ] || [ -n "$x64" ]; } || {
  echo "usage: package.sh --out DIR [--x86 BUILD_DIR] [--x64 BUILD_DIR]" >&2
  exit 2
}
for tool in makensis zip; do
  command -v "$tool" >/dev/null || { echo "package: $tool is missing (run tools/setup.sh)" >&2; exit 1; }
done

version=""
for build in $x86 $x64; do
  for file in quarvex.exe proj.db; do
    [ -f "$build/app/$file" ] || { echo "package: $build/app/$file is not built" >&2; exit 1; }
  done
  v=$(cat "$build/quarvex-version.txt")
  [ -z "$version" ] || [ "$v" = "$version" ] || {
    echo "package: the builds differ in version ($version, $v)" >&2
    exit 1
  }
  version=$v
done
first=${x86:-$x64}

mkdir -p "$out"
out=$(cd "$out" && pwd)
stage="$out/.stage"
rm -rf "$stage"
mkdir -p "$stage/common/Sample"

crlf() { sed -e 's/\r$//' -e 's/$/\r/'; }

sed "s/@VERSION@/$version/g" "$root/installer/setup/README.txt" | crlf > "$stage/common/README.txt"

# The licence: ours, then the licence texts of every library built from a
# Debian source package into the build folder (<lib>/source/<package>-<version>).
licence_of() {
  local src=$1 name
  name=$(basename "$src")
  name="${name%-*} ${name##*-}"
  printf '\n\n%s\n%s\n\n' "$name" "$(printf '%*s' ${#name} '' | tr ' ' '-')"
  case $name in
    libjpeg-turbo-*)
      cat "$src/LICENSE.md"
      # The IJG licence, which LICENSE.md points to.
      printf '\n\nThe IJG License (README.ijg)\n============================\n\n'
      awk '/^REFERENCES$/ { on = 0 } on && !/^=+$/ { print } /^LEGAL ISSUES$/ { on = 1 }' "$src/README.ijg"
      ;;
    *)
      local file
      for file in LICENSE.md LICENSE COPYRIGHT COPYING; do
        if [ -f "$src/$file" ]; then
          cat "$src/$file"
          return 0
        fi
      done
      echo "package: no licence file in $src" >&2
      return 1
      ;;
  esac
}
{
  sed "s/@VERSION@/$version/g" "$root/installer/setup/LICENSE.txt"
  found=0
  for src in "$first"/*/source/*/; do
    [ -d "$src" ] || continue
    licence_of "${src%/}"
    found=$((found + 1))
  done
  [ "$found" -ge 2 ] || { echo "package: the libraries' sources are not in $first" >&2; exit 1; }
} | crlf > "$stage/common/LICENSE.txt"

cp "$root/samples/sample_map.jpg" "$root/samples/sample_map.tvg" "$stage/common/Sample/"
# The user guide, opened by F1 from the guide folder beside the program; the
# uninstaller removes its files by name (guide-uninstall.nsh), never the
# folder with whatever else a user put there.
cp -r "$root/docs/guide" "$stage/common/guide"
{
  (cd "$stage/common" && find guide -type f | LC_ALL=C sort) | while read -r file; do
    printf 'Delete "$INSTDIR\\%s"\n' "${file//\//\\}"
  done
  (cd "$stage/common" && find guide -depth -type d) | while read -r folder; do
    printf 'RMDir "$INSTDIR\\%s"\n' "${folder//\//\\}"
  done
} > "$stage/guide-uninstall.nsh"
# PROJ's database is the same file for both architectures.
cp "$first/app/proj.db" "$stage/common/"
[ -z "$x86" ] || { mkdir -p "$stage/x86" && cp "$x86/app/quarvex.exe" "$stage/x86/"; }
[ -z "$x64" ] || { mkdir -p "$stage/x64" && cp "$x64/app/quarvex.exe" "$stage/x64/"; }

# One time stamp for every packed file (the last commit's), so the same
# sources give the same packages; even, since zip keeps times to two seconds.
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)}
epoch=$((epoch - epoch % 2))
find "$stage" -exec touch -h -d "@$epoch" {} +

rm -f "$out"/quarvex-*-setup*.exe "$out"/quarvex-*-win32.zip "$out"/quarvex-*-win64.zip
# make_setup x86|x64: the setup program of that architecture's program (a
# 32-bit setup program for the x86 one, a 64-bit one for the x86-64 one).
make_setup() {
  local arch=$1 exe_define
  exe_define=$([ "$arch" = x64 ] && echo EXE_X64 || echo EXE_X86)
  makensis -V2 -WX -INPUTCHARSET UTF8 -DVERSION="$version" -DOUTFILE="$out/quarvex-$version-setup-$arch.exe" \
    -DSTAGE="$stage/common" -DGUIDE_UNINSTALL="$stage/guide-uninstall.nsh" -DICON="$root/app/res/quarvex.ico" -D"$exe_define"="$stage/$arch/quarvex.exe" \
    "$root/installer/setup/quarvex.nsi" >"$stage/makensis.log" 2>&1 || {
    cat "$stage/makensis.log" >&2
    echo "package: makensis failed ($arch)" >&2
    exit 1
  }
}
[ -z "$x86" ] || make_setup x86
[ -z "$x64" ] || make_setup x64

# The portable zips: one folder holding the program, PROJ's database, the
# README, the licence and the sample map.
pack_zip() {
  local arch=$1 suffix=$2 name
  name="quarvex-$version-$suffix"
  rm -rf "$stage/zip"
  mkdir -p "$stage/zip/$name"
  cp -p "$stage/$arch/quarvex.exe" "$stage/zip/$name/"
  cp -pr "$stage/common/." "$stage/zip/$name/"
  touch -h -d "@$epoch" "$stage/zip/$name"
  (cd "$stage/zip" && find "$name" | LC_ALL=C sort | TZ=UTC zip -X -9 -q "$out/$name.zip" -@)
}
[ -z "$x86" ] || pack_zip x86 win32
[ -z "$x64" ] || pack_zip x64 win64
rm -rf "$stage"

for file in "$out"/quarvex-"$version"-*; do
  printf '%12s bytes  %s\n' "$(stat -c %s "$file")" "$file"
done
