#include "core/georef/FitModel.h"

#include <cmath>

namespace
{

// Sums of the points about their means: centring keeps the normal
// equations well conditioned for map coordinates in the millions.
struct CentredSums
{
    double meanC = 0, meanR = 0, meanX = 0, meanY = 0;
    double cc = 0, rr = 0, cr = 0;           // column and row products
    double xc = 0, xr = 0, yc = 0, yr = 0;   // map against pixel products
};

CentredSums SumPoints(const std::vector<CGeoRefPoint>& points)
{
    CentredSums s;
    const double n = static_cast<double>(points.size());
    for (const CGeoRefPoint& p : points)
    {
        s.meanC += p.m_nPixelX;
        s.meanR += p.m_nPixelY;
        s.meanX += p.m_dMapX;
        s.meanY += p.m_dMapY;
    }
    s.meanC /= n;
    s.meanR /= n;
    s.meanX /= n;
    s.meanY /= n;
    for (const CGeoRefPoint& p : points)
    {
        const double c = p.m_nPixelX - s.meanC, r = p.m_nPixelY - s.meanR;
        const double x = p.m_dMapX - s.meanX, y = p.m_dMapY - s.meanY;
        s.cc += c * c;
        s.rr += r * r;
        s.cr += c * r;
        s.xc += x * c;
        s.xr += x * r;
        s.yc += y * c;
        s.yr += y * r;
    }
    return s;
}

// A fit is only of use when it can be turned back (residuals in pixels,
// the export's inverse) and every coefficient is a number.
bool Usable(const CAffineTransform& fit)
{
    CAffineTransform inverse;
    return std::isfinite(fit.x0) && std::isfinite(fit.y0) && fit.Invert(&inverse);
}

}   // namespace

std::string FitModelSettingValue(FitModel nModel)
{
    switch (nModel)
    {
    case FitModel::Helmert: return "helmert";
    case FitModel::Affine: return "affine";
    case FitModel::FromFile: return "file";
    case FitModel::Projective: return "projective";
    case FitModel::Polynomial2: return "polynomial2";
    case FitModel::Polynomial3: return "polynomial3";
    case FitModel::ThinPlateSpline: return "tps";
    case FitModel::RotationScales: break;
    }
    return std::string();
}

FitModel ParseFitModelSetting(const std::string& strValue)
{
    if (strValue == "helmert")
        return FitModel::Helmert;
    if (strValue == "affine")
        return FitModel::Affine;
    if (strValue == "file")
        return FitModel::FromFile;
    if (strValue == "projective")
        return FitModel::Projective;
    if (strValue == "polynomial2")
        return FitModel::Polynomial2;
    if (strValue == "polynomial3")
        return FitModel::Polynomial3;
    if (strValue == "tps")
        return FitModel::ThinPlateSpline;
    return FitModel::RotationScales;
}

std::string PointsOffSettingValue(const std::vector<CGeoRefPoint>& points)
{
    std::string value;
    for (size_t i = 0; i < points.size(); ++i)
        if (points[i].m_bOff)
            value += (value.empty() ? "" : ",") + std::to_string(i + 1);
    return value;
}

void ApplyPointsOffSetting(const std::string& strValue, std::vector<CGeoRefPoint>* pPoints)
{
    size_t at = 0;
    while (at < strValue.size())
    {
        size_t end = strValue.find(',', at);
        if (end == std::string::npos)
            end = strValue.size();
        const std::string number = strValue.substr(at, end - at);
        at = end + 1;
        // Digits only, and few enough to be a point's number.
        if (number.empty() || number.size() > 9 || number.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const size_t n = std::stoul(number);
        if (n >= 1 && n <= pPoints->size())
            (*pPoints)[n - 1].m_bOff = true;
    }
}

int WarpMinimumPoints(WarpKind nKind)
{
    switch (nKind)
    {
    case WarpKind::Polynomial2: return 6;
    case WarpKind::Polynomial3: return 10;
    case WarpKind::Projective: return 4;
    case WarpKind::ThinPlateSpline: break;
    }
    return 3;
}

bool IsWarpModel(FitModel nModel, WarpKind* pKind)
{
    WarpKind kind;
    switch (nModel)
    {
    case FitModel::Projective: kind = WarpKind::Projective; break;
    case FitModel::Polynomial2: kind = WarpKind::Polynomial2; break;
    case FitModel::Polynomial3: kind = WarpKind::Polynomial3; break;
    case FitModel::ThinPlateSpline: kind = WarpKind::ThinPlateSpline; break;
    default: return false;
    }
    if (pKind)
        *pKind = kind;
    return true;
}

int FitModelParameters(FitModel nModel)
{
    switch (nModel)
    {
    case FitModel::RotationScales: return 5;   // the rotation, then a scale and a shift per axis
    case FitModel::Helmert: return 4;
    case FitModel::Affine: return 6;
    case FitModel::FromFile: return 0;
    case FitModel::Projective: return 8;
    case FitModel::Polynomial2: return 12;
    case FitModel::Polynomial3: return 20;
    case FitModel::ThinPlateSpline: break;
    }
    return 6;   // its affine part: the rest passes through every point
}

int FitModelMinimumPoints(FitModel nModel)
{
    WarpKind kind;
    if (IsWarpModel(nModel, &kind))
        return WarpMinimumPoints(kind);
    switch (nModel)
    {
    case FitModel::Affine: return 3;
    case FitModel::FromFile: return 0;
    default: break;
    }
    return 2;
}

bool FitHelmert(const std::vector<CGeoRefPoint>& points, CAffineTransform* pFit)
{
    if (points.size() < 2)
        return false;
    const CentredSums s = SumPoints(points);
    const double spread = s.cc + s.rr;
    if (!(spread > 0.0))
        return false;   // every point on one pixel
    // The normal equations of a and b decouple once the points are centred.
    const double a = (s.xc - s.yr) / spread;
    const double b = (s.xr + s.yc) / spread;
    CAffineTransform fit;
    fit.xPerColumn = a;
    fit.xPerRow = b;
    fit.yPerColumn = b;
    fit.yPerRow = -a;
    fit.x0 = s.meanX - a * s.meanC - b * s.meanR;
    fit.y0 = s.meanY - b * s.meanC + a * s.meanR;
    if (!Usable(fit))
        return false;
    *pFit = fit;
    return true;
}

bool FitAffine(const std::vector<CGeoRefPoint>& points, CAffineTransform* pFit)
{
    if (points.size() < 3)
        return false;
    const CentredSums s = SumPoints(points);
    const double det = s.cc * s.rr - s.cr * s.cr;
    // Points on one line leave the other direction undetermined; rounding
    // may leave a trace of a determinant, so it is judged relative to its terms.
    if (!(det > 1e-12 * s.cc * s.rr))
        return false;
    CAffineTransform fit;
    fit.xPerColumn = (s.xc * s.rr - s.xr * s.cr) / det;
    fit.xPerRow = (s.xr * s.cc - s.xc * s.cr) / det;
    fit.yPerColumn = (s.yc * s.rr - s.yr * s.cr) / det;
    fit.yPerRow = (s.yr * s.cc - s.yc * s.cr) / det;
    fit.x0 = s.meanX - fit.xPerColumn * s.meanC - fit.xPerRow * s.meanR;
    fit.y0 = s.meanY - fit.yPerColumn * s.meanC - fit.yPerRow * s.meanR;
    if (!Usable(fit))
        return false;
    *pFit = fit;
    return true;
}

void DescribeAffine(const CAffineTransform& fit, double* pdRotation, double* pdScaleX, double* pdScaleY)
{
    // Measured on the image, where pixels are square: the turn of the line
    // along which the map's Y stays the same (east) from the image's x axis.
    // For a rotation followed by a scale per map axis, the first model's
    // form, this is its rotation whatever the two scales are (degrees of
    // longitude and latitude).
    *pdRotation = std::atan2(-fit.yPerColumn, -fit.yPerRow);
    // Map units per pixel across the lines of equal X and of equal Y.
    *pdScaleX = std::hypot(fit.xPerColumn, fit.xPerRow);
    const double det = fit.xPerColumn * fit.yPerRow - fit.xPerRow * fit.yPerColumn;
    // Rows run down the image and north up the map: an unmirrored mapping
    // has a negative determinant.
    *pdScaleY = std::hypot(fit.yPerColumn, fit.yPerRow) * (det > 0.0 ? -1.0 : 1.0);
}
