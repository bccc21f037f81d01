// Control points to and from other GIS tools: the .points file of QGIS's
// georeferencer, a GDAL VRT with a GCP list and the gdal_translate /
// gdalwarp command lines that warp as our fit does, and a IIIF Georeference
// Annotation. Each counts pixels its own way; ours are whole pixels whose
// centre is (column, row), rows down from the top:
//   .points   corner-based, rows up: sourceX = column + 0.5, sourceY = -(row + 0.5)
//             (or the map position of the pixel centre when the scan has a
//             georeference of its own, as QGIS then shows it)
//   GDAL      corner-based, rows down: Pixel = column + 0.5, Line = row + 0.5
//   IIIF      corner-based, rows down: resourceCoords = [column + 0.5, row + 0.5]
#pragma once

#include <string>
#include <vector>

#include "core/base/Status.h"
#include "core/georef/AffineTransform.h"
#include "core/georef/FitReport.h"
#include "core/georef/GeoRefArray.h"

enum class PointsReadCode
{
    Ok = 0,
    NoHeader,    // the first line (after the CRS line) names no mapX, mapY and source columns
    BadRecord,   // Detail(): the line number
    NoPoints,
};

struct CPointsFile
{
    std::string strCrsWkt;   // the "#CRS: " line's text; empty when there is none
    std::vector<CGeoRefPoint> points;
};

// Reads the current header ("#CRS: <WKT>" then
// "mapX,mapY,sourceX,sourceY,enable,dX,dY,residual") and the older ones
// (no CRS line; "pixelX,pixelY" for the source columns; no enable or
// residual columns). enable=0 gives a switched-off point. pSourceGeoref is
// the scan's own georeference (pixel centre to map), null for a scan
// without one: then the source values are pixels with Y negated.
CStatus<PointsReadCode> ParsePointsFile(const std::string& text, const CAffineTransform* pSourceGeoref,
                                        CPointsFile* pResult);

// The current form, CR LF line ends; residuals are those of the chosen
// model in pixels (pResiduals null or short: zeros).
std::string FormatPointsFile(const std::vector<CGeoRefPoint>& points, const std::string& strCrsWkt,
                             const CAffineTransform* pSourceGeoref, const std::vector<CPointResidual>* pResiduals);

// What GDAL is told about the scan.
struct CGdalScan
{
    std::string strFileName;   // the scan's file name beside the VRT (bRelative), else its full path
    bool bRelative = true;
    int nWidth = 0, nHeight = 0;
    // The file's own bands (CScanHeader's): 1 grey or palette indices, 2
    // grey and alpha, 3 RGB, 4 RGBA.
    int nBands = 3;
    bool bPalette = false;
    std::vector<unsigned char> palette;   // RGB an index
    bool b16Bit = false;
    std::string strWkt;   // the map coordinates' system; empty for none
    int nEpsg = 0;        // for the command lines' -a_srs / -t_srs; 0 for none
};

struct CGdalGcp
{
    double dPixel, dLine, dX, dY;
};

// The switched-on points as GDAL GCPs.
std::vector<CGdalGcp> GdalGcps(const std::vector<CGeoRefPoint>& points);

// A VRT dataset of the scan with the GCP list (switched-on points only,
// GDAL knows no switched-off GCP), LF line ends.
std::string FormatGcpVrt(const CGdalScan& scan, const std::vector<CGdalGcp>& gcps);

// The GCPs and the gdalwarp transformer option ("-order 1", "-order 2",
// "-order 3", "-tps") with which gdalwarp maps as geoRef's fit in force
// does: positions our fit maps, the scan's corners for an affine model, a
// 9 x 9 grid over the scan for the others. False without a fit.
bool GdalWarpGcps(const CGeoRefArray& geoRef, int nWidth, int nHeight, std::vector<CGdalGcp>* pGcps,
                  std::string* pTransformer);

// Two command lines (CR LF between): gdal_translate puts the GCPs on the
// scan (a VRT), gdalwarp warps it to strOutput.
std::string FormatGdalCommands(const CGdalScan& scan, const std::vector<CGdalGcp>& gcps,
                               const std::string& strTransformer, const std::string& strOutput);

// The IIIF Georeference Annotation of the switched-on points (longitude,
// latitude in WGS 84) with the transformation closest to the model.
std::string FormatIiifAnnotation(const std::string& strImageId, int nWidth, int nHeight,
                                 const std::vector<CGeoRefPoint>& points, FitModel nModel);
// Whether a system can carry it: geographic WGS 84 only.
inline bool IiifAnnotationAllowed(int nEpsg) { return nEpsg == 4326; }
