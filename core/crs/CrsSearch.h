// Finding systems in the catalogue by what the user typed.
#pragma once

#include <string>
#include <vector>

#include "core/crs/CrsCatalogue.h"

// Indices into the catalogue of the systems that match strQuery, best first:
// - blank: none (the caller shows the recently used and the whole list);
// - "EPSG:n" (or "EPSG n"): the codes that begin with n's digits, ascending,
//   so the exact code comes first;
// - a bare number: those codes, then the names that contain the number;
// - words: the names that contain every word, ignoring case; spaces in the
//   name do not count, so "wgs84" finds "WGS 84". The name equal to the
//   query comes first, then names that begin with its first word, then the
//   rest, each group by code.
std::vector<int> SearchCrs(const CCrsCatalogue& catalogue, const std::string& strQuery);
