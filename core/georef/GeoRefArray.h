#pragma once

#include <string>
#include <vector>

#include "core/georef/AffineTransform.h"
#include "core/georef/GeoRefPoint.h"
#include "core/georef/PortableTypes.h"

// Rounded values of pi and pi/2 that the fit and the rotation read-out use.
// They are part of the results: an orientation difference of exactly the
// full-precision -pi/2 lies below kHalfPi and is folded to about +pi/2.
const double kPi = 3.141592653;
const double kHalfPi = 1.5707963265;

// The rotation and the two linear relations of a fitted georeference, with
// cos and sin of the rotation taken once, for converting many pixels in a row.
struct CPixelToMapTransform
{
    double dCos, dSin;
    double dX0, dXScale, dY0, dYScale;
    int nImageHeight;

    void Map(int nPixelX, int nPixelY, double* pdMapX, double* pdMapY) const
    {
        const double x = nPixelX;
        const double y = static_cast<double>(nImageHeight) - nPixelY;
        *pdMapX = dX0 + dXScale * (x * dCos + y * dSin);
        *pdMapY = dY0 + dYScale * (y * dCos - x * dSin);
    }
};

// A document's control points and the pixel-to-map transformation fitted
// from them: a rotation of the pixel grid followed by an independent linear
// relation on each axis.
class CGeoRefArray
{
public:
    CGeoRefArray();
    virtual ~CGeoRefArray();
    CGeoRefArray(const CGeoRefArray&) = default;
    CGeoRefArray& operator=(const CGeoRefArray&) = default;

    std::vector<CGeoRefPoint> m_points;
    int m_nImageHeight;
    BOOL m_bValid;
    double m_dRotation;
    double m_dX0;
    double m_dXScale;
    double m_dY0;
    double m_dYScale;

    void SetImageHeight(int nHeight) { m_nImageHeight = nHeight; }

    // The .tvg file beside the image. Failures are silent: an unreadable or
    // damaged file gives an empty list, an unwritable one is skipped.
    void ReadPointFile(const char* pszImagePath);
    void WritePointFile(const char* pszImagePath) const;

    // The same records as text in memory, CR LF line ends.
    static std::vector<CGeoRefPoint> ParsePointRecords(const char* pszText, size_t cbText);
    static std::string FormatPointRecords(const std::vector<CGeoRefPoint>& points);

    BOOL CalcTransform();
    BOOL FitLinear();
    void RotatePixel(int x, int y, double* pdU, double* pdV) const;
    BOOL PixelToMap(int nPixelX, int nPixelY, double* pdMapX, double* pdMapY) const;
    double GetRotation() const { return m_dRotation; }

    // The fitted transformation for bulk conversion; gives exactly the
    // results of PixelToMap. Only meaningful while m_bValid is TRUE.
    CPixelToMapTransform GetTransform() const;
    // The same mapping as six affine coefficients (equal to PixelToMap up to
    // rounding), for work that needs the mapping both ways.
    CAffineTransform GetAffine() const;
};
