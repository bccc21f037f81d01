// The map rectangle of a resampled north-up image and the grid laid over it:
// what the world file of that image says.
#pragma once

// x0/y0 is where the first column/row starts, x1/y1 where the grid ends on
// the right/at the bottom (y1 < y0 for a north-up image).
struct CTransposeExtents
{
    double x0 = 0.0, y0 = 0.0, x1 = 0.0, y1 = 0.0;
    int outW = 0, outH = 0;
};
