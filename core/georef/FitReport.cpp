#include "core/georef/FitReport.h"

#include <algorithm>
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

// The pixel vector of a map residual: only the linear part of the inverse
// of the fit's affine form, the difference of two inverse positions.
void ToPixels(const CAffineTransform* pInverse, double dx, double dy, double* pdPixelX, double* pdPixelY)
{
    if (!pInverse)
    {
        *pdPixelX = *pdPixelY = 0.0;
        return;
    }
    *pdPixelX = pInverse->xPerColumn * dx + pInverse->xPerRow * dy;
    *pdPixelY = pInverse->yPerColumn * dx + pInverse->yPerRow * dy;
}

// Each point's residual once more, of the model fitted without it. The
// spline has them all from its own system; the file's georeference owes
// nothing to the points; the others are fitted again for every point.
double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    const size_t half = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(half), values.end());
    const double upper = values[half];
    if (values.size() % 2)
        return upper;
    return (upper + *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(half))) / 2.0;
}

// The spread of the typing and clicking error of the points, from the
// pixel residuals of a fit with nParameters parameters: the median, so
// that one more wrong point among them does not mask the one left out,
// widened for the coordinates the fit took up. -1 when too few are left
// over to judge by (the fit of the rest all but passes through them).
double Scatter(const std::vector<double>& residuals, int nParameters)
{
    const int left = 2 * static_cast<int>(residuals.size()) - nParameters;
    if (left < 3)
        return -1.0;
    return Median(residuals) * std::sqrt(static_cast<double>(residuals.size()) / left);
}

double PixelLength(const CAffineTransform* pInverse, double dx, double dy)
{
    double px, py;
    ToPixels(pInverse, dx, dy, &px, &py);
    return std::hypot(px, py);
}

// Least squares whose two map axes share one design, linear in the
// parameters (the affine fit and the polynomials): the fit without point i
// follows from the full fit's hat matrix H, the projection onto the design's
// columns, without fitting again. Its residual at point j is
// r_j + H_ji r_i / (1 - H_ii); 1 - H_ii near 0 says the other points do not
// determine the model. One factorisation instead of one fit a point.
class CSharedDesignHat
{
public:
    // The points' pixels; false when they do not determine the model.
    bool Factor(const std::vector<const CGeoRefPoint*>& points, FitModel nModel)
    {
        const int terms = nModel == FitModel::Affine ? 3 : (nModel == FitModel::Polynomial2 ? 6 : 10);
        const size_t n = points.size();
        m_nTerms = terms;
        if (n < static_cast<size_t>(terms))
            return false;
        // Centred and scaled, as the fits themselves are, for conditioning.
        double c0 = 0.0, r0 = 0.0;
        for (const CGeoRefPoint* p : points)
            c0 += p->m_nPixelX, r0 += p->m_nPixelY;
        c0 /= static_cast<double>(n), r0 /= static_cast<double>(n);
        double spread = 0.0;
        for (const CGeoRefPoint* p : points)
            spread += (p->m_nPixelX - c0) * (p->m_nPixelX - c0) + (p->m_nPixelY - r0) * (p->m_nPixelY - r0);
        spread = std::sqrt(spread / static_cast<double>(n));
        if (!(spread > 0.0))
            return false;
        m_q.assign(n * static_cast<size_t>(terms), 0.0);
        for (size_t i = 0; i < n; ++i)
        {
            const double u = (points[i]->m_nPixelX - c0) / spread, v = (points[i]->m_nPixelY - r0) / spread;
            double* t = &m_q[i * static_cast<size_t>(terms)];
            t[0] = 1, t[1] = u, t[2] = v;
            if (terms > 3)
                t[3] = u * u, t[4] = u * v, t[5] = v * v;
            if (terms > 6)
                t[6] = u * u * u, t[7] = u * u * v, t[8] = u * v * v, t[9] = v * v * v;
        }
        // Orthonormal columns by Gram-Schmidt, each column twice, which keeps
        // them orthogonal to rounding for these few, scaled columns.
        for (int k = 0; k < terms; ++k)
        {
            const double before = std::sqrt(Dot(k, k));
            for (int pass = 0; pass < 2; ++pass)
                for (int j = 0; j < k; ++j)
                {
                    const double d = Dot(j, k);
                    for (size_t i = 0; i < n; ++i)
                        At(i, k) -= d * At(i, j);
                }
            const double after = std::sqrt(Dot(k, k));
            if (!(after > 1e-10 * before))
                return false;
            for (size_t i = 0; i < n; ++i)
                At(i, k) /= after;
        }
        return true;
    }

    double Hat(size_t i, size_t j) const
    {
        double h = 0.0;
        for (int k = 0; k < m_nTerms; ++k)
            h += m_q[i * static_cast<size_t>(m_nTerms) + k] * m_q[j * static_cast<size_t>(m_nTerms) + k];
        return h;
    }

private:
    double& At(size_t i, int k) { return m_q[i * static_cast<size_t>(m_nTerms) + k]; }
    double Dot(int a, int b) const
    {
        double sum = 0.0;
        for (size_t i = 0; i < m_q.size() / static_cast<size_t>(m_nTerms); ++i)
            sum += m_q[i * static_cast<size_t>(m_nTerms) + a] * m_q[i * static_cast<size_t>(m_nTerms) + b];
        return sum;
    }

    int m_nTerms = 0;
    std::vector<double> m_q;   // n x terms, row after row
};

// Below this, 1 - H_ii is rounding: the point is needed to fit the model.
const double kLeverageRoom = 1e-9;

void FillLeftOut(const CGeoRefArray& geoRef, const CGeoRefArray& fitted, const CAffineTransform* pInverse,
                 CModelFit* pFit)
{
    std::vector<double> others;
    const std::vector<CGeoRefPoint>& points = geoRef.m_points;
    const CWarpTransform* pWarp = fitted.Warp();
    const bool spline = pWarp && pWarp->Kind() == WarpKind::ThinPlateSpline;
    size_t on = 0;   // the point's place among those switched on: the spline's order
    const size_t nOn = static_cast<size_t>(
        std::count_if(points.begin(), points.end(), [](const CGeoRefPoint& p) { return !p.m_bOff; }));
    const bool refit = nOn <= static_cast<size_t>(kLeaveOneOutRefitPoints);
    // The first model's rotation is a mean over pairs: without a point it
    // is the sum less that point's pairs, so the pairs' terms (an arc
    // tangent each) are found once, not once a point.
    const bool downdate = refit && pFit->nModel == FitModel::RotationScales && nOn == points.size();
    // The points switched on, in order, and each point's place among them.
    std::vector<const CGeoRefPoint*> onPoints;
    std::vector<size_t> onIndex(points.size(), 0);
    for (size_t i = 0; i < points.size(); ++i)
        if (!points[i].m_bOff)
        {
            onIndex[i] = onPoints.size();
            onPoints.push_back(&points[i]);
        }
    CSharedDesignHat hat;
    const bool shared = refit &&
                        (pFit->nModel == FitModel::Affine || pFit->nModel == FitModel::Polynomial2 ||
                         pFit->nModel == FitModel::Polynomial3) &&
                        hat.Factor(onPoints, pFit->nModel);
    std::vector<double> pointSums;
    double allSum = 0.0;
    long long allPairs = 0;
    if (downdate)
    {
        CGeoRefArray all(geoRef);
        pointSums.assign(points.size(), 0.0);
        all.ForEachPairRotation([&](size_t a, size_t b, double d) {
            allSum += d;
            pointSums[a] += d;
            pointSums[b] += d;
            ++allPairs;
        });
    }
    for (size_t i = 0; i < points.size(); ++i)
    {
        CPointResidual& r = pFit->residuals[i];
        double dx = r.dX, dy = r.dY;
        r.dOthersPixels = -1.0;
        if (points[i].m_bOff)
        {
            // Left out already: its residual is the one without it.
        }
        else if (spline)
        {
            const size_t k = on++;
            if (k >= pWarp->LeaveOneOutX().size())
                continue;
            dx = pWarp->LeaveOneOutX()[k];
            dy = pWarp->LeaveOneOutY()[k];
        }
        else if (shared)
        {
            const size_t k = onIndex[i];
            const double room = 1.0 - hat.Hat(k, k);
            if (!(room > kLeverageRoom))
                continue;
            dx = r.dX / room;
            dy = r.dY / room;
            others.clear();
            for (size_t j = 0; j < points.size(); ++j)
            {
                if (j == i || points[j].m_bOff)
                    continue;
                const double h = hat.Hat(onIndex[j], k);
                others.push_back(PixelLength(pInverse, pFit->residuals[j].dX + h * dx, pFit->residuals[j].dY + h * dy));
            }
            r.dOthersPixels = Scatter(others, FitModelParameters(pFit->nModel));
        }
        else if (refit && pWarp && pWarp->Kind() == WarpKind::Projective)
        {
            // Gauss-Newton from the fit of every point: a step or two, where
            // the multiplied-out start took several.
            std::vector<CGeoRefPoint> rest;
            rest.reserve(onPoints.size());
            for (size_t j = 0; j < points.size(); ++j)
                if (j != i && !points[j].m_bOff)
                    rest.push_back(points[j]);
            CWarpTransform without;
            if (!CWarpTransform::FitProjectiveFrom(*pWarp, rest, &without))
                continue;
            double x, y;
            without.Map(points[i].m_nPixelX, points[i].m_nPixelY, &x, &y);
            dx = x - points[i].m_dMapX;
            dy = y - points[i].m_dMapY;
            others.clear();
            for (const CGeoRefPoint& p : rest)
            {
                without.Map(p.m_nPixelX, p.m_nPixelY, &x, &y);
                others.push_back(PixelLength(pInverse, x - p.m_dMapX, y - p.m_dMapY));
            }
            r.dOthersPixels = Scatter(others, FitModelParameters(pFit->nModel));
        }
        else if (pFit->nModel != FitModel::FromFile)
        {
            if (!refit)
                continue;
            CGeoRefArray trial(geoRef);
            trial.m_nFitModel = pFit->nModel;
            trial.m_points.erase(trial.m_points.begin() + static_cast<std::ptrdiff_t>(i));
            const long long restPairs = allPairs - static_cast<long long>(points.size() - 1);
            const bool fitted =
                downdate ? restPairs > 0 && trial.FitRotated((allSum - pointSums[i]) / restPairs) : trial.Refit();
            double x, y;
            if (!fitted || !trial.PixelToMap(points[i].m_nPixelX, points[i].m_nPixelY, &x, &y))
                continue;
            dx = x - points[i].m_dMapX;
            dy = y - points[i].m_dMapY;
            const CPixelToMapTransform transform = trial.GetTransform();
            others.clear();
            for (const CGeoRefPoint& p : trial.m_points)
            {
                if (p.m_bOff)
                    continue;
                transform.Map(p.m_nPixelX, p.m_nPixelY, &x, &y);
                others.push_back(PixelLength(pInverse, x - p.m_dMapX, y - p.m_dMapY));
            }
            r.dOthersPixels = Scatter(others, FitModelParameters(pFit->nModel));
        }
        else
        {
            others.clear();
            for (size_t j = 0; j < points.size(); ++j)
                if (j != i && !points[j].m_bOff)
                    others.push_back(PixelLength(pInverse, pFit->residuals[j].dX, pFit->residuals[j].dY));
            r.dOthersPixels = Scatter(others, 0);
        }
        if (!std::isfinite(dx) || !std::isfinite(dy))
            continue;
        r.bLeftOut = true;
        r.dLeftOutX = dx;
        r.dLeftOutY = dy;
        r.dLeftOutLength = std::hypot(dx, dy);
        r.dLeftOutPixels = PixelLength(pInverse, dx, dy);
    }
    if (spline)
    {
        for (size_t i = 0; i < points.size(); ++i)
        {
            if (points[i].m_bOff)
                continue;
            others.clear();
            for (size_t j = 0; j < points.size(); ++j)
                if (j != i && !points[j].m_bOff && pFit->residuals[j].bLeftOut)
                    others.push_back(pFit->residuals[j].dLeftOutPixels);
            pFit->residuals[i].dOthersPixels = Median(others);
        }
    }
}

void FillResiduals(const CGeoRefArray& geoRef, const CGeoRefArray& fitted, bool bLeaveOneOut, CModelFit* pFit)
{
    // The file's georeference is in force without any point: nothing to measure.
    if (geoRef.m_points.empty())
        return;
    CAffineTransform inverse;
    const CAffineTransform* pInverse = pFit->affine.Invert(&inverse) ? &inverse : nullptr;
    const CPixelToMapTransform transform = fitted.GetTransform();
    pFit->residuals.resize(geoRef.m_points.size());
    for (size_t i = 0; i < geoRef.m_points.size(); ++i)
    {
        const CGeoRefPoint& point = geoRef.m_points[i];
        CPointResidual& r = pFit->residuals[i];
        double x, y;
        transform.Map(point.m_nPixelX, point.m_nPixelY, &x, &y);
        r.dX = x - point.m_dMapX;
        r.dY = y - point.m_dMapY;
    }
    // The spline passes through every point: what tells is how far it
    // misses each one without it, which then stands as its residual.
    const bool spline = pFit->nModel == FitModel::ThinPlateSpline;
    if (bLeaveOneOut || spline)
        FillLeftOut(geoRef, fitted, pInverse, pFit);
    // The RMS and the worst point are of the points the fit is made of.
    double sumMap = 0.0, sumPixels = 0.0, worst = 0.0;
    int nFitted = 0;
    for (size_t i = 0; i < geoRef.m_points.size(); ++i)
    {
        CPointResidual& r = pFit->residuals[i];
        const bool off = geoRef.m_points[i].m_bOff;
        if (spline && !off)
        {
            r.dX = r.bLeftOut ? r.dLeftOutX : 0.0;
            r.dY = r.bLeftOut ? r.dLeftOutY : 0.0;
        }
        r.dLength = std::hypot(r.dX, r.dY);
        ToPixels(pInverse, r.dX, r.dY, &r.dPixelX, &r.dPixelY);
        r.dPixelLength = std::hypot(r.dPixelX, r.dPixelY);
        if (off)
            continue;
        ++nFitted;
        sumMap += r.dLength * r.dLength;
        sumPixels += r.dPixelLength * r.dPixelLength;
        if (r.dPixelLength > worst)
        {
            worst = r.dPixelLength;
            pFit->nWorst = static_cast<int>(i);
        }
    }
    const double n = static_cast<double>(std::max(nFitted, 1));
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
    // An ordinary residual hides a wrong point: the fit bends towards it
    // and lays its error on the others. Left out, it shows in full, and the
    // others, fitted without it, agree among themselves; a good point left
    // out still has the wrong one among the rest, whose scatter then covers
    // its own leave-one-out residual.
    if (!fit.bFitted || fit.residuals.size() < 4)
        return;
    for (size_t i = 0; i < fit.residuals.size(); ++i)
    {
        const CPointResidual& own = fit.residuals[i];
        if (own.bLeftOut && own.dOthersPixels >= 0.0 && own.dLeftOutPixels > kOutlierFloorPixels &&
            own.dLeftOutPixels > kOutlierFactor * own.dOthersPixels)
            pHints->push_back(CFitHint{HINT_OUTLIER, static_cast<int>(i)});
    }
}

}   // namespace

CModelFit EvaluateFit(const CGeoRefArray& geoRef, FitModel nModel, bool bLeaveOneOut)
{
    CModelFit fit;
    fit.nModel = nModel;
    const int n = static_cast<int>(
        std::count_if(geoRef.m_points.begin(), geoRef.m_points.end(), [](const CGeoRefPoint& p) { return !p.m_bOff; }));
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
    FillResiduals(geoRef, trial, bLeaveOneOut, &fit);
    return fit;
}

CFitReport EvaluateFits(const CGeoRefArray& geoRef)
{
    CFitReport report;
    report.nChosenModel = geoRef.m_nFitModel;
    for (FitModel model : kFitModels)
    {
        CModelFit& fit = report.models[FitModelIndex(model)];
        const bool chosen = model == geoRef.m_nFitModel;
        if (model == FitModel::ThinPlateSpline && !chosen &&
            std::count_if(geoRef.m_points.begin(), geoRef.m_points.end(),
                          [](const CGeoRefPoint& p) { return !p.m_bOff; }) > kReportSplinePoints)
        {
            fit.nModel = model;
            fit.bSkipped = true;
            continue;
        }
        fit = EvaluateFit(geoRef, model, chosen);
    }

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
