// The TIFF decoder. libtiff decodes strips and tiles; the samples become RGB
// here, so that 16-bit rounding and alpha follow our rules rather than those
// of libtiff's RGBA interface (which truncates and premultiplies). Bands of
// strip or tile rows are decoded on several threads, each with its own file
// and TIFF handle: libtiff handles are not shared between threads.
#include "core/scan/TiffScan.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "core/parallel/ParallelFor.h"
#include "core/raster/TiffFile.h"
#include "core/scan/ShortReadWatch.h"

namespace
{

// What the samples of a pixel mean, read once from the first directory.
struct CTiffLayout
{
    uint32_t nWidth = 0, nHeight = 0;
    int nBits = 0;                   // 1, 2, 4, 8 or 16
    int nSamples = 0;                // samples a pixel, extra samples included
    int nColours = 0;                // 1 (grey, palette index) or 3 (RGB)
    int nAlpha = -1;                 // the alpha's sample index, or -1
    bool bAssociatedAlpha = false;   // colours already multiplied by alpha
    bool bMinIsWhite = false;
    bool bPalette = false;
    bool bSeparatePlanes = false;
    bool bTiled = false;
    uint32_t nBlockWidth = 0, nBlockHeight = 0;   // a tile, or the full width by the rows of a strip
    unsigned char palette[256][3] = {};
};

unsigned char Round16To8(unsigned v) { return static_cast<unsigned char>((v * 255 + 32767) / 65535); }

// Colour map entries are 16-bit, but writers differ: 8-bit values left as
// they are, v * 257 or v << 8. Each is undone exactly (as GDAL does), other
// maps are rounded.
void NarrowColourMap(const uint16_t* const maps[3], size_t nEntries, unsigned char (*pOut)[3])
{
    bool all8 = true, all257 = true, all256 = true;
    for (int c = 0; c < 3; ++c)
        for (size_t i = 0; i < nEntries; ++i)
        {
            all8 = all8 && maps[c][i] < 256;
            all257 = all257 && maps[c][i] % 257 == 0;
            all256 = all256 && maps[c][i] % 256 == 0;
        }
    for (int c = 0; c < 3; ++c)
        for (size_t i = 0; i < nEntries; ++i)
        {
            const unsigned v = maps[c][i];
            pOut[i][c] = static_cast<unsigned char>(all8 ? v : all257 ? v / 257 : all256 ? v >> 8 : Round16To8(v));
        }
}

// nCount samples of one row, packed as libtiff gives them (sub-byte samples
// from the high bit, 16-bit ones in host order), to one byte each, every
// stride-th byte of pOut. Grey levels of fewer than 8 bits are scaled to
// 0..255; palette indices (bScale false) are not.
void UnpackSamples(const unsigned char* pRaw, size_t nCount, int nBits, bool bScale, unsigned char* pOut, size_t stride)
{
    if (nBits == 8)
    {
        for (size_t i = 0; i < nCount; ++i)
            pOut[i * stride] = pRaw[i];
    }
    else if (nBits == 16)
    {
        for (size_t i = 0; i < nCount; ++i)
        {
            uint16_t v;
            std::memcpy(&v, pRaw + 2 * i, 2);
            pOut[i * stride] = Round16To8(v);
        }
    }
    else
    {
        const unsigned mask = (1u << nBits) - 1;
        const unsigned scale = bScale ? 255 / mask : 1;
        for (size_t i = 0; i < nCount; ++i)
        {
            const size_t bit = i * static_cast<size_t>(nBits);
            const unsigned v = (pRaw[bit / 8] >> (8 - nBits - bit % 8)) & mask;
            pOut[i * stride] = static_cast<unsigned char>(v * scale);
        }
    }
}

// nPixels pixels of one-byte samples to RGB, alpha laid over white.
void SamplesToRgb(const CTiffLayout& l, const unsigned char* s, size_t nPixels, unsigned char* rgb)
{
    for (size_t p = 0; p < nPixels; ++p, s += l.nSamples, rgb += 3)
    {
        unsigned c[3];
        if (l.bPalette)
        {
            const unsigned char* entry = l.palette[s[0]];
            c[0] = entry[0], c[1] = entry[1], c[2] = entry[2];
        }
        else if (l.nColours == 1)
        {
            c[0] = c[1] = c[2] = l.bMinIsWhite ? 255u - s[0] : s[0];
        }
        else
        {
            c[0] = s[0], c[1] = s[1], c[2] = s[2];
        }
        if (l.nAlpha >= 0)
        {
            const unsigned a = s[l.nAlpha];
            for (unsigned& v : c)
                v = l.bAssociatedAlpha ? std::min(255u, v + 255 - a) : (v * a + 255 * (255 - a) + 127) / 255;
        }
        rgb[0] = static_cast<unsigned char>(c[0]);
        rgb[1] = static_cast<unsigned char>(c[1]);
        rgb[2] = static_cast<unsigned char>(c[2]);
    }
}

// One reader of the file: its own file, watch and TIFF handle (destroyed
// in that order's reverse), with libtiff's messages for this handle alone.
struct CTiffReader
{
    std::unique_ptr<CFile> file;
    std::unique_ptr<CShortReadWatch> watch;
    std::string errors;
    UniqueTiff tiff;
};

std::unique_ptr<CTiffReader> OpenReader(CFileSystem& files, const std::string& path)
{
    std::unique_ptr<CTiffReader> reader(new CTiffReader);
    reader->file = files.OpenForReading(path);
    if (!reader->file)
        return nullptr;
    reader->watch.reset(new CShortReadWatch(*reader->file));
    reader->tiff = OpenTiff(*reader->watch, "r", &reader->errors);
    return reader;
}

ScanReadStatus ReaderFailure(const CTiffReader& reader, const std::string& path, const char* pszWhat = nullptr)
{
    if (reader.watch && reader.watch->ShortRead())
        return {ScanReadError::ReadFailed, path};
    std::string detail =
        path + ": " + (reader.errors.empty() ? std::string(pszWhat ? pszWhat : "not a TIFF file") : reader.errors);
    return {ScanReadError::NotDecodable, detail};
}

// The layout of the current directory, or why we cannot decode it.
const char* ReadLayout(TIFF* t, CTiffLayout* l)
{
    uint16_t bits = 0, samples = 0, photometric = 0, planar = 0, format = 0, compression = 0;
    if (!TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &l->nWidth) || !TIFFGetField(t, TIFFTAG_IMAGELENGTH, &l->nHeight) ||
        l->nWidth == 0 || l->nHeight == 0 || l->nWidth > INT_MAX || l->nHeight > INT_MAX)
        return "no image size";
    TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(t, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(t, TIFFTAG_COMPRESSION, &compression);
    if (!TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &photometric))
        return "no photometric interpretation";
    if (format != SAMPLEFORMAT_UINT)
        return "samples that are not unsigned integers";
    if (photometric == PHOTOMETRIC_YCBCR && compression == COMPRESSION_JPEG)
    {
        // libjpeg turns YCbCr into RGB itself, as it does for a JPEG file.
        if (!TIFFSetField(t, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB))
            return "JPEG in YCbCr that cannot be turned to RGB";
        photometric = PHOTOMETRIC_RGB;
    }
    l->nBits = bits;
    l->nSamples = samples;
    l->bMinIsWhite = photometric == PHOTOMETRIC_MINISWHITE;
    l->bPalette = photometric == PHOTOMETRIC_PALETTE;
    l->bSeparatePlanes = planar == PLANARCONFIG_SEPARATE && samples > 1;
    l->nColours = photometric == PHOTOMETRIC_RGB ? 3 : 1;
    switch (photometric)
    {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK:
        if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16)
            return "a grey depth other than 1, 2, 4, 8 or 16 bits";
        break;
    case PHOTOMETRIC_PALETTE:
        if (bits != 1 && bits != 2 && bits != 4 && bits != 8)
            return "a palette depth other than 1, 2, 4 or 8 bits";
        break;
    case PHOTOMETRIC_RGB:
        if (bits != 8 && bits != 16)
            return "an RGB depth other than 8 or 16 bits";
        break;
    default: return "a colour space other than grey, palette or RGB";
    }
    if (samples < l->nColours)
        return "too few samples a pixel";
    if (l->bPalette)
    {
        const uint16_t* maps[3] = {};
        if (!TIFFGetField(t, TIFFTAG_COLORMAP, &maps[0], &maps[1], &maps[2]) || !maps[0] || !maps[1] || !maps[2])
            return "a palette image without its colour map";
        NarrowColourMap(maps, size_t(1) << bits, l->palette);
    }
    uint16_t nExtra = 0;
    const uint16_t* extra = nullptr;
    if (TIFFGetField(t, TIFFTAG_EXTRASAMPLES, &nExtra, &extra) && extra)
        for (int i = 0; i < nExtra && l->nColours + i < samples; ++i)
            if (extra[i] == EXTRASAMPLE_ASSOCALPHA || extra[i] == EXTRASAMPLE_UNASSALPHA)
            {
                l->nAlpha = l->nColours + i;
                l->bAssociatedAlpha = extra[i] == EXTRASAMPLE_ASSOCALPHA;
                break;
            }

    l->bTiled = TIFFIsTiled(t) != 0;
    if (l->bTiled)
    {
        if (!TIFFGetField(t, TIFFTAG_TILEWIDTH, &l->nBlockWidth) ||
            !TIFFGetField(t, TIFFTAG_TILELENGTH, &l->nBlockHeight) || l->nBlockWidth == 0 || l->nBlockHeight == 0)
            return "tiles without a size";
    }
    else
    {
        uint32_t rows = 0;
        TIFFGetFieldDefaulted(t, TIFFTAG_ROWSPERSTRIP, &rows);
        l->nBlockWidth = l->nWidth;
        l->nBlockHeight = std::min(std::max(rows, 1u), l->nHeight);
    }
    return nullptr;
}

// Decodes the rows of image blocks [first, last) (strips or rows of tiles)
// into image, through reader's own handle. report, when set, is told the
// share of these rows done.
ScanReadStatus DecodeBlockRows(CTiffReader& reader, const std::string& path, const CTiffLayout& l, long long first,
                               long long last, CRgbImage& image, const std::function<void(double)>* report)
{
    TIFF* t = reader.tiff.get();
    const size_t nPlanes = l.bSeparatePlanes ? static_cast<size_t>(l.nSamples) : 1;
    const size_t nPlaneSamples = l.bSeparatePlanes ? 1 : static_cast<size_t>(l.nSamples);
    // Strips of one plane among several are read whole: libtiff cannot go
    // back to a row of a compressed strip it has left for another plane's.
    // Strips of all samples are read row by row, so that a scan stored as one
    // large strip needs no buffer of its size.
    const bool bWholeBlocks = l.bTiled || l.bSeparatePlanes;
    const uint64_t cbRow = l.bTiled ? TIFFTileRowSize64(t) : TIFFScanlineSize64(t);
    const uint64_t cbBlock = l.bTiled ? TIFFTileSize64(t) : bWholeBlocks ? TIFFStripSize64(t) : cbRow;
    // A row must hold its samples: libtiff computes the sizes from the same
    // tags, so anything else is a damaged file.
    const uint64_t cbNeeded = (static_cast<uint64_t>(l.nBlockWidth) * nPlaneSamples * l.nBits + 7) / 8;
    if (cbRow < cbNeeded || cbBlock < cbRow || cbBlock > (uint64_t(1) << 31))
        return ReaderFailure(reader, path, "blocks of an impossible size");
    std::vector<std::vector<unsigned char>> raw(nPlanes, std::vector<unsigned char>(static_cast<size_t>(cbBlock)));
    std::vector<unsigned char> samples(static_cast<size_t>(l.nBlockWidth) * static_cast<size_t>(l.nSamples));

    double reported = 0.0;
    for (long long block = first; block < last; ++block)
    {
        const uint32_t y0 = static_cast<uint32_t>(block) * l.nBlockHeight;
        const uint32_t rows = std::min(l.nBlockHeight, l.nHeight - y0);
        for (uint32_t x0 = 0; x0 < l.nWidth; x0 += l.nBlockWidth)
        {
            const uint32_t columns = std::min(l.nBlockWidth, l.nWidth - x0);
            for (size_t plane = 0; bWholeBlocks && plane < nPlanes; ++plane)
            {
                const uint16_t sample = static_cast<uint16_t>(plane);
                void* buffer = raw[plane].data();
                const tmsize_t got =
                    l.bTiled ? TIFFReadEncodedTile(t, TIFFComputeTile(t, x0, y0, 0, sample), buffer, tmsize_t(cbBlock))
                             : TIFFReadEncodedStrip(t, TIFFComputeStrip(t, y0, sample), buffer, tmsize_t(cbBlock));
                if (got < 0 || static_cast<uint64_t>(got) < cbRow * rows)
                    return ReaderFailure(reader, path, "a block cannot be read");
            }
            for (uint32_t r = 0; r < rows; ++r)
            {
                for (size_t plane = 0; plane < nPlanes; ++plane)
                {
                    const unsigned char* row = raw[plane].data() + (bWholeBlocks ? cbRow * r : 0);
                    if (!bWholeBlocks && TIFFReadScanline(t, raw[plane].data(), y0 + r, 0) < 0)
                        return ReaderFailure(reader, path, "a strip cannot be read");
                    if (nPlanes == 1)
                        UnpackSamples(row, columns * nPlaneSamples, l.nBits, !l.bPalette, samples.data(), 1);
                    else
                        UnpackSamples(row, columns, l.nBits, !l.bPalette, samples.data() + plane, nPlanes);
                }
                SamplesToRgb(l, samples.data(), columns, image.Row(static_cast<int>(y0 + r)) + 3 * size_t(x0));
            }
        }
        if (report && *report)
        {
            const double done = static_cast<double>(block + 1 - first) / static_cast<double>(last - first);
            // A hundred reports at most: the listener may take a lock.
            if (done - reported >= 0.01)
                (*report)(reported = done);
        }
    }
    return ScanReadStatus();
}

// The reduced-resolution images of the file beside its first: its SubIFDs
// and the directories after it marked as reduced images (GDAL's overviews),
// each that we can decode and smaller than the first. pOffsets gets each
// one's directory offset, 0 for the first. The handle is left on the first
// directory, its layout read again; false when it cannot go back there.
bool FindReducedImages(TIFF* t, const CTiffLayout& first, std::vector<CScanLevel>* pLevels,
                       std::vector<uint64_t>* pOffsets)
{
    pLevels->assign(1, CScanLevel{static_cast<int>(first.nWidth), static_cast<int>(first.nHeight), 1.0, 1.0});
    pOffsets->assign(1, 0);
    // Enough for any pyramid; a damaged chain is not walked for long.
    const int kMostDirectories = 64;
    std::vector<uint64_t> candidates;
    uint16_t nSubIfds = 0;
    uint64_t* subIfds = nullptr;
    if (TIFFGetField(t, TIFFTAG_SUBIFD, &nSubIfds, &subIfds) && subIfds)
        candidates.assign(subIfds, subIfds + std::min<int>(nSubIfds, kMostDirectories));
    for (int k = 0; k < kMostDirectories && TIFFReadDirectory(t); ++k)
    {
        uint32_t kind = 0;
        if (TIFFGetField(t, TIFFTAG_SUBFILETYPE, &kind) && (kind & FILETYPE_REDUCEDIMAGE))
            candidates.push_back(TIFFCurrentDirOffset(t));
    }
    for (uint64_t offset : candidates)
    {
        CTiffLayout layout;
        if (offset == 0 || !TIFFSetSubDirectory(t, offset) || ReadLayout(t, &layout) != nullptr ||
            layout.nWidth >= first.nWidth || layout.nHeight >= first.nHeight)
            continue;
        pLevels->push_back(CScanLevel{static_cast<int>(layout.nWidth), static_cast<int>(layout.nHeight),
                                      double(first.nWidth) / layout.nWidth, double(first.nHeight) / layout.nHeight});
        pOffsets->push_back(offset);
    }
    CTiffLayout again;
    return TIFFSetDirectory(t, 0) && ReadLayout(t, &again) == nullptr;
}

ScanReadStatus ReadTiff(const std::string& path, CRgbImage* pImage, const CScanReadOptions& options, CFileSystem& files)
{
    std::unique_ptr<CTiffReader> first = OpenReader(files, path);
    if (!first)
        return {ScanReadError::CannotOpen, path};
    CScanHeader header;
    header.cbFile = first->file->Size();
    if (header.cbFile == 0)
        return {ScanReadError::NotDecodable, path};
    if (!first->tiff)
        return ReaderFailure(*first, path);
    CTiffLayout layout;
    if (const char* unsupported = ReadLayout(first->tiff.get(), &layout))
        return ReaderFailure(*first, path, unsupported);
    header.nWidth = static_cast<int>(layout.nWidth);
    header.nHeight = static_cast<int>(layout.nHeight);
    // The directory decoded: the first, or a reduced image of it.
    uint64_t offset = 0;
    if (options.chooseLevel)
    {
        std::vector<CScanLevel> levels;
        std::vector<uint64_t> offsets;
        // A reduced image that cannot be read is passed over, its words with it.
        const std::string errors = first->errors;
        const bool back = FindReducedImages(first->tiff.get(), layout, &levels, &offsets);
        first->errors = errors;
        if (!back)
            return ReaderFailure(*first, path);
        const size_t chosen = levels.size() > 1 ? options.chooseLevel(header, levels) : 0;
        if (chosen > 0 && chosen < levels.size())
        {
            offset = offsets[chosen];
            if (!TIFFSetSubDirectory(first->tiff.get(), offset))
                return ReaderFailure(*first, path);
            if (const char* unsupported = ReadLayout(first->tiff.get(), &layout))
                return ReaderFailure(*first, path, unsupported);
        }
    }
    header.nWidth = static_cast<int>(layout.nWidth);
    header.nHeight = static_cast<int>(layout.nHeight);
    header.nFileBands = layout.nSamples;
    header.bFile16Bit = layout.nBits == 16;
    header.bFilePalette = layout.bPalette;
    if (layout.bPalette)
        header.filePalette.assign(&layout.palette[0][0], &layout.palette[0][0] + 3 * (size_t(1) << layout.nBits));
    if (options.acceptHeader && !options.acceptHeader(header))
        return {ScanReadError::Refused, path};

    CRgbImage image;
    if (!image.Allocate(header.nWidth, header.nHeight))
        return {ScanReadError::NoMemory, path};

    // A band of block rows a thread; a reader that cannot be opened (a file
    // system that refuses a second open) leaves fewer bands.
    const long long nBlockRows = (layout.nHeight + layout.nBlockHeight - 1) / layout.nBlockHeight;
    std::vector<std::unique_ptr<CTiffReader>> readers;
    readers.push_back(std::move(first));
    const long long nWanted = std::min<long long>(HardwareThreads(), nBlockRows);
    CTiffLayout other;
    while (static_cast<long long>(readers.size()) < nWanted)
    {
        std::unique_ptr<CTiffReader> reader = OpenReader(files, path);
        if (!reader || !reader->tiff || (offset != 0 && !TIFFSetSubDirectory(reader->tiff.get(), offset)) ||
            ReadLayout(reader->tiff.get(), &other) != nullptr)
            break;
        readers.push_back(std::move(reader));
    }
    const long long nBands = static_cast<long long>(readers.size());
    std::vector<ScanReadStatus> results(readers.size());
    ParallelFor(
        nBands,
        [&](long long firstBand, long long lastBand) {
            for (long long band = firstBand; band < lastBand; ++band)
            {
                const long long from = nBlockRows * band / nBands, to = nBlockRows * (band + 1) / nBands;
                // Band 0 runs on the caller's thread: only it reports progress.
                results[band] = DecodeBlockRows(*readers[band], path, layout, from, to, image,
                                                band == 0 ? &options.progress : nullptr);
            }
        },
        static_cast<int>(nBands));
    for (const ScanReadStatus& result : results)
        if (!result.Ok())
            return result;
    if (options.progress)
        options.progress(1.0);
    *pImage = std::move(image);
    return ScanReadStatus();
}

}   // namespace

ScanReadStatus ReadTiffScan(const std::string& path, CRgbImage* pImage, const CScanReadOptions& options,
                            CFileSystem& files)
{
    if (!pImage)
        return {ScanReadError::NoMemory, path};
    try
    {
        return ReadTiff(path, pImage, options, files);
    }
    catch (...)
    {
        // Out of memory for a buffer or a thread: no exception leaves the decoder.
        return {ScanReadError::NoMemory, path};
    }
}
