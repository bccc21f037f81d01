#!/usr/bin/python3
"""Makes fits.txt, the fixtures of the tests of the fit models that are not
affine: control points as clicked on three kinds of sheet, and where
outside implementations map pixels with them.

- polynomial2, polynomial3, tps: GDAL's gdaltransform -order 2, -order 3
  and -tps on the same points;
- projective: an independent least-squares solution with numpy (a
  homography from the SVD of the linear system, then Levenberg-Marquardt
  on the map distances themselves);
- leave-one-out: each point's residual of the fit without it, with numpy
  (lstsq for the polynomials, one solve of the spline's system per point).

Run again only to change the fixtures. Needs gdal-bin and python3-numpy.

Lines of fits.txt:
  set NAME
  gcp COLUMN ROW X Y
  map MODEL COLUMN ROW X Y         (the outside tool's map position of the pixel)
  loo MODEL INDEX DX DY            (fit without point INDEX, at its pixel, minus its map position)
"""
import math
import os
import subprocess
import sys

import numpy as np


def point_sets():
    """Three sheets, each a smooth but not affine relation of pixels to map
    coordinates plus a fixed pattern of typing and clicking error."""
    def make(pixels, f, noise):
        out = []
        for k, (c, r) in enumerate(pixels, 1):
            x, y = f(c, r)
            out.append((c, r, x + noise * math.sin(1.7 * k), y + noise * math.cos(2.3 * k)))
        return out

    grid = [(150 + 2900 * i + 37 * j, 210 + 2300 * j - 41 * i) for i in range(4) for j in range(4)]
    scattered = [(35, 60), (4980, 120), (5020, 6950), (80, 7010), (2500, 3300), (1200, 5100), (3900, 2200),
                 (4400, 6100), (700, 2900), (3100, 400), (1900, 6500), (4700, 3700), (300, 4400)]
    return [
        # A UTM scan whose paper shrank unevenly.
        ("UtmShrunkScan", make(grid, lambda c, r: (680000.0 + 0.85 * c - 0.031 * r + 2.1e-6 * c * c - 1.3e-6 * c * r,
                                                   5123000.0 - 0.03 * c - 0.85 * r + 1.7e-6 * r * r + 4e-11 * c * c * r),
                               0.6)),
        # A sheet in degrees, photographed at a slant.
        ("DegreesSlanted", make(scattered, lambda c, r: (
            7.0 + (1.48e-4 * c + 9.2e-6 * r) / (1.0 + 2.0e-5 * c - 1.1e-5 * r),
            45.17 + (6.5e-6 * c - 1.047e-4 * r) / (1.0 + 2.0e-5 * c - 1.1e-5 * r)), 2e-6)),
        # Twelve points of an old survey in a national grid.
        ("GridTwelve", make(scattered[:12], lambda c, r: (
            400000.0 + 2.5 * c + 0.12 * r + 3e-5 * r * r, 5600000.0 + 0.13 * c - 2.5 * r - 2e-5 * c * c), 1.5)),
    ]


def probes(points):
    return [(c, r) for c, r, _, _ in points] + [(0, 0), (6000, 0), (3000, 4000), (2500, 3301), (-500, 7500)]


def gdal(option, points, pixels):
    command = ["gdaltransform", option[0]] + option[1:] + ["-output_xy"]
    for c, r, x, y in points:
        command += ["-gcp", str(c), str(r), repr(x), repr(y)]
    text = "".join("%d %d\n" % p for p in pixels)
    out = subprocess.run(command, input=text, capture_output=True, text=True, check=True).stdout.split()
    values = [float(v) for v in out]
    return list(zip(values[0::2], values[1::2]))


def normalise(points):
    a = np.array(points, dtype=float)
    pix, mp = a[:, :2], a[:, 2:]
    pc, mc = pix.mean(axis=0), mp.mean(axis=0)
    ps = math.sqrt(((pix - pc) ** 2).sum(axis=1).mean())
    ms = math.sqrt(((mp - mc) ** 2).sum(axis=1).mean())
    return (pix - pc) / ps, (mp - mc) / ms, pc, ps, mc, ms


def projective(points, pixels):
    uv, XY, pc, ps, mc, ms = normalise(points)
    n = len(points)
    # Homogeneous system A h = 0, h the 9 entries of H; its null vector by SVD.
    rows = []
    for (u, v), (X, Y) in zip(uv, XY):
        rows.append([u, v, 1, 0, 0, 0, -X * u, -X * v, -X])
        rows.append([0, 0, 0, u, v, 1, -Y * u, -Y * v, -Y])
    h = np.linalg.svd(np.array(rows))[2][-1]
    h = h / h[8]

    def apply(p, uv):
        d = p[6] * uv[:, 0] + p[7] * uv[:, 1] + 1.0
        return np.c_[(p[0] * uv[:, 0] + p[1] * uv[:, 1] + p[2]) / d, (p[3] * uv[:, 0] + p[4] * uv[:, 1] + p[5]) / d]

    p = h[:8].copy()
    lam = 1e-3
    for _ in range(500):
        r = (XY - apply(p, uv)).ravel()
        jac = np.empty((2 * n, 8))
        for k in range(8):
            dp = np.zeros(8)
            dp[k] = 1e-7
            jac[:, k] = ((apply(p + dp, uv) - apply(p - dp, uv)) / 2e-7).ravel()
        step = np.linalg.solve(jac.T @ jac + lam * np.diag(np.diag(jac.T @ jac)), jac.T @ r)
        if ((XY - apply(p + step, uv)) ** 2).sum() < (r ** 2).sum():
            p = p + step
            lam /= 10
            if np.abs(step).max() < 1e-16:
                break
        else:
            lam *= 10
            if lam > 1e10:
                break
    q = (np.array(pixels, dtype=float) - pc) / ps
    return [tuple(v) for v in apply(p, q) * ms + mc]


def terms(order, uv):
    u, v = uv[:, 0], uv[:, 1]
    t = [np.ones_like(u), u, v, u * u, u * v, v * v]
    if order == 3:
        t += [u ** 3, u * u * v, u * v * v, v ** 3]
    return np.array(t).T


def polynomial_loo(order, points):
    out = []
    for i in range(len(points)):
        rest = points[:i] + points[i + 1:]
        uv, XY, pc, ps, mc, ms = normalise(rest)
        coef = np.linalg.lstsq(terms(order, uv), XY, rcond=None)[0]
        q = (np.array([points[i][:2]], dtype=float) - pc) / ps
        x, y = (terms(order, q) @ coef)[0] * ms + mc
        out.append((x - points[i][2], y - points[i][3]))
    return out


def tps_loo(points):
    def kernel(d2):
        with np.errstate(divide="ignore", invalid="ignore"):
            return np.where(d2 > 0, d2 * np.log(d2), 0.0)

    out = []
    for i in range(len(points)):
        rest = points[:i] + points[i + 1:]
        uv, XY, pc, ps, mc, ms = normalise(rest)
        n = len(rest)
        d2 = ((uv[:, None, :] - uv[None, :, :]) ** 2).sum(axis=2)
        P = np.c_[np.ones(n), uv]
        M = np.block([[kernel(d2), P], [P.T, np.zeros((3, 3))]])
        sol = np.linalg.solve(M, np.r_[XY, np.zeros((3, 2))])
        q = (np.array(points[i][:2], dtype=float) - pc) / ps
        k = kernel(((uv - q) ** 2).sum(axis=1))
        x, y = (k @ sol[:n] + sol[n] + q[0] * sol[n + 1] + q[1] * sol[n + 2]) * ms + mc
        out.append((x - points[i][2], y - points[i][3]))
    return out


def main():
    os.chdir(os.path.dirname(os.path.abspath(__file__)))
    lines = []
    for name, points in point_sets():
        lines.append("set " + name)
        lines += ["gcp %d %d %r %r" % p for p in points]
        pixels = probes(points)
        for model, option in (("polynomial2", ["-order", "2"]), ("polynomial3", ["-order", "3"]), ("tps", ["-tps"])):
            lines += ["map %s %d %d %r %r" % ((model,) + p + q) for p, q in zip(pixels, gdal(option, points, pixels))]
        lines += ["map projective %d %d %r %r" % (p + q) for p, q in zip(pixels, projective(points, pixels))]
        for model, loo in (("polynomial2", polynomial_loo(2, points)), ("polynomial3", polynomial_loo(3, points)),
                           ("tps", tps_loo(points))):
            lines += ["loo %s %d %r %r" % ((model, i) + d) for i, d in enumerate(loo)]
    with open("fits.txt", "w") as f:
        f.write("\n".join(lines) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
