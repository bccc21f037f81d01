// The decoded image held by the document, and the interaction modes.
#pragma once

#include <cstdint>

// width x height pixels of 3 bytes (red, green, blue), the top row first,
// no padding between rows: pixel (c, r) starts at byte 3 * (width * r + c).
struct ImageData
{
    uint32_t nWidth = 0;
    uint32_t nHeight = 0;
    unsigned char* pPixels = nullptr;   // owned; new[] by the decoder, delete[]
};

enum ViewMode
{
    MODE_NONE = -1,          // no image
    MODE_GEOREFERENCE = 0,   // placing control points
    MODE_DIGITISE = 1,       // digitising features
    MODE_TRANSPOSED = 2,     // showing the resampled north-up image
};
