// A georeference that an image brings along: a world file beside it or the
// GeoTIFF keys inside it. Both come down to six affine coefficients from
// pixel centres to map positions, and maybe an EPSG code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/georef/AffineTransform.h"

enum class GeoreferenceSource
{
    None,
    WorldFile,
    GeoTiffKeys,
};

struct CFileGeoreference
{
    GeoreferenceSource nSource = GeoreferenceSource::None;
    // Map(column, row) is the map position of the pixel's centre.
    CAffineTransform transform;
    int nEpsg = 0;   // 0 when the file names no EPSG system

    bool IsNone() const { return nSource == GeoreferenceSource::None; }
};

// The world files an image may have beside it, in the order they are looked
// for: "name.tfw" (first and last letter of the extension, then "w"),
// "name.tifw" and "name.wld", each in lower and in upper case, the image's
// extension's case first. Windows finds any case with the first; other file
// systems need the second. A name without an extension has only ".wld".
std::vector<std::string> WorldFileNames(const std::string& imagePath);

// The six numbers of a world file: A (map X per column), D (map Y per
// column), B (map X per row), E (map Y per row), C and F (the centre of the
// top-left pixel), one or more per line, "." as the decimal point. False
// for fewer or other than six numbers, or a mapping that cannot be turned
// back.
bool ParseWorldFile(const std::string& text, CAffineTransform* pTransform);

// The raw values of the GeoTIFF tags, as they are in the file; empty when a
// tag is absent.
struct CGeoTiffTags
{
    std::vector<double> pixelScale;       // ModelPixelScaleTag: Sx, Sy, Sz
    std::vector<double> tiepoints;        // ModelTiepointTag: I, J, K, X, Y, Z a point
    std::vector<double> transformation;   // ModelTransformationTag: 4 x 4, by rows
    std::vector<uint16_t> keyDirectory;   // GeoKeyDirectoryTag
};

// What the tags make of the image: a scale with one tiepoint, or the
// transformation matrix, from raster space (its origin the top-left corner
// of the image for PixelIsArea, the first pixel's centre for PixelIsPoint)
// to pixel centres; and the code of the projected or else the geographic
// system. False when the tags give no usable mapping (several tiepoints
// without a scale are not read).
bool GeoTiffGeoreference(const CGeoTiffTags& tags, CFileGeoreference* pResult);
