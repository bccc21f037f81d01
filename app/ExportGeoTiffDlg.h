// "Export GeoTIFF": the extent, the pixel size (the scan's own by default),
// the resampling and the compression of the export. It shows the size the
// export will have as the choices change, and ends with IDOK only for
// choices that make a grid.
#pragma once

#include <string>
#include <vector>

#include "core/georef/AffineTransform.h"
#include "core/georef/GeoRefPoint.h"
#include "core/raster/GeoTiffWriter.h"
#include "winfw/Dialog.h"

struct CGeoTiffChoices
{
    GeoTiffExtent nExtent = GEOTIFF_EXTENT_WHOLE_IMAGE;
    double dPixelSize = 0.0;   // 0: the scan's ground size along its rows
    ResampleMethod nResampling = RESAMPLE_BILINEAR;
    GeoTiffCompression nCompression = GEOTIFF_DEFLATE;
    int nJpegQuality = 75;
};

// The string-table id of the words telling why an export was refused or failed.
unsigned GeoTiffStatusStringId(GeoTiffStatus status);

// Up to ten significant digits, "." as the decimal point, no exponent.
std::string FormatPixelSize(double dSize);

class CExportGeoTiffDlg : public CDialog
{
public:
    CExportGeoTiffDlg(const CAffineTransform& fit, int nWidth, int nHeight, const std::vector<CGeoRefPoint>& points);

    // In: what the dialog starts with; out: what the user chose.
    CGeoTiffChoices m_choices;
    // Out: the grid of the choices.
    CGeoTiffGrid m_grid;
    // In: the fit when it is not affine (m_fit is then its affine form).
    const CWarpTransform* m_pWarp = nullptr;
    // In: the title, when not the dialog's own (a scan shown reduced says
    // which resolution is exported).
    std::string m_strCaption;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(UINT nID, UINT nCode) override;

private:
    // The choices as the controls show them; false (with the reason's
    // string id) when the pixel size or the quality is not a valid number.
    bool ReadControls(CGeoTiffChoices* pChoices, unsigned* pnReason) const;
    GeoTiffStatus MakeGrid(const CGeoTiffChoices& choices, CGeoTiffGrid* pGrid) const;
    void ShowOutputSize();
    void EnableQuality();

    CAffineTransform m_fit;
    int m_nWidth, m_nHeight;
    std::vector<CGeoRefPoint> m_points;
    double m_dDefaultSize;
    std::string m_strDefaultSize;
};
