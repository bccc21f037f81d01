#!/usr/bin/env bash
# Copy's bitmap for the clipboard in the program's code under Wine, in the x86
# and the x86-64 build: the banded fill from DIB rows beside one SetPixel call
# per pixel (the simplest way to fill Copy's bitmap) on the same 1-MP image, then Copy
# (the image promised to the clipboard) and its paste (the bitmap made and handed over;
# and the bitmap alone) for the resampled images of the 27-MP and 108-MP scans, and in
# the x86-64 build of a 560-MP sheet (which goes as a DIB).
source "$(dirname "$0")/bench-lib.sh"
side=${PER_PIXEL_SIDE:-1000}

for arch in "${bench_arches[@]}"; do
  build_win_target "$arch" bench_clipboard_copy
  name=$(arch_name "$arch")
  run_wine_in "$arch" "$(win_build_dir "$arch")/bench/bench_clipboard_copy.exe" "$side" 2>/dev/null | tr -d '\r' |
    awk -v build="$name" '
    { ms[$1] = $4; w[$1] = $2; h[$1] = $3; if ($1 == "copy") { cw[++n] = $2; ch[n] = $3; cms[n] = $4 }
      if ($1 == "paste") pms[n] = $4; if ($1 == "bitmap") bms[n] = $4 }
    END {
      printf "%s: bitmap of %d x %d: one SetPixel a pixel %.1f ms, banded DIB rows %.1f ms, ratio %.0f\n", build,
        w["banded"], h["banded"], ms["per-pixel"], ms["banded"], ms["per-pixel"] / ms["banded"]
      for (i = 1; i <= n; ++i)
        printf "%s: Copy of a %d x %d resampled image (%.0f MP): %.1f ms%s; its paste %.1f ms, of which the bitmap %.1f ms\n",
          build, cw[i], ch[i], cw[i] * ch[i] / 1e6, cms[i], cms[i] < 0 ? " (failed: not enough memory)" : "", pms[i], bms[i]
    }'
done
stop_wine "${bench_arches[@]}"
