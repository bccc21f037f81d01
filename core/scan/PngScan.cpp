// The PNG decoder. libpng expands palettes, low-bit grey and the transparent
// colour, scales 16-bit samples with rounding (png_set_scale_16, not the
// truncating png_set_strip_16) and widens grey to RGB; alpha is laid over
// white here.
#include "core/scan/PngScan.h"

#include <climits>
#include <csetjmp>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include <png.h>

#include "core/scan/ShortReadWatch.h"

namespace
{

// What libpng's callbacks reach: the jump back on an error, its words, the
// file and the progress listener.
struct CPngSession
{
    std::jmp_buf jump;
    char message[256];
    CShortReadWatch* pInput;
    const std::function<void(double)>* pReport;
    double reported;
    int nPasses;
    uint32_t nHeight;
};

// libpng's error callbacks must not return: they jump back to the setjmp of
// the call below. Warnings are dropped: nothing may print from the core.
void OnError(png_structp png, png_const_charp text)
{
    CPngSession* session = static_cast<CPngSession*>(png_get_error_ptr(png));
    std::strncpy(session->message, text ? text : "libpng error", sizeof(session->message) - 1);
    session->message[sizeof(session->message) - 1] = '\0';
    std::longjmp(session->jump, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void ReadData(png_structp png, png_bytep pData, size_t cb)
{
    CPngSession* session = static_cast<CPngSession*>(png_get_io_ptr(png));
    if (session->pInput->Read(pData, cb) != cb)
        png_error(png, "the file ends early");
}

void ReportRow(png_structp png, png_uint_32 row, int pass)
{
    CPngSession* session = static_cast<CPngSession*>(png_get_io_ptr(png));
    if (!session->pReport || !*session->pReport || session->nHeight == 0)
        return;
    const double done = (pass + static_cast<double>(row) / session->nHeight) / session->nPasses;
    // A hundred reports at most: the listener may take a lock.
    if (done - session->reported >= 0.01)
        (*session->pReport)(session->reported = done);
}

unsigned char OverWhite(unsigned c, unsigned a)
{
    return static_cast<unsigned char>((c * a + 255 * (255 - a) + 127) / 255);
}

// nPixels RGBA pixels laid over white into RGB; pRgb may be pRgba itself:
// pixel i is read whole before bytes 3i..3i+2, below the next one, are written.
void RgbaOverWhite(const unsigned char* pRgba, size_t nPixels, unsigned char* pRgb)
{
    for (size_t i = 0; i < nPixels; ++i)
    {
        const unsigned r = pRgba[4 * i], g = pRgba[4 * i + 1], b = pRgba[4 * i + 2], a = pRgba[4 * i + 3];
        pRgb[3 * i] = OverWhite(r, a);
        pRgb[3 * i + 1] = OverWhite(g, a);
        pRgb[3 * i + 2] = OverWhite(b, a);
    }
}

// The calls into libpng. A jump from the library lands in these frames,
// which hold nothing with a destructor.
bool RunReadHeader(png_structp png, png_infop info, CScanHeader* pHeader, int* pChannels)
{
    CPngSession* session = static_cast<CPngSession*>(png_get_error_ptr(png));
    if (setjmp(session->jump))
        return false;
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    if (width == 0 || height == 0 || width > INT_MAX || height > INT_MAX)
        png_error(png, "no image size");
    // The file's own bands, as GDAL counts them: a palette is one band of
    // indices (its transparency in the colour table's alpha, not a band).
    const int colourType = png_get_color_type(png, info);
    pHeader->bFile16Bit = png_get_bit_depth(png, info) == 16;
    pHeader->bFilePalette = colourType == PNG_COLOR_TYPE_PALETTE;
    pHeader->nFileBands = colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_PALETTE ? 1
                          : colourType == PNG_COLOR_TYPE_GRAY_ALPHA                                 ? 2
                          : colourType == PNG_COLOR_TYPE_RGB                                        ? 3
                                                                                                    : 4;
    png_colorp palette = nullptr;
    int entries = 0;
    if (pHeader->bFilePalette && png_get_PLTE(png, info, &palette, &entries) && palette)
        for (int i = 0; i < entries; ++i)
            pHeader->filePalette.insert(pHeader->filePalette.end(),
                                        {palette[i].red, palette[i].green, palette[i].blue});
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    session->nPasses = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    *pChannels = png_get_channels(png, info);
    if ((*pChannels != 3 && *pChannels != 4) || png_get_bit_depth(png, info) != 8 ||
        png_get_rowbytes(png, info) != static_cast<size_t>(width) * *pChannels)
        png_error(png, "a pixel layout the decoder does not know");
    pHeader->nWidth = static_cast<int>(width);
    pHeader->nHeight = static_cast<int>(height);
    session->nHeight = height;
    // Interlaced rows come back in passes: with alpha, the whole image is
    // held as RGBA before it is laid over white.
    pHeader->cbDecodedPixel = session->nPasses > 1 && *pChannels == 4 ? 4 : 3;
    return true;
}

// Interlaced: every row at once through rows; otherwise row by row, through
// pRgba when there is alpha.
bool RunReadRows(png_structp png, CRgbImage* pImage, int nChannels, unsigned char** rows, unsigned char* pRgba)
{
    CPngSession* session = static_cast<CPngSession*>(png_get_error_ptr(png));
    if (setjmp(session->jump))
        return false;
    if (session->nPasses > 1)
    {
        png_read_image(png, rows);
        if (nChannels == 4)
            RgbaOverWhite(pImage->Pixels(), pImage->PixelCount(), pImage->Pixels());
        return true;
    }
    for (int y = 0; y < pImage->Height(); ++y)
    {
        if (nChannels == 3)
        {
            png_read_row(png, pImage->Row(y), nullptr);
        }
        else
        {
            png_read_row(png, pRgba, nullptr);
            RgbaOverWhite(pRgba, static_cast<size_t>(pImage->Width()), pImage->Row(y));
        }
    }
    return true;
}

// libpng's structures, freed on every way out.
struct CPngRead
{
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~CPngRead() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

ScanReadStatus ReadPng(const std::string& path, CRgbImage* pImage, const CScanReadOptions& options, CFileSystem& files)
{
    std::unique_ptr<CFile> file = files.OpenForReading(path);
    if (!file)
        return {ScanReadError::CannotOpen, path};
    CScanHeader header;
    header.cbFile = file->Size();
    if (header.cbFile == 0)
        return {ScanReadError::NotDecodable, path};
    CShortReadWatch input(*file);
    CPngSession session = {};
    session.pInput = &input;
    session.pReport = &options.progress;
    CPngRead read;
    read.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &session, OnError, OnWarning);
    if (read.png)
        read.info = png_create_info_struct(read.png);
    if (!read.png || !read.info)
        return {ScanReadError::NoMemory, path};
    png_set_read_fn(read.png, &session, ReadData);
    png_set_read_status_fn(read.png, ReportRow);
    auto failure = [&]() -> ScanReadStatus {
        if (input.ShortRead())
            return {ScanReadError::ReadFailed, path};
        return {ScanReadError::NotDecodable, path + ": " + session.message};
    };

    int nChannels = 0;
    if (!RunReadHeader(read.png, read.info, &header, &nChannels))
        return failure();
    if (options.acceptHeader && !options.acceptHeader(header))
        return {ScanReadError::Refused, path};
    CRgbImage image;
    if (!image.Allocate(header.nWidth, header.nHeight, header.cbDecodedPixel))
        return {ScanReadError::NoMemory, path};
    std::vector<unsigned char*> rows;
    std::vector<unsigned char> rgba;
    if (session.nPasses > 1)
    {
        rows.resize(static_cast<size_t>(header.nHeight));
        const size_t stride = static_cast<size_t>(header.nWidth) * static_cast<size_t>(nChannels);
        for (size_t y = 0; y < rows.size(); ++y)
            rows[y] = image.Pixels() + stride * y;
    }
    else if (nChannels == 4)
    {
        rgba.resize(static_cast<size_t>(header.nWidth) * 4);
    }
    if (!RunReadRows(read.png, &image, nChannels, rows.data(), rgba.data()))
        return failure();
    if (options.progress)
        options.progress(1.0);
    *pImage = std::move(image);
    return ScanReadStatus();
}

}   // namespace

ScanReadStatus ReadPngScan(const std::string& path, CRgbImage* pImage, const CScanReadOptions& options,
                           CFileSystem& files)
{
    if (!pImage)
        return {ScanReadError::NoMemory, path};
    try
    {
        return ReadPng(path, pImage, options, files);
    }
    catch (...)
    {
        // Out of memory for a row buffer: no exception leaves the decoder.
        return {ScanReadError::NoMemory, path};
    }
}
