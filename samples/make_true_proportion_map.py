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

import json
import math
import os
import sys

import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
NAME = "true_proportion_map"

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

# The crossings a user types: the three corners left on the paper and the
# crossing of 7 deg 04' E on the northern edge, next to the torn corner.
CONTROL_CROSSINGS = [(0, 0), (5, 0), (0, 4), (4, 4)]
# Where the north-east corner of the paper is gone, in minutes from the SW corner.
TEAR = [(3.55, 4.6), (6.5, 4.6), (6.5, 2.9)]

SUPERSAMPLE = 3
FONT_DIR = "/usr/share/fonts/truetype/dejavu"
METRES_PER_MINUTE_LAT = 1852.0


def to_pixel(east_min, north_min):
    return (ORIGIN[0] + east_min * EAST[0] + north_min * NORTH[0],
            ORIGIN[1] + east_min * EAST[1] + north_min * NORTH[1])


def to_minutes(column, row):
    det = EAST[0] * NORTH[1] - NORTH[0] * EAST[1]
    dc, dr = column - ORIGIN[0], row - ORIGIN[1]
    east = (dc * NORTH[1] - dr * NORTH[0]) / det
    north = (dr * EAST[0] - dc * EAST[1]) / det
    return east, north


def lon_lat(east_min, north_min):
    return (LON0_MIN + east_min) / 60.0, (LAT0_MIN + north_min) / 60.0


def dms(value, positive, negative):
    letter = positive if value >= 0 else negative
    total = round(abs(value) * 3600, 3)
    degrees = int(total // 3600)
    minutes = int((total - degrees * 3600) // 60)
    seconds = total - degrees * 3600 - minutes * 60
    return degrees, minutes, seconds, letter


def dms_typed(value, positive, negative):
    """The form a user types in the coordinate dialog: "7 04 00 E"."""
    d, m, s, letter = dms(value, positive, negative)
    return "%d %02d %02d %s" % (d, m, s, letter)


def dms_label(value, positive, negative):
    d, m, s, letter = dms(value, positive, negative)
    return "%d\u00b0%02d'%02d\"%s" % (d, m, s, letter)


def ss(point):
    return (point[0] * SUPERSAMPLE + (SUPERSAMPLE - 1) / 2.0,
            point[1] * SUPERSAMPLE + (SUPERSAMPLE - 1) / 2.0)


def ss_path(points_min):
    return [ss(to_pixel(e, n)) for e, n in points_min]


ROTATION_DEG = math.degrees(math.atan2(-EAST[1], EAST[0]))


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
    rows, cols = np.mgrid[0:HEIGHT, 0:WIDTH].astype(np.float64)
    east, north = to_minutes(cols, rows)
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


def font(size, bold=False, italic=False):
    style = ("Bold" if bold else "") + ("Italic" if italic else "")
    name = "DejaVuSerif" + ("-" + style if style else "")
    return ImageFont.truetype(os.path.join(FONT_DIR, name + ".ttf"), size * SUPERSAMPLE)


def text_at(canvas, centre_min, text, face, fill=(20, 20, 20), offset_px=(0, 0)):
    left, top, right, bottom = face.getbbox(text)
    patch = Image.new("L", (right - left + 8, bottom - top + 8), 0)
    ImageDraw.Draw(patch).text((4 - left, 4 - top), text, font=face, fill=255)
    patch = patch.rotate(ROTATION_DEG, resample=Image.BICUBIC, expand=True)
    cx, cy = ss(to_pixel(*centre_min))
    angle = math.radians(ROTATION_DEG)
    dx, dy = offset_px[0] * SUPERSAMPLE, offset_px[1] * SUPERSAMPLE
    cx += dx * math.cos(angle) + dy * math.sin(angle)
    cy += -dx * math.sin(angle) + dy * math.cos(angle)
    colour = Image.new("RGB", patch.size, fill)
    canvas.paste(colour, (int(round(cx - patch.size[0] / 2)), int(round(cy - patch.size[1] / 2))), patch)


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
    shore = ss_path(lake_outline())
    draw.line(shore + shore[:1], fill=(40, 90, 170), width=px)
    for road in ROADS:
        draw.line(ss_path(road), fill=(30, 30, 30), width=5 * px, joint="curve")
        draw.line(ss_path(road), fill=(214, 60, 40), width=3 * px, joint="curve")
    for e, n, name in VILLAGES:
        cx, cy = ss(to_pixel(e, n))
        r = 4 * px
        draw.polygon([(cx - r, cy - r), (cx + r, cy - r), (cx + r, cy + r), (cx - r, cy + r)], fill=(20, 20, 20))
        text_at(canvas, (e, n), name, font(14), offset_px=(0, -16))
    # The graticule every minute, the neatline, and the labels in DMS.
    for i in range(SPAN_LON_MIN + 1):
        draw.line(ss_path([(i, 0), (i, SPAN_LAT_MIN)]), fill=(30, 30, 70), width=px)
    for j in range(SPAN_LAT_MIN + 1):
        draw.line(ss_path([(0, j), (SPAN_LON_MIN, j)]), fill=(30, 30, 70), width=px)
    corners = [(0, 0), (SPAN_LON_MIN, 0), (SPAN_LON_MIN, SPAN_LAT_MIN), (0, SPAN_LAT_MIN)]
    draw.line(ss_path(corners + corners[:1]), fill=(15, 15, 15), width=2 * px)
    label = font(13, bold=True)
    for i in range(SPAN_LON_MIN + 1):
        text = dms_label(lon_lat(i, 0)[0], "E", "W")
        text_at(canvas, (i, 0), text, label, offset_px=(0, 16))
        text_at(canvas, (i, SPAN_LAT_MIN), text, label, offset_px=(0, -16))
    for j in range(SPAN_LAT_MIN + 1):
        text = dms_label(lon_lat(0, j)[1], "N", "S")
        text_at(canvas, (0, j), text, label, offset_px=(-56, 0))
        text_at(canvas, (SPAN_LON_MIN, j), text, label, offset_px=(56, 0))
    text_at(canvas, (SPAN_LON_MIN / 2, SPAN_LAT_MIN), "VALLE DI VONZO", font(22, bold=True), offset_px=(0, -48))
    text_at(canvas, (SPAN_LON_MIN / 2, 0), "True proportion at 45\u00b0N  \u2022  graticule every 1'", font(12),
            offset_px=(0, 40))
    # The torn corner takes whatever was drawn there with it.
    lid = Image.new("RGB", canvas.size, (196, 198, 200))
    mask = Image.fromarray(np.where(paper_mask, 0, 255).astype(np.uint8), "L").resize(canvas.size, Image.NEAREST)
    canvas.paste(lid, (0, 0), mask)


def main():
    rng = np.random.default_rng(45045)
    fields, paper = render_fields()
    base = Image.fromarray(np.clip(np.round(fields), 0, 255).astype(np.uint8), "RGB")
    canvas = base.resize((WIDTH * SUPERSAMPLE, HEIGHT * SUPERSAMPLE), Image.NEAREST)
    draw_vectors(canvas, paper)
    image = canvas.reduce(SUPERSAMPLE).filter(ImageFilter.GaussianBlur(0.45))
    pixels = np.asarray(image).astype(np.float64) + rng.normal(0, 2.0, (HEIGHT, WIDTH, 3))
    image = Image.fromarray(np.clip(np.round(pixels), 0, 255).astype(np.uint8), "RGB")
    image.save(os.path.join(HERE, NAME + ".jpg"), quality=82, subsampling=2, optimize=True)
    write_truth()


def crossing(east_min, north_min):
    lon, lat = lon_lat(east_min, north_min)
    column, row = to_pixel(east_min, north_min)
    return {"lon": lon, "lat": lat, "lon_dms": dms_label(lon, "E", "W"), "lat_dms": dms_label(lat, "N", "S"),
            "lon_typed": dms_typed(lon, "E", "W"), "lat_typed": dms_typed(lat, "N", "S"),
            "column": column, "row": row}


def feature_pixel(east_min, north_min):
    column, row = to_pixel(east_min, north_min)
    return [int(round(column)), int(round(row))]


def write_truth():
    det = EAST[0] * NORTH[1] - NORTH[0] * EAST[1]
    lon_per_col = NORTH[1] / det / 60.0
    lon_per_row = -NORTH[0] / det / 60.0
    lat_per_col = -EAST[1] / det / 60.0
    lat_per_row = EAST[0] / det / 60.0
    metres_per_degree_lat = METRES_PER_MINUTE_LAT * 60
    metres_per_degree_lon = metres_per_degree_lat * math.cos(math.radians(45.0))
    # The ground a pixel covers along each minute's direction, the larger one.
    pixel_m = max(METRES_PER_MINUTE_LAT * math.cos(math.radians(45.0)) / math.hypot(*EAST),
                  METRES_PER_MINUTE_LAT / math.hypot(*NORTH))
    truth = {
        "image": NAME + ".jpg",
        "width": WIDTH,
        "height": HEIGHT,
        "pixels": "column and row of a pixel's centre, from 0, row 0 at the top",
        "projection": "true proportion at 45 deg N: a minute of longitude is cos(45 deg) as long as a minute "
                      "of latitude on the sheet (to within 0.2 %); map X is the longitude and map Y the "
                      "latitude in decimal degrees, east and north positive",
        "sheet_rotation_deg": ROTATION_DEG,
        "sheet_rotation_sense": "counter-clockwise on the image: east points up to the right",
        "minute_east_px": list(EAST),
        "minute_north_px": list(NORTH),
        "pixel_to_lonlat": {
            "formula": "lon = lon0 + lon_per_col*(column - c0) + lon_per_row*(row - r0); "
                       "lat = lat0 + lat_per_col*(column - c0) + lat_per_row*(row - r0)",
            "c0": ORIGIN[0], "r0": ORIGIN[1], "lon0": LON0_MIN / 60.0, "lat0": LAT0_MIN / 60.0,
            "lon_per_col": lon_per_col, "lon_per_row": lon_per_row,
            "lat_per_col": lat_per_col, "lat_per_row": lat_per_row,
        },
        "metres_per_degree_lon": metres_per_degree_lon,
        "metres_per_degree_lat": metres_per_degree_lat,
        "pixel_ground_size_m": pixel_m,
        "tolerance_half_pixel_m": pixel_m / 2,
        "sheet": {"west": dms_label(LON0_MIN / 60.0, "E", "W"), "east": dms_label(lon_lat(SPAN_LON_MIN, 0)[0], "E", "W"),
                  "south": dms_label(LAT0_MIN / 60.0, "N", "S"),
                  "north": dms_label(lon_lat(0, SPAN_LAT_MIN)[1], "N", "S")},
        "torn_corner": "north-east: the crossing 7 deg 05' E 45 deg 04' N is gone with the paper",
        "control_points": [crossing(e, n) for e, n in CONTROL_CROSSINGS],
        "features": {
            "roads": [[feature_pixel(e, n) for e, n in road] for road in ROADS],
            "villages": [dict(name=name, pixel=feature_pixel(e, n)) for e, n, name in VILLAGES],
            "lake": [feature_pixel(e, n) for e, n in lake_outline()[::2]],
        },
    }
    with open(os.path.join(HERE, NAME + ".truth.json"), "w", newline="\n") as f:
        json.dump(truth, f, indent=1, ensure_ascii=False)
        f.write("\n")


if __name__ == "__main__":
    sys.exit(main())
