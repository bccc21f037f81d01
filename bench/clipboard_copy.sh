#!/usr/bin/env bash
# Copy's bitmap for the clipboard in the 32-bit program's code under Wine:
# the banded fill from DIB rows beside one SetPixel call per pixel (the plain
# statement of Copy) on the same 1-MP image, then the whole Copy with the
# clipboard hand-over for the resampled images of the 27-MP and 108-MP scans.
source "$(dirname "$0")/bench-lib.sh"
side=${PER_PIXEL_SIDE:-1000}

build_win32_target bench_clipboard_copy
run() {
  run_wine "$win32_build/bench/bench_clipboard_copy.exe" "$side"
}
run 2>/dev/null | tr -d '\r' | awk '
  { ms[$1] = $4; w[$1] = $2; h[$1] = $3; if ($1 == "copy") { cw[++n] = $2; ch[n] = $3; cms[n] = $4 } }
  END {
    printf "bitmap of %d x %d: one SetPixel a pixel %.1f ms, banded DIB rows %.1f ms, ratio %.0f\n",
      w["banded"], h["banded"], ms["per-pixel"], ms["banded"], ms["per-pixel"] / ms["banded"]
    for (i = 1; i <= n; ++i)
      printf "Copy of a %d x %d resampled image (%.0f MP): %.1f ms%s\n", cw[i], ch[i], cw[i] * ch[i] / 1e6, cms[i],
        cms[i] < 0 ? " (failed: not enough memory)" : ""
  }'
WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
