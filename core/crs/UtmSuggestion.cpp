#include "core/crs/UtmSuggestion.h"

#include <algorithm>
#include <cmath>

int UtmZoneAt(double dLongitude, double dLatitude)
{
    if (!(dLongitude >= -180.0 && dLongitude <= 180.0) || !(dLatitude >= -80.0 && dLatitude <= 84.0))
        return 0;
    const int zone = std::min(60, static_cast<int>(std::floor((dLongitude + 180.0) / 6.0)) + 1);
    return (dLatitude >= 0.0 ? 32600 : 32700) + zone;
}

int SuggestUtmZone(const std::vector<CGeoRefPoint>& points)
{
    bool bAny = false;
    double west = 0, east = 0, south = 0, north = 0;
    for (const CGeoRefPoint& p : points)
    {
        if (p.m_bOff)
            continue;
        west = bAny ? std::min(west, p.m_dMapX) : p.m_dMapX;
        east = bAny ? std::max(east, p.m_dMapX) : p.m_dMapX;
        south = bAny ? std::min(south, p.m_dMapY) : p.m_dMapY;
        north = bAny ? std::max(north, p.m_dMapY) : p.m_dMapY;
        bAny = true;
    }
    return bAny ? UtmZoneAt((west + east) / 2.0, (south + north) / 2.0) : 0;
}

std::string UtmZoneName(int nEpsg)
{
    const bool bSouth = nEpsg >= 32700;
    return "UTM " + std::to_string(nEpsg - (bSouth ? 32700 : 32600)) + (bSouth ? "S" : "N");
}
