// The fits that are not affine: polynomials of order 2 and 3 and the
// projective mapping (least squares), and the thin-plate spline (exact at
// every point). Pixels and map coordinates are centred on their means and
// scaled before solving, so that map coordinates in the millions and
// pixels in the thousands cost no digits; the systems are solved by QR
// (least squares) or LU with pivoting (the spline), never through normal
// equations.
#pragma once

#include <vector>

#include "core/georef/AffineTransform.h"
#include "core/georef/FitModel.h"
#include "core/georef/GeoRefPoint.h"

class CWarpTransform
{
public:
    // False when the points do not determine the mapping: too few, in a
    // degenerate layout (on one line, on a conic for order 2, ...), or a
    // projective mapping whose horizon runs between the points.
    static bool Fit(WarpKind nKind, const std::vector<CGeoRefPoint>& points, CWarpTransform* pWarp)
    {
        return FitWith(nKind, points, nullptr, pWarp);
    }
    // The projective mapping refined from pStart, a projective fit of nearly
    // the same points (the fit of them all, for the fits without one), which
    // lies far closer to the minimum than the multiplied-out solution.
    static bool FitProjectiveFrom(const CWarpTransform& start, const std::vector<CGeoRefPoint>& points,
                                  CWarpTransform* pWarp)
    {
        return FitWith(WarpKind::Projective, points, &start, pWarp);
    }

    WarpKind Kind() const { return m_nKind; }
    void Map(double column, double row, double* pdX, double* pdY) const;
    // From map back to pixel: closed form for the projective mapping,
    // Newton's method (the Jacobian analytic) seeded from the inverse of
    // Affine() for the others.
    // False when no pixel maps there (or Newton does not settle).
    bool MapToPixel(double x, double y, double* pdColumn, double* pdRow) const;
    // The least-squares affine fit of the same points: the rotation and
    // scales the report shows, and where the inverse starts.
    const CAffineTransform& Affine() const { return m_affine; }

    // The spline's map position of each of its points when fitted without
    // that point, all at once (Rippa's formula on the spline's system):
    // minus the typed position, in map units. Empty for the other kinds, and
    // above kSplineLeaveOneOutPoints points, where the n solves it takes
    // (twice the cost of the fit itself) would hold up every change.
    static const int kSplineLeaveOneOutPoints = 300;

    // The parameters on raw pixel centres and map positions, for the
    // report. A polynomial: mapX = sum of x[k] column^i row^j over the
    // terms in GDAL's order (1, column, row, column^2, column row, row^2,
    // then order 3's four), mapY likewise with y. The projective mapping:
    // mapX = (x[0] + x[1] column + x[2] row) / (1 + d[0] column + d[1] row),
    // mapY with y[0..2]. False for the spline, whose weights a point are no
    // formula to read.
    bool RawParameters(std::vector<double>* pX, std::vector<double>* pY, double pDenominator[2]) const;
    // The spline's points.
    int SplinePointCount() const { return static_cast<int>(m_centreU.size()); }
    const std::vector<double>& LeaveOneOutX() const { return m_looX; }
    const std::vector<double>& LeaveOneOutY() const { return m_looY; }

private:
    // The parameters of this projective mapping in other's normalisation,
    // in the order the fit solves for them; empty when it has none there.
    std::vector<double> ProjectiveIn(const CWarpTransform& other) const;
    static bool FitWith(WarpKind nKind, const std::vector<CGeoRefPoint>& points, const CWarpTransform* pStart,
                        CWarpTransform* pWarp);
    void MapNormalised(double u, double v, double* pX, double* pY) const;
    // The same with the partial derivatives, in one pass over the terms.
    void MapNormalisedWithJacobian(double u, double v, double* pX, double* pY, double jacobian[4]) const;

    WarpKind m_nKind = WarpKind::Polynomial2;
    // u = (column - m_c0) / m_pixelScale, v likewise; map x = m_x0 + m_mapScale X.
    double m_c0 = 0, m_r0 = 0, m_pixelScale = 1;
    double m_x0 = 0, m_y0 = 0, m_mapScale = 1;
    // Polynomial: the terms' coefficients; projective: a0 a1 a2 in X, b0 b1
    // b2 in Y and the denominator's c1 c2 in m_denominator; spline: one
    // weight a point, then the affine part's three.
    std::vector<double> m_coefX, m_coefY;
    double m_denominator[2] = {0, 0};
    std::vector<double> m_centreU, m_centreV;
    CAffineTransform m_affine;
    std::vector<double> m_looX, m_looY;
};
