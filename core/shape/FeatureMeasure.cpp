#include "core/shape/FeatureMeasure.h"

#include <cmath>
#include <vector>

bool MeasureFeature(const CShape& shape, ShapeType nShapeType, const CGeoRefArray& geoRef, double* pdValue)
{
    if (!geoRef.m_bValid || shape.GetSize() == 0 || (nShapeType != SHAPE_POLYLINE && nShapeType != SHAPE_POLYGON))
        return false;
    const CPixelToMapTransform transform = geoRef.GetTransform();
    std::vector<double> xy(2 * static_cast<size_t>(shape.GetSize()));
    for (int i = 0; i < shape.GetSize(); ++i)
        transform.Map(shape.GetAt(i).x, shape.GetAt(i).y, &xy[2 * i], &xy[2 * i + 1]);
    double value = 0.0;
    if (nShapeType == SHAPE_POLYLINE)
    {
        for (size_t i = 2; i < xy.size(); i += 2)
            value += std::hypot(xy[i] - xy[i - 2], xy[i + 1] - xy[i - 1]);
    }
    else
    {
        // Each ring is closed by its stored copy of its first vertex; the
        // holes' areas are taken from the outer ring's.
        for (int r = 0; r < shape.RingCount(); ++r)
        {
            const std::vector<double> ring(xy.begin() + 2 * shape.RingBegin(r), xy.begin() + 2 * shape.RingEnd(r));
            value += (r == 0 ? 1.0 : -1.0) * std::fabs(TwiceSignedArea(ring)) / 2.0;
        }
    }
    *pdValue = value;
    return true;
}

double TwiceSignedArea(const std::vector<double>& xy)
{
    const size_t n = xy.size() / 2;
    double sum = 0.0;
    for (size_t i = 1; i + 1 < n; ++i)
    {
        const double x1 = xy[2 * i] - xy[0], y1 = xy[2 * i + 1] - xy[1];
        const double x2 = xy[2 * i + 2] - xy[0], y2 = xy[2 * i + 3] - xy[1];
        sum += x1 * y2 - x2 * y1;
    }
    return sum;
}
