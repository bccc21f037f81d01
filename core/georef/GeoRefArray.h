#pragma once

#include <string>
#include <vector>

#include "core/georef/AffineTransform.h"
#include "core/georef/FitModel.h"
#include "core/georef/GeoRefPoint.h"
#include "core/io/StdioFileSystem.h"

// Rounded values of pi and pi/2 that the fit and the rotation read-out use.
// They are part of the results: an orientation difference of exactly the
// full-precision -pi/2 lies below kHalfPi and is folded to about +pi/2.
const double kPi = 3.141592653;
const double kHalfPi = 1.5707963265;

// The rotation and the two linear relations of a fitted georeference, with
// cos and sin of the rotation taken once, for converting many pixels in a
// row; or, for the least-squares models (bAffine), their six coefficients.
struct CPixelToMapTransform
{
    double dCos, dSin;
    double dX0, dXScale, dY0, dYScale;
    int nImageHeight;
    bool bAffine = false;
    CAffineTransform affine;

    void Map(int nPixelX, int nPixelY, double* pdMapX, double* pdMapY) const
    {
        if (bAffine)
        {
            affine.Map(nPixelX, nPixelY, pdMapX, pdMapY);
            return;
        }
        const double x = nPixelX;
        const double y = static_cast<double>(nImageHeight) - nPixelY;
        *pdMapX = dX0 + dXScale * (x * dCos + y * dSin);
        *pdMapY = dY0 + dYScale * (y * dCos - x * dSin);
    }

    // The way back: the pixel position whose content lies at a map point,
    // for features read from a file. False when the fit has no inverse
    // (a scale of zero) or the position is not finite.
    bool MapToPixel(double dMapX, double dMapY, double* pdColumn, double* pdRow) const;
};

// A document's control points and the pixel-to-map transformation fitted
// from them with the chosen model: by default a rotation of the pixel grid
// followed by an independent linear relation on each axis.
// The point file beside an image: its name with ".tvg" for its extension.
std::string PointFilePath(const char* pszImagePath);

class CGeoRefArray
{
public:
    CGeoRefArray();
    virtual ~CGeoRefArray();
    CGeoRefArray(const CGeoRefArray&) = default;
    CGeoRefArray& operator=(const CGeoRefArray&) = default;

    std::vector<CGeoRefPoint> m_points;
    int m_nImageHeight;
    bool m_bValid;
    double m_dRotation;
    double m_dX0;
    double m_dXScale;
    double m_dY0;
    double m_dYScale;
    // The model the next fit uses, and the one the fit in force was made
    // with: a failed fit leaves the earlier one in force.
    FitModel m_nFitModel;
    FitModel m_nFittedModel;
    // The fit in force when it was made by a least-squares model or taken
    // from the image file.
    CAffineTransform m_affine;
    // The georeference the image file brings along, which FitModel::FromFile
    // puts in force; m_bFileFit false when it has none.
    bool m_bFileFit = false;
    CAffineTransform m_fileFit;

    void SetImageHeight(int nHeight) { m_nImageHeight = nHeight; }

    // The .tvg file beside the image. An unreadable or damaged file gives an
    // empty list; WritePointFile returns false when the file could not be
    // written in full (the points in memory stay as they are, and so does
    // the file: it is written whole to a temporary that then replaces it).
    void ReadPointFile(const char* pszImagePath, CFileSystem& files = StdioFileSystem());
    bool WritePointFile(const char* pszImagePath, CFileSystem& files = StdioFileSystem()) const;

    // The same records as text in memory, CR LF line ends.
    static std::vector<CGeoRefPoint> ParsePointRecords(const char* pszText, size_t cbText);
    static std::string FormatPointRecords(const std::vector<CGeoRefPoint>& points);

    // Fits the chosen model; on failure the fit in force stays.
    bool CalcTransform();
    // Fits the chosen model after the points or the model changed; on
    // failure no fit is in force, so nothing is converted with a fit of
    // points that are gone.
    bool Refit();
    bool FitLinear();
    void RotatePixel(int x, int y, double* pdU, double* pdV) const;
    bool PixelToMap(int nPixelX, int nPixelY, double* pdMapX, double* pdMapY) const;
    // The rotation of the fit in force, radians; for the least-squares
    // models the turn of the image's x axis on the map.
    double GetRotation() const;

    // The fitted transformation for bulk conversion; gives exactly the
    // results of PixelToMap. Only meaningful while m_bValid is true.
    CPixelToMapTransform GetTransform() const;
    // The same mapping as six affine coefficients (equal to PixelToMap up to
    // rounding; exactly the fit for the least-squares models), for work that
    // needs the mapping both ways.
    CAffineTransform GetAffine() const;
};
