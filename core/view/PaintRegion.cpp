#include "core/view/PaintRegion.h"

#include <algorithm>
#include <cstring>

#include "core/raster/DibRows.h"

PixelRange PaintedPixelRange(int nScrollX, int nScrollY, int nUpdateLeft, int nUpdateTop, int nUpdateRight,
                             int nUpdateBottom, int nZoom, int nWidth, int nHeight)
{
    // Integer division truncating toward zero; a range reaching outside the
    // image is cut to it.
    PixelRange range;
    range.left = std::max((nScrollX + nUpdateLeft - nZoom) / nZoom, 0);
    range.right = std::min((nScrollX + nUpdateRight + nZoom) / nZoom, nWidth);
    range.top = std::max((nScrollY + nUpdateTop - nZoom) / nZoom, 0);
    range.bottom = std::min((nScrollY + nUpdateBottom + nZoom) / nZoom, nHeight);
    return range;
}

size_t ExpandPixelsToBgr(const unsigned char* pRgb, int nWidth, const PixelRange& range, int nZoom,
                         std::vector<unsigned char>& out)
{
    if (range.IsEmpty())
    {
        out.clear();
        return 0;
    }
    const size_t columns = static_cast<size_t>(range.right - range.left);
    const size_t zoom = static_cast<size_t>(nZoom);
    const size_t stride = DibRowStride(columns * zoom);
    out.resize(stride * static_cast<size_t>(range.bottom - range.top) * zoom);
    unsigned char* pOut = out.data();
    for (int row = range.top; row < range.bottom; ++row)
    {
        const unsigned char* pIn = pRgb + 3 * (static_cast<size_t>(nWidth) * row + range.left);
        unsigned char* pLine = pOut;
        for (size_t c = 0; c < columns; ++c, pIn += 3)
            for (size_t m = 0; m < zoom; ++m, pLine += 3)
            {
                pLine[0] = pIn[2];
                pLine[1] = pIn[1];
                pLine[2] = pIn[0];
            }
        std::memset(pLine, 0, stride - static_cast<size_t>(pLine - pOut));
        // The other rows of the block are copies of the first.
        for (size_t n = 1; n < zoom; ++n)
            std::memcpy(pOut + n * stride, pOut, stride);
        pOut += zoom * stride;
    }
    return stride;
}
