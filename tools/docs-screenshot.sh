#!/usr/bin/env bash
# Makes the screenshots in docs/, captured by the GUI test runners' own
# machinery under Wine and Xvfb:
#   docs/quarvex-sample-map.png  the program with the sample map and its control points
#   docs/quarvex-digitising.png  digitising on it, the map read-out in the status line
#   docs/quarvex-control-points.png  the Control Points window with residual
#                                    vectors on the true-proportion sample
#   docs/quarvex-coordinate-system.png  the Coordinate System dialog searching "wgs 84 utm"
#   docs/quarvex-export-geotiff.png  the Export GeoTIFF dialog over the georeferenced map
#   docs/quarvex-features.png  the Features window with a polygon chosen and
#                              highlighted on the sample map
#   docs/quarvex-control-point-exports.png  File > Import/Export Control Points open
# Usage: tools/docs-screenshot.sh (BUILD as for make test)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build="${BUILD:-build}/win32"
source tools/lib/win-builds.sh
configure_win_build "$build" win32
cmake --build "$build" --target app_gui_tests app_session_tests app_geotiff_tests -j"$(nproc)" >/dev/null

prefix="$root/$build/wineprefix-docs"
bmp=$(mktemp --suffix=.bmp)
trap 'rm -f "$bmp"' EXIT
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
shoot app_gui_tests QUARVEX_SCREENSHOT docs/quarvex-sample-map.png
shoot app_session_tests QUARVEX_DIGITISE_SCREENSHOT docs/quarvex-digitising.png
shoot app_gui_tests QUARVEX_CONTROL_POINTS_SCREENSHOT docs/quarvex-control-points.png
shoot app_gui_tests QUARVEX_CRS_SCREENSHOT docs/quarvex-coordinate-system.png
shoot app_geotiff_tests QUARVEX_EXPORT_SCREENSHOT docs/quarvex-export-geotiff.png
shoot app_gui_tests QUARVEX_FEATURES_SCREENSHOT docs/quarvex-features.png
shoot app_geotiff_tests QUARVEX_MENU_SCREENSHOT docs/quarvex-control-point-exports.png
