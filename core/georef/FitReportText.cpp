#include "core/georef/FitReportText.h"

#include <algorithm>
#include <cmath>

#include "core/georef/NumberFormat.h"
#include "core/georef/WarpTransform.h"

namespace
{

const char kEol[] = "\r\n";

// Right-aligned in a column of nWidth characters.
std::string Cell(const std::string& text, size_t nWidth)
{
    return text.size() >= nWidth ? " " + text : std::string(nWidth - text.size(), ' ') + text;
}

std::string Fixed(double dValue, int nDecimals) { return FormatFixed(dValue, nDecimals); }

// Enough decimals for map units of either kind: metres to the millimetre,
// degrees to about a millimetre on the ground.
int MapDecimals(const CGeoRefArray& geoRef)
{
    double largest = 0.0;
    for (const CGeoRefPoint& p : geoRef.m_points)
        largest = std::max({largest, std::fabs(p.m_dMapX), std::fabs(p.m_dMapY)});
    return largest <= 360.0 ? 8 : 3;
}

// Twelve significant digits: far beyond what the points tell, and the same
// on every machine where the last of 17 would not be.
std::string Parameter(double dValue) { return FormatSignificant(dValue, 12); }

std::string Named(const char* prefix, const std::vector<double>& values, size_t first, size_t count, int nBase)
{
    std::string line = "   ";
    for (size_t k = first; k < first + count && k < values.size(); ++k)
        line += std::string(k > first ? ", " : " ") + prefix + std::to_string(nBase + k - first) + " = " +
                Parameter(values[k]);
    return line + kEol;
}

// The curved model's own parameters, fitted again from the points switched on.
std::string WarpParameters(const CGeoRefArray& geoRef, FitModel model, WarpKind kind)
{
    CGeoRefArray fitted(geoRef);
    fitted.m_nFitModel = model;
    if (!fitted.CalcTransform() || !fitted.Warp())
        return "";
    const CWarpTransform& warp = *fitted.Warp();
    std::vector<double> x, y;
    double d[2];
    if (kind == WarpKind::ThinPlateSpline)
        return "  Parameters: a thin-plate spline through " + std::to_string(warp.SplinePointCount()) +
               " points, without regularisation (exact at every point); its weights are not listed" + kEol;
    if (!warp.RawParameters(&x, &y, d))
        return "";
    if (kind == WarpKind::Projective)
    {
        return "  Parameters (pixel centre to map; mapX = (a0 + a1 column + a2 row) / (1 + c1 column + c2 row), "
               "mapY = (b0 + b1 column + b2 row) / (1 + c1 column + c2 row)):" +
               std::string(kEol) + Named("a", x, 0, 3, 0) + Named("b", y, 0, 3, 0) + "    c1 = " + Parameter(d[0]) +
               ", c2 = " + Parameter(d[1]) + kEol;
    }
    const bool cubic = x.size() > 6;
    std::string text = std::string("  Parameters (pixel centre to map; mapX = a0 + a1 column + a2 row + a3 column^2 + "
                                   "a4 column row + a5 row^2") +
                       (cubic ? " + a6 column^3 + a7 column^2 row + a8 column row^2 + a9 row^3" : "") +
                       ", mapY likewise with b):" + kEol;
    for (const auto& axis : {std::make_pair("a", &x), std::make_pair("b", &y)})
    {
        text += Named(axis.first, *axis.second, 0, 3, 0) + Named(axis.first, *axis.second, 3, 3, 3);
        if (cubic)
            text += Named(axis.first, *axis.second, 6, 4, 6);
    }
    return text;
}

}   // namespace

std::string FormatFitReportText(const CGeoRefArray& geoRef, const CFitReportHeading& heading)
{
    const int decimals = MapDecimals(geoRef);
    const size_t w = 16;
    std::string text = "Fit report" + std::string(kEol);
    text += "Scan: " + heading.strScan + " (" + std::to_string(heading.nWidth) + " x " +
            std::to_string(heading.nHeight) + " pixels)" + kEol;
    text += "Coordinate system: " + (heading.strCrs.empty() ? std::string("none") : heading.strCrs) + kEol;
    text += "Date: " + heading.strDate + kEol;
    text += "Chosen model: " + heading.modelNames[FitModelIndex(geoRef.m_nFitModel)] + kEol + kEol;

    text += "Control points (pixel centres; rows counted down from the top)" + std::string(kEol);
    text +=
        Cell("#", 4) + Cell("on", 4) + Cell("column", 8) + Cell("row", 8) + Cell("map X", w) + Cell("map Y", w) + kEol;
    for (size_t i = 0; i < geoRef.m_points.size(); ++i)
    {
        const CGeoRefPoint& p = geoRef.m_points[i];
        text += Cell(std::to_string(i + 1), 4) + Cell(p.m_bOff ? "off" : "yes", 4) +
                Cell(std::to_string(p.m_nPixelX), 8) + Cell(std::to_string(p.m_nPixelY), 8) +
                Cell(Fixed(p.m_dMapX, decimals), w) + Cell(Fixed(p.m_dMapY, decimals), w) + kEol;
    }

    for (FitModel model : kFitModels)
    {
        if (model == FitModel::FromFile && !geoRef.m_bFileFit)
            continue;
        text += std::string(kEol) + "Model: " + heading.modelNames[FitModelIndex(model)] + kEol;
        const auto on = std::count_if(geoRef.m_points.begin(), geoRef.m_points.end(),
                                      [](const CGeoRefPoint& p) { return !p.m_bOff; });
        if (model == FitModel::ThinPlateSpline && on > kReportSplinePoints)
        {
            text += "  not fitted: too many points for the report" + std::string(kEol);
            continue;
        }
        const CModelFit fit = EvaluateFit(geoRef, model, true);
        if (!fit.bFitted)
        {
            text += fit.nMorePointsNeeded > 0
                        ? "  not fitted: needs " + std::to_string(fit.nMorePointsNeeded) + " more point(s)" + kEol
                        : std::string("  not fitted: the points do not determine it") + kEol;
            continue;
        }
        text += "  RMS: " + Fixed(fit.dRmsMap, decimals) + " map units, " + Fixed(fit.dRmsPixels, 3) + " pixels" + kEol;
        text += Cell("#", 4) + Cell("dX", w) + Cell("dY", w) + Cell("residual", w) + Cell("px", 10) +
                Cell("left out", w) + Cell("left out px", 12) + kEol;
        for (size_t i = 0; i < fit.residuals.size(); ++i)
        {
            const CPointResidual& r = fit.residuals[i];
            text += Cell(std::to_string(i + 1), 4) + Cell(Fixed(r.dX, decimals), w) + Cell(Fixed(r.dY, decimals), w) +
                    Cell(Fixed(r.dLength, decimals), w) + Cell(Fixed(r.dPixelLength, 3), 10) +
                    Cell(r.bLeftOut ? Fixed(r.dLeftOutLength, decimals) : "-", w) +
                    Cell(r.bLeftOut ? Fixed(r.dLeftOutPixels, 3) : "-", 12) + kEol;
        }
        if (model != geoRef.m_nFitModel)
            continue;
        WarpKind kind;
        if (IsWarpModel(model, &kind))
            text += WarpParameters(geoRef, model, kind);
        const CAffineTransform& a = fit.affine;
        text += std::string(IsWarpModel(model) ? "  Its least-squares affine part" : "  Parameters") +
                " (pixel centre to map; mapX = x0 + a column + b row, mapY = y0 + c column + d row):" + kEol;
        text += "    x0 = " + FormatSignificant(a.x0, 17) + ", a = " + FormatSignificant(a.xPerColumn, 17) +
                ", b = " + FormatSignificant(a.xPerRow, 17) + kEol;
        text += "    y0 = " + FormatSignificant(a.y0, 17) + ", c = " + FormatSignificant(a.yPerColumn, 17) +
                ", d = " + FormatSignificant(a.yPerRow, 17) + kEol;
        text += "    rotation " + Fixed(fit.dRotation * 180.0 / kPi, 6) + " degrees, scale X " +
                FormatSignificant(fit.dScaleX, 10) + ", scale Y " + FormatSignificant(fit.dScaleY, 10) +
                " map units per pixel" + kEol;
    }
    return text;
}
