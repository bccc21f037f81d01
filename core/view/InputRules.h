// The portable rules behind the view's mouse handling: which image pixel a
// client point falls on, and the map read-out of the status line.
#pragma once

#include <string>

struct ImagePixel
{
    int column;
    int row;
};

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
