// What one control-point change costs before the Control Points window can
// show it: the edit applied with its refit of the chosen model, then the
// fit of every model with residuals, RMS and hints. The first model visits
// every pair of points (quadratic); one frame, 16 ms, is the budget at 100.
// Prints "points model milliseconds-per-change" lines.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>

#include "core/edit/EditHistory.h"
#include "core/georef/FitReport.h"

namespace
{

CGeoRefArray ScatteredPoints(int n, FitModel nModel)
{
    // Points over a 20000-pixel scan at 45 N in degrees, with a little
    // clicking error on each so that no fit is exact.
    CGeoRefArray geoRef;
    geoRef.SetImageHeight(20000);
    geoRef.m_nFitModel = nModel;
    for (int i = 0; i < n; ++i)
    {
        const int c = static_cast<int>(20000.0 * std::fmod(i * 0.618034, 1.0));
        const int r = static_cast<int>(20000.0 * std::fmod(i * 0.414214 + 0.1, 1.0));
        const double x = 7.0 + 1.48e-5 * c + 7.8e-7 * r + 2e-6 * std::sin(i * 1.7);
        const double y = 45.3 + 5.5e-7 * c - 1.047e-5 * r + 2e-6 * std::cos(i * 2.3);
        geoRef.m_points.push_back(CGeoRefPoint(x, y, c, r));
    }
    return geoRef;
}

}   // namespace

int main()
{
    for (int n : {10, 100, 1000})
    {
        for (FitModel model : kFitModels)
        {
            // The scan brings no georeference of its own to choose.
            if (model == FitModel::FromFile)
                continue;
            CGeoRefArray geoRef = ScatteredPoints(n, model);
            CShapeArray features;
            ShapeType shapeType = SHAPE_POLYLINE;
            CShape current;
            CEditTarget target{geoRef, features, shapeType, current};
            CEditHistory history;
            const int changes = n >= 1000 ? 3 : 200;
            double checksum = 0.0;
            const auto start = std::chrono::steady_clock::now();
            for (int k = 0; k < changes; ++k)
            {
                // Move one point a pixel and back, as a drag does.
                CGeoRefPoint moved = geoRef.m_points[k % n];
                moved.m_nPixelX += (k & 1) ? -1 : 1;
                history.Do(CChangePointEdit{k % n, geoRef.m_points[k % n], moved}, target);
                const CFitReport report = EvaluateFits(geoRef);
                checksum += report.Chosen().dRmsPixels;
            }
            const double ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / changes;
            const std::string name =
                model == FitModel::RotationScales ? "rotation-and-scales" : FitModelSettingValue(model);
            std::printf("%d %s %.3f (checksum %.6g)\n", n, name.c_str(), ms, checksum);
        }
    }
    return 0;
}
