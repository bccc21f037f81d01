// Our JPEG 2000 decoder over OpenJPEG. The pixels follow opj_decompress:
// OpenJPEG decodes, we turn its components into 8-bit RGB the way that tool
// writes them (chroma sub-sampled components as sYCC, repeated over the
// pixels they cover), so that tests compare with it byte for byte.
#include "core/scan/Jp2Scan.h"

#include <openjpeg.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "core/parallel/ParallelFor.h"

namespace
{

struct CodecCloser
{
    void operator()(opj_codec_t* codec) const { opj_destroy_codec(codec); }
};
struct StreamCloser
{
    void operator()(opj_stream_t* stream) const { opj_stream_destroy(stream); }
};
struct ImageCloser
{
    void operator()(opj_image_t* image) const { opj_image_destroy(image); }
};
using Codec = std::unique_ptr<opj_codec_t, CodecCloser>;
using Stream = std::unique_ptr<opj_stream_t, StreamCloser>;
using Image = std::unique_ptr<opj_image_t, ImageCloser>;

// OpenJPEG's reads, skips and seeks go to our file, so that the file seam
// (memory in the tests) holds for this decoder too.
OPJ_SIZE_T StreamRead(void* pBuffer, OPJ_SIZE_T cb, void* pFile)
{
    const size_t got = static_cast<CFile*>(pFile)->Read(pBuffer, cb);
    return got > 0 ? got : static_cast<OPJ_SIZE_T>(-1);
}

OPJ_OFF_T StreamSkip(OPJ_OFF_T cb, void* pFile)
{
    CFile* file = static_cast<CFile*>(pFile);
    const uint64_t at = file->Tell();
    if (cb < 0 && static_cast<uint64_t>(-cb) > at)
        return -1;
    return file->Seek(at + static_cast<uint64_t>(cb)) ? cb : -1;
}

OPJ_BOOL StreamSeek(OPJ_OFF_T offset, void* pFile)
{
    return offset >= 0 && static_cast<CFile*>(pFile)->Seek(static_cast<uint64_t>(offset));
}

// What OpenJPEG says while it works, kept per codec and never printed: its
// errors become the status's detail, its per-tile notes the progress.
struct Messages
{
    std::string errors;
    const std::function<void(double)>* pProgress = nullptr;
};

void OnError(const char* text, void* pMessages)
{
    Messages* messages = static_cast<Messages*>(pMessages);
    try
    {
        std::string line(text);
        while (!line.empty() && (line.back() == '\n' || line.back() == ' '))
            line.pop_back();
        // OpenJPEG explains the fault first, then each caller that gave up;
        // the first few lines say it all.
        if (messages->errors.size() < 400)
            messages->errors += (messages->errors.empty() ? "" : "; ") + line;
    }
    catch (...)
    {
        // Out of memory: the failure still reaches the caller, without words.
    }
}

void OnWarning(const char*, void*) {}

void OnInfo(const char* text, void* pMessages)
{
    Messages* messages = static_cast<Messages*>(pMessages);
    unsigned done = 0, total = 0;
    if (!messages->pProgress || std::sscanf(text, "Tile %u/%u has been decoded", &done, &total) != 2 || total == 0)
        return;
    try
    {
        // The conversion to RGB takes the last share.
        (*messages->pProgress)(0.9 * done / total);
    }
    catch (...)
    {
        // Nothing may unwind through OpenJPEG's frames.
    }
}

enum class Jp2Kind
{
    None,
    Boxes,
    Codestream
};

Jp2Kind KindFromFirstBytes(const unsigned char* bytes, size_t cb)
{
    static const unsigned char kJp2Signature[12] = {0, 0, 0, 12, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};
    static const unsigned char kCodestreamStart[4] = {0xFF, 0x4F, 0xFF, 0x51};   // SOC, then SIZ
    if (cb >= sizeof kJp2Signature && std::memcmp(bytes, kJp2Signature, sizeof kJp2Signature) == 0)
        return Jp2Kind::Boxes;
    if (cb >= sizeof kCodestreamStart && std::memcmp(bytes, kCodestreamStart, sizeof kCodestreamStart) == 0)
        return Jp2Kind::Codestream;
    return Jp2Kind::None;
}

// x / 2^n rounded up, as OpenJPEG sizes a reduced resolution.
long long CeilDivPow2(long long x, int n) { return (x + (1LL << n) - 1) >> n; }

// A file of one tile larger than this many pixels is decoded in bands of
// about this size. Under Wine a band costs OpenJPEG some 80 bytes a pixel
// at its peak: smaller bands hold less, larger ones re-decode fewer
// code-blocks across their edges. Each worker reads the tile's codestream
// once, for its first band.
const long long kBandPixels = 2LL << 20;

// One open file with its codec, its header read.
struct Opened
{
    std::unique_ptr<CFile> file;
    Codec codec;
    Stream stream;
    Image image;
    std::unique_ptr<Messages> messages;
    CScanHeader header;   // at the requested reduction
    unsigned long long nTiles = 1;
};

ScanReadStatus NotDecodable(const Messages& messages, const std::string& path)
{
    const bool memory = messages.errors.find("memory") != std::string::npos;
    return {memory ? ScanReadError::NoMemory : ScanReadError::NotDecodable,
            messages.errors.empty() ? path : messages.errors};
}

// Opens the file and reads its main header, for decoding at 1/2^nReduce on
// nThreads of OpenJPEG's own threads.
ScanReadStatus Open(const std::string& path, CFileSystem& files, int nReduce, int nThreads,
                    const std::function<void(double)>* pProgress, Opened* pOpened)
{
    Opened& o = *pOpened;
    o.file = files.OpenForReading(path);
    if (!o.file)
        return {ScanReadError::CannotOpen, path};
    o.header.cbFile = o.file->Size();
    unsigned char first[12] = {};
    const size_t got = o.file->Read(first, sizeof first);
    const Jp2Kind kind = KindFromFirstBytes(first, got);
    if (kind == Jp2Kind::None || !o.file->Seek(0))
        return {ScanReadError::NotDecodable, path};

    o.codec.reset(opj_create_decompress(kind == Jp2Kind::Boxes ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K));
    o.messages = std::make_unique<Messages>();
    o.messages->pProgress = pProgress;
    if (!o.codec)
        return {ScanReadError::NoMemory, path};
    opj_set_error_handler(o.codec.get(), OnError, o.messages.get());
    opj_set_warning_handler(o.codec.get(), OnWarning, o.messages.get());
    opj_set_info_handler(o.codec.get(), OnInfo, o.messages.get());
    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    parameters.cp_reduce = static_cast<OPJ_UINT32>(std::max(nReduce, 0));
    // Strict: a file cut short is an error, not an image with blank tiles
    // that would pass for the scan.
    if (!opj_setup_decoder(o.codec.get(), &parameters) || !opj_decoder_set_strict_mode(o.codec.get(), OPJ_TRUE))
        return NotDecodable(*o.messages, path);
    // One thread is the caller's own: OpenJPEG would otherwise start a
    // worker and hand it every code-block through a lock, which costs more
    // than the decoding under Wine.
    opj_codec_set_threads(o.codec.get(), nThreads > 1 ? nThreads : 0);

    o.stream.reset(opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE));
    if (!o.stream)
        return {ScanReadError::NoMemory, path};
    opj_stream_set_user_data(o.stream.get(), o.file.get(), nullptr);
    opj_stream_set_user_data_length(o.stream.get(), o.header.cbFile);
    opj_stream_set_read_function(o.stream.get(), StreamRead);
    opj_stream_set_skip_function(o.stream.get(), StreamSkip);
    opj_stream_set_seek_function(o.stream.get(), StreamSeek);

    opj_image_t* image = nullptr;
    const bool read = opj_read_header(o.stream.get(), o.codec.get(), &image);
    o.image.reset(image);
    if (!read || !image)
        return NotDecodable(*o.messages, path);
    if (image->numcomps < 1 || image->numcomps > 4)
        return {ScanReadError::NotDecodable,
                path + ": " + std::to_string(image->numcomps) + " components (1 to 4 are read)"};
    for (unsigned c = 0; c < image->numcomps; ++c)
    {
        const opj_image_comp_t& comp = image->comps[c];
        if (comp.prec < 1 || comp.prec > 30 || comp.dx < 1 || comp.dy < 1)
            return {ScanReadError::NotDecodable, path + ": unsupported component precision or sampling"};
    }
    const long long width = CeilDivPow2(image->x1, nReduce) - CeilDivPow2(image->x0, nReduce);
    const long long height = CeilDivPow2(image->y1, nReduce) - CeilDivPow2(image->y0, nReduce);
    if (width < 1 || height < 1 || width > INT32_MAX || height > INT32_MAX)
        return {ScanReadError::NotDecodable, path};
    o.header.nWidth = static_cast<int>(width);
    o.header.nHeight = static_cast<int>(height);
    o.header.nFileBands = static_cast<int>(image->numcomps);
    o.header.bFile16Bit = image->comps[0].prec > 8;
    opj_codestream_info_v2_t* info = opj_get_cstr_info(o.codec.get());
    if (!info)
        return {ScanReadError::NoMemory, path};
    o.nTiles = static_cast<unsigned long long>(info->tw) * info->th;
    opj_destroy_cstr_info(&info);
    // Whole, OpenJPEG holds each component as 32-bit samples, and our RGB
    // comes on top; tile by tile, only one tile per worker is held beside
    // it. A scan of one tile large enough for memory to matter is decoded in
    // bands, whose peak stays below this whole figure.
    o.header.cbDecodedPixel = o.nTiles > 1 ? 3 : 4 * image->numcomps + 3;
    return {};
}

// A component's samples as 8 bits: signed ones offset to unsigned, other
// precisions scaled by v * 255 / (2^prec - 1), rounded.
class EightBits
{
public:
    explicit EightBits(const opj_image_comp_t& comp)
        : m_offset(comp.sgnd ? 1LL << (comp.prec - 1) : 0), m_max((1LL << comp.prec) - 1)
    {
    }
    unsigned char operator()(long long v) const
    {
        v = std::min(std::max(v + m_offset, 0LL), m_max);
        return static_cast<unsigned char>(m_max == 255 ? v : (v * 255 + m_max / 2) / m_max);
    }

private:
    long long m_offset;
    long long m_max;
};

// sYCC to RGB in the components' own precision, with opj_decompress's
// coefficients and truncation.
void SyccToRgb(int offset, int upb, int y, int cb, int cr, int* rgb)
{
    cb -= offset;
    cr -= offset;
    const int r = y + static_cast<int>(1.402 * static_cast<float>(cr));
    const int g = y - static_cast<int>(0.344 * static_cast<float>(cb) + 0.714 * static_cast<float>(cr));
    const int b = y + static_cast<int>(1.772 * static_cast<float>(cb));
    rgb[0] = std::min(std::max(r, 0), upb);
    rgb[1] = std::min(std::max(g, 0), upb);
    rgb[2] = std::min(std::max(b, 0), upb);
}

// Where the pixels of the output grid fall in one component: a sub-sampled
// component's sample is repeated over the pixels it covers. The columns are
// mapped once, so that the inner loop divides nothing.
struct ComponentGrid
{
    const OPJ_INT32* data;
    long long width, height;
    long long dx, dy, x0, y0;   // the origin at the decoded resolution
    std::vector<int> columns;   // per output column, the component's column

    void MapColumns(long long originX, int nColumns)
    {
        columns.resize(nColumns);
        for (int col = 0; col < nColumns; ++col)
            columns[col] = static_cast<int>(std::min(std::max((originX + col) / dx - x0, 0LL), width - 1));
    }
    const OPJ_INT32* Row(long long y) const { return data + std::min(std::max(y / dy - y0, 0LL), height - 1) * width; }
};

// The decoded components of a part of the image (all of it, or one tile)
// to 8-bit RGB at the part's place in *pImage, whose top left pixel is the
// whole image's origin (imageX0, imageY0) at this reduction; by bands of
// rows on nThreads threads (0: every core).
bool ToRgb(const opj_image_t& image, int nReduce, long long imageX0, long long imageY0, int nThreads, CRgbImage* pImage)
{
    const unsigned nComps = image.numcomps;
    std::vector<ComponentGrid> grids;
    std::vector<EightBits> scales;
    for (unsigned c = 0; c < nComps; ++c)
    {
        const opj_image_comp_t& comp = image.comps[c];
        if (!comp.data || comp.w < 1 || comp.h < 1)
            return false;
        // OpenJPEG leaves a component's origin at full resolution.
        grids.push_back({comp.data,
                         comp.w,
                         comp.h,
                         comp.dx,
                         comp.dy,
                         CeilDivPow2(comp.x0, nReduce),
                         CeilDivPow2(comp.y0, nReduce),
                         {}});
        scales.emplace_back(comp);
    }
    const bool colour = nComps >= 3;
    const bool alpha = nComps == 2 || nComps == 4;
    // opj_decompress reads sub-sampled chroma as sYCC even when the file
    // does not say so.
    const bool chromaSubsampled = colour && (image.comps[1].dx != 1 || image.comps[1].dy != 1 ||
                                             image.comps[2].dx != 1 || image.comps[2].dy != 1);
    const bool sycc = colour && (image.color_space == OPJ_CLRSPC_SYCC || chromaSubsampled);
    const int syccOffset = 1 << (image.comps[0].prec - 1);
    const int syccMax = (1 << image.comps[0].prec) - 1;
    const long long originX = CeilDivPow2(image.x0, nReduce), originY = CeilDivPow2(image.y0, nReduce);
    const long long left = originX - imageX0, top = originY - imageY0;
    const long long partWidth = CeilDivPow2(image.x1, nReduce) - originX;
    const long long partHeight = CeilDivPow2(image.y1, nReduce) - originY;
    if (left < 0 || top < 0 || partWidth < 1 || partHeight < 1 || left + partWidth > pImage->Width() ||
        top + partHeight > pImage->Height())
        return false;
    const int width = static_cast<int>(partWidth);

    for (ComponentGrid& grid : grids)
        grid.MapColumns(originX, width);

    const auto convertRows = [&](long long first, long long last) {
        const OPJ_INT32* rows[4] = {};
        for (long long row = first; row < last; ++row)
        {
            unsigned char* out = pImage->Row(static_cast<int>(top + row)) + 3 * left;
            for (unsigned c = 0; c < nComps; ++c)
                rows[c] = grids[c].Row(originY + row);
            for (int col = 0; col < width; ++col, out += 3)
            {
                if (!colour)
                {
                    out[0] = out[1] = out[2] = scales[0](rows[0][grids[0].columns[col]]);
                }
                else if (sycc)
                {
                    int rgb[3];
                    SyccToRgb(syccOffset, syccMax, rows[0][grids[0].columns[col]], rows[1][grids[1].columns[col]],
                              rows[2][grids[2].columns[col]], rgb);
                    for (int k = 0; k < 3; ++k)
                        out[k] = scales[0](rgb[k]);
                }
                else
                {
                    for (int k = 0; k < 3; ++k)
                        out[k] = scales[k](rows[k][grids[k].columns[col]]);
                }
                if (alpha)
                {
                    // Over white, as a transparent part of a scanned sheet is paper.
                    const unsigned a = scales[nComps - 1](rows[nComps - 1][grids[nComps - 1].columns[col]]);
                    for (int k = 0; k < 3; ++k)
                        out[k] = static_cast<unsigned char>((out[k] * a + 255 * (255 - a) + 127) / 255);
                }
            }
        }
    };
    ParallelFor(partHeight, convertRows, nThreads);
    return true;
}

// Parts of the image (tiles, or bands of a file of one tile) decoded on
// every core: each worker has its own codec on its own handle of the file,
// on one thread, takes the next part not yet taken, decodes it with
// decodePart and turns it into RGB at its place at once. OpenJPEG's own
// threads, which hand every code-block to a worker through a lock, are not
// needed. The progress is told one call at a time, from the workers.
ScanReadStatus DecodeParts(const std::string& path, CFileSystem& files, int nReduce, const opj_image_t& whole,
                           unsigned long long nParts,
                           const std::function<bool(Opened& worker, unsigned long long part)>& decodePart,
                           const std::function<void(double)>* pProgress, CRgbImage* pImage)
{
    const int nWorkers = static_cast<int>(std::min<unsigned long long>(HardwareThreads(), nParts));
    const long long imageX0 = CeilDivPow2(whole.x0, nReduce), imageY0 = CeilDivPow2(whole.y0, nReduce);
    std::vector<Opened> workers(nWorkers);
    for (Opened& worker : workers)
    {
        const ScanReadStatus status = Open(path, files, nReduce, 0, nullptr, &worker);
        if (!status.Ok())
            return status;
    }

    std::atomic<unsigned long long> next{0};
    std::mutex mutex;   // guards what follows, and the progress calls
    unsigned long long done = 0;
    ScanReadStatus failure;
    std::atomic<bool> failed{false};
    ParallelFor(
        nWorkers,
        [&](long long first, long long last) {
            for (long long w = first; w < last; ++w)
            {
                Opened& o = workers[static_cast<size_t>(w)];
                for (unsigned long long part = next++; part < nParts && !failed; part = next++)
                {
                    const bool decoded = decodePart(o, part);
                    const bool placed = decoded && ToRgb(*o.image, nReduce, imageX0, imageY0, 1, pImage);
                    std::lock_guard<std::mutex> lock(mutex);
                    if (!placed)
                    {
                        if (!failed.exchange(true))
                            failure = decoded ? ScanReadStatus{ScanReadError::NotDecodable, path}
                                              : NotDecodable(*o.messages, path);
                        return;
                    }
                    ++done;
                    if (pProgress && *pProgress)
                        (*pProgress)(0.95 * static_cast<double>(done) / static_cast<double>(nParts));
                }
            }
        },
        nWorkers, 1);
    return failed ? failure : ScanReadStatus{};
}

// A tiled file, tile by tile: faster than OpenJPEG's threads within one
// tile, and only a tile per worker of its 32-bit samples is held beside the
// image.
ScanReadStatus DecodeTiles(const std::string& path, CFileSystem& files, int nReduce, const Opened& header,
                           const std::function<void(double)>* pProgress, CRgbImage* pImage)
{
    return DecodeParts(
        path, files, nReduce, *header.image, header.nTiles,
        [](Opened& o, unsigned long long tile) {
            return opj_get_decoded_tile(o.codec.get(), o.stream.get(), o.image.get(), static_cast<OPJ_UINT32>(tile)) !=
                   OPJ_FALSE;
        },
        pProgress, pImage);
}

// A file of one tile, in horizontal bands: a worker's codec keeps the
// tile's codestream after its first band and decodes each band from the
// code-blocks under it (and the wavelet's margin) to the pixels a whole
// decode gives. A worker holds only its band's 32-bit samples, where a
// whole decode held the image's.
ScanReadStatus DecodeBands(const std::string& path, CFileSystem& files, int nReduce, const Opened& header,
                           long long nBandPixels, const std::function<void(double)>* pProgress, CRgbImage* pImage)
{
    const opj_image_t& whole = *header.image;
    // Edges on whole rows of every component at this reduction, so that no
    // band needs a sample of another.
    long long step = 1LL << nReduce;
    for (unsigned c = 0; c < whole.numcomps; ++c)
        step = std::max<long long>(step, (1LL << nReduce) * whole.comps[c].dy);
    const long long bandRows = std::max(1LL, nBandPixels / std::max(header.header.nWidth, 1));
    const long long height = ((bandRows << nReduce) + step - 1) / step * step;   // on the reference grid
    std::vector<long long> edges = {whole.y0};
    for (long long y = (whole.y0 / height + 1) * height; y < whole.y1; y += height)
        edges.push_back(y);
    edges.push_back(whole.y1);
    return DecodeParts(
        path, files, nReduce, whole, edges.size() - 1,
        [&](Opened& o, unsigned long long band) {
            return opj_set_decode_area(o.codec.get(), o.image.get(), static_cast<OPJ_INT32>(whole.x0),
                                       static_cast<OPJ_INT32>(edges[band]), static_cast<OPJ_INT32>(whole.x1),
                                       static_cast<OPJ_INT32>(edges[band + 1])) &&
                   opj_decode(o.codec.get(), o.stream.get(), o.image.get());
        },
        pProgress, pImage);
}

}   // namespace

ScanReadStatus ReadJp2Levels(const std::string& path, CJp2Levels* pLevels, CFileSystem& files)
{
    if (!pLevels)
        return {ScanReadError::NoMemory, path};
    try
    {
        Opened opened;
        const ScanReadStatus status = Open(path, files, 0, 1, nullptr, &opened);
        if (!status.Ok())
            return status;
        opj_codestream_info_v2_t* info = opj_get_cstr_info(opened.codec.get());
        if (!info)
            return {ScanReadError::NoMemory, path};
        // Each component can have its own number of levels: the fewest bound all.
        OPJ_UINT32 resolutions = UINT32_MAX;
        if (info->m_default_tile_info.tccp_info)
            for (OPJ_UINT32 c = 0; c < info->nbcomps; ++c)
                resolutions = std::min(resolutions, info->m_default_tile_info.tccp_info[c].numresolutions);
        opj_destroy_cstr_info(&info);
        if (resolutions == UINT32_MAX || resolutions < 1)
            return {ScanReadError::NotDecodable, path};
        pLevels->full = opened.header;
        pLevels->nReductions = static_cast<int>(std::min<OPJ_UINT32>(resolutions - 1, 31));
        pLevels->levels.clear();
        const opj_image_t& image = *opened.image;
        for (int r = 0; r <= pLevels->nReductions; ++r)
        {
            const long long width = CeilDivPow2(image.x1, r) - CeilDivPow2(image.x0, r);
            const long long height = CeilDivPow2(image.y1, r) - CeilDivPow2(image.y0, r);
            if (width < 1 || height < 1)
                break;
            pLevels->levels.push_back(
                CScanLevel{static_cast<int>(width), static_cast<int>(height), double(1LL << r), double(1LL << r)});
        }
        return {};
    }
    catch (...)
    {
        return {ScanReadError::NoMemory, path};
    }
}

ScanReadStatus ReadJp2Scan(const std::string& path, CRgbImage* pImage, const CScanReadOptions& options,
                           CFileSystem& files, int nReduce, long long nBandPixels)
{
    if (!pImage)
        return {ScanReadError::NoMemory, path};
    // Beyond 31 halvings no image is left; OpenJPEG refuses more than a file has.
    if (nReduce < 0 || nReduce > 31)
        return {ScanReadError::NotDecodable, path};
    try
    {
        Opened opened;
        const std::function<void(double)>* pProgress = options.progress ? &options.progress : nullptr;
        ScanReadStatus status = Open(path, files, nReduce, HardwareThreads(), pProgress, &opened);
        if (!status.Ok())
            return status;
        if (options.acceptHeader && !options.acceptHeader(opened.header))
            return {ScanReadError::Refused, path};
        if (!ImageSizeFits(opened.header.nWidth, opened.header.nHeight, opened.header.cbDecodedPixel))
            return {ScanReadError::NoMemory, path};
        if (options.progress)
            options.progress(0.0);
        if (nBandPixels <= 0)
            nBandPixels = kBandPixels;
        const bool banded =
            opened.nTiles == 1 && static_cast<long long>(opened.header.nWidth) * opened.header.nHeight > nBandPixels;
        if (opened.nTiles > 1 || banded)
        {
            CRgbImage image;
            if (!image.Allocate(opened.header.nWidth, opened.header.nHeight))
                return {ScanReadError::NoMemory, path};
            status = banded ? DecodeBands(path, files, nReduce, opened, nBandPixels, pProgress, &image)
                            : DecodeTiles(path, files, nReduce, opened, pProgress, &image);
            if (!status.Ok())
                return status;
            *pImage = std::move(image);
            if (options.progress)
                options.progress(1.0);
            return {};
        }
        if (!opj_decode(opened.codec.get(), opened.stream.get(), opened.image.get()) ||
            !opj_end_decompress(opened.codec.get(), opened.stream.get()))
            return NotDecodable(*opened.messages, path);
        // The file is no longer needed while the pixels are converted.
        opened.stream.reset();
        opened.codec.reset();
        opened.file.reset();

        CRgbImage image;
        if (!image.Allocate(opened.header.nWidth, opened.header.nHeight))
            return {ScanReadError::NoMemory, path};
        if (!ToRgb(*opened.image, nReduce, CeilDivPow2(opened.image->x0, nReduce),
                   CeilDivPow2(opened.image->y0, nReduce), 0, &image))
            return {ScanReadError::NotDecodable, path};
        *pImage = std::move(image);
        if (options.progress)
            options.progress(1.0);
        return {};
    }
    catch (...)
    {
        // Out of memory: no exception leaves the decoder.
        return {ScanReadError::NoMemory, path};
    }
}
