// Transpose: forward-mapping resampling into a north-up grid.
#include "core/raster/Transpose.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "core/parallel/ParallelFor.h"

namespace
{

// Where a source pixel's map position falls in the grid, truncated toward
// zero, so that -0.5 still lands in column 0 and exactly outW is outside.
// The range is tested on the double before converting: the conversion of an
// out-of-range (or NaN) value to int would be undefined.
inline bool GridCell(double mapX, double mapY, double x0, double spanX, double outW, double y0, double spanY,
                     double outH, int* pi, int* pj)
{
    const double gi = (mapX - x0) / spanX * outW;
    const double gj = (mapY - y0) / spanY * outH;
    if (!(gi > -1.0 && gi < outW && gj > -1.0 && gj < outH))
        return false;
    *pi = static_cast<int>(gi);
    *pj = static_cast<int>(gj);
    return true;
}

// The three copies of one source pixel: right neighbour, lower neighbour,
// own cell. They go to three different cells with the same bytes, so their
// order among themselves leaves no trace, and the own cell and its right
// neighbour are written as one run of six bytes. The source bytes are read
// once into registers: the cells are bytes too, so the compiler would
// otherwise read the source again after every store in case the two overlap.
inline void CopyIntoCells(unsigned char* pCells, int outW, int outH, int i, int j, const unsigned char* pSource)
{
    const uint32_t red = pSource[0], green = pSource[1], blue = pSource[2];
    unsigned char* cell = pCells + (static_cast<size_t>(j) * outW + i) * 3;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    // R G B R and G B as little-endian words: six bytes in two stores.
    const uint32_t rgbr = red | green << 8 | blue << 16 | red << 24;
    const uint16_t rg = static_cast<uint16_t>(rgbr), gb = static_cast<uint16_t>(green | blue << 8);
    if (j + 1 < outH)
    {
        unsigned char* below = cell + static_cast<size_t>(outW) * 3;
        std::memcpy(below, &rg, 2);
        below[2] = static_cast<unsigned char>(blue);
    }
    if (i + 1 < outW)
    {
        std::memcpy(cell, &rgbr, 4);
        std::memcpy(cell + 4, &gb, 2);
    }
    else
    {
        std::memcpy(cell, &rg, 2);
        cell[2] = static_cast<unsigned char>(blue);
    }
#else
    const unsigned char pixel[3] = {static_cast<unsigned char>(red), static_cast<unsigned char>(green),
                                    static_cast<unsigned char>(blue)};
    if (j + 1 < outH)
        std::memcpy(cell + static_cast<size_t>(outW) * 3, pixel, 3);
    if (i + 1 < outW)
        std::memcpy(cell + 3, pixel, 3);
    std::memcpy(cell, pixel, 3);
#endif
}

// The copies of one source pixel that land in output rows [j0, j1): a band's
// thread writes no cell of another band.
inline void CopyIntoBand(unsigned char* pCells, int outW, int outH, int i, int j, const unsigned char* pSource, int j0,
                         int j1)
{
    if (j >= j0 && j + 1 < j1)
    {
        CopyIntoCells(pCells, outW, outH, i, j, pSource);
        return;
    }
    const unsigned char pixel[3] = {pSource[0], pSource[1], pSource[2]};
    unsigned char* cell = pCells + (static_cast<size_t>(j) * outW + i) * 3;
    if (j + 1 >= j0 && j + 1 < j1)
        std::memcpy(cell + static_cast<size_t>(outW) * 3, pixel, 3);
    if (j >= j0 && j < j1)
    {
        if (i + 1 < outW)
            std::memcpy(cell + 3, pixel, 3);
        std::memcpy(cell, pixel, 3);
    }
}

bool IsFinite(double d) { return std::isfinite(d); }

// A strip's source row is first needed when its left column reaches it, and
// its later columns need the rest of the row's bytes soon after; the memory
// pages of successive rows lie too far apart for the processor to guess, so
// the row is asked for a few steps ahead.
const int kPrefetchRows = 16;

inline void PrefetchRow(const unsigned char* pStrip, int row, int nHeight, size_t rowBytes, int stripBytes)
{
#if defined(__GNUC__)
    if (row >= nHeight)
        return;
    const unsigned char* p = pStrip + static_cast<size_t>(row) * rowBytes;
    for (int offset = 0; offset < stripBytes; offset += 64)
        __builtin_prefetch(p + offset);
    __builtin_prefetch(p + stripBytes - 1);
#else
    (void)pStrip, (void)row, (void)nHeight, (void)rowBytes, (void)stripBytes;
#endif
}

// From the rotated pixel position (u, v) to the grid cell: map X and Y, then
// the truncated grid position as GridCell has it, both axes side by side in
// the two lanes of an SSE2 register where there is one. Each lane does the
// very operations of the scalar code, so the results are the same.
class GridMapping
{
public:
    GridMapping(const CPixelToMapTransform& t, const CTransposeExtents& e)
        : m_dX0(t.dX0), m_dXScale(t.dXScale), m_dY0(t.dY0), m_dYScale(t.dYScale), m_x0(e.x0), m_y0(e.y0),
          m_spanX(e.x1 - e.x0), m_spanY(e.y1 - e.y0), m_outW(e.outW), m_outH(e.outH)
    {
    }

    // columnTerm: x cos rho, -x sin rho; rowTerm: y sin rho, y cos rho.
    bool Cell(const double* columnTerm, const double* rowTerm, int* pi, int* pj) const
    {
#ifdef __SSE2__
        const __m128d uv = _mm_add_pd(_mm_loadu_pd(columnTerm), _mm_loadu_pd(rowTerm));
        const __m128d map = _mm_add_pd(_mm_set_pd(m_dY0, m_dX0), _mm_mul_pd(_mm_set_pd(m_dYScale, m_dXScale), uv));
        const __m128d size = _mm_set_pd(m_outH, m_outW);
        const __m128d g =
            _mm_mul_pd(_mm_div_pd(_mm_sub_pd(map, _mm_set_pd(m_y0, m_x0)), _mm_set_pd(m_spanY, m_spanX)), size);
        const __m128d inside = _mm_and_pd(_mm_cmpgt_pd(g, _mm_set1_pd(-1.0)), _mm_cmplt_pd(g, size));
        if (_mm_movemask_pd(inside) != 3)
            return false;
        const __m128i ij = _mm_cvttpd_epi32(g);
        *pi = _mm_cvtsi128_si32(ij);
        *pj = _mm_cvtsi128_si32(_mm_srli_si128(ij, 4));
        return true;
#else
        const double mapX = m_dX0 + m_dXScale * (columnTerm[0] + rowTerm[0]);
        const double mapY = m_dY0 + m_dYScale * (columnTerm[1] + rowTerm[1]);
        return GridCell(mapX, mapY, m_x0, m_spanX, m_outW, m_y0, m_spanY, m_outH, pi, pj);
#endif
    }

private:
    double m_dX0, m_dXScale, m_dY0, m_dYScale;
    double m_x0, m_y0, m_spanX, m_spanY, m_outW, m_outH;
};

// The order of the resampling. Cells keep the copy of the last source pixel
// in the order columns-then-rows, and a column-by-column walk touches a new
// cache line and memory page at every pixel. So columns are taken in strips
// that advance together as a wavefront, each column a fixed number of rows
// (the lag) behind its left neighbour: a strip's pixels are then visited
// within a window of rows that stays in cache. This only swaps the order of
// two pixels m columns apart when the left one lies more than m lags below
// the right one. The lag is chosen so that such pixels land more than four
// cells apart on one grid axis, beyond any rounding: m lags of rows outweigh
// m columns' sideways drift there by at least that much. Two pixels that far
// apart never copy into a common cell (each reaches its own cell and the
// next), so the cells are exactly those of the plain order.
const int kMaxStripColumns = 64;

struct Wavefront
{
    int columns = 1;   // 1: the plain column-by-column order
    int lag = 0;
    // The grid row as a straight line in the source pixel, j = j00 +
    // jPerColumn x + jPerRow y, and how far computed rows stray from it.
    double j00 = 0.0, jPerColumn = 0.0, jPerRow = 0.0, jError = 0.0;
};

Wavefront PlanWavefront(const CPixelToMapTransform& t, const CTransposeExtents& e, int nWidth, int nHeight)
{
    const double eps = std::numeric_limits<double>::epsilon();
    const double spanX = e.x1 - e.x0, spanY = e.y1 - e.y0;
    // Change of the grid position per source column and per source row.
    const double iPerColumn = t.dXScale * t.dCos / spanX * e.outW;
    const double iPerRow = -t.dXScale * t.dSin / spanX * e.outW;
    const double jPerColumn = -t.dYScale * t.dSin / spanY * e.outH;
    const double jPerRow = -t.dYScale * t.dCos / spanY * e.outH;
    // How far a computed grid position inside the grid can stray from these
    // straight lines: a few roundings of the largest terms, in cells.
    const double reach = std::fabs(static_cast<double>(t.nImageHeight)) + nHeight + nWidth;
    const double iError =
        16 * eps *
        ((std::fabs(t.dX0) + std::fabs(t.dXScale) * reach + std::fabs(e.x0)) / std::fabs(spanX) * e.outW + e.outW);
    const double jError =
        16 * eps *
        ((std::fabs(t.dY0) + std::fabs(t.dYScale) * reach + std::fabs(e.y0)) / std::fabs(spanY) * e.outH + e.outH);

    Wavefront best;
    best.j00 = (t.dY0 + t.dYScale * t.dCos * static_cast<double>(t.nImageHeight) - e.y0) / spanY * e.outH;
    best.jPerColumn = jPerColumn;
    best.jPerRow = jPerRow;
    best.jError = jError;
    const struct
    {
        double perRow, perColumn, error;
    } axes[2] = {{iPerRow, iPerColumn, iError}, {jPerRow, jPerColumn, jError}};
    for (int columns = std::min(kMaxStripColumns, nWidth); columns > 1; columns /= 2)
    {
        for (const auto& axis : axes)
        {
            if (!(axis.error < 0.5) || !(std::fabs(axis.perRow) > 0.0))
                continue;
            // m (lag |perRow| - |perColumn|) >= 5 + 2 error for every m >= 1.
            const double lag = std::ceil((5.0 + 2.0 * axis.error + std::fabs(axis.perColumn)) / std::fabs(axis.perRow));
            // Worth it only while the window of rows is shorter than the
            // image (which also keeps the count of steps below 2 nHeight).
            if (!(lag >= 1.0 && lag * (columns - 1) < nHeight && nHeight <= INT_MAX / 2))
                continue;
            if (best.columns == 1 || lag < best.lag)
            {
                best.columns = columns;
                best.lag = static_cast<int>(lag);
            }
        }
        if (best.columns > 1)
            break;
    }
    return best;
}

}   // namespace

TransposeStatus CalcTransposeExtents(const CGeoRefArray& geoRef, int nWidth, int nHeight, bool bCropToPoints,
                                     CTransposeExtents* pExtents, long long nMaxPixels)
{
    if (nWidth < 1 || nHeight < 1)
        return TRANSPOSE_NO_IMAGE;
    if (!geoRef.m_bValid)
        return TRANSPOSE_NOT_FITTED;

    CTransposeExtents e;
    long long outW, outH;
    if (!bCropToPoints)
    {
        geoRef.PixelToMap(0, 0, &e.x0, &e.y0);
        geoRef.PixelToMap(nWidth - 1, nHeight - 1, &e.x1, &e.y1);
        // The output's width is the source's height and its height the
        // source's width; world files already made rely on this.
        outW = nHeight;
        outH = nWidth;
    }
    else
    {
        if (geoRef.m_points.empty())
            return TRANSPOSE_NO_POINTS;
        const CGeoRefPoint& first = geoRef.m_points.front();
        e.x0 = e.x1 = first.m_dMapX;
        e.y0 = e.y1 = first.m_dMapY;
        long long minCol = first.m_nPixelX, maxCol = minCol;
        long long minRow = first.m_nPixelY, maxRow = minRow;
        for (const CGeoRefPoint& p : geoRef.m_points)
        {
            e.x0 = std::min(e.x0, p.m_dMapX);
            e.x1 = std::max(e.x1, p.m_dMapX);
            e.y0 = std::max(e.y0, p.m_dMapY);
            e.y1 = std::min(e.y1, p.m_dMapY);
            minCol = std::min<long long>(minCol, p.m_nPixelX);
            maxCol = std::max<long long>(maxCol, p.m_nPixelX);
            minRow = std::min<long long>(minRow, p.m_nPixelY);
            maxRow = std::max<long long>(maxRow, p.m_nPixelY);
        }
        // The span without adding 1 (points at columns 10 and 110 give 100).
        outW = maxCol - minCol;
        outH = maxRow - minRow;
        if (outW == 0)
            return TRANSPOSE_SAME_COLUMN;
        if (outH == 0)
            return TRANSPOSE_SAME_ROW;
    }

    if (!IsFinite(e.x0) || !IsFinite(e.y0) || !IsFinite(e.x1) || !IsFinite(e.y1) || !IsFinite(e.x1 - e.x0) ||
        !IsFinite(e.y1 - e.y0))
        return TRANSPOSE_BAD_MAP_EXTENTS;
    if (e.x1 == e.x0)
        return TRANSPOSE_SAME_MAP_X;
    if (e.y1 == e.y0)
        return TRANSPOSE_SAME_MAP_Y;
    // Both spans are at least 1 here; the division keeps the product from wrapping.
    if (outW > nMaxPixels || outH > nMaxPixels || outW > nMaxPixels / outH || outW > INT_MAX || outH > INT_MAX)
        return TRANSPOSE_TOO_LARGE;

    e.outW = static_cast<int>(outW);
    e.outH = static_cast<int>(outH);
    *pExtents = e;
    return TRANSPOSE_OK;
}

void ResampleNorthUpPerPixel(const unsigned char* pSource, int nWidth, int nHeight, const CGeoRefArray& geoRef,
                             const CTransposeExtents& e, unsigned char* pCells)
{
    for (int x = 0; x < nWidth; ++x)
    {
        for (int y = 0; y < nHeight; ++y)
        {
            double mapX, mapY;
            if (!geoRef.PixelToMap(x, y, &mapX, &mapY))
                return;
            int i, j;
            if (GridCell(mapX, mapY, e.x0, e.x1 - e.x0, e.outW, e.y0, e.y1 - e.y0, e.outH, &i, &j))
                CopyIntoCells(pCells, e.outW, e.outH, i, j, pSource + (static_cast<size_t>(y) * nWidth + x) * 3);
        }
    }
}

namespace
{

// The source rows of columns [x0, x1] whose pixels may copy into output
// rows [j0, j1): those whose grid row lies in [j0 - 1, j1) on the straight
// line, widened by a few cells beyond any rounding. false when none may.
bool BandRows(const Wavefront& plan, int x0, int x1, int j0, int j1, int nHeight, int* pyFirst, int* pyLast)
{
    const double margin = 4.0 + 4.0 * plan.jError;
    const double low = j0 - 2 - margin, high = j1 + margin;
    double yLow = std::numeric_limits<double>::infinity(), yHigh = -yLow;
    for (const int x : {x0, x1})
    {
        const double atRow0 = plan.j00 + plan.jPerColumn * x;
        if (std::fabs(plan.jPerRow) * nHeight < 1e-9)
        {
            // The grid row hardly changes down a column: all rows or none.
            if (atRow0 >= low && atRow0 <= high)
                yLow = 0, yHigh = nHeight - 1.0;
            continue;
        }
        const double a = (low - atRow0) / plan.jPerRow, b = (high - atRow0) / plan.jPerRow;
        yLow = std::min(yLow, std::min(a, b));
        yHigh = std::max(yHigh, std::max(a, b));
    }
    if (!(plan.jError < 0.5) || !IsFinite(plan.j00) || !IsFinite(plan.jPerColumn) || !IsFinite(plan.jPerRow))
        yLow = 0, yHigh = nHeight - 1.0;   // no line to trust: every row
    yLow = std::max(std::floor(yLow) - 1.0, 0.0);
    yHigh = std::min(std::ceil(yHigh) + 1.0, nHeight - 1.0);
    if (!(yLow <= yHigh))
        return false;
    *pyFirst = static_cast<int>(yLow);
    *pyLast = static_cast<int>(yHigh);
    return true;
}

const int kBandRows = 128;

struct BandJob
{
    const unsigned char* pSource;
    int nWidth, nHeight;
    const double* pRowTerms;
    const CPixelToMapTransform* pTransform;
    const CTransposeExtents* pExtents;
    Wavefront plan;
    unsigned char* pCells;
    bool bFillWhite;
    std::atomic<long long>* pColumnsDone;
    long long nColumnsInAll;
    const std::function<void(double)>* pProgress;
};

// Output rows [j0, j1): the source pixels that reach them, each strip of
// columns over the rows that may, in the order of the whole run.
void ResampleBand(const BandJob& job, int j0, int j1)
{
    const CTransposeExtents& e = *job.pExtents;
    const CPixelToMapTransform& t = *job.pTransform;
    const int nOutW = e.outW, nOutH = e.outH;
    if (job.bFillWhite)
        std::memset(job.pCells + static_cast<size_t>(j0) * nOutW * 3, 0xFF, static_cast<size_t>(j1 - j0) * nOutW * 3);
    const GridMapping grid(t, e);
    const int lag = job.plan.lag;
    const int nWidth = job.nWidth;
    const size_t sourceRowBytes = static_cast<size_t>(nWidth) * 3;
    double columnTerms[2 * kMaxStripColumns];
    for (int xFirst = 0; xFirst < nWidth; xFirst += job.plan.columns)
    {
        const int columns = std::min(job.plan.columns, nWidth - xFirst);
        int yFirst, yLast;
        if (BandRows(job.plan, xFirst, xFirst + columns - 1, j0, j1, job.nHeight, &yFirst, &yLast))
        {
            for (int k = 0; k < columns; ++k)
            {
                const double fx = xFirst + k;
                columnTerms[2 * k] = fx * t.dCos;
                columnTerms[2 * k + 1] = -(fx * t.dSin);
            }
            const unsigned char* stripSource = job.pSource + static_cast<size_t>(xFirst) * 3;
            const int rows = yLast - yFirst + 1;
            const int steps = rows + (columns - 1) * lag;
            for (int step = 0; step < steps; ++step)
            {
                PrefetchRow(stripSource, yFirst + step + kPrefetchRows, yLast + 1, sourceRowBytes, columns * 3);
                // Column k of the strip is at row yFirst + step - k lag; left columns first.
                const int kFirst = (step < rows) ? 0 : (step - rows) / lag + 1;
                const int kLast = lag ? std::min(columns - 1, step / lag) : 0;
                for (int k = kFirst; k <= kLast; ++k)
                {
                    const int y = yFirst + step - k * lag;
                    int i, j;
                    if (grid.Cell(columnTerms + 2 * k, job.pRowTerms + 2 * static_cast<size_t>(y), &i, &j))
                        CopyIntoBand(job.pCells, nOutW, nOutH, i, j,
                                     stripSource + (static_cast<size_t>(y) * nWidth + k) * 3, j0, j1);
                }
            }
        }
        if (job.pProgress && *job.pProgress)
        {
            const long long done = (*job.pColumnsDone += columns);
            (*job.pProgress)(static_cast<double>(done) / static_cast<double>(job.nColumnsInAll));
        }
    }
}

// The rotation's row terms (y sin rho, y cos rho) are taken once per row
// and its column terms (x cos rho, -x sin rho) once per column; a pixel
// then costs the same additions, products and divisions as PixelToMap and
// the grid position, on the same values, so every cell comes out as in the
// per-pixel form. (Adding -b is subtracting b, exactly. Neither build
// fuses a product into an addition; where a compiler did so in one path
// only, the two could round apart, and the tests would say so.) Each thread
// makes a band of output rows from the source pixels that reach it, in the
// order of the whole run, so that every cell gets the same last copy.
bool Resample(const unsigned char* pSource, int nWidth, int nHeight, const CPixelToMapTransform& t,
              const CTransposeExtents& e, unsigned char* pCells, int nThreads, bool bFillWhite,
              const std::function<void(double)>* pProgress)
{
    if (t.bAffine)
    {
        // The least-squares models have no rotation to split into row and
        // column terms: each pixel goes through the mapping, in the plain
        // order, on this thread.
        if (bFillWhite)
            std::memset(pCells, 0xFF, static_cast<size_t>(e.outW) * e.outH * 3);
        for (int x = 0; x < nWidth; ++x)
        {
            for (int y = 0; y < nHeight; ++y)
            {
                double mapX, mapY;
                t.Map(x, y, &mapX, &mapY);
                int i, j;
                if (GridCell(mapX, mapY, e.x0, e.x1 - e.x0, e.outW, e.y0, e.y1 - e.y0, e.outH, &i, &j))
                    CopyIntoCells(pCells, e.outW, e.outH, i, j, pSource + (static_cast<size_t>(y) * nWidth + x) * 3);
            }
            if (pProgress && *pProgress && (x % 256 == 255 || x + 1 == nWidth))
                (*pProgress)(static_cast<double>(x + 1) / nWidth);
        }
        return true;
    }
    std::vector<double> rowTerms;
    try
    {
        rowTerms.resize(static_cast<size_t>(nHeight) * 2);
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    for (int y = 0; y < nHeight; ++y)
    {
        const double fy = static_cast<double>(t.nImageHeight) - y;
        rowTerms[2 * static_cast<size_t>(y)] = fy * t.dSin;
        rowTerms[2 * static_cast<size_t>(y) + 1] = fy * t.dCos;
    }
    // Bands of about kBandRows output rows, consecutive ones on one thread:
    // a band's cells and the source rows that reach them stay within few
    // memory pages. Asked for more threads than that gives, thinner bands.
    const int nWorkers = nThreads > 0 ? nThreads : HardwareThreads();
    const long long nBands =
        std::min<long long>(e.outH, std::max<long long>(nWorkers, (e.outH + kBandRows - 1) / kBandRows));
    std::atomic<long long> columnsDone{0};
    const BandJob job = {pSource,
                         nWidth,
                         nHeight,
                         rowTerms.data(),
                         &t,
                         &e,
                         PlanWavefront(t, e, nWidth, nHeight),
                         pCells,
                         bFillWhite,
                         &columnsDone,
                         static_cast<long long>(nWidth) * nBands,
                         pProgress};
    ParallelFor(
        nBands,
        [&](long long first, long long last) {
            for (long long band = first; band < last; ++band)
                ResampleBand(job, static_cast<int>(e.outH * band / nBands),
                             static_cast<int>(e.outH * (band + 1) / nBands));
        },
        nWorkers);
    return true;
}

}   // namespace

bool ResampleNorthUp(const unsigned char* pSource, int nWidth, int nHeight, const CPixelToMapTransform& t,
                     const CTransposeExtents& e, unsigned char* pCells, int nThreads)
{
    return Resample(pSource, nWidth, nHeight, t, e, pCells, nThreads, false, nullptr);
}

int ResampleStripColumns(const CPixelToMapTransform& t, const CTransposeExtents& e, int nWidth, int nHeight)
{
    if (t.bAffine)
        return 1;
    return PlanWavefront(t, e, nWidth, nHeight).columns;
}

TransposeStatus TransposeImage(const unsigned char* pSource, int nWidth, int nHeight, const CGeoRefArray& geoRef,
                               bool bCropToPoints, CTransposedImage* pResult, const CTransposeOptions& options)
{
    pResult->Release();
    pResult->extents = CTransposeExtents();
    if (!pSource)
        return TRANSPOSE_NO_IMAGE;
    CTransposeExtents extents;
    TransposeStatus status = CalcTransposeExtents(geoRef, nWidth, nHeight, bCropToPoints, &extents, options.nMaxPixels);
    if (status != TRANSPOSE_OK)
        return status;

    CTransposedImage cells;
    if (!cells.Allocate(extents.outW, extents.outH))
        return TRANSPOSE_OUT_OF_MEMORY;
    // Cells that no source pixel reaches are white, like paper; each band's
    // thread whitens its own rows first.
    if (!Resample(pSource, nWidth, nHeight, geoRef.GetTransform(), extents, cells.Pixels(), options.nThreads, true,
                  &options.progress))
        return TRANSPOSE_OUT_OF_MEMORY;

    cells.extents = extents;
    *pResult = std::move(cells);
    return TRANSPOSE_OK;
}
