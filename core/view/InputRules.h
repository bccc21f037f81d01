// The portable rules behind the view's mouse handling: which image pixel a
// client point falls on, and the map read-out of the status line.
#pragma once

#include <string>
#include <vector>

#include "core/georef/GeoRefPoint.h"
#include "core/view/ShownGrid.h"

// The image pixel under client point (x, y) when the view is scrolled to
// (nScrollX, nScrollY) at nZoom screen pixels per image pixel. Integer
// division truncating toward zero, as the painting uses.
ImagePixel ClientPointToPixel(int x, int y, int nScrollX, int nScrollY, int nZoom);

// "X, Y r=R deg": the map coordinates under the cursor with six decimals
// and the rotation of the fitted georeference in degrees with two, "." as
// the decimal point whatever the user's locale. dRotation is in radians and
// is converted with the same rounded pi as the fit, so that the read-out
// agrees with the fit's own angle.
std::string FormatMapReadout(double dMapX, double dMapY, double dRotation);
// The same place in the system the control points are typed in, put
// before that read-out: latitude and longitude to the whole second with
// their hemispheres (47°12'03"N 15°26'41"E, UTF-8) in a geographic system,
// else easting and northing to the centimetre ("E 533210.00 N 5228930.00").
std::string FormatTypedReadout(double dX, double dY, bool bGeographic);

// The control point whose marker lies under client point (x, y): the
// nearest one within nRadius client pixels of it, or -1. The points are in
// full-resolution pixels, their markers drawn on the shown pixels of grid.
int HitMarker(const std::vector<CGeoRefPoint>& points, int x, int y, int nScrollX, int nScrollY, int nZoom, int nRadius,
              const CShownGrid& grid = CShownGrid());

// A screen rectangle, right and bottom exclusive.
struct ScreenRect
{
    int left, top, right, bottom;
};

// Where a dialog of cx by cy goes so that it stands beside the point (x, y)
// without covering the square of nClearance around it, inside the work
// area: to the right, else to the left, else below, else above; when none
// has room, on the side with the most, kept on the screen.
void PlaceBesidePoint(int x, int y, int nClearance, int cx, int cy, const ScreenRect& work, int* pLeft, int* pTop);
