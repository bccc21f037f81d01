#pragma once

#include <string>

// One control point: the map coordinates the user typed for an image pixel,
// and the fields the fit derives from it.
struct CGeoRefPoint
{
    double m_dMapX = 0.0;   // easting, or longitude in decimal degrees, east positive
    double m_dMapY = 0.0;   // northing, or latitude in decimal degrees, north positive
    double m_dRotX = 0.0;   // derived by the fit: u of the rotated pixel position
    double m_dRotY = 0.0;   // derived by the fit: v of the rotated pixel position
    int m_nPixelX = 0;      // image column, 0 = leftmost
    int m_nPixelY = 0;      // image row, 0 = top
    int m_nFitX = 0;        // derived by the fit: the column
    int m_nFitY = 0;        // derived by the fit: the row counted upward from the bottom edge
    // The two texts as the user typed them, for showing and editing; empty
    // for a point read from the point file, which keeps only the numbers.
    std::string m_strMapX;
    std::string m_strMapY;
    // Switched off: kept and shown, left out of the fit. Not in the point
    // file, whose layout older versions read; kept in the image settings.
    bool m_bOff = false;

    CGeoRefPoint() = default;
    CGeoRefPoint(double dMapX, double dMapY, int nPixelX, int nPixelY)
        : m_dMapX(dMapX), m_dMapY(dMapY), m_nPixelX(nPixelX), m_nPixelY(nPixelY)
    {
    }
};
