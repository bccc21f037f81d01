#!/usr/bin/env bash
# Makes the screenshots in docs/, captured by the GUI test runners' own
# machinery under Wine and Xvfb:
#   docs/guide/img/quarvex-sample-map.png  the program with the sample map and its control points
#   docs/guide/img/quarvex-digitising.png  digitising on it, the map read-out in the status line
#   docs/guide/img/quarvex-control-points.png  the Control Points window with residual
#                                    vectors on the true-proportion sample
#   docs/guide/img/quarvex-coordinate-system.png  the Coordinate System dialog searching "wgs 84 utm"
#   docs/guide/img/quarvex-export-geotiff.png  the Export GeoTIFF dialog over the georeferenced map
#   docs/guide/img/quarvex-features.png  the Features window with a polygon chosen and
#                              highlighted on the sample map
#   docs/guide/img/quarvex-control-point-exports.png  File > Import/Export Control Points open
#   docs/guide/img/quarvex-add-control-point.png  a crossing clicked and its coordinates typed
#   docs/guide/img/quarvex-about.png  the About box with the version, guide and licence
#   docs/guide/img/quarvex-trace-preview.png  Trace Lines proposing the path along the
#                                             synthetic road (the tracing session's capture)
# They live with the user guide (docs/guide), which ships with the program;
# README.md shows the same files.
# Usage: tools/docs-screenshot.sh (BUILD as for make test; ARCH=win64 takes
# the x86-64 build instead of the x86 one)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
arch="${ARCH:-win32}"
build="${BUILD:-build}/$arch"
source tools/lib/win-builds.sh
configure_win_build "$build" "$arch"
cmake --build "$build" --target app_gui_tests app_session_tests app_geotiff_tests traced_road_sample \
  -j"$(nproc)" >/dev/null

prefix="$root/$build/wineprefix-docs"
# The x86-64 runners need a 64-bit prefix (tools/wine-run.sh makes a 32-bit one otherwise).
[ "$arch" = win64 ] && export WINEARCH=win64
bmp=$(mktemp --suffix=.bmp)
session=$(mktemp -d)
trap 'rm -rf "$bmp" "$session"' EXIT
run() {
  xvfb-run -a -s "-screen 0 1280x1024x24" tools/wine-run.sh "$prefix" "$@"
}
# Windows drawn by Wine itself: no window manager runs under Xvfb.
run reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

# shoot RUNNER VARIABLE OUTPUT: the runner's DocsScreenshot test writes the
# BMP named by VARIABLE.
shoot() {
  (export "$2=Z:${bmp//\//\\}" && run "$build/tests/win/app/$1.exe" --gtest_filter=DocsScreenshot.* >/dev/null)
  convert "$bmp" "$3"
  echo "$3"
}
shoot app_gui_tests QUARVEX_SCREENSHOT docs/guide/img/quarvex-sample-map.png
shoot app_session_tests QUARVEX_DIGITISE_SCREENSHOT docs/guide/img/quarvex-digitising.png
shoot app_gui_tests QUARVEX_CONTROL_POINTS_SCREENSHOT docs/guide/img/quarvex-control-points.png
shoot app_gui_tests QUARVEX_CRS_SCREENSHOT docs/guide/img/quarvex-coordinate-system.png
shoot app_geotiff_tests QUARVEX_EXPORT_SCREENSHOT docs/guide/img/quarvex-export-geotiff.png
shoot app_gui_tests QUARVEX_FEATURES_SCREENSHOT docs/guide/img/quarvex-features.png
shoot app_geotiff_tests QUARVEX_MENU_SCREENSHOT docs/guide/img/quarvex-control-point-exports.png
shoot app_gui_tests QUARVEX_GEOREF_SCREENSHOT docs/guide/img/quarvex-add-control-point.png
shoot app_gui_tests QUARVEX_ABOUT_SCREENSHOT docs/guide/img/quarvex-about.png
# The tracing session leaves its capture beside its shapefile.
(export QUARVEX_SESSION_OUT="$session" &&
  run "$build/tests/win/app/app_session_tests.exe" --gtest_filter=TraceSession.TraceLines* >/dev/null)
convert "$session/traced_road-preview.bmp" docs/guide/img/quarvex-trace-preview.png
echo docs/guide/img/quarvex-trace-preview.png
