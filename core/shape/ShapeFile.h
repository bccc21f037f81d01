// The document's store of finished features and its georeference, with the
// Shapefile (.shp, .shx) and dBASE (.dbf) writers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/georef/CrsRef.h"
#include "core/georef/GeoRefArray.h"
#include "core/io/FileWriter.h"
#include "core/io/StdioFileSystem.h"
#include "core/shape/OpenedLayer.h"
#include "core/shape/Shape.h"

// A bounding box in map units with parts and points counts: the 40 bytes
// that follow the shape type in a PolyLine or Polygon record, in that order.
struct CShapeBounds
{
    double m_dXMin = 0.0;
    double m_dYMin = 0.0;
    double m_dXMax = 0.0;
    double m_dYMax = 0.0;
    int32_t m_nParts = 0;
    int32_t m_nPoints = 0;
};
static_assert(sizeof(CShapeBounds) == 40, "the box part of a record");

// The files Save As writes beside the main file, index and table.
struct CShapeSideFiles
{
    // The .prj: the ESRI WKT1 text of the map coordinates' system; empty
    // for none, and then no .prj is written.
    std::string strPrj;
    // The same system by its code, for formats that name it so (GeoPackage).
    CCrsRef crs;
    // The code page the table's names are written in, named in the .cpg
    // so that readers decode them; 0 writes no .cpg.
    unsigned nCodePage = 0;
    // The code page the names are held in (UTF-8 in the program); 0 when
    // they are already in nCodePage and go to the table byte for byte.
    unsigned nNameCodePage = 0;
};

// The code page a new table is written in: the system's ANSI page when
// every name and text value fits it and UTF-8 was not asked for, UTF-8
// otherwise. Names and values are held in UTF-8.
unsigned NewTableCodePage(const CShapeArray& shapes, unsigned nAnsiCodePage, bool bUtf8Asked);

// The text of a .cpg for a Windows code page: the bare number ("1252"), as
// GDAL and ArcGIS write it; "UTF-8" for 65001, the name readers know.
std::string CodePageFileText(unsigned nCodePage);

// Size of the Shapefile main and index header.
const int kShapeHeaderSize = 100;

class CShapeFile
{
public:
    CShapeFile() = default;
    virtual ~CShapeFile() = default;

    CShapeArray m_shapes;
    CGeoRefArray m_geoRef;
    // The Shapefile the features were opened from, when they were: its
    // fields, side files and record bytes are what they are saved with.
    std::shared_ptr<const COpenedLayer> m_pSource;

    // The portable half of Save As: writes the files for the path the user
    // chose (the caller asks for the path and reports the result), every
    // one to a temporary beside its target first; the targets are replaced
    // only once all were written, so a failure leaves the files that were
    // there as they were. False on failure. Features opened from a file are
    // written with its fields and side files (sideFiles then unused).
    bool SaveAs(const char* pszPath, ShapeType nShapeType, const CShapeSideFiles& sideFiles = CShapeSideFiles(),
                CFileSystem& files = StdioFileSystem());

    // Writes the main file at pszPath, then the .shx and the .dbf beside it,
    // then the .cpg and .prj that sideFiles asks for, each only when
    // everything before it was written in full. nShapeType is
    // 1 (points), 3 (polylines) or 5 (polygons). False on failure;
    // files already written stay, none is deleted. Nothing is opened when the
    // shapes cannot be written truly: shapes without a fitted georeference,
    // a point shape without a vertex, more than the formats can count, or a
    // main path that names one of the files beside it.
    // Polygon rings are written clockwise in map coordinates, the outer
    // ring's direction in the format: an anticlockwise ring is reversed.
    bool WriteShapefile(const char* pszPath, ShapeType nShapeType)
    {
        return WriteShapefile(pszPath, nShapeType, StdioFileSystem());
    }
    bool WriteShapefile(const char* pszPath, ShapeType nShapeType, CFileSystem& files,
                        const CShapeSideFiles& sideFiles = CShapeSideFiles());

    // Bounding box over all shapes in map units; counts 0.
    // Without a fitted georeference no vertex can be converted and the box
    // stays empty (minimums at the largest double, maximums at its negative).
    CShapeBounds GetExtent() const;

    // The records of the main file, after its header. True when every byte was taken.
    bool WritePolyRecords(CFileWriter& sink, ShapeType nShapeType) const;
    bool WritePointRecords(CFileWriter& sink) const;

    // The .shx beside pszPath: the main header (kShapeHeaderSize bytes) with
    // the index length, then one entry per shape. summary.m_nParts is the
    // number of shapes.
    bool WriteIndex(const CShapeBounds& summary, const char* pszPath, const unsigned char* pHeader,
                    CFileSystem& files = StdioFileSystem()) const;

    // The .dbf beside pszPath with the fields ID and NAME, then the
    // features' attribute fields (their text, held in UTF-8, written in
    // sideFiles.nCodePage), one record per shape; summary.m_nParts is the
    // record count of the header.
    bool WriteAttributes(const char* pszPath, const CShapeBounds& summary, CFileSystem& files = StdioFileSystem(),
                         const CShapeSideFiles& sideFiles = CShapeSideFiles()) const;
    bool WriteAttributeTable(CFileWriter& sink, const CShapeBounds& summary,
                             const CShapeSideFiles& sideFiles = CShapeSideFiles()) const;
};
