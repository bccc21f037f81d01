// Fitting the pixel-to-map transformation from the control points, and
// converting pixels with it.
#include <cmath>

#include "core/georef/GeoRefArray.h"

namespace
{

// Orientation of the segment between two points, measured from the y axis;
// -pi/2 (rounded) when the segment is horizontal.
double Orientation(double dx, double dy) { return (dy == 0.0) ? -kHalfPi : std::atan(dx / dy); }

// One axis of FitLinear: the weighted mean of the lines through all pairs.
struct LineSums
{
    double weight = 0.0, intercepts = 0.0, slopes = 0.0;

    void AddPair(double ri, double mi, double rj, double mj)
    {
        const double dr = rj - ri;
        if (dr == 0.0)
            return;
        const double slope = (mj - mi) / dr;
        const double intercept = (rj * mi - ri * mj) / dr;
        if (slope == 0.0)
            return;
        const double w = std::fabs(dr);
        weight += w;
        intercepts += w * intercept;
        slopes += w * slope;
    }
};

}   // namespace

void CGeoRefArray::RotatePixel(int x, int y, double* pdU, double* pdV) const
{
    // u = r sin(theta + rho), v = r cos(theta + rho) with theta measured from
    // the y axis, written as products so that every quadrant is handled alike.
    const double c = std::cos(m_dRotation), s = std::sin(m_dRotation);
    *pdU = x * c + y * s;
    *pdV = y * c - x * s;
}

bool CGeoRefArray::CalcTransform()
{
    if (m_nFitModel == FitModel::FromFile)
    {
        // Whatever the points say: they are only measured against it.
        if (!m_bFileFit)
            return false;
        m_affine = m_fileFit;
        m_nFittedModel = FitModel::FromFile;
        m_bValid = true;
        return true;
    }
    if (m_nFitModel == FitModel::Helmert || m_nFitModel == FitModel::Affine)
    {
        CAffineTransform fit;
        if (!(m_nFitModel == FitModel::Helmert ? FitHelmert(m_points, &fit) : FitAffine(m_points, &fit)))
            return false;
        m_affine = fit;
        m_nFittedModel = m_nFitModel;
        m_bValid = true;
        return true;
    }

    for (CGeoRefPoint& point : m_points)
    {
        point.m_nFitX = point.m_nPixelX;
        // Wraps instead of overflowing for absurd rows read from a damaged file.
        point.m_nFitY =
            static_cast<int>(static_cast<unsigned>(m_nImageHeight) - static_cast<unsigned>(point.m_nPixelY));
    }

    // The rotation is the mean over all pairs of the difference between the
    // pair's orientation on the map and on the image.
    double sum = 0.0;
    int pairs = 0;
    const size_t n = m_points.size();
    for (size_t i = 0; i < n; ++i)
    {
        for (size_t j = i + 1; j < n; ++j)
        {
            const CGeoRefPoint& a = m_points[i];
            const CGeoRefPoint& b = m_points[j];
            const double alpha = Orientation(a.m_dMapX - b.m_dMapX, a.m_dMapY - b.m_dMapY);
            const double beta = Orientation(double(a.m_nFitX) - b.m_nFitX, double(a.m_nFitY) - b.m_nFitY);
            double d = alpha - beta;
            if (d > kHalfPi)
                d -= kPi;
            if (d < -kHalfPi)
                d += kPi;
            sum += d;
            ++pairs;
        }
    }
    if (pairs == 0)
        return false;
    m_dRotation = sum / pairs;

    for (CGeoRefPoint& point : m_points)
        RotatePixel(point.m_nFitX, point.m_nFitY, &point.m_dRotX, &point.m_dRotY);
    return FitLinear();
}

bool CGeoRefArray::FitLinear()
{
    LineSums xSums, ySums;
    const size_t n = m_points.size();
    for (size_t i = 0; i < n; ++i)
    {
        for (size_t j = i + 1; j < n; ++j)
        {
            const CGeoRefPoint& a = m_points[i];
            const CGeoRefPoint& b = m_points[j];
            xSums.AddPair(a.m_dRotX, a.m_dMapX, b.m_dRotX, b.m_dMapX);
            ySums.AddPair(a.m_dRotY, a.m_dMapY, b.m_dRotY, b.m_dMapY);
        }
    }
    if (!(xSums.weight > 0.0 && ySums.weight > 0.0))
        return false;
    m_dX0 = xSums.intercepts / xSums.weight;
    m_dXScale = xSums.slopes / xSums.weight;
    m_dY0 = ySums.intercepts / ySums.weight;
    m_dYScale = ySums.slopes / ySums.weight;
    m_nFittedModel = FitModel::RotationScales;
    m_bValid = true;
    return true;
}

bool CGeoRefArray::Refit()
{
    if (CalcTransform())
        return true;
    m_bValid = false;
    return false;
}

double CGeoRefArray::GetRotation() const
{
    if (m_nFittedModel == FitModel::RotationScales)
        return m_dRotation;
    double rotation, scaleX, scaleY;
    DescribeAffine(m_affine, &rotation, &scaleX, &scaleY);
    return rotation;
}

CPixelToMapTransform CGeoRefArray::GetTransform() const
{
    CPixelToMapTransform t;
    if (m_nFittedModel != FitModel::RotationScales)
    {
        t.bAffine = true;
        t.affine = m_affine;
    }
    t.dCos = std::cos(m_dRotation);
    t.dSin = std::sin(m_dRotation);
    t.dX0 = m_dX0;
    t.dXScale = m_dXScale;
    t.dY0 = m_dY0;
    t.dYScale = m_dYScale;
    t.nImageHeight = m_nImageHeight;
    return t;
}

bool CPixelToMapTransform::MapToPixel(double dMapX, double dMapY, double* pdColumn, double* pdRow) const
{
    double column, row;
    if (bAffine)
    {
        CAffineTransform inverse;
        if (!affine.Invert(&inverse))
            return false;
        inverse.Map(dMapX, dMapY, &column, &row);
    }
    else
    {
        if (dXScale == 0.0 || dYScale == 0.0)
            return false;
        // Undo the two linear relations, then turn back by the rotation.
        const double u = (dMapX - dX0) / dXScale, v = (dMapY - dY0) / dYScale;
        column = u * dCos - v * dSin;
        row = static_cast<double>(nImageHeight) - (u * dSin + v * dCos);
    }
    if (!std::isfinite(column) || !std::isfinite(row))
        return false;
    *pdColumn = column;
    *pdRow = row;
    return true;
}

CAffineTransform CGeoRefArray::GetAffine() const
{
    if (m_nFittedModel != FitModel::RotationScales)
        return m_affine;
    // u = column cos + (H - row) sin, v = (H - row) cos - column sin.
    const double c = std::cos(m_dRotation), s = std::sin(m_dRotation), h = m_nImageHeight;
    CAffineTransform a;
    a.x0 = m_dX0 + m_dXScale * h * s;
    a.xPerColumn = m_dXScale * c;
    a.xPerRow = -m_dXScale * s;
    a.y0 = m_dY0 + m_dYScale * h * c;
    a.yPerColumn = -m_dYScale * s;
    a.yPerRow = -m_dYScale * c;
    return a;
}

bool CGeoRefArray::PixelToMap(int nPixelX, int nPixelY, double* pdMapX, double* pdMapY) const
{
    if (!m_bValid)
        return false;
    GetTransform().Map(nPixelX, nPixelY, pdMapX, pdMapY);
    return true;
}
