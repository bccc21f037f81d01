// A pixel-to-map mapping as the six numbers of an affine transformation:
// every fit model the program offers is one. Pixel (column, row) has its
// content at Map(column, row): the rule the digitised vertices follow.
#pragma once

struct CAffineTransform
{
    // mapX = x0 + xPerColumn column + xPerRow row
    // mapY = y0 + yPerColumn column + yPerRow row
    double x0 = 0.0, xPerColumn = 1.0, xPerRow = 0.0;
    double y0 = 0.0, yPerColumn = 0.0, yPerRow = 1.0;

    void Map(double column, double row, double* pdX, double* pdY) const
    {
        *pdX = x0 + xPerColumn * column + xPerRow * row;
        *pdY = y0 + yPerColumn * column + yPerRow * row;
    }

    // The mapping back from map to pixel positions; false when this one
    // folds the plane onto a line (or is not finite).
    bool Invert(CAffineTransform* pInverse) const;
};
