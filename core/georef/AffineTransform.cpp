#include "core/georef/AffineTransform.h"

#include <cmath>

bool CAffineTransform::Invert(CAffineTransform* pInverse) const
{
    const double det = xPerColumn * yPerRow - xPerRow * yPerColumn;
    if (!std::isfinite(det) || det == 0.0)
        return false;
    CAffineTransform inv;
    inv.xPerColumn = yPerRow / det;
    inv.xPerRow = -xPerRow / det;
    inv.yPerColumn = -yPerColumn / det;
    inv.yPerRow = xPerColumn / det;
    inv.x0 = -(inv.xPerColumn * x0 + inv.xPerRow * y0);
    inv.y0 = -(inv.yPerColumn * x0 + inv.yPerRow * y0);
    if (!std::isfinite(inv.x0) || !std::isfinite(inv.y0))
        return false;
    *pInverse = inv;
    return true;
}
