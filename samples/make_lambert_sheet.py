#!/usr/bin/python3
"""Makes the third sample "scanned map": a small-scale sheet (about
1:1,000,000) of 6 degrees of longitude by 4 of latitude, 12-18 deg E and
44-48 deg N, drawn in the Lambert conformal conic projection of Europe
(EPSG:3034, ETRS89-extended / LCC Europe) with its graticule every degree
labelled in degrees and minutes, turned a little on the scanner.

The meridians converge and the parallels are arcs: pixels are one affine
mapping of the projected coordinates, so a fit made in EPSG:3034 from
graticule crossings typed in degrees (ETRS89, EPSG:4258) and carried into
the projection reproduces the sheet, while an affine fit made in degree
space cannot follow the curved parallels. How far it misses is measured by
GDAL (gdaltransform with the same crossings as ground control points) and
written into the truth file with everything a test needs
(lambert_sheet.truth.json).

Run with /usr/bin/python3 (Debian's python3-numpy, python3-pil,
python3-pyproj, gdal-bin and the DejaVu fonts); the same bytes on every run.
"""

import json
import math
import os
import subprocess
import sys

import numpy as np
from PIL import Image, ImageDraw
from pyproj import Transformer

from scanned_sheet import HERE, SUPERSAMPLE, dms_label, dms_typed, font, ss, to_rgb, Sheet

NAME = "lambert_sheet"
CRS, GRATICULE_CRS = 3034, 4258
WEST, EAST, SOUTH, NORTH = 12, 18, 44, 48
METRES_PER_PIXEL = 250.0     # 1:1,000,000 scanned at about 100 dpi
TURN_DEG = 1.2               # counter-clockwise on the scanner
WIDTH, HEIGHT = 2240, 2160
# The crossings a user types: the corners, the middles of the long edges and
# the sheet's centre.
CONTROL = [(12, 44), (18, 44), (12, 48), (18, 48), (15, 44), (15, 48), (15, 46)]

TO_LCC = Transformer.from_crs(GRATICULE_CRS, CRS, always_xy=True)


def pixel_affine():
    """Pixel (column, row) of projected (E, N): turned, scaled, the sheet centred."""
    e0, n0 = TO_LCC.transform((WEST + EAST) / 2, (SOUTH + NORTH) / 2)
    a = math.radians(TURN_DEG)
    s = 1.0 / METRES_PER_PIXEL
    # column = c0 + s (cos a dE + sin a dN)... turned counter-clockwise with rows downward.
    return {"e0": e0, "n0": n0, "c0": WIDTH / 2 - 0.5, "r0": HEIGHT / 2 - 0.5,
            "col_per_e": s * math.cos(a), "col_per_n": -s * math.sin(a),
            "row_per_e": -s * math.sin(a), "row_per_n": -s * math.cos(a)}


AFFINE = pixel_affine()


def to_pixel(lon, lat):
    e, n = TO_LCC.transform(lon, lat)
    de, dn = e - AFFINE["e0"], n - AFFINE["n0"]
    return (AFFINE["c0"] + AFFINE["col_per_e"] * de + AFFINE["col_per_n"] * dn,
            AFFINE["r0"] + AFFINE["row_per_e"] * de + AFFINE["row_per_n"] * dn)


def path(points, step=0.05):
    """A line through lon/lat points, densified so that it follows the projection."""
    out = []
    for (x1, y1), (x2, y2) in zip(points, points[1:]):
        n = max(1, int(math.ceil(max(abs(x2 - x1), abs(y2 - y1)) / step)))
        out += [(x1 + (x2 - x1) * k / n, y1 + (y2 - y1) * k / n) for k in range(n)]
    out.append(points[-1])
    return [ss(to_pixel(x, y)) for x, y in out]


TOWNS = [(13.2, 45.6, "Ostrava Mala"), (16.4, 46.9, "Velden"), (14.6, 47.5, "Sankt Orm"), (17.1, 44.7, "Dravica")]
ROADS = [
    [(12.3, 44.4), (13.2, 45.6), (14.6, 47.5), (15.9, 47.8)],
    [(13.2, 45.6), (14.8, 46.1), (16.4, 46.9), (17.7, 47.6)],
    [(14.8, 46.1), (15.6, 45.3), (17.1, 44.7)],
]
RIVER = [(12.1, 46.8), (13.0, 46.5), (14.1, 46.6), (15.3, 46.3), (16.5, 45.8), (17.9, 45.4)]


def draw_sheet():
    canvas = Image.new("RGB", (WIDTH * SUPERSAMPLE, HEIGHT * SUPERSAMPLE), (196, 198, 200))
    draw = ImageDraw.Draw(canvas)
    px = SUPERSAMPLE
    # The paper: the neatline's quadrilateral with a margin, in degrees.
    margin = [(WEST - 0.45, SOUTH - 0.4), (EAST + 0.45, SOUTH - 0.4), (EAST + 0.45, NORTH + 0.35),
              (WEST - 0.45, NORTH + 0.35), (WEST - 0.45, SOUTH - 0.4)]
    draw.polygon(path(margin), fill=(244, 240, 228))
    draw.line(path(RIVER), fill=(40, 90, 170), width=3 * px, joint="curve")
    for road in ROADS:
        line = path(road)
        draw.line(line, fill=(30, 30, 30), width=5 * px, joint="curve")
        draw.line(line, fill=(214, 60, 40), width=3 * px, joint="curve")
    for lon in range(WEST, EAST + 1):
        draw.line(path([(lon, SOUTH), (lon, NORTH)]), fill=(30, 30, 70), width=px)
    for lat in range(SOUTH, NORTH + 1):
        draw.line(path([(WEST, lat), (EAST, lat)]), fill=(30, 30, 70), width=px)
    draw.line(path([(WEST, SOUTH), (EAST, SOUTH), (EAST, NORTH), (WEST, NORTH), (WEST, SOUTH)]),
              fill=(15, 15, 15), width=2 * px)
    label = font(15, bold=True)

    def text(lon, lat, words, face, dx=0, dy=0):
        cx, cy = ss(to_pixel(lon, lat))
        left, top, right, bottom = face.getbbox(words)
        draw.text((cx + dx * px - (right + left) / 2, cy + dy * px - (bottom + top) / 2), words, font=face,
                  fill=(20, 20, 20))

    for lon in range(WEST, EAST + 1):
        text(lon, SOUTH, dms_label(lon, "E", "W"), label, dy=22)
        text(lon, NORTH, dms_label(lon, "E", "W"), label, dy=-22)
    for lat in range(SOUTH, NORTH + 1):
        text(WEST, lat, dms_label(lat, "N", "S"), label, dx=-62)
        text(EAST, lat, dms_label(lat, "N", "S"), label, dx=62)
    for lon, lat, name in TOWNS:
        cx, cy = ss(to_pixel(lon, lat))
        r = 4 * px
        draw.rectangle([cx - r, cy - r, cx + r, cy + r], fill=(20, 20, 20))
        text(lon, lat, name, font(14), dy=-18)
    text((WEST + EAST) / 2, NORTH, "LAMBERT CONFORMAL CONIC  \u2022  1:1,000,000", font(24, bold=True), dy=-70)
    text((WEST + EAST) / 2, SOUTH, "ETRS89-extended / LCC Europe  \u2022  graticule every 1\u00b0", font(14), dy=60)
    return canvas


def gdal_miss(gcps, targets, truth_pixels):
    """Largest distance in pixels between truth_pixels and where GDAL's affine
    (first-order) fit of the ground control points puts the targets."""
    args = ["gdaltransform", "-i", "-order", "1", "-output_xy"]
    for (c, r), (x, y) in gcps:
        args += ["-gcp", repr(c), repr(r), repr(x), repr(y)]
    out = subprocess.run(args, input="".join("%r %r\n" % t for t in targets), capture_output=True, text=True,
                         check=True).stdout.split()
    found = np.array(out, float).reshape(-1, 2)
    return float(np.max(np.hypot(*(found - np.array(truth_pixels)).T)))


def vertex(lon, lat):
    e, n = TO_LCC.transform(lon, lat)
    c, r = to_pixel(lon, lat)
    return {"lon": lon, "lat": lat, "easting": e, "northing": n, "column": c, "row": r}


def write_truth():
    control = []
    for lon, lat in CONTROL:
        c, r = to_pixel(lon, lat)
        e, n = TO_LCC.transform(lon, lat)
        control.append({"lon": lon, "lat": lat, "lon_typed": dms_typed(lon, "E", "W"),
                        "lat_typed": dms_typed(lat, "N", "S"), "easting": e, "northing": n,
                        # Where a user clicks: the crossing's nearest whole pixel.
                        "column": int(round(c)), "row": int(round(r))})
    vertices = [v for road in ROADS for v in road] + [(lon, lat) for lon, lat, _ in TOWNS]
    vertex_pixels = [to_pixel(*v) for v in vertices]
    clicked = [((p["column"], p["row"]), None) for p in control]
    in_degrees = [(c, (p["lon"], p["lat"])) for (c, _), p in zip(clicked, control)]
    in_lcc = [(c, (p["easting"], p["northing"])) for (c, _), p in zip(clicked, control)]
    truth = {
        "image": NAME + ".jpg",
        "width": WIDTH,
        "height": HEIGHT,
        "pixels": "column and row of a pixel's centre, from 0, row 0 at the top",
        "crs": "EPSG:%d" % CRS,
        "graticule_crs": "EPSG:%d" % GRATICULE_CRS,
        "projection": "ETRS89-extended / LCC Europe; pixels are one affine mapping of its easting and northing",
        "pixel_from_projected": dict(AFFINE, formula="column = c0 + col_per_e*(E - e0) + col_per_n*(N - n0); "
                                                     "row = r0 + row_per_e*(E - e0) + row_per_n*(N - n0)"),
        "pixel_ground_size_m": METRES_PER_PIXEL,
        "tolerance_half_pixel_m": METRES_PER_PIXEL / 2,
        "sheet": {"west": dms_label(WEST, "E", "W"), "east": dms_label(EAST, "E", "W"),
                  "south": dms_label(SOUTH, "N", "S"), "north": dms_label(NORTH, "N", "S")},
        "control_points": control,
        "features": {
            "roads": [[vertex(x, y) for x, y in road] for road in ROADS],
            "towns": [dict(vertex(x, y), name=name) for x, y, name in TOWNS],
        },
        # GDAL's affine fits of the clicked crossings, at every road vertex and town.
        "affine_fit_miss_px": {
            "degrees": gdal_miss(in_degrees, vertices, vertex_pixels),
            "projected": gdal_miss(in_lcc, [TO_LCC.transform(*v) for v in vertices], vertex_pixels),
        },
    }
    with open(os.path.join(HERE, NAME + ".truth.json"), "w", newline="\n") as f:
        json.dump(truth, f, indent=1, ensure_ascii=False)
        f.write("\n")
    return truth


def main():
    rng = np.random.default_rng(3034)
    canvas = draw_sheet()
    # The scanner's softness and grain, as for the other samples.
    sheet = Sheet(NAME, 0, 0, 0, 0, (1, 0), (0, -1), (0, 0), WIDTH, HEIGHT)
    sheet.save_jpeg(sheet.scan(canvas, rng, 2.0), 82)
    truth = write_truth()
    print("affine fit misses: %.2f px in degrees, %.2f px projected" % (
        truth["affine_fit_miss_px"]["degrees"], truth["affine_fit_miss_px"]["projected"]))


if __name__ == "__main__":
    sys.exit(main())
