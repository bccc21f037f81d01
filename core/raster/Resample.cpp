#include "core/raster/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

CInverseSampler::CInverseSampler(const CRgbImage& scan, const CAffineTransform& cellToPixel, ResampleMethod nMethod)
    : m_scan(scan), m_toPixel(cellToPixel), m_nMethod(nMethod),
      m_dFootC(std::hypot(cellToPixel.xPerColumn, cellToPixel.xPerRow)),
      m_dFootR(std::hypot(cellToPixel.yPerColumn, cellToPixel.yPerRow))
{
}

CInverseSampler::CInverseSampler(const CRgbImage& scan, const CWarpTransform& warp, double dLeft, double dTop,
                                 double dSize, ResampleMethod nMethod)
    : m_scan(scan), m_nMethod(nMethod), m_pWarp(&warp), m_dLeft(dLeft), m_dTop(dTop), m_dSize(dSize)
{
}

bool CInverseSampler::WarpPosition(int i, int j, double* pc, double* pr) const
{
    if (m_pWarp->MapToPixel(m_dLeft + (i + 0.5) * m_dSize, m_dTop - (j + 0.5) * m_dSize, pc, pr))
        return true;
    *pc = *pr = NAN;
    return false;
}

// The kernels' footprint at a scan position: the scan's steps per cell from
// the inverse of the mapping's Jacobian there, which two forward mappings
// give far more cheaply than a third way back.
void CInverseSampler::WarpFootprint(double c, double r, double* pFootC, double* pFootR) const
{
    *pFootC = *pFootR = 1.0;
    double x, y, xc, yc, xr, yr;
    m_pWarp->Map(c, r, &x, &y);
    m_pWarp->Map(c + 1.0, r, &xc, &yc);
    m_pWarp->Map(c, r + 1.0, &xr, &yr);
    const double det = (xc - x) * (yr - y) - (xr - x) * (yc - y);
    if (std::isfinite(det) && det != 0.0)
    {
        *pFootC = std::hypot(yr - y, xr - x) * m_dSize / std::fabs(det);
        *pFootR = std::hypot(yc - y, xc - x) * m_dSize / std::fabs(det);
    }
}

// Cells a .. a + size - 1 across and b .. b + size - 1 down; the corners are
// the cells a or a + size by b or b + size, NaN where the way back failed.
struct CInverseSampler::CSquare
{
    int a, b, size;
    double c[4], r[4];   // (a, b), (a + size, b), (a, b + size), (a + size, b + size)
};

template <typename Visit>
void CInverseSampler::WarpBlock(int i0, int j0, int i1, int j1, const Visit& visit) const
{
    // Squares at whole multiples of their size, so that a cell's position
    // does not depend on where the piece of output asking for it starts.
    const long long s = kWarpSquareCells;
    const auto first = [s](int k) { return (k >= 0 ? k / s : -((-static_cast<long long>(k) + s - 1) / s)) * s; };
    for (long long b = first(j0); b < j1; b += s)
        for (long long a = first(i0); a < i1; a += s)
        {
            CSquare square{static_cast<int>(a), static_cast<int>(b), kWarpSquareCells, {}, {}};
            for (int k = 0; k < 4; ++k)
                WarpPosition(square.a + (k & 1) * square.size, square.b + (k >> 1) * square.size, &square.c[k],
                             &square.r[k]);
            WarpSquare(square, i0, j0, i1, j1, visit);
        }
}

template <typename Visit>
void CInverseSampler::WarpSquare(const CSquare& q, int i0, int j0, int i1, int j1, const Visit& visit) const
{
    const int ia = std::max(i0, q.a), ib = std::min(i1, q.a + q.size);
    const int ja = std::max(j0, q.b), jb = std::min(j1, q.b + q.size);
    if (ia >= ib || ja >= jb)
        return;
    // The middles of the sides (top, left, right, bottom) and the centre,
    // each held against the interpolation of the corners.
    const int h = q.size / 2;
    double c[5], r[5];
    const int at[5][2] = {{h, 0}, {0, h}, {q.size, h}, {h, q.size}, {h, h}};
    const int ends[5][2] = {{0, 1}, {0, 2}, {1, 3}, {2, 3}, {0, 3}};
    bool straight = true;
    for (int k = 0; k < 5; ++k)
    {
        WarpPosition(q.a + at[k][0], q.b + at[k][1], &c[k], &r[k]);
        double lineC = (q.c[ends[k][0]] + q.c[ends[k][1]]) / 2, lineR = (q.r[ends[k][0]] + q.r[ends[k][1]]) / 2;
        if (k == 4)
            lineC = (q.c[0] + q.c[1] + q.c[2] + q.c[3]) / 4, lineR = (q.r[0] + q.r[1] + q.r[2] + q.r[3]) / 4;
        // NaN, a failed way back, fails the test too.
        if (!(std::fabs(c[k] - lineC) <= kWarpTolerance && std::fabs(r[k] - lineR) <= kWarpTolerance))
            straight = false;
    }
    if (straight)
    {
        // The footprint of every cell in the square: its side's steps.
        const double dcdi = (q.c[1] - q.c[0] + q.c[3] - q.c[2]) / (2.0 * q.size);
        const double dcdj = (q.c[2] - q.c[0] + q.c[3] - q.c[1]) / (2.0 * q.size);
        const double drdi = (q.r[1] - q.r[0] + q.r[3] - q.r[2]) / (2.0 * q.size);
        const double drdj = (q.r[2] - q.r[0] + q.r[3] - q.r[1]) / (2.0 * q.size);
        const double footC = std::hypot(dcdi, dcdj), footR = std::hypot(drdi, drdj);
        const double inverse = 1.0 / q.size;   // a power of two: exact
        for (int j = ja; j < jb; ++j)
        {
            const double t = (j - q.b) * inverse;
            const double leftC = q.c[0] + t * (q.c[2] - q.c[0]), leftR = q.r[0] + t * (q.r[2] - q.r[0]);
            const double rightC = q.c[1] + t * (q.c[3] - q.c[1]), rightR = q.r[1] + t * (q.r[3] - q.r[1]);
            const double stepC = (rightC - leftC) * inverse, stepR = (rightR - leftR) * inverse;
            for (int i = ia; i < ib; ++i)
                visit(i, j, leftC + (i - q.a) * stepC, leftR + (i - q.a) * stepR, footC, footR, true);
        }
        return;
    }
    if (q.size > kWarpSmallestSquare)
    {
        // Quarters, their corners among the positions already found.
        const double allC[9] = {q.c[0], c[0], q.c[1], c[1], c[4], c[2], q.c[2], c[3], q.c[3]};
        const double allR[9] = {q.r[0], r[0], q.r[1], r[1], r[4], r[2], q.r[2], r[3], q.r[3]};
        for (int k = 0; k < 4; ++k)
        {
            const int x = k & 1, y = k >> 1;
            CSquare quarter{q.a + x * h, q.b + y * h, h, {}, {}};
            for (int m = 0; m < 4; ++m)
            {
                const int n = (y + (m >> 1)) * 3 + x + (m & 1);
                quarter.c[m] = allC[n], quarter.r[m] = allR[n];
            }
            WarpSquare(quarter, i0, j0, i1, j1, visit);
        }
        return;
    }
    for (int j = ja; j < jb; ++j)
        for (int i = ia; i < ib; ++i)
        {
            double cc, rr, footC = 1.0, footR = 1.0;
            const bool ok = WarpPosition(i, j, &cc, &rr);
            if (ok && m_nMethod != RESAMPLE_NEAREST)
                WarpFootprint(cc, rr, &footC, &footR);
            visit(i, j, cc, rr, footC, footR, ok);
        }
}

void CInverseSampler::SampleRow(int i0, int j, int nCount, unsigned char* pRgba) const
{
    if (m_pWarp)
    {
        SampleBlock(i0, j, nCount, 1, pRgba, static_cast<size_t>(nCount) * 4);
        return;
    }
    // The row's terms once; each cell then adds its own column term, so a
    // cell's position is the same whichever piece of the row asks for it.
    const double rowC = m_toPixel.x0 + m_toPixel.xPerRow * j;
    const double rowR = m_toPixel.y0 + m_toPixel.yPerRow * j;
    for (int k = 0; k < nCount; ++k, pRgba += 4)
    {
        const double i = static_cast<double>(i0 + k);
        Sample(rowC + m_toPixel.xPerColumn * i, rowR + m_toPixel.yPerColumn * i, m_dFootC, m_dFootR, pRgba);
    }
}

void CInverseSampler::SampleBlock(int i0, int j0, int nWidth, int nHeight, unsigned char* pRgba, size_t cbRow) const
{
    if (nWidth < 1 || nHeight < 1)
        return;
    if (!m_pWarp)
    {
        for (int y = 0; y < nHeight; ++y)
            SampleRow(i0, j0 + y, nWidth, pRgba + cbRow * static_cast<size_t>(y));
        return;
    }
    WarpBlock(i0, j0, i0 + nWidth, j0 + nHeight,
              [&](int i, int j, double c, double r, double footC, double footR, bool ok) {
                  unsigned char* cell = pRgba + cbRow * static_cast<size_t>(j - j0) + static_cast<size_t>(i - i0) * 4;
                  if (ok)
                      Sample(c, r, footC, footR, cell);
                  else
                      std::memset(cell, 0, 4);
              });
}

void CInverseSampler::CellPositions(int i0, int j0, int nWidth, int nHeight, double* pColumns, double* pRows) const
{
    const auto put = [&](int i, int j, double c, double r, bool ok) {
        const size_t k = static_cast<size_t>(j - j0) * static_cast<size_t>(nWidth) + static_cast<size_t>(i - i0);
        pColumns[k] = ok ? c : NAN;
        pRows[k] = ok ? r : NAN;
    };
    if (nWidth < 1 || nHeight < 1)
        return;
    if (m_pWarp)
    {
        WarpBlock(i0, j0, i0 + nWidth, j0 + nHeight,
                  [&](int i, int j, double c, double r, double, double, bool ok) { put(i, j, c, r, ok); });
        return;
    }
    for (int j = j0; j < j0 + nHeight; ++j)
        for (int i = i0; i < i0 + nWidth; ++i)
            put(i, j, m_toPixel.x0 + m_toPixel.xPerRow * j + m_toPixel.xPerColumn * i,
                m_toPixel.y0 + m_toPixel.yPerRow * j + m_toPixel.yPerColumn * i, true);
}

namespace
{
// GDAL's warper keeps its 2 x 2 and 4 x 4 kernels down to a scale of 0.95
// and widens beyond: the same bound keeps a slightly rotated export as sharp
// as its scan.
const double kWidenFootprint = 1.0 / 0.95;
}   // namespace

void CInverseSampler::Sample(double c, double r, double footC, double footR, unsigned char* pRgba) const
{
    // Inside when (c, r) rounds to a pixel of the scan. Tested on the
    // doubles: NaN, and values no int can hold, fail here.
    const double tc = c + 0.5, tr = r + 0.5;
    if (!(tc >= 0.0 && tc < m_scan.Width() && tr >= 0.0 && tr < m_scan.Height()))
    {
        std::memset(pRgba, 0, 4);
        return;
    }
    if (m_nMethod != RESAMPLE_NEAREST && (footC > kWidenFootprint || footR > kWidenFootprint))
    {
        Widened(c, r, footC, footR, pRgba);
        pRgba[3] = 255;
        return;
    }
    switch (m_nMethod)
    {
    case RESAMPLE_BILINEAR: Bilinear(c, r, pRgba); break;
    case RESAMPLE_CUBIC: Cubic(c, r, pRgba); break;
    default: Nearest(tc, tr, pRgba); break;
    }
    pRgba[3] = 255;
}

void CInverseSampler::Nearest(double tc, double tr, unsigned char* pOut) const
{
    // tc and tr are at least 0 here: truncation is the floor.
    const int ic = std::min(static_cast<int>(tc), m_scan.Width() - 1);
    const int ir = std::min(static_cast<int>(tr), m_scan.Height() - 1);
    std::memcpy(pOut, m_scan.Row(ir) + static_cast<size_t>(ic) * 3, 3);
}

namespace
{

// Bilinear weights in steps of 1/2048: the two products of a channel (255 x
// 2048 x 2048) fit a 32-bit int, and the weights' rounding moves a result
// by less than a tenth of a level.
const int kWeightBits = 11;
const int kWeightOne = 1 << kWeightBits;

inline int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Keys' cubic convolution kernel with a = -0.5 at distance t.
inline float CubicWeight(float t)
{
    t = std::fabs(t);
    if (t <= 1.0f)
        return (1.5f * t - 2.5f) * t * t + 1.0f;
    if (t < 2.0f)
        return ((-0.5f * t + 2.5f) * t - 4.0f) * t + 2.0f;
    return 0.0f;
}

}   // namespace

void CInverseSampler::Bilinear(double c, double r, unsigned char* pOut) const
{
    const double fc = std::floor(c), fr = std::floor(r);
    const int wx = static_cast<int>((c - fc) * kWeightOne + 0.5);
    const int wy = static_cast<int>((r - fr) * kWeightOne + 0.5);
    const int lastC = m_scan.Width() - 1, lastR = m_scan.Height() - 1;
    // c and r are at least -0.5 here, so fc and fr are at least -1.
    const int c0 = Clamp(static_cast<int>(fc), 0, lastC), c1 = Clamp(static_cast<int>(fc) + 1, 0, lastC);
    const int r0 = Clamp(static_cast<int>(fr), 0, lastR), r1 = Clamp(static_cast<int>(fr) + 1, 0, lastR);
    const unsigned char* top = m_scan.Row(r0);
    const unsigned char* bottom = m_scan.Row(r1);
    const size_t o0 = static_cast<size_t>(c0) * 3, o1 = static_cast<size_t>(c1) * 3;
    for (int k = 0; k < 3; ++k)
    {
        const int t = top[o0 + k] * kWeightOne + wx * (top[o1 + k] - top[o0 + k]);
        const int b = bottom[o0 + k] * kWeightOne + wx * (bottom[o1 + k] - bottom[o0 + k]);
        const int v = t * kWeightOne + wy * (b - t);
        pOut[k] = static_cast<unsigned char>((v + (1 << (2 * kWeightBits - 1))) >> (2 * kWeightBits));
    }
}

void CInverseSampler::Cubic(double c, double r, unsigned char* pOut) const
{
    const double fc = std::floor(c), fr = std::floor(r);
    const float dx = static_cast<float>(c - fc), dy = static_cast<float>(r - fr);
    float wx[4], wy[4];
    for (int k = 0; k < 4; ++k)
    {
        wx[k] = CubicWeight(dx - (k - 1));
        wy[k] = CubicWeight(dy - (k - 1));
    }
    const int lastC = m_scan.Width() - 1, lastR = m_scan.Height() - 1;
    size_t offsets[4];
    for (int k = 0; k < 4; ++k)
        offsets[k] = static_cast<size_t>(Clamp(static_cast<int>(fc) + k - 1, 0, lastC)) * 3;
    float sum[3] = {0.0f, 0.0f, 0.0f};
    for (int m = 0; m < 4; ++m)
    {
        const unsigned char* row = m_scan.Row(Clamp(static_cast<int>(fr) + m - 1, 0, lastR));
        float across[3] = {0.0f, 0.0f, 0.0f};
        for (int k = 0; k < 4; ++k)
            for (int ch = 0; ch < 3; ++ch)
                across[ch] += wx[k] * row[offsets[k] + ch];
        for (int ch = 0; ch < 3; ++ch)
            sum[ch] += wy[m] * across[ch];
    }
    // The kernel overshoots at sharp edges: clamp to the byte's range.
    for (int ch = 0; ch < 3; ++ch)
        pOut[ch] = static_cast<unsigned char>(Clamp(static_cast<int>(std::floor(sum[ch] + 0.5f)), 0, 255));
}

namespace
{
// The taps of a widened kernel along one axis: the scan's indices (the edge
// repeated beyond it) and their weights, summing to one.
class CKernelTaps
{
public:
    CKernelTaps(double x, double foot, int last, bool bCubic)
    {
        const double radius = (bCubic ? 2.0 : 1.0) * foot;
        const double first = std::ceil(x - radius);
        const int count = static_cast<int>(std::floor(x + radius) - first) + 1;
        if (count > kInline)
        {
            m_heap.resize(static_cast<size_t>(count));
            m_pTaps = m_heap.data();
        }
        double sum = 0.0;
        for (int k = 0; k < count; ++k)
        {
            const double t = std::fabs((first + k - x) / foot);
            const double w = bCubic ? CubicWeight(static_cast<float>(t)) : std::max(0.0, 1.0 - t);
            if (w == 0.0)
                continue;
            m_pTaps[m_nCount++] = {Clamp(static_cast<int>(first) + k, 0, last), w};
            sum += w;
        }
        for (int k = 0; k < m_nCount; ++k)
            m_pTaps[k].weight /= sum;
    }

    struct CTap
    {
        int index;
        double weight;
    };
    int Count() const { return m_nCount; }
    const CTap& operator[](int k) const { return m_pTaps[k]; }

private:
    static const int kInline = 48;
    CTap m_inline[kInline];
    std::vector<CTap> m_heap;
    CTap* m_pTaps = m_inline;
    int m_nCount = 0;
};

// A cell finer than a scan pixel on one axis keeps that axis's kernel (NaN
// too); beyond 64 pixels a cell the taps would cost far more than the few
// cells of such an output are worth.
inline double KernelFootprint(double foot) { return foot > 1.0 ? std::min(foot, 64.0) : 1.0; }
}   // namespace

void CInverseSampler::Widened(double c, double r, double footC, double footR, unsigned char* pOut) const
{
    const bool bCubic = m_nMethod == RESAMPLE_CUBIC;
    const CKernelTaps across(c, KernelFootprint(footC), m_scan.Width() - 1, bCubic);
    const CKernelTaps down(r, KernelFootprint(footR), m_scan.Height() - 1, bCubic);
    double sum[3] = {0.0, 0.0, 0.0};
    for (int m = 0; m < down.Count(); ++m)
    {
        const unsigned char* row = m_scan.Row(down[m].index);
        double along[3] = {0.0, 0.0, 0.0};
        for (int k = 0; k < across.Count(); ++k)
        {
            const unsigned char* pixel = row + static_cast<size_t>(across[k].index) * 3;
            for (int ch = 0; ch < 3; ++ch)
                along[ch] += across[k].weight * pixel[ch];
        }
        for (int ch = 0; ch < 3; ++ch)
            sum[ch] += down[m].weight * along[ch];
    }
    for (int ch = 0; ch < 3; ++ch)
        pOut[ch] = static_cast<unsigned char>(Clamp(static_cast<int>(std::floor(sum[ch] + 0.5)), 0, 255));
}

bool CRgbaImage::Allocate(int nWidth, int nHeight)
{
    m_cells = std::vector<unsigned char>();
    m_nWidth = m_nHeight = 0;
    if (nWidth < 1 || nHeight < 1 || !ImageSizeFits(nWidth, nHeight, 4))
        return false;
    try
    {
        m_cells.resize(static_cast<size_t>(nWidth) * static_cast<size_t>(nHeight) * 4);
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    m_nWidth = nWidth;
    m_nHeight = nHeight;
    return true;
}

void HalveRgba(const unsigned char* pSource, size_t cbSourceRow, int nWidth, int nHeight, unsigned char* pTarget,
               size_t cbTargetRow)
{
    for (int y = 0; y < nHeight; y += 2)
    {
        const unsigned char* rows[2] = {pSource + cbSourceRow * static_cast<size_t>(y),
                                        pSource + cbSourceRow * static_cast<size_t>(y + (y + 1 < nHeight ? 1 : 0))};
        const int rowCount = y + 1 < nHeight ? 2 : 1;
        unsigned char* out = pTarget + cbTargetRow * static_cast<size_t>(y / 2);
        for (int x = 0; x < nWidth; x += 2, out += 4)
        {
            const int columnCount = x + 1 < nWidth ? 2 : 1;
            unsigned weighted[3] = {0, 0, 0}, alpha = 0;
            for (int m = 0; m < rowCount; ++m)
                for (int k = 0; k < columnCount; ++k)
                {
                    const unsigned char* cell = rows[m] + static_cast<size_t>(x + k) * 4;
                    for (int ch = 0; ch < 3; ++ch)
                        weighted[ch] += cell[ch] * cell[3];
                    alpha += cell[3];
                }
            const unsigned n = static_cast<unsigned>(rowCount * columnCount);
            for (int ch = 0; ch < 3; ++ch)
                out[ch] = static_cast<unsigned char>(alpha ? (weighted[ch] + alpha / 2) / alpha : 0);
            out[3] = static_cast<unsigned char>((alpha + n / 2) / n);
        }
    }
}
