#!/usr/bin/python3
"""Makes the bundled sample "scanned map": a map sheet of the area around
45 deg N, 7 deg E, turned a few degrees on the scanner, with a graticule in
degrees and minutes, a minute border, labels, relief, water and roads, and a
little scanner noise.

Beside it go the three control points of the sheet's corners (sample_map.tvg)
and the true georeference (sample_map.truth.json), so that tests can type the
control points in degrees, minutes and seconds and check what was digitised.

The sheet is drawn in an equirectangular projection with square minute cells:
a minute of longitude is as long on the paper as a minute of latitude. Pixels
and degrees are then related by one rotation and one scale per axis, exactly
what the program fits, so a fit from three corners reproduces the truth to
rounding. Every graticule minute falls on a whole pixel.

Run with /usr/bin/python3 (Debian's python3-numpy and python3-pil, and the
DejaVu fonts); the output is the same on every run.
"""

import math
import os
import sys

import numpy as np
from PIL import ImageDraw

from scanned_sheet import HERE, SUPERSAMPLE, Sheet, font, ss

# The sheet: 15 minutes of longitude by 10 of latitude from its south-west corner.
LON0_MIN = 7 * 60       # 7 deg 00' E, in minutes
LAT0_MIN = 45 * 60      # 45 deg 00' N
SPAN_LON_MIN = 15
SPAN_LAT_MIN = 10
GRATICULE_STEP_MIN = 5

# Pixels (column, row; rows grow downward) of one minute east and one minute
# north. Both are whole numbers, so every minute intersection is a whole pixel;
# the sheet is turned counter-clockwise by atan(7/112), 3.58 degrees.
EAST = (112, -7)
NORTH = (-7, -112)
ORIGIN = (218, 1347)    # pixel of the south-west corner, 7 deg 00' E 45 deg 00' N
WIDTH, HEIGHT = 2048, 1480

SHEET = Sheet("sample_map", LON0_MIN, LAT0_MIN, SPAN_LON_MIN, SPAN_LAT_MIN, EAST, NORTH, ORIGIN, WIDTH, HEIGHT)


# --- relief, water and woods, as smooth fields over the sheet (in minutes) ---

HILLS = [  # east, north, height (m), radius (minutes)
    (3.2, 7.6, 1450, 2.6), (6.5, 8.4, 1800, 2.2), (11.8, 7.2, 1650, 3.0),
    (13.5, 2.2, 1200, 2.4), (2.0, 1.8, 900, 2.0), (9.0, 4.0, 600, 1.6),
]
VALLEY_FLOOR = 420


def valley_centre(east):
    """The river's line: north coordinate of the valley at a given east."""
    return 4.3 + 1.1 * math.sin(east / 2.3) + 0.12 * east


def height(east, north):
    h = VALLEY_FLOOR + 40 * north
    for he, hn, hh, hr in HILLS:
        h = h + hh * np.exp(-((east - he) ** 2 + (north - hn) ** 2) / (2 * hr * hr))
    centre = 4.3 + 1.1 * np.sin(east / 2.3) + 0.12 * east
    h = h - 350 * np.exp(-((north - centre) ** 2) / (2 * 0.9 ** 2))
    return h


def lake(east, north):
    """Negative inside the lake."""
    return ((east - 8.1) / 1.05) ** 2 + ((north - 5.75) / 0.55) ** 2 - 1.0 \
        + 0.08 * np.sin(5 * east) * np.cos(4 * north)


def woods(east, north):
    return np.sin(1.7 * east + 0.6) * np.cos(1.3 * north - 0.4) + 0.5 * np.sin(3.1 * east * 0.7 + north)


def render_fields(rng):
    east, north = SHEET.minutes_grid()
    inside = (east >= 0) & (east <= SPAN_LON_MIN) & (north >= 0) & (north <= SPAN_LAT_MIN)
    paper = (east >= -1.1) & (east <= SPAN_LON_MIN + 1.1) & (north >= -0.95) & (north <= SPAN_LAT_MIN + 0.85)

    image = np.empty((HEIGHT, WIDTH, 3), np.float64)
    image[:] = (196, 198, 200)                      # the scanner's lid
    image[paper] = (244, 240, 228)                  # the paper

    h = height(east, north)
    wood = (woods(east, north) > 0.55) & (h > 700) & inside
    image[wood] = (220, 236, 206)
    water = (lake(east, north) < 0) & inside
    image[water] = (196, 222, 240)

    # Contours every 100 m, every fifth one stronger, anti-aliased by their
    # distance in pixels from the level.
    gy, gx = np.gradient(h)
    slope = np.hypot(gx, gy) + 1e-9
    for interval, width, colour in ((100.0, 0.55, (176, 120, 70)), (500.0, 0.9, (150, 95, 50))):
        level = np.round(h / interval) * interval
        distance = np.abs(h - level) / slope
        ink = np.clip(1.0 - distance / width, 0, 1) * (inside & ~water)
        image = image * (1 - ink[..., None]) + np.array(colour) * ink[..., None]
    return image, east, north


# --- vector drawing on the supersampled canvas ---

def smooth_curve(points, steps=12):
    """A Catmull-Rom curve through the points."""
    out = []
    padded = [points[0]] + list(points) + [points[-1]]
    for i in range(1, len(padded) - 2):
        p0, p1, p2, p3 = padded[i - 1], padded[i], padded[i + 1], padded[i + 2]
        for k in range(steps):
            t = k / steps
            out.append(tuple(0.5 * ((2 * p1[a]) + (-p0[a] + p2[a]) * t
                                    + (2 * p0[a] - 5 * p1[a] + 4 * p2[a] - p3[a]) * t * t
                                    + (-p0[a] + 3 * p1[a] - 3 * p2[a] + p3[a]) * t * t * t) for a in range(2)))
    out.append(points[-1])
    return out


VILLAGES = [  # east, north (minutes), name
    (2.6, 4.5, "Varenne"), (5.4, 4.6, "Pr\u00e0 Lungo"), (10.6, 5.3, "Castelrivo"),
    (12.9, 5.9, "Sant'Orso"), (7.2, 2.1, "Bric Ferr\u00e0"), (4.3, 8.9, "Alpe Rosa"),
]
PEAKS = [(6.5, 8.4, "M. Sereno"), (11.8, 7.2, "Rocca Bianca"), (3.2, 7.6, "Truc d'Arp")]
ROADS = [
    [(0.0, 3.55), (1.8, 4.2), (2.6, 4.5), (4.2, 4.9), (5.4, 4.6), (7.0, 4.75), (8.9, 5.0),
     (10.6, 5.3), (11.8, 5.7), (12.9, 5.9), (15.0, 6.3)],
    [(5.4, 4.6), (6.3, 3.4), (7.2, 2.1), (7.9, 0.0)],
    [(2.6, 4.5), (3.1, 6.2), (3.8, 7.8), (4.3, 8.9)],
]


def river_points():
    return [(e, valley_centre(e)) for e in np.linspace(0.0, SPAN_LON_MIN, 16)]


def lake_outline():
    points = []
    for k in range(24):
        a = 2 * math.pi * k / 24
        e, n = 8.1 + 1.05 * math.cos(a), 5.75 + 0.55 * math.sin(a)
        for _ in range(20):  # move onto the drawn shore, lake(e, n) = 0
            value = float(lake(e, n))
            e -= 0.5 * value * 1.05 * math.cos(a) * 0.9
            n -= 0.5 * value * 0.55 * math.sin(a) * 0.9
        points.append((e, n))
    return points


def draw_vectors(canvas):
    draw = ImageDraw.Draw(canvas)
    px = SUPERSAMPLE

    # Water and roads first, the graticule and the frame over them.
    shore = SHEET.ss_path(lake_outline())
    draw.line(shore + shore[:1], fill=(40, 90, 170), width=px, joint="curve")
    draw.line(SHEET.ss_path(smooth_curve(river_points())), fill=(40, 90, 170), width=3 * px, joint="curve")
    for road in ROADS:
        SHEET.draw_road(draw, smooth_curve(road, 8))

    for e, n, name in VILLAGES:
        SHEET.draw_village(canvas, draw, e, n, name, font(15))
    for e, n, name in PEAKS:
        cx, cy = ss(SHEET.to_pixel(e, n))
        r = 6 * px
        draw.polygon([(cx, cy - r), (cx + r, cy + r * 0.7), (cx - r, cy + r * 0.7)], fill=(90, 50, 20))
        peak = int(round(float(height(np.array(e), np.array(n))) / 5) * 5)
        SHEET.text_at(canvas, (e, n), "%s %d" % (name, peak), font(14, italic=True), fill=(90, 50, 20),
                      offset_px=(0, 18))
    SHEET.text_at(canvas, (8.1, 5.75), "Lago Nero", font(14, italic=True), fill=(30, 80, 160))
    SHEET.text_at(canvas, (1.2, valley_centre(1.2)), "Torrente Dora", font(13, italic=True), fill=(30, 80, 160),
                  offset_px=(0, 14))

    # The graticule: full lines every five minutes.
    SHEET.draw_graticule(draw, GRATICULE_STEP_MIN)

    # The minute border: a band outside the neatline, minutes alternately black.
    band = 0.12
    for i in range(SPAN_LON_MIN):
        if i % 2 == 0:
            for n0, n1 in ((-band, 0), (SPAN_LAT_MIN, SPAN_LAT_MIN + band)):
                draw.polygon(SHEET.ss_path([(i, n0), (i + 1, n0), (i + 1, n1), (i, n1)]), fill=(15, 15, 15))
    for j in range(SPAN_LAT_MIN):
        if j % 2 == 0:
            for e0, e1 in ((-band, 0), (SPAN_LON_MIN, SPAN_LON_MIN + band)):
                draw.polygon(SHEET.ss_path([(e0, j), (e1, j), (e1, j + 1), (e0, j + 1)]), fill=(15, 15, 15))
    for lo, hi in ((0.0, 0.0), (-band, -band)):
        corners = [(lo, lo), (SPAN_LON_MIN - hi, lo), (SPAN_LON_MIN - hi, SPAN_LAT_MIN - hi), (lo, SPAN_LAT_MIN - hi)]
        draw.line(SHEET.ss_path(corners + corners[:1]), fill=(15, 15, 15), width=2 * px if lo == 0 else px)
    # Ticks of the five minutes, out across the band.
    for i in range(0, SPAN_LON_MIN + 1, GRATICULE_STEP_MIN):
        draw.line(SHEET.ss_path([(i, -0.3), (i, 0)]), fill=(15, 15, 15), width=px)
        draw.line(SHEET.ss_path([(i, SPAN_LAT_MIN), (i, SPAN_LAT_MIN + 0.3)]), fill=(15, 15, 15), width=px)
    for j in range(0, SPAN_LAT_MIN + 1, GRATICULE_STEP_MIN):
        draw.line(SHEET.ss_path([(-0.3, j), (0, j)]), fill=(15, 15, 15), width=px)
        draw.line(SHEET.ss_path([(SPAN_LON_MIN, j), (SPAN_LON_MIN + 0.3, j)]), fill=(15, 15, 15), width=px)

    # Labels in degrees and minutes with their hemisphere letters.
    SHEET.label_graticule(canvas, GRATICULE_STEP_MIN, font(16, bold=True), False, 0.3, 14, 44)

    SHEET.text_at(canvas, (SPAN_LON_MIN / 2, SPAN_LAT_MIN + 0.3), "VAL DI SERENO", font(26, bold=True),
                  offset_px=(0, -48))
    SHEET.text_at(canvas, (SPAN_LON_MIN / 2, -0.3),
                  "Graticule every 5'  \u2022  minute border  \u2022  contours every 100 m  \u2022  WGS 84",
                  font(13), offset_px=(0, 42))


def main():
    rng = np.random.default_rng(45007)
    fields, _, _ = render_fields(rng)
    canvas = SHEET.canvas(fields)
    draw_vectors(canvas)

    # The scanner's light is uneven, brightest a little right of and above the middle.
    rows, cols = np.mgrid[0:HEIGHT, 0:WIDTH]
    light = 1.0 - 0.035 * ((cols / WIDTH - 0.6) ** 2 + (rows / HEIGHT - 0.4) ** 2)
    SHEET.save_jpeg(SHEET.scan(canvas, rng, 2.2, light), 85)

    write_truth()


def feature_vertex(east_min, north_min):
    lon, lat = SHEET.lon_lat(east_min, north_min)
    column, row = SHEET.to_pixel(east_min, north_min)
    return {"lon": lon, "lat": lat, "column": column, "row": row}


def write_truth():
    lon0, lat0 = LON0_MIN / 60.0, LAT0_MIN / 60.0
    degrees_per_pixel = 1.0 / math.hypot(*EAST) / 60.0
    corners = [(0, 0), (SPAN_LON_MIN, 0), (0, SPAN_LAT_MIN)]
    truth = SHEET.truth("equirectangular with square minute cells: one minute of longitude and one of "
                        "latitude are equally long on the sheet; map X is the longitude and map Y the "
                        "latitude in decimal degrees, east and north positive")
    truth.update({
        "lonlat_to_pixel": {
            "formula": "column = c0 + 60*(lon - lon0)*east_col + 60*(lat - lat0)*north_col; "
                       "row = r0 + 60*(lon - lon0)*east_row + 60*(lat - lat0)*north_row",
            "c0": ORIGIN[0], "r0": ORIGIN[1], "lon0": lon0, "lat0": lat0,
            "east_col": EAST[0], "east_row": EAST[1], "north_col": NORTH[0], "north_row": NORTH[1],
        },
        "pixel_ground_size_deg": degrees_per_pixel,
        "tolerance_two_pixels_deg": 2 * degrees_per_pixel,
        "sheet": SHEET.edges(seconds=False),
        "control_points": [SHEET.crossing(e, n) for e, n in corners],
        "graticule_intersections": [SHEET.crossing(i, j)
                                    for j in range(0, SPAN_LAT_MIN + 1, GRATICULE_STEP_MIN)
                                    for i in range(0, SPAN_LON_MIN + 1, GRATICULE_STEP_MIN)],
        "features": {
            "villages": [dict(name=name, **feature_vertex(e, n)) for e, n, name in VILLAGES],
            "peaks": [dict(name=name, **feature_vertex(e, n)) for e, n, name in PEAKS],
            "lake_shore": [feature_vertex(e, n) for e, n in lake_outline()],
        },
    })
    SHEET.write_truth(truth)

    # The program's point file: "%lf,%lf,%i,%i" and CR LF, map X the longitude.
    with open(os.path.join(HERE, SHEET.name + ".tvg"), "w", newline="\r\n") as f:
        for e, n in corners:
            lon, lat = SHEET.lon_lat(e, n)
            column, row = SHEET.to_pixel(e, n)
            f.write("%f,%f,%d,%d\n" % (lon, lat, column, row))


if __name__ == "__main__":
    sys.exit(main())
