#!/usr/bin/env bash
# Builds every target and runs every test: the native core tests (with
# AddressSanitizer and UBSan), then the Win32 runners under Wine and Xvfb,
# those of the x86 build in a 32-bit prefix and those of the x86-64 build in
# a 64-bit one. On a machine that cannot start 32-bit programs the x86
# build is still built and its binaries checked without running them (the
# tests labelled "static"); every other x86 test is listed as skipped.
# Ends with the counts of all runs. Exits non-zero when anything fails.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${BUILD:-build}
jobs=$(nproc)
logs="$build/test-logs"

source tools/lib/win-builds.sh
bash tools/setup.sh || exit 1

if x86_runs_here; then
  x86_runs=yes
  echo "== 32-bit programs: this machine starts them; every x86 test runs"
else
  x86_runs=no
  x86_reason=$(x86_missing_reason)
  echo "== 32-bit programs: $x86_reason"
  echo "== the x86 build is built and checked without running it; its other tests are skipped"
fi

echo "== native build"
cmake -S . -B "$build/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null || exit 1
cmake --build "$build/native" -j"$jobs" >/dev/null || cmake --build "$build/native" || exit 1

for folder in "${win_builds[@]}"; do
  echo "== Win32 build ($folder)"
  started=$(date +%s)
  configure_win_build "$build/$folder" "$folder" || exit 1
  cmake --build "$build/$folder" -j"$jobs" >/dev/null || cmake --build "$build/$folder" || exit 1
  echo "== Win32 build ($folder) took $(( $(date +%s) - started )) s"
done

rm -rf "$logs"
mkdir -p "$logs"
rc=0

echo "== native tests"
(cd "$build/native" && ctest --output-on-failure -j"$jobs") 2>&1 | tee "$logs/native.log"
[ "${PIPESTATUS[0]}" -eq 0 ] || rc=1

skipped=()
for folder in "${win_builds[@]}"; do
  started=$(date +%s)
  if [ "$folder" = win32 ] && [ $x86_runs = no ]; then
    echo "== Win32 checks without running ($folder): $x86_reason"
    (cd "$build/$folder" && ctest -L static --output-on-failure) 2>&1 | tee "$logs/$folder.log"
    [ "${PIPESTATUS[0]}" -eq 0 ] || rc=1
    mapfile -t names < <(cd "$build/$folder" && ctest -N -LE static | sed -n 's/^ *Test *#[0-9]*: //p')
    skipped+=("${names[@]/#/$folder }")
  else
    echo "== Win32 tests under Wine ($folder)"
    prefix="$root/$build/$folder/wineprefix"
    # A fresh throw-away prefix each run, never the user's ~/.wine.
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null
    rm -rf "$prefix"
    if [ -n "${DISPLAY:-}" ]; then
      WINEARCH=$folder tools/wine-tests.sh "$build/$folder" "$prefix" 2>&1 | tee "$logs/$folder.log"
    else
      WINEARCH=$folder xvfb-run -a -s "-screen 0 1280x1024x24" tools/wine-tests.sh "$build/$folder" "$prefix" 2>&1 |
        tee "$logs/$folder.log"
    fi
    [ "${PIPESTATUS[0]}" -eq 0 ] || rc=1
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null
    # Each prefix holds over a gigabyte of Wine's own files: the next
    # build's tests need the room more than anyone needs these.
    rm -rf "$prefix" "$build/$folder/tests/win/setup/work/wineprefix"
  fi
  echo "== Win32 tests ($folder) took $(( $(date +%s) - started )) s"
done

# ctest closes each run with "N% tests passed, F tests failed out of T".
passed=0 failed=0
echo "== summary"
for run in native "${win_builds[@]}"; do
  read -r f t < <(sed -n 's/.* tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1 \2/p' "$logs/$run.log" | tail -n 1)
  if [ -z "${t:-}" ]; then
    echo "$run: no test result (the run stopped early)"
    rc=1
    continue
  fi
  echo "$run: $((t - f)) passed, $f failed"
  passed=$((passed + t - f)) failed=$((failed + f))
done
if [ ${#skipped[@]} -gt 0 ]; then
  echo "**************************************************************************"
  echo "SKIPPED ${#skipped[@]} tests: $x86_reason"
  printf 'SKIPPED  %s\n' "${skipped[@]}"
  echo "**************************************************************************"
fi
echo "$passed passed, $failed failed, ${#skipped[@]} skipped"
# A run's log is long and its end is what gets read: each failed check
# again, with what it printed around its failure.
if [ $rc -ne 0 ]; then
  echo "== failures"
  for run in native "${win_builds[@]}"; do
    grep -h -B 2 -A 6 -E ': Failure$|\*\*\*(Failed|Timeout|Exception)' "$logs/$run.log" 2>/dev/null |
      head -n 80
  done
fi
# A full disk fails tests far from its cause; the room left tells.
echo "disk space left: $(df -h --output=avail . | tail -n 1 | tr -d ' ')"
exit $rc
