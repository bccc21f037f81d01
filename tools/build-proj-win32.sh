#!/usr/bin/env bash
# Builds the static PROJ of the Win32 build from Debian's own source package,
# once per build folder; later runs reuse it.
# Usage: build-proj-win32.sh DEST TOOLCHAIN_FILE SQLITE_DIR
# SQLITE_DIR is what build-sqlite-win32.sh left (lib/ and include/). Leaves
# DEST/lib/libproj.a, DEST/include/{proj.h,proj_experimental.h,...} and
# DEST/share/proj.db: the library only (no apps, tests, network, grids from
# TIFF), its JSON parser the one vendored in PROJ's source.
# proj.db is taken from proj-data, the same Debian release's database that
# the coordinate-system catalogue is made from (tools/make-crs-catalogue.py),
# so the codes the program offers are the codes its database holds; building
# it from PROJ's SQL scripts would cost a native sqlite3 run per arch.
source "$(dirname "${BASH_SOURCE[0]}")/lib/win32-lib-build.sh"
dest=$1 toolchain=$2 sqlite=$3
win32_lib_reuse lib/libproj.a include/proj.h share/proj.db
for f in "$sqlite/lib/libsqlite3.a" "$sqlite/include/sqlite3.h"; do
  [ -f "$f" ] || win32_lib_fail "missing $f (build SQLite first)"
done
database=/usr/share/proj/proj.db
[ -f "$database" ] || win32_lib_fail "missing $database (install proj-data)"

# Usage: proj_unity_alone SOURCE_TREE. The CMake that takes every library
# source but the CRS model's out of the unity build, run at the end of the
# configure (CMAKE_PROJECT_INCLUDE).
proj_unity_alone()
{
  echo 'function(quarvex_proj_alone)'
  echo '  set_source_files_properties('
  (cd "$1/src" && find . \( -name '*.cpp' -o -name '*.c' \) | grep -v '^\./\(apps\|tests\|iso19111\)/' |
    grep -vx '\./sqlite3_utils\.cpp' | LC_ALL=C sort | sed 's|^\./|    ${CMAKE_SOURCE_DIR}/src/|')
  echo '    DIRECTORY ${CMAKE_SOURCE_DIR}/src PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)'
  echo 'endfunction()'
  echo 'cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL quarvex_proj_alone)'
}

win32_lib_fetch proj PROJ
# The database must come from the release whose library reads it: PROJ
# refuses a proj.db whose layout version it does not know.
source_version=$(basename "$src")
source_version=${source_version#proj-}
data_version=$(dpkg-query -W -f='${Version}' proj-data)
[ "${data_version%%-*}" = "$source_version" ] ||
  win32_lib_fail "proj-data $data_version does not match PROJ's source $source_version"

# The library target alone, at -O2 without debug info, keeps this step short
# on CI (it runs for both arches). The large C++ of the CRS model
# (src/iso19111, with sqlite3_utils.cpp that precedes it) is compiled in
# unity batches; every other source alone, as the projections and the file
# managers each define the same file-local names. sqlite3 (native) is only
# looked for by the configure; the database is not built here.
proj_unity_alone "$src" >"$dest/alone.cmake"
win32_lib_configure \
  -DCMAKE_PROJECT_INCLUDE="$dest/alone.cmake" \
  -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF -DBUILD_APPS=OFF \
  -DENABLE_TIFF=OFF -DENABLE_CURL=OFF -DNLOHMANN_JSON_ORIGIN=internal \
  -DCMAKE_UNITY_BUILD=ON -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DSQLITE3_INCLUDE_DIR="$sqlite/include" -DSQLITE3_LIBRARY="$sqlite/lib/libsqlite3.a"
win32_lib_build proj

lib=$(find "$dest/build" -name 'libproj*.a' | head -n 1)
[ -n "$lib" ] || win32_lib_fail "no libproj.a in $dest/build"
cp "$lib" "$dest/lib/libproj.a"
cp "$src"/src/{proj.h,proj_experimental.h,proj_constants.h,proj_symbol_rename.h} "$dest/include/"
mkdir -p "$dest/share"
cp "$database" "$dest/share/proj.db"
win32_lib_stamp
