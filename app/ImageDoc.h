// The document: the decoded JPEG and its resampled north-up copy, the
// finished features with the control points, the shape type they are
// digitised as, the unsaved-features flag and the interaction mode.
#pragma once

#include "core/georef/CrsRef.h"
#include "core/raster/RgbImage.h"
#include "core/raster/Transpose.h"
#include "core/shape/ShapeFile.h"
#include "winfw/Document.h"

enum ViewMode
{
    MODE_NONE = -1,          // no image
    MODE_GEOREFERENCE = 0,   // placing control points
    MODE_DIGITISE = 1,       // digitising features
    MODE_TRANSPOSED = 2,     // showing the resampled north-up image
};

class CImageDoc : public CDocument
{
public:
    CImageDoc();

    void Serialize(bool bStoring) override;
    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(const char* pszPathName) override;
    BOOL SaveModified() override;
    void ReportOpenFailure(const char* pszPathName) override;

    // Save As (File menu, and Ctrl+S): writes the features as a shapefile.
    // Returns TRUE when the files were written; only then do the features
    // count as saved.
    BOOL OnFileSaveAs();
    // Export GeoTIFF (GeoTiffExport.cpp): the scan north up through the fit,
    // as a georeferenced GeoTIFF. Enabled while there is a fit.
    void OnFileExportGeoTiff();

    CRgbImage m_image;
    // The image of Transpose, kept until the control points may change (a
    // new image, New, or back to georeferencing) and shown again as it is.
    CTransposedImage m_transposed;
    CShapeFile m_shapeFile;
    // The coordinate system of the typed map coordinates (none by default).
    CCrsRef m_crs;
    // What the features are digitised and saved as (SHAPE_POLYLINE,
    // SHAPE_POLYGON or SHAPE_POINT), chosen when digitising starts.
    int m_nShapeType;
    int m_bShapesModified;
    int m_nMode;
    // The pixel size last chosen for this image's export; 0 while it is
    // the scan's own.
    double m_dGeoTiffPixelSize = 0.0;

private:
    void AddExportCommands();

    // The string telling why the last open failed: IDS_UNABLE_TO_OPEN for
    // a file we cannot read or that is not a .jpg, IDS_JPG_READ_ERROR for
    // a .jpg the decoder refused (damaged, or too large to hold).
    unsigned m_nOpenFailureId = 0;
};

// Whether the path ends in ".jpg", in any letter case.
bool HasJpgExtension(const char* pszPathName);
