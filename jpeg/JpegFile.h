// Our JPEG decoder, over libjpeg-turbo.
#pragma once

#include <cstdint>
#include <string>

class JpegFile
{
public:
    // Decodes the JPEG file at fileName to RGB: 3 bytes a pixel in the order
    // red, green, blue, the top row first, no padding between rows. Grey and
    // CMYK images come out as RGB, progressive ones are decoded, the EXIF
    // orientation is left as stored. On success writes the size and returns
    // a buffer allocated with new[] that the caller releases with delete[];
    // on any failure (missing or unreadable file, not a JPEG, a decoding
    // error, an image too large to hold) returns nullptr.
    static unsigned char* JpegFileToRGB(std::string fileName, uint32_t* pWidth, uint32_t* pHeight);
};
