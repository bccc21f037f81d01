#include "core/georef/FitReport.h"

#include <cmath>

namespace
{

// The smaller spread of a set of positions across its main direction,
// relative to the larger one along it: 0 for points on one line.
template <typename Get>
double Thinness(size_t n, Get get)
{
    double mx = 0.0, my = 0.0;
    for (size_t i = 0; i < n; ++i)
    {
        double x, y;
        get(i, &x, &y);
        mx += x;
        my += y;
    }
    mx /= static_cast<double>(n);
    my /= static_cast<double>(n);
    double sxx = 0.0, syy = 0.0, sxy = 0.0;
    for (size_t i = 0; i < n; ++i)
    {
        double x, y;
        get(i, &x, &y);
        sxx += (x - mx) * (x - mx);
        syy += (y - my) * (y - my);
        sxy += (x - mx) * (y - my);
    }
    // Eigenvalues of the 2 x 2 scatter matrix.
    const double mean = (sxx + syy) / 2.0;
    const double half = std::sqrt((sxx - syy) * (sxx - syy) / 4.0 + sxy * sxy);
    const double large = mean + half, small = std::fmax(mean - half, 0.0);
    return large > 0.0 ? std::sqrt(small / large) : 0.0;
}

// Beyond this ratio of the two scales they count as very unequal. Degrees
// of longitude and latitude differ by cos(latitude): 5 is reached at 78 deg.
const double kUnequalScaleRatio = 5.0;
// Along the main direction a spread a fiftieth as wide counts as a line.
const double kLineThinness = 0.02;
// Residuals below this (pixels) are rounding, not a worst point or an outlier.
const double kNegligiblePixels = 0.005;
const double kOutlierFloorPixels = 1.0;

void FillResiduals(const CGeoRefArray& geoRef, const CPixelToMapTransform& transform, CModelFit* pFit)
{
    // The file's georeference is in force without any point: nothing to measure.
    if (geoRef.m_points.empty())
        return;
    CAffineTransform inverse;
    const bool invertible = pFit->affine.Invert(&inverse);
    double sumMap = 0.0, sumPixels = 0.0, worst = 0.0;
    pFit->residuals.resize(geoRef.m_points.size());
    for (size_t i = 0; i < geoRef.m_points.size(); ++i)
    {
        const CGeoRefPoint& point = geoRef.m_points[i];
        CPointResidual& r = pFit->residuals[i];
        double x, y;
        transform.Map(point.m_nPixelX, point.m_nPixelY, &x, &y);
        r.dX = x - point.m_dMapX;
        r.dY = y - point.m_dMapY;
        r.dLength = std::hypot(r.dX, r.dY);
        if (invertible)
        {
            // Only the linear part: the difference of two inverse positions.
            r.dPixelX = inverse.xPerColumn * r.dX + inverse.xPerRow * r.dY;
            r.dPixelY = inverse.yPerColumn * r.dX + inverse.yPerRow * r.dY;
            r.dPixelLength = std::hypot(r.dPixelX, r.dPixelY);
        }
        sumMap += r.dLength * r.dLength;
        sumPixels += r.dPixelLength * r.dPixelLength;
        if (r.dPixelLength > worst)
        {
            worst = r.dPixelLength;
            pFit->nWorst = static_cast<int>(i);
        }
    }
    const double n = static_cast<double>(geoRef.m_points.size());
    pFit->dRmsMap = std::sqrt(sumMap / n);
    pFit->dRmsPixels = std::sqrt(sumPixels / n);
    if (!(worst >= kNegligiblePixels))
        pFit->nWorst = -1;
}

void AddScaleHints(const CFitReport& report, std::vector<CFitHint>* pHints)
{
    // The affine fit sees both scales freely once it has its points; with
    // fewer the first model's two scales tell the same.
    const CModelFit& affine = report.Model(FitModel::Affine);
    const CModelFit& first = report.Model(FitModel::RotationScales);
    const CModelFit* source = affine.bFitted ? &affine : (first.bFitted ? &first : nullptr);
    if (!source)
        return;
    const double sx = source->dScaleX, sy = source->dScaleY;
    if ((sx < 0.0) != (sy < 0.0))
        pHints->push_back(CFitHint{HINT_SCALES_OPPOSITE});
    const double ratio = std::fabs(sx) / std::fabs(sy);
    if (ratio > kUnequalScaleRatio || ratio < 1.0 / kUnequalScaleRatio)
        pHints->push_back(CFitHint{HINT_SCALES_UNEQUAL});
}

void AddOutlierHints(const CModelFit& fit, std::vector<CFitHint>* pHints)
{
    // No point can stray more than sqrt(n) times the RMS of all, so with a
    // handful of points each is set against the RMS of the others.
    const size_t n = fit.residuals.size();
    if (!fit.bFitted || n < 3)
        return;
    double sum = 0.0;
    for (const CPointResidual& r : fit.residuals)
        sum += r.dPixelLength * r.dPixelLength;
    for (size_t i = 0; i < n; ++i)
    {
        const double own = fit.residuals[i].dPixelLength;
        const double others = std::sqrt(std::fmax(sum - own * own, 0.0) / static_cast<double>(n - 1));
        if (own > kOutlierFloorPixels && own > 3.0 * others)
            pHints->push_back(CFitHint{HINT_OUTLIER, static_cast<int>(i)});
    }
}

}   // namespace

CModelFit EvaluateFit(const CGeoRefArray& geoRef, FitModel nModel)
{
    CModelFit fit;
    fit.nModel = nModel;
    const int n = static_cast<int>(geoRef.m_points.size());
    const int minimum = FitModelMinimumPoints(nModel);
    if (n < minimum)
    {
        fit.nMorePointsNeeded = minimum - n;
        return fit;
    }
    CGeoRefArray trial(geoRef);
    trial.m_nFitModel = nModel;
    if (!trial.Refit())
        return fit;
    fit.bFitted = true;
    fit.affine = trial.GetAffine();
    if (nModel == FitModel::RotationScales)
    {
        fit.dRotation = trial.GetRotation();
        fit.dScaleX = trial.m_dXScale;
        fit.dScaleY = trial.m_dYScale;
    }
    else
        DescribeAffine(fit.affine, &fit.dRotation, &fit.dScaleX, &fit.dScaleY);
    FillResiduals(trial, trial.GetTransform(), &fit);
    return fit;
}

CFitReport EvaluateFits(const CGeoRefArray& geoRef)
{
    CFitReport report;
    report.nChosenModel = geoRef.m_nFitModel;
    for (FitModel model : kFitModels)
        report.models[FitModelIndex(model)] = EvaluateFit(geoRef, model);

    AddScaleHints(report, &report.hints);
    const size_t n = geoRef.m_points.size();
    if (n >= 3)
    {
        const auto& points = geoRef.m_points;
        const double pixels = Thinness(n, [&points](size_t i, double* x, double* y) {
            *x = points[i].m_nPixelX;
            *y = points[i].m_nPixelY;
        });
        const double map = Thinness(n, [&points](size_t i, double* x, double* y) {
            *x = points[i].m_dMapX;
            *y = points[i].m_dMapY;
        });
        if (pixels < kLineThinness || map < kLineThinness)
            report.hints.push_back(CFitHint{HINT_POINTS_ON_A_LINE});
    }
    AddOutlierHints(report.Chosen(), &report.hints);
    return report;
}
