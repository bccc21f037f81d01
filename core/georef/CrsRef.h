// Which coordinate reference system the typed map coordinates are in: an
// EPSG code with its kind, or none (0), which keeps every output free of
// coordinate-system information.
#pragma once

struct CCrsRef
{
    int nEpsg = 0;              // 0: none chosen
    bool bGeographic = false;   // degrees of longitude and latitude; else a projected system

    bool IsNone() const { return nEpsg == 0; }
};
