#include "core/view/InputRules.h"

#include <algorithm>
#include <cmath>

#include "core/georef/GeoRefArray.h"
#include "core/georef/NumberFormat.h"

ImagePixel ClientPointToPixel(int x, int y, int nScrollX, int nScrollY, int nZoom)
{
    return ImagePixel{(x + nScrollX) / nZoom, (y + nScrollY) / nZoom};
}

std::string FormatMapReadout(double dMapX, double dMapY, double dRotation)
{
    const double dDegrees = dRotation * 180.0 / kPi;
    return FormatFixed(dMapX, 6) + ", " + FormatFixed(dMapY, 6) + " r=" + FormatFixed(dDegrees, 2) + " deg";
}

namespace
{
// d°mm'ss" and the hemisphere, the seconds rounded (59.6" carries into the minute).
std::string FormatDms(double dDegrees, const char* pszPositive, const char* pszNegative)
{
    long long seconds = std::llround(std::fabs(dDegrees) * 3600.0);
    const long long d = seconds / 3600, m = seconds / 60 % 60;
    seconds %= 60;
    auto two = [](long long v) { return (v < 10 ? "0" : "") + std::to_string(v); };
    const bool bNegative = dDegrees < 0 && (d | m | seconds) != 0;
    return std::to_string(d) + "\xC2\xB0" + two(m) + "'" + two(seconds) + "\"" +
           (bNegative ? pszNegative : pszPositive);
}
}   // namespace

std::string FormatTypedReadout(double dX, double dY, bool bGeographic)
{
    if (!bGeographic)
        return "E " + FormatFixed(dX, 2) + " N " + FormatFixed(dY, 2);
    return FormatDms(dY, "N", "S") + " " + FormatDms(dX, "E", "W");
}

int HitMarker(const std::vector<CGeoRefPoint>& points, int x, int y, int nScrollX, int nScrollY, int nZoom, int nRadius,
              const CShownGrid& grid)
{
    int best = -1;
    long long bestDistance = 0;
    for (size_t i = 0; i < points.size(); ++i)
    {
        // Where the marker is drawn: the pixel's corner at the zoom.
        const ImagePixel shown = FullToShown(grid, points[i].m_nPixelX, points[i].m_nPixelY);
        const long long dx = static_cast<long long>(shown.column) * nZoom - nScrollX - x;
        const long long dy = static_cast<long long>(shown.row) * nZoom - nScrollY - y;
        const long long distance = dx * dx + dy * dy;
        if (distance <= static_cast<long long>(nRadius) * nRadius && (best < 0 || distance < bestDistance))
        {
            best = static_cast<int>(i);
            bestDistance = distance;
        }
    }
    return best;
}

namespace
{
int Clamp(int value, int low, int high) { return std::max(low, std::min(value, high)); }
}

void PlaceBesidePoint(int x, int y, int nClearance, int cx, int cy, const ScreenRect& work, int* pLeft, int* pTop)
{
    // Room on each side of the cleared square, and the place on that side.
    const int right = work.right - (x + nClearance), left = (x - nClearance) - work.left;
    const int below = work.bottom - (y + nClearance), above = (y - nClearance) - work.top;
    const int alongY = Clamp(y - cy / 2, work.top, work.bottom - cy);
    const int alongX = Clamp(x - cx / 2, work.left, work.right - cx);
    struct Side
    {
        int room, size, left, top;
    } sides[] = {
        {right, cx, x + nClearance, alongY},
        {left, cx, x - nClearance - cx, alongY},
        {below, cy, alongX, y + nClearance},
        {above, cy, alongX, y - nClearance - cy},
    };
    const Side* chosen = nullptr;
    for (const Side& side : sides)
        if (side.room >= side.size)
        {
            chosen = &side;
            break;
        }
    if (!chosen)
    {
        chosen = &sides[0];
        for (const Side& side : sides)
            if (side.room - side.size > chosen->room - chosen->size)
                chosen = &side;
    }
    // A dialog larger than the screen shows its top-left corner.
    *pLeft = std::max(work.left, std::min(chosen->left, work.right - cx));
    *pTop = std::max(work.top, std::min(chosen->top, work.bottom - cy));
}
