#include "core/raster/GeoTiffGrid.h"

#include <algorithm>
#include <cmath>

double DefaultGeoTiffPixelSize(const CAffineTransform& fit) { return std::hypot(fit.xPerColumn, fit.yPerColumn); }

namespace
{

// Cells needed to cover a span: a span that is a whole number of cells up to
// rounding gets exactly that number, not one more cell of nothing.
long long CellsFor(double span, double pixelSize)
{
    const double cells = span / pixelSize;
    const double whole = std::round(cells);
    if (std::fabs(cells - whole) <= 1e-9 * std::max(1.0, whole))
        return static_cast<long long>(whole);
    return static_cast<long long>(std::ceil(cells));
}

}   // namespace

GeoTiffStatus CalcGeoTiffGrid(const CAffineTransform& fit, int nWidth, int nHeight,
                              const std::vector<CGeoRefPoint>& points, GeoTiffExtent nExtent, double dPixelSize,
                              CGeoTiffGrid* pGrid, const CWarpTransform* pWarp)
{
    if (nWidth < 1 || nHeight < 1)
        return GEOTIFF_NO_IMAGE;
    CAffineTransform inverse;
    if (!fit.Invert(&inverse))
        return GEOTIFF_NOT_INVERTIBLE;
    if (!std::isfinite(dPixelSize) || !(dPixelSize > 0.0))
        return GEOTIFF_BAD_PIXEL_SIZE;

    double minX, maxX, minY, maxY;
    if (nExtent == GEOTIFF_EXTENT_CONTROL_POINTS)
    {
        if (points.empty())
            return GEOTIFF_NO_POINTS;
        minX = maxX = points.front().m_dMapX;
        minY = maxY = points.front().m_dMapY;
        for (const CGeoRefPoint& p : points)
        {
            minX = std::min(minX, p.m_dMapX);
            maxX = std::max(maxX, p.m_dMapX);
            minY = std::min(minY, p.m_dMapY);
            maxY = std::max(maxY, p.m_dMapY);
        }
        if (!(maxX > minX) || !(maxY > minY))
            return GEOTIFF_NO_POINTS;
    }
    else if (pWarp)
    {
        const int kEdgeSteps = 256;
        pWarp->Map(-0.5, -0.5, &minX, &minY);
        maxX = minX;
        maxY = minY;
        for (int k = 0; k <= kEdgeSteps; ++k)
        {
            const double c = -0.5 + static_cast<double>(nWidth) * k / kEdgeSteps;
            const double r = -0.5 + static_cast<double>(nHeight) * k / kEdgeSteps;
            const double edges[4][2] = {{c, -0.5}, {c, nHeight - 0.5}, {-0.5, r}, {nWidth - 0.5, r}};
            for (const auto& at : edges)
            {
                double x, y;
                pWarp->Map(at[0], at[1], &x, &y);
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
        }
    }
    else
    {
        const double corners[4][2] = {
            {-0.5, -0.5}, {nWidth - 0.5, -0.5}, {-0.5, nHeight - 0.5}, {nWidth - 0.5, nHeight - 0.5}};
        fit.Map(corners[0][0], corners[0][1], &minX, &minY);
        maxX = minX;
        maxY = minY;
        for (const auto& corner : corners)
        {
            double x, y;
            fit.Map(corner[0], corner[1], &x, &y);
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
        }
    }
    if (!std::isfinite(minX) || !std::isfinite(maxX) || !std::isfinite(minY) || !std::isfinite(maxY) ||
        !std::isfinite(maxX - minX) || !std::isfinite(maxY - minY))
        return GEOTIFF_BAD_EXTENT;

    // Compared as doubles first: a span of many cells would overflow the count.
    const double cellsX = (maxX - minX) / dPixelSize, cellsY = (maxY - minY) / dPixelSize;
    if (!(cellsX <= kMaxGeoTiffSide) || !(cellsY <= kMaxGeoTiffSide))
        return GEOTIFF_TOO_LARGE;
    const long long width = std::max(1LL, CellsFor(maxX - minX, dPixelSize));
    const long long height = std::max(1LL, CellsFor(maxY - minY, dPixelSize));
    if (width > kMaxGeoTiffSide || height > kMaxGeoTiffSide || width * height > kMaxGeoTiffCells)
        return GEOTIFF_TOO_LARGE;

    pGrid->dLeft = minX;
    pGrid->dTop = maxY;
    pGrid->dPixelSize = dPixelSize;
    pGrid->nWidth = static_cast<int>(width);
    pGrid->nHeight = static_cast<int>(height);
    return GEOTIFF_OK;
}
