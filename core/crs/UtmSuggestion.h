// The output system offered when control points are typed in degrees and
// none is chosen: the WGS 84 UTM zone of the points' centre, where the
// map is flat enough for the fit.
#pragma once

#include <string>
#include <vector>

#include "core/georef/GeoRefPoint.h"

// EPSG code of the WGS 84 UTM zone holding (longitude, latitude): 326zz
// north of the equator, 327zz south of it; a longitude on a zone's
// western edge belongs to that zone, 180 to zone 60. 0 outside the zones'
// latitudes (84N, 80S) or for a place that is not on the globe.
int UtmZoneAt(double dLongitude, double dLatitude);

// The zone at the centre of the bounding box of the points switched on,
// their map coordinates taken as longitude and latitude; 0 without any.
int SuggestUtmZone(const std::vector<CGeoRefPoint>& points);

// The zone of such a code as users name it: 32633 "UTM 33N", 32733 "UTM 33S".
std::string UtmZoneName(int nEpsg);
