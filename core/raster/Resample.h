// Inverse mapping: every output cell takes its colour from the scan at the
// position its centre maps back to, so an output has neither holes nor
// stretched pixels. Cells whose centre falls outside the scan are
// transparent. Output cells are RGBA, 8 bits a channel.
#pragma once

#include <cstddef>
#include <vector>

#include "core/georef/AffineTransform.h"
#include "core/georef/WarpTransform.h"
#include "core/raster/RgbImage.h"

enum ResampleMethod
{
    RESAMPLE_NEAREST = 0,
    RESAMPLE_BILINEAR = 1,
    RESAMPLE_CUBIC = 2,   // Keys' cubic convolution (a = -0.5), 4 x 4 pixels
};

// Scan pixel (c, r) is a sample at position (c, r): its content lies at
// Map(c, r), as digitised vertices do. A cell is inside the scan when that
// position rounds to a pixel of the scan, i.e. when it lies within half a
// pixel of the scan's pixel centres; there it is opaque (alpha 255). The
// kernels of bilinear and cubic repeat the edge pixels beyond the scan.
// Where a cell spans more than about a scan pixel along an axis of the scan
// (its footprint: the length of that scan coordinate's step per cell, the
// same whatever the rotation), bilinear and cubic widen by that footprint on
// that axis, their weights summed to one, so that a coarser output does not
// alias.
class CInverseSampler
{
public:
    // cellToPixel: from a cell (i, j) of the output to the scan position of
    // its centre. The scan must outlive the sampler.
    CInverseSampler(const CRgbImage& scan, const CAffineTransform& cellToPixel, ResampleMethod nMethod);
    // Through a fit that is not affine: cell (i, j) has its centre at map
    // (dLeft + (i + 0.5) dSize, dTop - (j + 0.5) dSize). The output is cut
    // into squares of kWarpSquareCells cells on a side, at whole multiples of
    // it; a square's corners are taken back to the scan exactly, and its
    // cells interpolated bilinearly between them where its centre and the
    // middles of its sides lie within kWarpTolerance pixels of that
    // interpolation; elsewhere it is halved, down to kWarpSmallestSquare
    // cells, below which every cell is taken back on its own. The warp must
    // outlive the sampler.
    CInverseSampler(const CRgbImage& scan, const CWarpTransform& warp, double dLeft, double dTop, double dSize,
                    ResampleMethod nMethod);
    static const int kWarpSquareCells = 256;
    static const int kWarpSmallestSquare = 4;
    static constexpr double kWarpTolerance = 1e-4;

    // RGBA of the cells (i0 .. i0 + nCount - 1, j). Each cell's value depends
    // on (i, j) alone, never on how the output is cut into pieces.
    void SampleRow(int i0, int j, int nCount, unsigned char* pRgba) const;
    // The same for a block of nWidth x nHeight cells from (i0, j0), its rows
    // cbRow bytes apart: through a warp, a square's corners are taken back
    // once for all its rows.
    void SampleBlock(int i0, int j0, int nWidth, int nHeight, unsigned char* pRgba, size_t cbRow) const;
    // The scan positions the sampler takes the block's cells from, row after
    // row (NaN where the way back finds none): what the tests hold against
    // the exact inverse.
    void CellPositions(int i0, int j0, int nWidth, int nHeight, double* pColumns, double* pRows) const;

private:
    void Sample(double c, double r, double footC, double footR, unsigned char* pRgba) const;
    bool WarpPosition(int i, int j, double* pc, double* pr) const;
    struct CSquare;
    template <typename Visit>
    void WarpBlock(int i0, int j0, int i1, int j1, const Visit& visit) const;
    template <typename Visit>
    void WarpSquare(const CSquare& square, int i0, int j0, int i1, int j1, const Visit& visit) const;
    void WarpFootprint(double c, double r, double* pFootC, double* pFootR) const;
    void Nearest(double tc, double tr, unsigned char* pOut) const;
    void Bilinear(double c, double r, unsigned char* pOut) const;
    void Cubic(double c, double r, unsigned char* pOut) const;
    void Widened(double c, double r, double footC, double footR, unsigned char* pOut) const;

    const CRgbImage& m_scan;
    CAffineTransform m_toPixel;
    ResampleMethod m_nMethod;
    double m_dFootC = 1.0, m_dFootR = 1.0;   // through the affine fit
    const CWarpTransform* m_pWarp = nullptr;
    double m_dLeft = 0.0, m_dTop = 0.0, m_dSize = 0.0;
};

// An RGBA image as a value: nWidth x nHeight cells of 4 bytes, top row first.
class CRgbaImage
{
public:
    // False, and empty, when the buffer cannot be had.
    bool Allocate(int nWidth, int nHeight);
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    size_t RowBytes() const { return static_cast<size_t>(m_nWidth) * 4; }
    unsigned char* Row(int j) { return m_cells.data() + RowBytes() * static_cast<size_t>(j); }
    const unsigned char* Row(int j) const { return m_cells.data() + RowBytes() * static_cast<size_t>(j); }

private:
    int m_nWidth = 0;
    int m_nHeight = 0;
    std::vector<unsigned char> m_cells;
};

// Halves a block of RGBA cells (nWidth x nHeight from pSource, cbSourceRow
// bytes a row) into (nWidth + 1) / 2 x (nHeight + 1) / 2 cells at pTarget:
// each target cell is the mean of the two by two (fewer at an odd edge)
// cells under it, their colours weighted by alpha so that transparent
// cells do not darken the edge of the scan.
void HalveRgba(const unsigned char* pSource, size_t cbSourceRow, int nWidth, int nHeight, unsigned char* pTarget,
               size_t cbTargetRow);
