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

namespace
{
// Pixels: far below what moves a sample, of nearest neighbour or any kernel.
const double kWarpNodeTolerance = 1e-3;
}   // namespace

bool CInverseSampler::WarpPosition(double i, int j, double* pc, double* pr) const
{
    return m_pWarp->MapToPixel(m_dLeft + (i + 0.5) * m_dSize, m_dTop - (j + 0.5) * m_dSize, pc, pr);
}

void CInverseSampler::SampleRow(int i0, int j, int nCount, unsigned char* pRgba) const
{
    if (m_pWarp)
    {
        // Nodes at whole multiples of kWarpNodeCells, so that a cell's
        // position does not depend on where its piece of the row starts.
        const int step = kWarpNodeCells;
        long long node = -1;
        bool both = false;
        double c0 = 0, r0 = 0, c1 = 0, r1 = 0;
        double footC = 1.0, footR = 1.0;
        // A node's end is the next node's start: taken back once.
        long long endNode = -1;
        bool endOk = false;
        for (int k = 0; k < nCount; ++k, pRgba += 4)
        {
            const int i = i0 + k;
            const long long a = (static_cast<long long>(i) / step) * step;
            if (a != node)
            {
                // Straight between the nodes only where the middle cell lies
                // within kWarpNodeTolerance of the line; elsewhere every cell
                // is taken back on its own.
                node = a;
                double cm, rm;
                const bool start = a == endNode ? endOk : WarpPosition(static_cast<double>(a), j, &c0, &r0);
                if (a == endNode)
                    c0 = c1, r0 = r1;
                endOk = WarpPosition(static_cast<double>(a + step), j, &c1, &r1);
                endNode = a + step;
                both = start && endOk && WarpPosition(static_cast<double>(a + step / 2), j, &cm, &rm) &&
                       std::hypot((c0 + c1) / 2 - cm, (r0 + r1) / 2 - rm) <= kWarpNodeTolerance;
                // The kernels' footprint, once a node: the scan's steps per
                // cell from the inverse of the mapping's Jacobian there, which
                // two forward mappings give far more cheaply than a third way back.
                footC = footR = 1.0;
                if (m_nMethod != RESAMPLE_NEAREST && start)
                {
                    double x, y, xc, yc, xr, yr;
                    m_pWarp->Map(c0, r0, &x, &y);
                    m_pWarp->Map(c0 + 1.0, r0, &xc, &yc);
                    m_pWarp->Map(c0, r0 + 1.0, &xr, &yr);
                    const double det = (xc - x) * (yr - y) - (xr - x) * (yc - y);
                    if (std::isfinite(det) && det != 0.0)
                    {
                        footC = std::hypot(yr - y, xr - x) * m_dSize / std::fabs(det);
                        footR = std::hypot(yc - y, xc - x) * m_dSize / std::fabs(det);
                    }
                }
            }
            double c, r;
            if (both)
            {
                const double t = static_cast<double>(i - a) / step;
                c = c0 + t * (c1 - c0);
                r = r0 + t * (r1 - r0);
            }
            else if (!WarpPosition(i, j, &c, &r))
            {
                std::memset(pRgba, 0, 4);
                continue;
            }
            Sample(c, r, footC, footR, pRgba);
        }
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
