// Reading back what the GeoTIFF writer made, through libtiff, and a file
// store in memory whose every step can be made to fail.
#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "core/io/MemoryFile.h"
#include "core/raster/TiffFile.h"

// One image (directory) of a TIFF, decoded: samples bytes a cell (RGBA 4,
// JPEG 3 as RGB, a mask 1 with 0 or 1).
struct CTiffImage
{
    int width = 0, height = 0, samples = 0;
    uint32_t subfileType = 0;
    uint16_t photometric = 0;
    std::vector<unsigned char> cells;

    const unsigned char* At(int i, int j) const { return &cells[(static_cast<size_t>(j) * width + i) * samples]; }
};

struct CTiffContents
{
    bool ok = false;
    std::vector<CTiffImage> images;
    std::vector<double> scale, tiepoint;
    std::vector<uint16_t> keys;
};

template <typename T>
std::vector<T> CustomField(TIFF* t, ttag_t tag)
{
    uint16_t count = 0;
    T* values = nullptr;
    return TIFFGetField(t, tag, &count, &values) && values ? std::vector<T>(values, values + count) : std::vector<T>();
}

inline bool ReadImage(TIFF* t, CTiffImage* image)
{
    uint32_t width = 0, height = 0, tile = 0;
    uint16_t bits = 0, samples = 0, compression = 0;
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetField(t, TIFFTAG_TILEWIDTH, &tile);
    TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(t, TIFFTAG_SUBFILETYPE, &image->subfileType);
    TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &image->photometric);
    if (TIFFGetField(t, TIFFTAG_COMPRESSION, &compression) && compression == COMPRESSION_JPEG)
        TIFFSetField(t, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    image->width = static_cast<int>(width);
    image->height = static_cast<int>(height);
    image->samples = bits == 1 ? 1 : samples;
    image->cells.assign(static_cast<size_t>(width) * height * image->samples, 0);
    std::vector<unsigned char> buffer(static_cast<size_t>(TIFFTileSize(t)));
    for (uint32_t ty = 0; tile && ty < height; ty += tile)
        for (uint32_t tx = 0; tx < width; tx += tile)
        {
            if (TIFFReadEncodedTile(t, TIFFComputeTile(t, tx, ty, 0, 0), buffer.data(), TIFFTileSize(t)) < 0)
                return false;
            for (uint32_t y = ty; y < std::min(height, ty + tile); ++y)
                for (uint32_t x = tx; x < std::min(width, tx + tile); ++x)
                {
                    const size_t k = static_cast<size_t>(y - ty) * tile + (x - tx);
                    unsigned char* cell = &image->cells[(static_cast<size_t>(y) * width + x) * image->samples];
                    if (bits == 1)
                        cell[0] = (buffer[k / 8] >> (7 - k % 8)) & 1;
                    else
                        std::copy(buffer.data() + k * samples, buffer.data() + (k + 1) * samples, cell);
                }
        }
    return tile != 0;
}

inline CTiffContents ReadGeoTiff(std::string bytes)
{
    CTiffContents contents;
    CMemoryFile file(&bytes);
    std::string errors;
    UniqueTiff t = OpenTiff(file, "r", &errors);
    if (!t)
        return contents;
    contents.scale = CustomField<double>(t.get(), kTagModelPixelScale);
    contents.tiepoint = CustomField<double>(t.get(), kTagModelTiepoint);
    contents.keys = CustomField<uint16_t>(t.get(), kTagGeoKeyDirectory);
    do
    {
        contents.images.emplace_back();
        if (!ReadImage(t.get(), &contents.images.back()))
            return contents;
    } while (TIFFReadDirectory(t.get()));
    contents.ok = errors.empty();
    return contents;
}
