# The steps every tools/build-*-win32.sh shares: a static library of the
# Win32 build made from Debian's own source package, once per build folder
# (later runs reuse it). The script sets dest and toolchain, then calls
# win32_lib_reuse, win32_lib_fetch, win32_lib_configure, win32_lib_build,
# copies what it leaves into dest/lib and dest/include, and calls
# win32_lib_stamp. Any failure prints the log and exits the script.
set -euo pipefail
win32_lib_tool=$(basename "$0" .sh)

win32_lib_fail()
{
  echo "$win32_lib_tool: $*" >&2
  exit 1
}

# Ends the script when dest was built and still holds each FILE (relative to dest).
win32_lib_reuse()
{
  [ -f "$dest/built.stamp" ] || return 0
  local file
  for file in "$@"; do
    [ -f "$dest/$file" ] || return 0
  done
  exit 0
}

# Usage: win32_lib_fetch PACKAGE LABEL. Starts dest afresh and sets src to
# the unpacked source: the package unpacks (with Debian's patches applied)
# into PACKAGE-<version>; apt-get needs a deb-src entry, which setup.sh adds.
# LABEL names the library in the messages.
win32_lib_fetch()
{
  local package=$1
  win32_lib_label=$2
  win32_lib_started=$(date +%s)
  rm -rf "$dest"
  mkdir -p "$dest/source" "$dest/lib" "$dest/include"
  (cd "$dest/source" && apt-get source -qq "$package" >/dev/null 2>"$dest/source/apt.log") || {
    cat "$dest/source/apt.log" >&2
    win32_lib_fail "'apt-get source $package' failed (is there a deb-src entry? run tools/setup.sh)"
  }
  src=$(find "$dest/source" -mindepth 1 -maxdepth 1 -type d -name "$package-*" | head -n 1)
  [ -n "$src" ] || win32_lib_fail "no unpacked source in $dest/source"
}

# Configures src into dest/build with the build's mingw toolchain, Release,
# with the library's own options. The install prefix stays inside dest:
# a library's default on Windows (such as c:/libjpeg-turbo) breaks its
# package step.
win32_lib_configure()
{
  cmake -S "$src" -B "$dest/build" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$dest/install" \
    "$@" >"$dest/configure.log" 2>&1 || {
    cat "$dest/configure.log" >&2
    win32_lib_fail "configuring $win32_lib_label failed"
  }
}

# Usage: win32_lib_build TARGET. Builds the one static library target.
win32_lib_build()
{
  cmake --build "$dest/build" --target "$1" -j"$(nproc)" >"$dest/build.log" 2>&1 || {
    tail -n 50 "$dest/build.log" >&2
    win32_lib_fail "building $win32_lib_label failed"
  }
}

# Marks dest as built, with the source's version and the time it took.
win32_lib_stamp()
{
  echo "$(basename "$src") built in $(($(date +%s) - win32_lib_started)) s" >"$dest/built.stamp"
  cat "$dest/built.stamp"
}
