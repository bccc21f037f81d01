#include "core/view/ShownGrid.h"

#include <algorithm>
#include <cmath>

CShownGrid ShownGridOf(const CScanLevel& full, const CScanLevel& shown)
{
    CShownGrid grid;
    grid.nFullWidth = full.nWidth;
    grid.nFullHeight = full.nHeight;
    grid.dScaleX = shown.dScaleX > 0 ? shown.dScaleX : 1.0;
    grid.dScaleY = shown.dScaleY > 0 ? shown.dScaleY : 1.0;
    return grid;
}

int ShownResolutionDenominator(const CShownGrid& grid)
{
    return std::max(1, static_cast<int>(std::lround(std::max(grid.dScaleX, grid.dScaleY))));
}

ImagePixel ShownToFull(const CShownGrid& grid, int column, int row)
{
    if (!grid.IsReduced())
        return ImagePixel{column, row};
    return ImagePixel{static_cast<int>(std::floor((column + 0.5) * grid.dScaleX)),
                      static_cast<int>(std::floor((row + 0.5) * grid.dScaleY))};
}

ImagePixel FullToShown(const CShownGrid& grid, int x, int y)
{
    if (!grid.IsReduced())
        return ImagePixel{x, y};
    return ImagePixel{static_cast<int>(std::floor(x / grid.dScaleX)), static_cast<int>(std::floor(y / grid.dScaleY))};
}

CGeoRefArray ShownGeoRef(const CGeoRefArray& full, const CShownGrid& grid, int nShownHeight)
{
    if (!grid.IsReduced())
        return full;
    CGeoRefArray shown = full;
    shown.m_nImageHeight = nShownHeight;
    for (CGeoRefPoint& point : shown.m_points)
    {
        const ImagePixel pixel = FullToShown(grid, point.m_nPixelX, point.m_nPixelY);
        point.m_nPixelX = pixel.column;
        point.m_nPixelY = pixel.row;
    }
    if (full.m_bValid)
    {
        // Shown pixel c spans full pixels [c s, (c + 1) s): its centre lies
        // at full position c s + (s - 1) / 2, pixel centres counting as
        // their index.
        const CAffineTransform a = full.GetAffine();
        const double ox = (grid.dScaleX - 1) / 2, oy = (grid.dScaleY - 1) / 2;
        CAffineTransform b;
        b.x0 = a.x0 + a.xPerColumn * ox + a.xPerRow * oy;
        b.xPerColumn = a.xPerColumn * grid.dScaleX;
        b.xPerRow = a.xPerRow * grid.dScaleY;
        b.y0 = a.y0 + a.yPerColumn * ox + a.yPerRow * oy;
        b.yPerColumn = a.yPerColumn * grid.dScaleX;
        b.yPerRow = a.yPerRow * grid.dScaleY;
        shown.m_affine = b;
        shown.m_nFittedModel = FitModel::Affine;
        shown.m_nFitModel = FitModel::Affine;
    }
    return shown;
}
