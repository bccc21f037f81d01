// Map coordinates from one coordinate reference system to another through
// PROJ: the control points typed in the sheet's graticule (degrees, a local
// datum) carried into the system the fit and every output are made in.
// PROJ's database is opened by the first Create, not at start-up. No network
// and no grid: the operation is PROJ's best one that needs neither.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "core/base/Status.h"

enum class CrsTransformCode
{
    Ok = 0,
    NoDatabase,      // proj.db missing or unreadable in the data folder
    UnknownSystem,   // an EPSG code the database does not hold
    NoOperation,     // PROJ offers no way between the two systems
    PointFailed,     // a point outside what the operation can carry
};

// The folder PROJ's proj.db is read from (UTF-8), before the first Create.
// Empty: PROJ's own search (its environment and built-in paths).
void SetProjDataFolder(std::string strFolder);
std::string GetProjDataFolder();

// x is the easting or the longitude, y the northing or the latitude (decimal
// degrees), whatever axis order the register gives the system.
struct CMapXY
{
    double x = 0.0;
    double y = 0.0;
};

class CCrsTransform
{
public:
    CCrsTransform();
    ~CCrsTransform();
    CCrsTransform(CCrsTransform&&) noexcept;
    CCrsTransform& operator=(CCrsTransform&&) noexcept;

    // The operation from EPSG code nSource to nTarget; the detail of a
    // failure is PROJ's own words.
    CStatus<CrsTransformCode> Create(int nSource, int nTarget);
    bool IsReady() const;
    int GetSource() const { return m_nSource; }
    int GetTarget() const { return m_nTarget; }

    // Carries nCount points in place. Failure names the first point (from 1)
    // that could not be carried; the others are carried all the same.
    CStatus<CrsTransformCode> Transform(CMapXY* pPoints, size_t nCount);
    // The name PROJ gives the operation it uses at (x, y) of the source
    // system: where several operations cover parts of the systems' areas,
    // the one for that place. Empty before Create or when the place is
    // outside every one.
    std::string OperationNameAt(CMapXY at);

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
    int m_nSource = 0;
    int m_nTarget = 0;
};
