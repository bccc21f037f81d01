# The two Win32 builds, for the scripts that configure them (sourced; sets no
# shell options, as tools/test.sh runs without -e). A build is named by its
# folder, which is also its Wine prefix's architecture: win32 (x86) and
# win64 (x86-64). The caller sets root.
win_builds=(win32 win64)

# win_toolchain win32|win64: that build's toolchain file.
win_toolchain() {
  if [ "$1" = win64 ]; then echo "$root/cmake/mingw-x86_64.cmake"; else echo "$root/cmake/mingw-i686.cmake"; fi
}

# x86_runs_here: whether this machine can start 32-bit programs, asked once
# (tools/can-start-x86.sh) and kept in QUARVEX_X86_ANSWER ("yes" or "no: why").
x86_runs_here() {
  if [ -z "${QUARVEX_X86_ANSWER:-}" ]; then
    QUARVEX_X86_ANSWER=$(bash "$root/tools/can-start-x86.sh") || true
    export QUARVEX_X86_ANSWER
  fi
  [ "$QUARVEX_X86_ANSWER" = yes ]
}

# x86_missing_reason: what to tell when the x86 build cannot run here.
x86_missing_reason() { echo "this machine cannot start 32-bit programs (${QUARVEX_X86_ANSWER#no: })"; }

# configure_win_build DIR win32|win64: DIR as a Release build with that toolchain.
configure_win_build() {
  cmake -S "$root" -B "$1" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$(win_toolchain "$2")" >/dev/null
}
