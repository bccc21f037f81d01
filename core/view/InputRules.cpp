#include "core/view/InputRules.h"

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
