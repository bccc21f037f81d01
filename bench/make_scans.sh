#!/usr/bin/env bash
# Makes the benchmark scans once: a 27-MP (6000 x 4500) and a 108-MP
# (12000 x 9000) JPEG of a synthetic map sheet laid about 7 degrees askew on
# the scanner, each with the .tvg control points that georeference it and a
# GDAL .aux.xml carrying the same (rotated) transformation for GDAL's tools.
# Idempotent: existing files are kept. Usage: make_scans.sh [DATA_DIR] [large]
# (default $BENCH_BUILD/data); "large" makes the A0 sheet at 600 dpi instead,
# scan560 (19866 x 28087, 560 MP). Prints the folder.
#
# The sheet: map X = 500000 + 0.5 u, map Y = 4200000 + 0.5 v, with (u, v)
# the pixel (column c, y = height - row) turned by 7 degrees:
# u = c cos + y sin, v = y cos - c sin — the model our fit recovers.
set -euo pipefail
data=${1:-${BENCH_BUILD:-build/bench}/data}
mkdir -p "$data"
data=$(cd "$data" && pwd)

generator="$data/.make_scan"
if [ ! -x "$generator" ]; then
  source_file=$(mktemp --suffix=.c)
  trap 'rm -f "$source_file"' EXIT
  cat >"$source_file" <<'EOF'
/* Writes the scan as binary PPM to stdout and its georeference files. */
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define TILE 1024
static float relief[TILE][TILE];

int main(int argc, char **argv)
{
    if (argc != 4) return 2;
    const int width = atoi(argv[1]), height = atoi(argv[2]);
    const char *stem = argv[3];
    const double rho = 7.0 * 3.14159265358979 / 180.0, c = cos(rho), s = sin(rho);
    const double scale = 0.5, east = 500000.0, north = 4200000.0;

    /* A smooth periodic field for contours and shaded water, as a table so
       that a pixel costs a lookup, not a sine. */
    for (int j = 0; j < TILE; ++j)
        for (int i = 0; i < TILE; ++i) {
            double a = 2 * 3.14159265358979 * i / TILE, b = 2 * 3.14159265358979 * j / TILE;
            relief[j][i] = (float)(sin(a) * cos(2 * b) + 0.6 * sin(3 * a + b) + 0.4 * cos(5 * b - 2 * a));
        }

    printf("P6\n%d %d\n255\n", width, height);
    unsigned char *row = malloc((size_t)width * 3);
    unsigned int noise = 2463534242u;
    const double umin = 0.04 * width, umax = 0.96 * width, vmin = 0.04 * height, vmax = 0.96 * height;
    for (int r = 0; r < height; ++r) {
        const double y = height - r;
        for (int col = 0; col < width; ++col) {
            const double u = col * c + y * s, v = y * c - col * s;
            noise ^= noise << 13; noise ^= noise >> 17; noise ^= noise << 5;
            const int grain = (int)(noise & 15) - 8;
            int red, green, blue;
            if (u < umin || u > umax || v < vmin || v > vmax) {
                red = green = blue = 228 + grain / 2; /* the scanner lid */
            } else {
                const int iu = (int)u, iv = (int)v;
                const float h = relief[(iv >> 2) & (TILE - 1)][(iu >> 2) & (TILE - 1)];
                red = 242; green = 236; blue = 214; /* paper */
                if (h < -1.0f) { red = 170; green = 205; blue = 235; } /* water */
                else if (h > 0.9f) { red = 205; green = 225; blue = 180; } /* woods */
                const float band = (h + 3.0f) * 6.0f;
                if (band - (int)band < 0.07f) { red = 160; green = 100; blue = 50; } /* contours */
                if (iu % 400 < 3 || iv % 400 < 3) { red = 40; green = 60; blue = 150; } /* grid */
                if (((iu * 7 + iv * 3) >> 5) % 97 == 0 && (iv >> 4) % 5 == 0) { red = green = blue = 30; } /* lettering */
            }
            unsigned char *p = row + (size_t)col * 3;
            p[0] = (unsigned char)(red + grain < 0 ? 0 : red + grain > 255 ? 255 : red + grain);
            p[1] = (unsigned char)(green + grain < 0 ? 0 : green + grain > 255 ? 255 : green + grain);
            p[2] = (unsigned char)(blue + grain < 0 ? 0 : blue + grain > 255 ? 255 : blue + grain);
        }
        fwrite(row, 1, (size_t)width * 3, stdout);
    }
    free(row);

    /* Control points near the corners of the sheet, six decimals like the
       program writes them. */
    char name[4096];
    snprintf(name, sizeof name, "%s.tvg", stem);
    FILE *tvg = fopen(name, "wb");
    const double at[4][2] = {{0.15, 0.15}, {0.85, 0.2}, {0.2, 0.85}, {0.8, 0.8}};
    for (int k = 0; k < 4; ++k) {
        const int col = (int)(at[k][0] * width), r = (int)(at[k][1] * height);
        const double y = height - r;
        fprintf(tvg, "%.6f,%.6f,%d,%d\r\n", east + scale * (col * c + y * s),
                north + scale * (y * c - col * s), col, r);
    }
    fclose(tvg);

    /* The same transformation for GDAL, whose pixel (c, r) has its centre at
       (c + 0.5, r + 0.5) from the top-left corner. */
    const double gt1 = scale * c, gt2 = -scale * s, gt4 = -scale * s, gt5 = -scale * c;
    const double gt0 = east + scale * height * s - 0.5 * gt1 - 0.5 * gt2;
    const double gt3 = north + scale * height * c - 0.5 * gt4 - 0.5 * gt5;
    snprintf(name, sizeof name, "%s.jpg.aux.xml", stem);
    FILE *aux = fopen(name, "wb");
    fprintf(aux, "<PAMDataset>\n  <GeoTransform>%.10f, %.12f, %.12f, %.10f, %.12f, %.12f</GeoTransform>\n</PAMDataset>\n",
            gt0, gt1, gt2, gt3, gt4, gt5);
    fclose(aux);
    return 0;
}
EOF
  cc -O2 -o "$generator" "$source_file" -lm
fi

make_scan() { # name width height
  local stem="$data/$1"
  [ -s "$stem.jpg" ] && [ -s "$stem.tvg" ] && [ -s "$stem.jpg.aux.xml" ] && return 0
  "$generator" "$2" "$3" "$stem" | cjpeg -quality 85 -optimize >"$stem.jpg.part"
  mv "$stem.jpg.part" "$stem.jpg"
}

if [ "${2:-}" = large ]; then
  make_scan scan560 19866 28087
else
  make_scan scan27 6000 4500
  make_scan scan108 12000 9000
fi
echo "$data"
