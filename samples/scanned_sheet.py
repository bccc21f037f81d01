"""What the sample-map generators share: a map sheet turned on the scanner,
with whole-pixel steps for a minute east and a minute north; drawing on a
supersampled canvas in the sheet's own axes; the scanner's softness and
grain; and the truth file beside the image.

Positions on the sheet are in minutes east and north of its south-west
corner; pixels are (column, row), rows growing downward.
"""

import json
import math
import os

import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
SUPERSAMPLE = 3
FONT_DIR = "/usr/share/fonts/truetype/dejavu"


def dms(value, positive, negative):
    """Degrees, minutes and seconds with a hemisphere letter: 7 deg 05' 00" E."""
    letter = positive if value >= 0 else negative
    total = round(abs(value) * 3600, 3)
    degrees = int(total // 3600)
    minutes = int((total - degrees * 3600) // 60)
    seconds = total - degrees * 3600 - minutes * 60
    return degrees, minutes, seconds, letter


def dms_typed(value, positive, negative):
    """The form a user types in the coordinate dialog: "7 05 00 E"."""
    d, m, s, letter = dms(value, positive, negative)
    return "%d %02d %02g %s" % (d, m, s, letter) if s != int(s) else "%d %02d %02d %s" % (d, m, s, letter)


def dms_label(value, positive, negative, seconds=False):
    d, m, s, letter = dms(value, positive, negative)
    if seconds:
        return "%d\u00b0%02d'%02d\"%s" % (d, m, s, letter)
    return "%d\u00b0%02d'%s" % (d, m, letter)


def font(size, bold=False, italic=False):
    style = ("Bold" if bold else "") + ("Italic" if italic else "")
    name = "DejaVuSerif" + ("-" + style if style else "")
    return ImageFont.truetype(os.path.join(FONT_DIR, name + ".ttf"), size * SUPERSAMPLE)


def ss(point):
    """A pixel position on the supersampled canvas (pixel centres at 3c + 1)."""
    return (point[0] * SUPERSAMPLE + (SUPERSAMPLE - 1) / 2.0,
            point[1] * SUPERSAMPLE + (SUPERSAMPLE - 1) / 2.0)


def to_rgb(pixels):
    """An RGB image of an array of colour values, rounded and clipped to bytes."""
    return Image.fromarray(np.clip(np.round(pixels), 0, 255).astype(np.uint8), "RGB")


class Sheet:
    """A sheet of span_lon_min by span_lat_min minutes from (lon0_min, lat0_min),
    drawn on a width x height image: one minute east is the pixel step east,
    one minute north the step north, and the south-west corner is at origin."""

    def __init__(self, name, lon0_min, lat0_min, span_lon_min, span_lat_min, east, north, origin, width, height):
        self.name = name
        self.lon0_min, self.lat0_min = lon0_min, lat0_min
        self.span_lon_min, self.span_lat_min = span_lon_min, span_lat_min
        self.east, self.north, self.origin = east, north, origin
        self.width, self.height = width, height
        self.rotation_deg = math.degrees(math.atan2(-east[1], east[0]))

    def to_pixel(self, east_min, north_min):
        """Pixel (column, row) of the point east_min and north_min minutes from the SW corner."""
        return (self.origin[0] + east_min * self.east[0] + north_min * self.north[0],
                self.origin[1] + east_min * self.east[1] + north_min * self.north[1])

    def to_minutes(self, column, row):
        """The inverse of to_pixel: minutes east and north of the SW corner."""
        east, north = self.east, self.north
        det = east[0] * north[1] - north[0] * east[1]
        dc, dr = column - self.origin[0], row - self.origin[1]
        return (dc * north[1] - dr * north[0]) / det, (dr * east[0] - dc * east[1]) / det

    def lon_lat(self, east_min, north_min):
        return (self.lon0_min + east_min) / 60.0, (self.lat0_min + north_min) / 60.0

    def minutes_grid(self):
        """Minutes east and north of every pixel of the image, as arrays."""
        rows, cols = np.mgrid[0:self.height, 0:self.width].astype(np.float64)
        return self.to_minutes(cols, rows)

    def ss_path(self, points_min):
        return [ss(self.to_pixel(e, n)) for e, n in points_min]

    # --- drawing on the supersampled canvas ---

    def canvas(self, fields):
        """The supersampled canvas over the rendered fields (colour values a pixel)."""
        base = to_rgb(fields)
        return base.resize((self.width * SUPERSAMPLE, self.height * SUPERSAMPLE), Image.NEAREST)

    def text_at(self, canvas, centre_min, text, face, fill=(20, 20, 20), offset_px=(0, 0)):
        """Writes text turned with the sheet, centred on a sheet position (in minutes)
        shifted by offset_px pixels along the sheet's own axes (x east, y down)."""
        left, top, right, bottom = face.getbbox(text)
        patch = Image.new("L", (right - left + 8, bottom - top + 8), 0)
        ImageDraw.Draw(patch).text((4 - left, 4 - top), text, font=face, fill=255)
        patch = patch.rotate(self.rotation_deg, resample=Image.BICUBIC, expand=True)
        cx, cy = ss(self.to_pixel(*centre_min))
        angle = math.radians(self.rotation_deg)
        dx, dy = offset_px[0] * SUPERSAMPLE, offset_px[1] * SUPERSAMPLE
        cx += dx * math.cos(angle) + dy * math.sin(angle)
        cy += -dx * math.sin(angle) + dy * math.cos(angle)
        colour = Image.new("RGB", patch.size, fill)
        canvas.paste(colour, (int(round(cx - patch.size[0] / 2)), int(round(cy - patch.size[1] / 2))), patch)

    def draw_road(self, draw, points_min):
        """A road through the points: red over a dark casing."""
        path = self.ss_path(points_min)
        draw.line(path, fill=(30, 30, 30), width=5 * SUPERSAMPLE, joint="curve")
        draw.line(path, fill=(214, 60, 40), width=3 * SUPERSAMPLE, joint="curve")

    def draw_village(self, canvas, draw, east_min, north_min, name, face):
        """A black square with the village's name above it."""
        cx, cy = ss(self.to_pixel(east_min, north_min))
        r = 4 * SUPERSAMPLE
        draw.polygon([(cx - r, cy - r), (cx + r, cy - r), (cx + r, cy + r), (cx - r, cy + r)], fill=(20, 20, 20))
        self.text_at(canvas, (east_min, north_min), name, face, offset_px=(0, -16))

    def draw_graticule(self, draw, step_min):
        """Full lines across the sheet every step_min minutes."""
        for i in range(0, self.span_lon_min + 1, step_min):
            draw.line(self.ss_path([(i, 0), (i, self.span_lat_min)]), fill=(30, 30, 70), width=SUPERSAMPLE)
        for j in range(0, self.span_lat_min + 1, step_min):
            draw.line(self.ss_path([(0, j), (self.span_lon_min, j)]), fill=(30, 30, 70), width=SUPERSAMPLE)

    def label_graticule(self, canvas, step_min, face, seconds, out_min, lon_px, lat_px):
        """Each graticule line's value at both of its ends, out_min minutes outside
        the neatline and a further lon_px (meridians) or lat_px (parallels) pixels out."""
        for i in range(0, self.span_lon_min + 1, step_min):
            text = dms_label(self.lon_lat(i, 0)[0], "E", "W", seconds)
            self.text_at(canvas, (i, -out_min), text, face, offset_px=(0, lon_px))
            self.text_at(canvas, (i, self.span_lat_min + out_min), text, face, offset_px=(0, -lon_px))
        for j in range(0, self.span_lat_min + 1, step_min):
            text = dms_label(self.lon_lat(0, j)[1], "N", "S", seconds)
            self.text_at(canvas, (-out_min, j), text, face, offset_px=(-lat_px, 0))
            self.text_at(canvas, (self.span_lon_min + out_min, j), text, face, offset_px=(lat_px, 0))

    # --- the scan and the files ---

    def scan(self, canvas, rng, grain, light=None):
        """The scanner: a little softness, uneven light (a factor a pixel, if any) and grain."""
        image = canvas.reduce(SUPERSAMPLE).filter(ImageFilter.GaussianBlur(0.45))
        pixels = np.asarray(image).astype(np.float64)
        if light is not None:
            pixels = pixels * light[..., None]
        return to_rgb(pixels + rng.normal(0, grain, pixels.shape))

    def save_jpeg(self, image, quality):
        image.save(os.path.join(HERE, self.name + ".jpg"), quality=quality, subsampling=2, optimize=True)

    def crossing(self, east_min, north_min):
        """A graticule crossing as the truth file gives it, with the texts a user types."""
        lon, lat = self.lon_lat(east_min, north_min)
        column, row = self.to_pixel(east_min, north_min)
        return {
            "lon": lon, "lat": lat,
            "lon_dms": dms_label(lon, "E", "W", seconds=True), "lat_dms": dms_label(lat, "N", "S", seconds=True),
            "lon_typed": dms_typed(lon, "E", "W"), "lat_typed": dms_typed(lat, "N", "S"),
            "column": column, "row": row,
        }

    def edges(self, seconds):
        """The sheet's four edges as labelled on it."""
        return {
            "west": dms_label(self.lon0_min / 60.0, "E", "W", seconds),
            "east": dms_label(self.lon_lat(self.span_lon_min, 0)[0], "E", "W", seconds),
            "south": dms_label(self.lat0_min / 60.0, "N", "S", seconds),
            "north": dms_label(self.lon_lat(0, self.span_lat_min)[1], "N", "S", seconds),
        }

    def truth(self, projection):
        """The first entries of the truth file: the image and its exact georeference."""
        east, north = self.east, self.north
        det = east[0] * north[1] - north[0] * east[1]
        # lon = lon0 + (c - c0) * north[1] / det / 60 - (r - r0) * north[0] / det / 60, likewise lat.
        return {
            "image": self.name + ".jpg",
            "width": self.width,
            "height": self.height,
            "pixels": "column and row of a pixel's centre, from 0, row 0 at the top",
            "projection": projection,
            "sheet_rotation_deg": self.rotation_deg,
            "sheet_rotation_sense": "counter-clockwise on the image: east points up to the right",
            "minute_east_px": list(east),
            "minute_north_px": list(north),
            "pixel_to_lonlat": {
                "formula": "lon = lon0 + lon_per_col*(column - c0) + lon_per_row*(row - r0); "
                           "lat = lat0 + lat_per_col*(column - c0) + lat_per_row*(row - r0)",
                "c0": self.origin[0], "r0": self.origin[1],
                "lon0": self.lon0_min / 60.0, "lat0": self.lat0_min / 60.0,
                "lon_per_col": north[1] / det / 60.0, "lon_per_row": -north[0] / det / 60.0,
                "lat_per_col": -east[1] / det / 60.0, "lat_per_row": east[0] / det / 60.0,
            },
        }

    def write_truth(self, truth):
        with open(os.path.join(HERE, self.name + ".truth.json"), "w", newline="\n") as f:
            json.dump(truth, f, indent=1, ensure_ascii=False)
            f.write("\n")
