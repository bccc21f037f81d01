#include "core/shape/FeatureMeasure.h"

#include <cmath>
#include <vector>

bool MeasureFeature(const CShape& shape, int nShapeType, const CGeoRefArray& geoRef, double* pdValue)
{
    if (!geoRef.m_bValid || shape.GetSize() == 0 || (nShapeType != SHAPE_POLYLINE && nShapeType != SHAPE_POLYGON))
        return false;
    const CPixelToMapTransform transform = geoRef.GetTransform();
    std::vector<double> x(shape.GetSize()), y(shape.GetSize());
    for (int i = 0; i < shape.GetSize(); ++i)
        transform.Map(shape.GetAt(i).x, shape.GetAt(i).y, &x[i], &y[i]);
    double value = 0.0;
    const size_t n = x.size();
    if (nShapeType == SHAPE_POLYLINE)
    {
        for (size_t i = 1; i < n; ++i)
            value += std::hypot(x[i] - x[i - 1], y[i] - y[i - 1]);
    }
    else
    {
        // The ring is closed by its stored copy of the first vertex; the
        // wrap from the last vertex to the first adds nothing then.
        // Relative to the first vertex: large projected coordinates would
        // otherwise cancel away the digits of the area.
        for (size_t i = 0; i < n; ++i)
        {
            const size_t j = (i + 1) % n;
            value += (x[i] - x[0]) * (y[j] - y[0]) - (x[j] - x[0]) * (y[i] - y[0]);
        }
        value = std::fabs(value) / 2.0;
    }
    *pdValue = value;
    return true;
}
