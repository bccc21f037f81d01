#include "core/georef/FitReportText.h"

#include <algorithm>
#include <cmath>

#include "core/georef/NumberFormat.h"

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
