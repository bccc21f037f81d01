// Where the choice of coordinate system is kept: per image in its settings
// file (key "crs", value "EPSG:<code>", absent for none; key "points_crs" for
// the system the control points are typed in where it is another), and the
// recently used codes in the program's profile ("27700,4326").
#pragma once

#include <string>
#include <vector>

#include "core/crs/CrsCatalogue.h"
#include "core/georef/CrsRef.h"
#include "core/georef/ImageSettings.h"

extern const char kCrsSettingKey[];
extern const char kPointsCrsSettingKey[];

// "EPSG:27700" for 27700, "" (the key removed) for none.
std::string FormatCrsSetting(int nCode);
// The code of "EPSG:<code>" (prefix in any case), 0 for anything else.
int ParseCrsSetting(const std::string& strValue);

// The EPSG code a WKT text (WKT1 or WKT2, as a points file's "#CRS:" line
// carries it) gives the system itself: its outermost ID or AUTHORITY, not
// those of its datum or units. 0 when it names none.
int EpsgOfWkt(const std::string& strWkt);

// The image's system as the settings name it; none when the key is absent
// or names a code the catalogue does not hold.
CCrsRef CrsFromSettings(const CImageSettings& settings, const CCrsCatalogue& catalogue);
// Sets or removes (none) the key; every other key stays as it was.
void StoreCrsSetting(CImageSettings& settings, const CCrsRef& crs);

// The system the control points are typed in: the output system when the
// key is absent (every settings file written before there were two) or
// names a code the catalogue does not hold.
CCrsRef PointsCrsFromSettings(const CImageSettings& settings, const CCrsCatalogue& catalogue, const CCrsRef& output);
// Sets the key, or removes it when the points are typed in the output system.
void StorePointsCrsSetting(CImageSettings& settings, const CCrsRef& points, const CCrsRef& output);

// How many recently used systems are kept.
const size_t kMaxRecentCrs = 5;
// The codes of "27700,4326": unreadable items and repeats are dropped, at
// most kMaxRecentCrs kept.
std::vector<int> ParseRecentCrs(const std::string& strText);
std::string FormatRecentCrs(const std::vector<int>& codes);
// nCode first, an earlier place of it removed, the oldest dropped beyond
// kMaxRecentCrs. None (0) leaves the list as it is.
void PushRecentCrs(std::vector<int>& codes, int nCode);
