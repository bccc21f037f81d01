#!/usr/bin/env bash
# Builds the static SQLite of the Win32 build from Debian's own source
# package, once per build folder; later runs reuse it.
# Usage: build-sqlite-win32.sh DEST TOOLCHAIN_FILE
# The source package holds SQLite's tree, not the single-file amalgamation:
# its own native build makes sqlite3.c (with tclsh), which is then compiled
# with the toolchain. Leaves DEST/lib/libsqlite3.a and DEST/include/sqlite3.h:
# with the R*Tree module (a GeoPackage's spatial index), thread-safe, without
# loadable extensions.
source "$(dirname "${BASH_SOURCE[0]}")/lib/win32-lib-build.sh"
dest=$1 toolchain=$2
win32_lib_reuse lib/libsqlite3.a include/sqlite3.h

win32_lib_fetch sqlite3 SQLite
package_source=$src
amalgamation="$dest/amalgamation"
mkdir -p "$amalgamation"
(cd "$amalgamation" && "$src/configure" --disable-tcl >"$dest/amalgamation.log" 2>&1 &&
  make sqlite3.c >>"$dest/amalgamation.log" 2>&1) || {
  tail -n 30 "$dest/amalgamation.log" >&2
  win32_lib_fail "making SQLite's amalgamation failed (is tclsh installed?)"
}
cat >"$amalgamation/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.13)
project(sqlite3 C)
add_library(sqlite3 STATIC sqlite3.c)
target_compile_definitions(sqlite3 PRIVATE SQLITE_THREADSAFE=1 SQLITE_ENABLE_RTREE=1 SQLITE_OMIT_LOAD_EXTENSION=1
    SQLITE_DQS=0)
CMAKE
src=$amalgamation
win32_lib_configure
win32_lib_build sqlite3
cp "$dest/build/libsqlite3.a" "$dest/lib/libsqlite3.a"
cp "$amalgamation/sqlite3.h" "$dest/include/"
src=$package_source
win32_lib_stamp
