#include "core/georef/WarpTransform.h"

#include <algorithm>
#include <cmath>

#include "core/georef/FitModel.h"

namespace
{

// Least squares by Householder QR: a is rows x cols, row after row, and is
// overwritten; each right-hand side (rows long) becomes its solution in its
// first cols entries. False when a column is (nearly) a combination of the
// others: the points do not determine the coefficients.
bool SolveLeastSquares(std::vector<double>& a, int rows, int cols, std::vector<std::vector<double>*> rhs)
{
    if (rows < cols)
        return false;
    std::vector<double> diag(cols);
    double largest = 0.0;
    for (int k = 0; k < cols; ++k)
    {
        // Scaled by the column's largest entry, so that squaring neither
        // overflows nor underflows: std::hypot for each entry was most of
        // the time of a refit, far more so in the Windows runtime.
        double most = 0.0;
        for (int i = k; i < rows; ++i)
            most = std::max(most, std::fabs(a[i * cols + k]));
        double norm = 0.0;
        if (most > 0.0 && std::isfinite(most))
        {
            const double inverse = 1.0 / most;
            double sum = 0.0;
            for (int i = k; i < rows; ++i)
            {
                const double scaled = a[i * cols + k] * inverse;
                sum += scaled * scaled;
            }
            norm = most * std::sqrt(sum);
        }
        else if (!(most == 0.0))
            return false;   // NaN or infinity in the column
        const double alpha = a[k * cols + k] > 0 ? -norm : norm;
        diag[k] = alpha;
        largest = std::max(largest, norm);
        if (norm == 0.0)
            continue;
        a[k * cols + k] -= alpha;   // the Householder vector is column k from row k on
        double vv = 0.0;
        for (int i = k; i < rows; ++i)
            vv += a[i * cols + k] * a[i * cols + k];
        auto reflect = [&](auto at) {
            double dot = 0.0;
            for (int i = k; i < rows; ++i)
                dot += a[i * cols + k] * at(i);
            const double f = 2.0 * dot / vv;
            for (int i = k; i < rows; ++i)
                at(i) -= f * a[i * cols + k];
        };
        for (int j = k + 1; j < cols; ++j)
            reflect([&](int i) -> double& { return a[i * cols + j]; });
        for (std::vector<double>* b : rhs)
            reflect([&](int i) -> double& { return (*b)[i]; });
    }
    for (int k = 0; k < cols; ++k)
        if (!(std::fabs(diag[k]) > 1e-10 * largest))
            return false;
    for (std::vector<double>* b : rhs)
    {
        for (int k = cols - 1; k >= 0; --k)
        {
            double s = (*b)[k];
            for (int j = k + 1; j < cols; ++j)
                s -= a[k * cols + j] * (*b)[j];
            (*b)[k] = s / diag[k];
        }
        if (!std::all_of(b->begin(), b->begin() + cols, [](double d) { return std::isfinite(d); }))
            return false;
    }
    return true;
}

// The same least squares through the normal equations (A'A x = A'b, by
// Cholesky), for the steps of Gauss-Newton: a quarter of the work of QR, and
// a step's rounding does not move the minimum the steps settle on. a is left
// as it is; b becomes the solution in its first cols entries. False when A'A
// is not positive definite to rounding.
bool SolveNormalEquations(const std::vector<double>& a, int rows, int cols, std::vector<double>& b)
{
    std::vector<double> m(size_t(cols) * cols, 0.0), y(cols, 0.0);
    for (int i = 0; i < rows; ++i)
    {
        const double* row = &a[size_t(i) * cols];
        for (int j = 0; j < cols; ++j)
        {
            if (row[j] == 0.0)
                continue;
            for (int k = 0; k <= j; ++k)
                m[size_t(j) * cols + k] += row[j] * row[k];
            y[j] += row[j] * b[i];
        }
    }
    double largest = 0.0;
    for (int j = 0; j < cols; ++j)
        largest = std::max(largest, m[size_t(j) * cols + j]);
    // L L' = m, L in the lower triangle.
    for (int j = 0; j < cols; ++j)
    {
        double d = m[size_t(j) * cols + j];
        for (int k = 0; k < j; ++k)
            d -= m[size_t(j) * cols + k] * m[size_t(j) * cols + k];
        if (!(d > 1e-14 * largest))
            return false;
        d = std::sqrt(d);
        m[size_t(j) * cols + j] = d;
        for (int i = j + 1; i < cols; ++i)
        {
            double v = m[size_t(i) * cols + j];
            for (int k = 0; k < j; ++k)
                v -= m[size_t(i) * cols + k] * m[size_t(j) * cols + k];
            m[size_t(i) * cols + j] = v / d;
        }
    }
    for (int i = 0; i < cols; ++i)
    {
        for (int k = 0; k < i; ++k)
            y[i] -= m[size_t(i) * cols + k] * y[k];
        y[i] /= m[size_t(i) * cols + i];
    }
    for (int i = cols - 1; i >= 0; --i)
    {
        for (int k = i + 1; k < cols; ++k)
            y[i] -= m[size_t(k) * cols + i] * y[k];
        y[i] /= m[size_t(i) * cols + i];
    }
    if (!std::all_of(y.begin(), y.end(), [](double v) { return std::isfinite(v); }))
        return false;
    std::copy(y.begin(), y.end(), b.begin());
    return true;
}

// LU decomposition with partial pivoting of the n x n matrix m, in place.
bool DecomposeLu(std::vector<double>& m, int n, std::vector<int>* pPivot)
{
    pPivot->resize(n);
    double largest = 0.0;
    for (double d : m)
        largest = std::max(largest, std::fabs(d));
    for (int k = 0; k < n; ++k)
    {
        int p = k;
        for (int i = k + 1; i < n; ++i)
            if (std::fabs(m[size_t(i) * n + k]) > std::fabs(m[size_t(p) * n + k]))
                p = i;
        (*pPivot)[k] = p;
        if (!(std::fabs(m[size_t(p) * n + k]) > 1e-13 * largest))
            return false;   // two points on one pixel, or all on one line
        if (p != k)
            std::swap_ranges(m.begin() + size_t(k) * n, m.begin() + size_t(k + 1) * n, m.begin() + size_t(p) * n);
        const double pivot = m[size_t(k) * n + k];
        for (int i = k + 1; i < n; ++i)
        {
            double* row = &m[size_t(i) * n];
            const double f = (row[k] /= pivot);
            if (f == 0.0)
                continue;
            const double* top = &m[size_t(k) * n];
            for (int j = k + 1; j < n; ++j)
                row[j] -= f * top[j];
        }
    }
    return true;
}

void SolveLu(const std::vector<double>& m, int n, const std::vector<int>& pivot, double* b)
{
    for (int k = 0; k < n; ++k)
        std::swap(b[k], b[pivot[k]]);
    for (int i = 1; i < n; ++i)
        for (int j = 0; j < i; ++j)
            b[i] -= m[size_t(i) * n + j] * b[j];
    for (int i = n - 1; i >= 0; --i)
    {
        for (int j = i + 1; j < n; ++j)
            b[i] -= m[size_t(i) * n + j] * b[j];
        b[i] /= m[size_t(i) * n + i];
    }
}

int TermCount(WarpKind nKind) { return nKind == WarpKind::Polynomial3 ? 10 : 6; }

// 1, u, v, u^2, u v, v^2, u^3, u^2 v, u v^2, v^3: GDAL's order of terms.
void Terms(int count, double u, double v, double* t)
{
    t[0] = 1, t[1] = u, t[2] = v, t[3] = u * u, t[4] = u * v, t[5] = v * v;
    if (count > 6)
        t[6] = u * u * u, t[7] = u * u * v, t[8] = u * v * v, t[9] = v * v * v;
}

// The spline's radial function of the squared distance.
double Kernel(double d2) { return d2 > 0.0 ? d2 * std::log(d2) : 0.0; }

// Mean and root-mean-square distance from it of a set of positions.
void Normalisation(const std::vector<CGeoRefPoint>& points, bool bMap, double* pX0, double* pY0, double* pScale)
{
    double sx = 0, sy = 0;
    for (const CGeoRefPoint& p : points)
    {
        sx += bMap ? p.m_dMapX : p.m_nPixelX;
        sy += bMap ? p.m_dMapY : p.m_nPixelY;
    }
    const double n = static_cast<double>(points.size());
    *pX0 = sx / n;
    *pY0 = sy / n;
    double s2 = 0;
    for (const CGeoRefPoint& p : points)
    {
        const double dx = (bMap ? p.m_dMapX : p.m_nPixelX) - *pX0, dy = (bMap ? p.m_dMapY : p.m_nPixelY) - *pY0;
        s2 += dx * dx + dy * dy;
    }
    const double scale = std::sqrt(s2 / n);
    *pScale = scale > 0.0 && std::isfinite(scale) ? scale : 1.0;
}

}   // namespace

bool CWarpTransform::FitWith(WarpKind nKind, const std::vector<CGeoRefPoint>& points, const CWarpTransform* pStart,
                             CWarpTransform* pWarp)
{
    const int n = static_cast<int>(points.size());
    if (n < WarpMinimumPoints(nKind))
        return false;
    CWarpTransform w;
    w.m_nKind = nKind;
    // The affine fit describes every kind and seeds the inverse; points it
    // cannot fit (all on one line) determine none of these either.
    if (!FitAffine(points, &w.m_affine))
        return false;
    Normalisation(points, false, &w.m_c0, &w.m_r0, &w.m_pixelScale);
    Normalisation(points, true, &w.m_x0, &w.m_y0, &w.m_mapScale);
    std::vector<double> u(n), v(n), X(n), Y(n);
    for (int i = 0; i < n; ++i)
    {
        u[i] = (points[i].m_nPixelX - w.m_c0) / w.m_pixelScale;
        v[i] = (points[i].m_nPixelY - w.m_r0) / w.m_pixelScale;
        X[i] = (points[i].m_dMapX - w.m_x0) / w.m_mapScale;
        Y[i] = (points[i].m_dMapY - w.m_y0) / w.m_mapScale;
    }

    if (nKind == WarpKind::Polynomial2 || nKind == WarpKind::Polynomial3)
    {
        const int m = TermCount(nKind);
        std::vector<double> a(size_t(n) * m);
        for (int i = 0; i < n; ++i)
            Terms(m, u[i], v[i], &a[size_t(i) * m]);
        std::vector<double> bx = X, by = Y;
        if (!SolveLeastSquares(a, n, m, {&bx, &by}))
            return false;
        w.m_coefX.assign(bx.begin(), bx.begin() + m);
        w.m_coefY.assign(by.begin(), by.begin() + m);
    }
    else if (nKind == WarpKind::Projective)
    {
        // X = (a0 + a1 u + a2 v) / (1 + c1 u + c2 v), Y likewise with b.
        // Multiplied out it is linear: that solution starts Gauss-Newton on
        // the map distances themselves, which it equals for four points.
        std::vector<double> a(size_t(2 * n) * 8, 0.0), b(2 * n);
        for (int i = 0; i < n; ++i)
        {
            double* rx = &a[size_t(2 * i) * 8];
            double* ry = rx + 8;
            rx[0] = 1, rx[1] = u[i], rx[2] = v[i], rx[6] = -u[i] * X[i], rx[7] = -v[i] * X[i];
            ry[3] = 1, ry[4] = u[i], ry[5] = v[i], ry[6] = -u[i] * Y[i], ry[7] = -v[i] * Y[i];
            b[2 * i] = X[i];
            b[2 * i + 1] = Y[i];
        }
        std::vector<double> p;
        if (pStart && pStart->m_nKind == WarpKind::Projective)
            p = pStart->ProjectiveIn(w);
        if (p.empty())
        {
            if (!SolveLeastSquares(a, 2 * n, 8, {&b}))
                return false;
            p.assign(b.begin(), b.begin() + 8);
        }
        auto misfit = [&](const std::vector<double>& q, std::vector<double>* pJ, std::vector<double>* pR) {
            double sum = 0.0;
            for (int i = 0; i < n; ++i)
            {
                const double d = 1.0 + q[6] * u[i] + q[7] * v[i];
                if (!(d > 0.0))
                    return -1.0;   // the horizon between the centre and a point
                const double fx = (q[0] + q[1] * u[i] + q[2] * v[i]) / d;
                const double fy = (q[3] + q[4] * u[i] + q[5] * v[i]) / d;
                if (pJ)
                {
                    double* jx = &(*pJ)[size_t(2 * i) * 8];
                    double* jy = jx + 8;
                    std::fill(jx, jx + 16, 0.0);
                    jx[0] = 1 / d, jx[1] = u[i] / d, jx[2] = v[i] / d;
                    jy[3] = 1 / d, jy[4] = u[i] / d, jy[5] = v[i] / d;
                    jx[6] = -u[i] * fx / d, jx[7] = -v[i] * fx / d;
                    jy[6] = -u[i] * fy / d, jy[7] = -v[i] * fy / d;
                    (*pR)[2 * i] = X[i] - fx;
                    (*pR)[2 * i + 1] = Y[i] - fy;
                }
                sum += (X[i] - fx) * (X[i] - fx) + (Y[i] - fy) * (Y[i] - fy);
            }
            return sum;
        };
        double current = misfit(p, nullptr, nullptr);
        if (current < 0.0 && pStart)
            return FitWith(nKind, points, nullptr, pWarp);   // the start is no start for these points
        if (current < 0.0)
            return false;
        if (n > 4)
        {
            std::vector<double> jac(size_t(2 * n) * 8), r(2 * n);
            for (int iteration = 0; iteration < 100; ++iteration)
            {
                misfit(p, &jac, &r);
                if (!SolveNormalEquations(jac, 2 * n, 8, r) && !SolveLeastSquares(jac, 2 * n, 8, {&r}))
                    return false;
                // Halved until the misfit falls, so that a step never
                // crosses the horizon or climbs.
                double step = 1.0, next = -1.0;
                std::vector<double> q(8);
                for (int halving = 0; halving < 30; ++halving, step /= 2)
                {
                    for (int k = 0; k < 8; ++k)
                        q[k] = p[k] + step * r[k];
                    next = misfit(q, nullptr, nullptr);
                    if (next >= 0.0 && next <= current)
                        break;
                }
                if (!(next >= 0.0 && next <= current))
                    break;   // no step improves: at the minimum to rounding
                double change = 0.0, size = 0.0;
                for (int k = 0; k < 8; ++k)
                {
                    change = std::hypot(change, q[k] - p[k]);
                    size = std::hypot(size, p[k]);
                }
                p = q;
                current = next;
                if (change <= 1e-12 * (1.0 + size))
                    break;
            }
        }
        w.m_coefX.assign(p.begin(), p.begin() + 3);
        w.m_coefY.assign(p.begin() + 3, p.begin() + 6);
        w.m_denominator[0] = p[6];
        w.m_denominator[1] = p[7];
    }
    else
    {
        // [K P; P' 0] [weights; affine] = [map; 0], K the kernel between points.
        const int size = n + 3;
        std::vector<double> m(size_t(size) * size, 0.0);
        for (int i = 0; i < n; ++i)
        {
            double* row = &m[size_t(i) * size];
            for (int j = 0; j < n; ++j)
            {
                const double du = u[i] - u[j], dv = v[i] - v[j];
                row[j] = Kernel(du * du + dv * dv);
            }
            row[n] = 1, row[n + 1] = u[i], row[n + 2] = v[i];
            m[size_t(n) * size + i] = 1;
            m[size_t(n + 1) * size + i] = u[i];
            m[size_t(n + 2) * size + i] = v[i];
        }
        std::vector<int> pivot;
        if (!DecomposeLu(m, size, &pivot))
            return false;
        std::vector<double> bx(size, 0.0), by(size, 0.0);
        std::copy(X.begin(), X.end(), bx.begin());
        std::copy(Y.begin(), Y.end(), by.begin());
        SolveLu(m, size, pivot, bx.data());
        SolveLu(m, size, pivot, by.data());
        if (!std::all_of(bx.begin(), bx.end(), [](double d) { return std::isfinite(d); }) ||
            !std::all_of(by.begin(), by.end(), [](double d) { return std::isfinite(d); }))
            return false;
        w.m_coefX = bx;
        w.m_coefY = by;
        w.m_centreU = u;
        w.m_centreV = v;
        // Leaving point i out moves the spline there by its weight over the
        // i-th diagonal entry of the system's inverse (Rippa 1999, which
        // holds with the affine part too). With three points there is
        // nothing left to fit once one goes.
        if (n > 3 && n <= kSplineLeaveOneOutPoints)
        {
            w.m_looX.resize(n);
            w.m_looY.resize(n);
            std::vector<double> e(size);
            for (int i = 0; i < n; ++i)
            {
                std::fill(e.begin(), e.end(), 0.0);
                e[i] = 1.0;
                SolveLu(m, size, pivot, e.data());
                w.m_looX[i] = -bx[i] / e[i] * w.m_mapScale;
                w.m_looY[i] = -by[i] / e[i] * w.m_mapScale;
            }
        }
    }
    *pWarp = std::move(w);
    return true;
}

std::vector<double> CWarpTransform::ProjectiveIn(const CWarpTransform& other) const
{
    // This mapping as a 3 x 3 matrix on raw pixels and map positions: its
    // own normalisations undone, the other's applied; then scaled so that
    // the denominator's constant is 1 again.
    const double h[3][3] = {{m_coefX[1], m_coefX[2], m_coefX[0]},
                            {m_coefY[1], m_coefY[2], m_coefY[0]},
                            {m_denominator[0], m_denominator[1], 1.0}};
    const double fromPixel[3][3] = {{other.m_pixelScale / m_pixelScale, 0.0, (other.m_c0 - m_c0) / m_pixelScale},
                                    {0.0, other.m_pixelScale / m_pixelScale, (other.m_r0 - m_r0) / m_pixelScale},
                                    {0.0, 0.0, 1.0}};
    const double toMap[3][3] = {{m_mapScale / other.m_mapScale, 0.0, (m_x0 - other.m_x0) / other.m_mapScale},
                                {0.0, m_mapScale / other.m_mapScale, (m_y0 - other.m_y0) / other.m_mapScale},
                                {0.0, 0.0, 1.0}};
    double t[3][3] = {}, g[3][3] = {};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k)
                t[i][j] += h[i][k] * fromPixel[k][j];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k)
                g[i][j] += toMap[i][k] * t[k][j];
    if (!(std::fabs(g[2][2]) > 1e-12) || !std::isfinite(g[2][2]))
        return {};
    const double s = 1.0 / g[2][2];
    return {g[0][2] * s, g[0][0] * s, g[0][1] * s, g[1][2] * s, g[1][0] * s, g[1][1] * s, g[2][0] * s, g[2][1] * s};
}

bool CWarpTransform::RawParameters(std::vector<double>* pX, std::vector<double>* pY, double pDenominator[2]) const
{
    if (m_nKind == WarpKind::Projective)
    {
        const std::vector<double> p = ProjectiveIn(CWarpTransform());   // the identity normalisation
        if (p.empty())
            return false;
        pX->assign(p.begin(), p.begin() + 3);
        pY->assign(p.begin() + 3, p.begin() + 6);
        pDenominator[0] = p[6], pDenominator[1] = p[7];
        return true;
    }
    if (m_nKind != WarpKind::Polynomial2 && m_nKind != WarpKind::Polynomial3)
        return false;
    // Each term u^i v^j multiplied out, u = (column - c0) / s as a
    // polynomial in the column (coefficients by power), v likewise.
    const int m = static_cast<int>(m_coefX.size());
    const int exponents[10][2] = {{0, 0}, {1, 0}, {0, 1}, {2, 0}, {1, 1}, {0, 2}, {3, 0}, {2, 1}, {1, 2}, {0, 3}};
    const auto powers = [](double shift, double scale, double out[4][4]) {
        // out[n][k]: the coefficient of x^k in ((x - shift) / scale)^n.
        for (int n = 0; n < 4; ++n)
            for (int k = 0; k < 4; ++k)
                out[n][k] = 0.0;
        out[0][0] = 1.0;
        for (int n = 1; n < 4; ++n)
            for (int k = 0; k <= n; ++k)
                out[n][k] = ((k > 0 ? out[n - 1][k - 1] : 0.0) - shift * out[n - 1][k]) / scale;
    };
    double pu[4][4], pv[4][4];
    powers(m_c0, m_pixelScale, pu);
    powers(m_r0, m_pixelScale, pv);
    pX->assign(m, 0.0);
    pY->assign(m, 0.0);
    for (int term = 0; term < m; ++term)
    {
        const int i = exponents[term][0], j = exponents[term][1];
        for (int raw = 0; raw < m; ++raw)
        {
            const int a = exponents[raw][0], b = exponents[raw][1];
            if (a > i || b > j)
                continue;
            const double f = pu[i][a] * pv[j][b];
            (*pX)[raw] += m_mapScale * m_coefX[term] * f;
            (*pY)[raw] += m_mapScale * m_coefY[term] * f;
        }
    }
    (*pX)[0] += m_x0;
    (*pY)[0] += m_y0;
    pDenominator[0] = pDenominator[1] = 0.0;
    return true;
}

void CWarpTransform::MapNormalised(double u, double v, double* pX, double* pY) const
{
    switch (m_nKind)
    {
    case WarpKind::Polynomial2:
    case WarpKind::Polynomial3:
    {
        double t[10];
        const int m = static_cast<int>(m_coefX.size());
        Terms(m, u, v, t);
        double x = 0, y = 0;
        for (int k = 0; k < m; ++k)
        {
            x += m_coefX[k] * t[k];
            y += m_coefY[k] * t[k];
        }
        *pX = x, *pY = y;
        return;
    }
    case WarpKind::Projective:
    {
        const double d = 1.0 + m_denominator[0] * u + m_denominator[1] * v;
        if (!(d > 0.0))
        {
            *pX = *pY = NAN;   // beyond the horizon: no map position
            return;
        }
        *pX = (m_coefX[0] + m_coefX[1] * u + m_coefX[2] * v) / d;
        *pY = (m_coefY[0] + m_coefY[1] * u + m_coefY[2] * v) / d;
        return;
    }
    case WarpKind::ThinPlateSpline:
    {
        const size_t n = m_centreU.size();
        double x = m_coefX[n] + m_coefX[n + 1] * u + m_coefX[n + 2] * v;
        double y = m_coefY[n] + m_coefY[n + 1] * u + m_coefY[n + 2] * v;
        for (size_t i = 0; i < n; ++i)
        {
            const double du = u - m_centreU[i], dv = v - m_centreV[i];
            const double k = Kernel(du * du + dv * dv);
            x += m_coefX[i] * k;
            y += m_coefY[i] * k;
        }
        *pX = x, *pY = y;
        return;
    }
    }
}

void CWarpTransform::MapNormalisedWithJacobian(double u, double v, double* pX, double* pY, double jacobian[4]) const
{
    // jacobian: dX/du, dX/dv, dY/du, dY/dv.
    switch (m_nKind)
    {
    case WarpKind::Polynomial2:
    case WarpKind::Polynomial3:
    {
        double t[10], tu[10], tv[10];
        const int m = static_cast<int>(m_coefX.size());
        Terms(m, u, v, t);
        tu[0] = 0, tu[1] = 1, tu[2] = 0, tu[3] = 2 * u, tu[4] = v, tu[5] = 0;
        tv[0] = 0, tv[1] = 0, tv[2] = 1, tv[3] = 0, tv[4] = u, tv[5] = 2 * v;
        if (m > 6)
        {
            tu[6] = 3 * u * u, tu[7] = 2 * u * v, tu[8] = v * v, tu[9] = 0;
            tv[6] = 0, tv[7] = u * u, tv[8] = 2 * u * v, tv[9] = 3 * v * v;
        }
        double x = 0, y = 0, xu = 0, xv = 0, yu = 0, yv = 0;
        for (int k = 0; k < m; ++k)
        {
            x += m_coefX[k] * t[k], xu += m_coefX[k] * tu[k], xv += m_coefX[k] * tv[k];
            y += m_coefY[k] * t[k], yu += m_coefY[k] * tu[k], yv += m_coefY[k] * tv[k];
        }
        *pX = x, *pY = y;
        jacobian[0] = xu, jacobian[1] = xv, jacobian[2] = yu, jacobian[3] = yv;
        return;
    }
    case WarpKind::Projective:
    {
        const double d = 1.0 + m_denominator[0] * u + m_denominator[1] * v;
        MapNormalised(u, v, pX, pY);
        jacobian[0] = (m_coefX[1] - *pX * m_denominator[0]) / d;
        jacobian[1] = (m_coefX[2] - *pX * m_denominator[1]) / d;
        jacobian[2] = (m_coefY[1] - *pY * m_denominator[0]) / d;
        jacobian[3] = (m_coefY[2] - *pY * m_denominator[1]) / d;
        return;
    }
    case WarpKind::ThinPlateSpline:
    {
        const size_t n = m_centreU.size();
        double x = m_coefX[n] + m_coefX[n + 1] * u + m_coefX[n + 2] * v;
        double y = m_coefY[n] + m_coefY[n + 1] * u + m_coefY[n + 2] * v;
        double xu = m_coefX[n + 1], xv = m_coefX[n + 2], yu = m_coefY[n + 1], yv = m_coefY[n + 2];
        for (size_t i = 0; i < n; ++i)
        {
            const double du = u - m_centreU[i], dv = v - m_centreV[i];
            const double d2 = du * du + dv * dv;
            if (!(d2 > 0.0))
                continue;   // the kernel and its slope vanish at the centre
            // d2 log d2, and its slope 2 (log d2 + 1) along du and dv.
            const double logD2 = std::log(d2);
            const double k = d2 * logD2, slope = 2.0 * (logD2 + 1.0);
            x += m_coefX[i] * k, y += m_coefY[i] * k;
            xu += m_coefX[i] * slope * du, xv += m_coefX[i] * slope * dv;
            yu += m_coefY[i] * slope * du, yv += m_coefY[i] * slope * dv;
        }
        *pX = x, *pY = y;
        jacobian[0] = xu, jacobian[1] = xv, jacobian[2] = yu, jacobian[3] = yv;
        return;
    }
    }
}

void CWarpTransform::Map(double column, double row, double* pdX, double* pdY) const
{
    double X, Y;
    MapNormalised((column - m_c0) / m_pixelScale, (row - m_r0) / m_pixelScale, &X, &Y);
    *pdX = m_x0 + m_mapScale * X;
    *pdY = m_y0 + m_mapScale * Y;
}

bool CWarpTransform::MapToPixel(double x, double y, double* pdColumn, double* pdRow) const
{
    const double X = (x - m_x0) / m_mapScale, Y = (y - m_y0) / m_mapScale;
    if (!std::isfinite(X) || !std::isfinite(Y))
        return false;
    double u, v;
    if (m_nKind == WarpKind::Projective)
    {
        // The inverse of the 3 x 3 matrix [a1 a2 a0; b1 b2 b0; c1 c2 1] by its adjugate.
        const double a0 = m_coefX[0], a1 = m_coefX[1], a2 = m_coefX[2];
        const double b0 = m_coefY[0], b1 = m_coefY[1], b2 = m_coefY[2];
        const double c1 = m_denominator[0], c2 = m_denominator[1];
        const double pu = (b2 - b0 * c2) * X + (a0 * c2 - a2) * Y + (a2 * b0 - a0 * b2);
        const double pv = (b0 * c1 - b1) * X + (a1 - a0 * c1) * Y + (a0 * b1 - a1 * b0);
        const double s = (b1 * c2 - b2 * c1) * X + (a2 * c1 - a1 * c2) * Y + (a1 * b2 - a2 * b1);
        u = pu / s, v = pv / s;
        if (!std::isfinite(u) || !std::isfinite(v) || !(1.0 + c1 * u + c2 * v > 0.0))
            return false;
    }
    else
    {
        CAffineTransform inverse;
        if (!m_affine.Invert(&inverse))
            return false;
        u = (inverse.x0 + inverse.xPerColumn * x + inverse.xPerRow * y - m_c0) / m_pixelScale;
        v = (inverse.y0 + inverse.yPerColumn * x + inverse.yPerRow * y - m_r0) / m_pixelScale;
        // Newton in the normalised plane; a step that does not bring the
        // position closer is halved.
        bool settled = false;
        double fx, fy, jac[4];
        MapNormalisedWithJacobian(u, v, &fx, &fy, jac);
        // Normalised positions are of the order of 1: a plain root is safe,
        // and far quicker than std::hypot, a good part of an export's time.
        const auto distance = [](double dx, double dy) { return std::sqrt(dx * dx + dy * dy); };
        double misfit = distance(X - fx, Y - fy);
        for (int iteration = 0; iteration < 60 && !settled && misfit != 0.0; ++iteration)
        {
            const double det = jac[0] * jac[3] - jac[1] * jac[2];
            if (!std::isfinite(det) || det == 0.0)
                return false;
            const double du = (jac[3] * (X - fx) - jac[1] * (Y - fy)) / det;
            const double dv = (jac[0] * (Y - fy) - jac[2] * (X - fx)) / det;
            double step = 1.0;
            for (int halving = 0; halving < 20; ++halving, step /= 2)
            {
                double gx, gy, gjac[4];
                MapNormalisedWithJacobian(u + step * du, v + step * dv, &gx, &gy, gjac);
                const double next = distance(X - gx, Y - gy);
                if (next <= misfit || halving == 19)
                {
                    u += step * du, v += step * dv;
                    fx = gx, fy = gy;
                    std::copy(gjac, gjac + 4, jac);
                    misfit = next;
                    break;
                }
            }
            settled = distance(step * du, step * dv) <= 1e-14 * (1.0 + distance(u, v));
        }
        // Judged by how far the found pixel maps from the position asked for.
        if (!(misfit <= 1e-9 * (1.0 + std::hypot(X, Y))))
            return false;
    }
    *pdColumn = m_c0 + m_pixelScale * u;
    *pdRow = m_r0 + m_pixelScale * v;
    return true;
}
