#!/usr/bin/python3
"""Makes the second sample "scanned map": a sheet drawn in true proportion at
45 deg N (a minute of longitude is cos 45 deg as long as a minute of
latitude), five minutes of longitude by four of latitude, with a graticule
every minute labelled in degrees, minutes and seconds, turned about three
degrees on the scanner, and its north-east corner torn away.

Degrees and pixels are related by one affine mapping with unequal scales:
the least-squares affine fit reproduces it from any four crossings, while
the program's first fit (one rotation, then a scale per axis) is biased
when the crossings do not lie symmetrically about the sheet's axes, as the
torn corner makes a user pick them.

Beside it go its true georeference and the control points a user types
(true_proportion_map.truth.json); no point file, so that a session starts
from nothing. Run with /usr/bin/python3 (Debian's python3-numpy and
python3-pil, and the DejaVu fonts); the output is the same on every run.
"""

import math
import sys

import numpy as np
from PIL import Image, ImageDraw

from scanned_sheet import SUPERSAMPLE, Sheet, font

LON0_MIN = 7 * 60       # 7 deg 00' E, in minutes
LAT0_MIN = 45 * 60      # 45 deg 00' N
SPAN_LON_MIN = 5
SPAN_LAT_MIN = 4

# Pixels (column, row; rows grow downward) of one minute east and one minute
# north. Perpendicular, in the ratio 17/12 (cos 45 deg to within 0.2 %, as
# paper shrinks anyway), about 5.7 m a pixel, turned counter-clockwise by
# atan(12/228), 3.01 degrees. Whole numbers: every crossing is a whole pixel.
EAST = (228, -12)
NORTH = (-17, -323)
ORIGIN = (178, 1430)    # pixel of the south-west corner, 7 deg 00' E 45 deg 00' N
WIDTH, HEIGHT = 1500, 1600

SHEET = Sheet("true_proportion_map", LON0_MIN, LAT0_MIN, SPAN_LON_MIN, SPAN_LAT_MIN, EAST, NORTH, ORIGIN, WIDTH,
              HEIGHT)

# The crossings a user types: the three corners left on the paper and the
# crossing of 7 deg 04' E on the northern edge, next to the torn corner.
CONTROL_CROSSINGS = [(0, 0), (5, 0), (0, 4), (4, 4)]
# Where the north-east corner of the paper is gone, in minutes from the SW corner.
TEAR = [(3.55, 4.6), (6.5, 4.6), (6.5, 2.9)]

METRES_PER_MINUTE_LAT = 1852.0


def inside_polygon(east, north, polygon):
    """Even-odd rule over numpy arrays of positions (minutes)."""
    inside = np.zeros(east.shape, bool)
    n = len(polygon)
    for i in range(n):
        (x1, y1), (x2, y2) = polygon[i], polygon[(i + 1) % n]
        crosses = (y1 > north) != (y2 > north)
        with np.errstate(divide="ignore", invalid="ignore"):
            at = x1 + (north - y1) * (x2 - x1) / (y2 - y1)
        inside ^= crosses & (east < at)
    return inside


def height(east, north):
    h = 600 + 60 * north
    for he, hn, hh, hr in ((1.2, 3.1, 900, 0.9), (3.6, 1.1, 700, 1.1), (4.4, 3.4, 500, 0.7)):
        h = h + hh * np.exp(-((east - he) ** 2 + (north - hn) ** 2) / (2 * hr * hr))
    return h


def lake(east, north):
    return ((east - 2.5) / 0.55) ** 2 + ((north - 2.2) / 0.32) ** 2 - 1.0


def render_fields():
    east, north = SHEET.minutes_grid()
    inside = (east >= 0) & (east <= SPAN_LON_MIN) & (north >= 0) & (north <= SPAN_LAT_MIN)
    paper = (east >= -0.55) & (east <= SPAN_LON_MIN + 0.55) & (north >= -0.45) & (north <= SPAN_LAT_MIN + 0.42)
    paper &= ~inside_polygon(east, north, TEAR)
    image = np.empty((HEIGHT, WIDTH, 3), np.float64)
    image[:] = (196, 198, 200)                      # the scanner's lid
    image[paper] = (244, 240, 228)
    water = (lake(east, north) < 0) & inside & paper
    image[water] = (196, 222, 240)
    h = height(east, north)
    gy, gx = np.gradient(h)
    slope = np.hypot(gx, gy) + 1e-9
    level = np.round(h / 50.0) * 50.0
    ink = np.clip(1.0 - (np.abs(h - level) / slope) / 0.55, 0, 1) * (inside & paper & ~water)
    image = image * (1 - ink[..., None]) + np.array((176, 120, 70)) * ink[..., None]
    return image, paper


VILLAGES = [(0.8, 1.2, "Chiaves"), (3.3, 2.6, "Monastero"), (4.2, 0.7, "Pessinea"), (1.9, 3.5, "Vonzo")]
ROADS = [
    [(0.0, 0.9), (0.8, 1.2), (1.6, 1.5), (2.4, 1.6), (3.3, 2.6), (4.1, 2.9), (5.0, 3.1)],
    [(3.3, 2.6), (3.6, 1.6), (4.2, 0.7), (4.6, 0.0)],
    [(0.8, 1.2), (1.2, 2.2), (1.9, 3.5), (2.2, 4.0)],
]


def lake_outline():
    points = []
    for k in range(16):
        a = 2 * math.pi * k / 16
        points.append((2.5 + 0.55 * math.cos(a), 2.2 + 0.32 * math.sin(a)))
    return points


def draw_vectors(canvas, paper_mask):
    draw = ImageDraw.Draw(canvas)
    px = SUPERSAMPLE
    shore = SHEET.ss_path(lake_outline())
    draw.line(shore + shore[:1], fill=(40, 90, 170), width=px)
    for road in ROADS:
        SHEET.draw_road(draw, road)
    for e, n, name in VILLAGES:
        SHEET.draw_village(canvas, draw, e, n, name, font(14))
    # The graticule every minute, the neatline, and the labels in DMS.
    SHEET.draw_graticule(draw, 1)
    corners = [(0, 0), (SPAN_LON_MIN, 0), (SPAN_LON_MIN, SPAN_LAT_MIN), (0, SPAN_LAT_MIN)]
    draw.line(SHEET.ss_path(corners + corners[:1]), fill=(15, 15, 15), width=2 * px)
    SHEET.label_graticule(canvas, 1, font(13, bold=True), True, 0, 16, 56)
    SHEET.text_at(canvas, (SPAN_LON_MIN / 2, SPAN_LAT_MIN), "VALLE DI VONZO", font(22, bold=True), offset_px=(0, -48))
    SHEET.text_at(canvas, (SPAN_LON_MIN / 2, 0), "True proportion at 45\u00b0N  \u2022  graticule every 1'",
                  font(12), offset_px=(0, 40))
    # The torn corner takes whatever was drawn there with it.
    lid = Image.new("RGB", canvas.size, (196, 198, 200))
    mask = Image.fromarray(np.where(paper_mask, 0, 255).astype(np.uint8), "L").resize(canvas.size, Image.NEAREST)
    canvas.paste(lid, (0, 0), mask)


def main():
    rng = np.random.default_rng(45045)
    fields, paper = render_fields()
    canvas = SHEET.canvas(fields)
    draw_vectors(canvas, paper)
    SHEET.save_jpeg(SHEET.scan(canvas, rng, 2.0), 82)
    write_truth()


def feature_pixel(east_min, north_min):
    column, row = SHEET.to_pixel(east_min, north_min)
    return [int(round(column)), int(round(row))]


def write_truth():
    metres_per_degree_lat = METRES_PER_MINUTE_LAT * 60
    metres_per_degree_lon = metres_per_degree_lat * math.cos(math.radians(45.0))
    # The ground a pixel covers along each minute's direction, the larger one.
    pixel_m = max(METRES_PER_MINUTE_LAT * math.cos(math.radians(45.0)) / math.hypot(*EAST),
                  METRES_PER_MINUTE_LAT / math.hypot(*NORTH))
    truth = SHEET.truth("true proportion at 45 deg N: a minute of longitude is cos(45 deg) as long as a minute "
                        "of latitude on the sheet (to within 0.2 %); map X is the longitude and map Y the "
                        "latitude in decimal degrees, east and north positive")
    truth.update({
        "metres_per_degree_lon": metres_per_degree_lon,
        "metres_per_degree_lat": metres_per_degree_lat,
        "pixel_ground_size_m": pixel_m,
        "tolerance_half_pixel_m": pixel_m / 2,
        "sheet": SHEET.edges(seconds=True),
        "torn_corner": "north-east: the crossing 7 deg 05' E 45 deg 04' N is gone with the paper",
        "control_points": [SHEET.crossing(e, n) for e, n in CONTROL_CROSSINGS],
        "features": {
            "roads": [[feature_pixel(e, n) for e, n in road] for road in ROADS],
            "villages": [dict(name=name, pixel=feature_pixel(e, n)) for e, n, name in VILLAGES],
            "lake": [feature_pixel(e, n) for e, n in lake_outline()[::2]],
        },
    })
    SHEET.write_truth(truth)


if __name__ == "__main__":
    sys.exit(main())
