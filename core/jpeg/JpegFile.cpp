// Our JPEG decoder over libjpeg-turbo: the same library and the same settings
// as djpeg (accurate integer DCT, smooth upsampling), so that our pixels
// equal djpeg's byte for byte.
#include "core/jpeg/JpegFile.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <condition_variable>
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "core/io/FileSystem.h"

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace
{

// Adobe CMYK as libjpeg stores it (0 is full ink) to RGB, with the rounding
// of djpeg's PPM writer, r = round(c * k / 255). The conversion runs in place
// from 4 to 3 bytes a pixel: pixel i is read whole before its RGB goes to bytes
// 3i..3i+2, which lie below byte 4(i+1), where the next unread pixel begins.
void CmykToRgbInPlace(unsigned char* pixels, size_t pixelCount)
{
    for (size_t i = 0; i < pixelCount; ++i)
    {
        const unsigned c = pixels[4 * i], m = pixels[4 * i + 1], y = pixels[4 * i + 2], k = pixels[4 * i + 3];
        pixels[3 * i] = static_cast<unsigned char>((2 * c * k + 255) / 510);
        pixels[3 * i + 1] = static_cast<unsigned char>((2 * m * k + 255) / 510);
        pixels[3 * i + 2] = static_cast<unsigned char>((2 * y * k + 255) / 510);
    }
}

// libjpeg reports errors by calling error_exit, which must not return: it
// jumps back to the setjmp of the call below. Warnings (a truncated file,
// corrupt data) jump too: a map with grey blocks in it must not pass for
// the scan.
struct ErrorJump
{
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr cinfo)
{
    ErrorJump* err = reinterpret_cast<ErrorJump*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void EmitMessage(j_common_ptr cinfo, int level)
{
    if (level < 0)
        ErrorExit(cinfo);
}

void OutputMessage(j_common_ptr) {}

struct Progress
{
    jpeg_progress_mgr manager;
    const std::function<void(double)>* pReport;
    double reported;
};

void ReportProgress(j_common_ptr cinfo)
{
    Progress* progress = reinterpret_cast<Progress*>(cinfo->progress);
    const jpeg_progress_mgr& m = progress->manager;
    if (m.pass_limit <= 0 || m.total_passes <= 0)
        return;
    const double done = (m.completed_passes + static_cast<double>(m.pass_counter) / m.pass_limit) / m.total_passes;
    // A hundred reports at most: the listener may take a lock.
    if (done - progress->reported >= 0.01)
    {
        progress->reported = done;
        (*progress->pReport)(done);
    }
}

// A fresh image buffer costs a page fault on its first write to each page,
// about a third of the decode's time on one core. A second thread touches
// the pages ahead of the decoder, which writes rows only once they are
// touched (ready counts the bytes done, published with release order), so
// no byte is written by both at once and every byte ends as the decoder
// wrote it.
struct PageToucher
{
    unsigned char* pBegin = nullptr;
    size_t cbSize = 0;
    std::atomic<size_t> ready{0};
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable advanced;
    std::thread thread;

    static const size_t kPage = 4096;
    static const size_t kChunk = 1 << 20;
    // Below this, the thread would cost more than the faults it takes over.
    static const size_t kLeastBytes = 4 << 20;

    void Start(unsigned char* pPixels, size_t cb)
    {
        pBegin = pPixels;
        cbSize = cb;
        if (cb < kLeastBytes)
        {
            ready.store(cb);
            return;
        }
        try
        {
            thread = std::thread([this] { Run(); });
        }
        catch (const std::system_error&)
        {
            ready.store(cbSize);
        }
    }

    void Run()
    {
        size_t done = 0;
        while (done < cbSize && !stop.load(std::memory_order_relaxed))
        {
            const size_t end = std::min(cbSize, done + kChunk);
            for (size_t at = done; at < end; at += kPage)
                reinterpret_cast<volatile unsigned char*>(pBegin)[at] = 0;
            done = end;
            {
                // Under the lock, so that a decoder about to wait cannot miss it.
                std::lock_guard<std::mutex> lock(mutex);
                ready.store(done, std::memory_order_release);
            }
            advanced.notify_one();
        }
    }

    // Waits until the bytes below cbEnd may be written by the decoder:
    // asleep, so that on a busy machine the wait leaves the core to the
    // thread it waits for.
    void WaitFor(size_t cbEnd)
    {
        if (ready.load(std::memory_order_acquire) >= cbEnd)
            return;
        std::unique_lock<std::mutex> lock(mutex);
        advanced.wait(lock, [&] { return ready.load(std::memory_order_acquire) >= cbEnd; });
    }

    ~PageToucher()
    {
        stop.store(true);
        if (thread.joinable())
            thread.join();
    }
};

// A side of the image decoded at 1/nDenominator, rounded up as libjpeg does.
JDIMENSION ReducedSide(JDIMENSION side, unsigned nDenominator)
{
    return static_cast<JDIMENSION>((static_cast<unsigned long long>(side) + nDenominator - 1) / nDenominator);
}

// The calls into libjpeg. A jump from the library lands in this frame, which
// holds nothing with a destructor. pPixels NULL: the header only.
bool RunDecompress(jpeg_decompress_struct* cinfo, const unsigned char* data, size_t size, CScanHeader* pHeader,
                   unsigned char* pPixels, unsigned nDenominator, PageToucher* pToucher = nullptr)
{
    ErrorJump* err = reinterpret_cast<ErrorJump*>(cinfo->err);
    if (setjmp(err->jump))
        return false;
    jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK)
        return false;
    // libjpeg converts grey and YCbCr to RGB itself, but not CMYK: that
    // comes out as CMYK and is converted afterwards, in the same buffer.
    const bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    if (cinfo->image_width > INT_MAX || cinfo->image_height > INT_MAX)
        return false;
    pHeader->nWidth = static_cast<int>(cinfo->image_width);
    pHeader->nHeight = static_cast<int>(cinfo->image_height);
    pHeader->cbDecodedPixel = cmyk ? 4 : 3;
    // GDAL shows grey as one band, and CMYK, as we do, as RGB.
    pHeader->nFileBands = cinfo->num_components == 1 ? 1 : 3;
    if (!pPixels)
        return true;

    // libjpeg's own scaling (1/2, 1/4, 1/8): smaller DCTs, never the full image.
    cinfo->scale_num = 1;
    cinfo->scale_denom = nDenominator;
    jpeg_start_decompress(cinfo);
    if (cinfo->output_width != ReducedSide(cinfo->image_width, nDenominator) ||
        cinfo->output_height != ReducedSide(cinfo->image_height, nDenominator) ||
        static_cast<size_t>(cinfo->output_components) != pHeader->cbDecodedPixel)
        return false;
    const size_t rowBytes = static_cast<size_t>(cinfo->output_width) * pHeader->cbDecodedPixel;
    JSAMPROW rows[16];
    while (cinfo->output_scanline < cinfo->output_height)
    {
        const JDIMENSION first = cinfo->output_scanline;
        const JDIMENSION count = std::min<JDIMENSION>(16, cinfo->output_height - first);
        if (pToucher)
            pToucher->WaitFor(rowBytes * (static_cast<size_t>(first) + count));
        for (JDIMENSION k = 0; k < count; ++k)
            rows[k] = pPixels + rowBytes * (static_cast<size_t>(first) + k);
        if (jpeg_read_scanlines(cinfo, rows, count) == 0)
            return false;
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

// The header (pImage NULL) or the whole image, from the file's bytes.
ScanReadStatus Decompress(const std::string& jpeg, CScanHeader* pHeader, CRgbImage* pImage,
                          const std::function<void(double)>& report, unsigned nDenominator = 1)
{
    jpeg_decompress_struct cinfo;
    ErrorJump err;
    err.message[0] = '\0';
    cinfo.err = jpeg_std_error(&err.manager);
    err.manager.error_exit = ErrorExit;
    err.manager.emit_message = EmitMessage;
    err.manager.output_message = OutputMessage;
    jpeg_create_decompress(&cinfo);
    Progress progress = {};
    if (report)
    {
        progress.manager.progress_monitor = ReportProgress;
        progress.pReport = &report;
        cinfo.progress = &progress.manager;
    }
    const unsigned char* data = reinterpret_cast<const unsigned char*>(jpeg.data());
    ScanReadStatus status;
    if (!RunDecompress(&cinfo, data, jpeg.size(), pHeader, nullptr, 1))
    {
        status = {ScanReadError::NotDecodable, err.message};
    }
    else if (pImage)
    {
        // Refused before allocating when the process cannot address it.
        CRgbImage image;
        if (!image.Allocate(static_cast<int>(ReducedSide(pHeader->nWidth, nDenominator)),
                            static_cast<int>(ReducedSide(pHeader->nHeight, nDenominator)), pHeader->cbDecodedPixel))
        {
            status = ScanReadError::NoMemory;
        }
        else
        {
            // The header is read again: the first call ended after it.
            jpeg_abort_decompress(&cinfo);
            bool decoded;
            {
                PageToucher toucher;
                toucher.Start(image.Pixels(), image.PixelCount() * pHeader->cbDecodedPixel);
                decoded = RunDecompress(&cinfo, data, jpeg.size(), pHeader, image.Pixels(), nDenominator, &toucher);
            }
            if (decoded)
            {
                if (pHeader->cbDecodedPixel == 4)
                    CmykToRgbInPlace(image.Pixels(), image.PixelCount());
                *pImage = std::move(image);
            }
            else
            {
                status = {ScanReadError::NotDecodable, err.message};
            }
        }
    }
    jpeg_destroy_decompress(&cinfo);
    return status;
}

// The first bytes hold the header of any JPEG a scanner writes; one whose
// markers before the frame are longer is read whole for its header.
const size_t kHeaderProbeBytes = 256 * 1024;

}   // namespace

ScanReadStatus JpegFile::ReadJpegFile(const std::string& fileName, CRgbImage* pImage, const CScanReadOptions& options,
                                      CFileSystem& files)
{
    if (!pImage)
        return {ScanReadError::NoMemory, fileName};
    try
    {
        std::unique_ptr<CFile> file = files.OpenForReading(fileName);
        if (!file)
            return {ScanReadError::CannotOpen, fileName};
        if (file->Size() == 0)
            return {ScanReadError::NotDecodable, fileName};
        // libjpeg's memory source takes the size as an unsigned long, 32 bits on Windows.
        if (file->Size() > ULONG_MAX)
            return {ScanReadError::NoMemory, fileName};
        CScanHeader header;
        header.cbFile = file->Size();
        header.bFileHeld = true;
        std::string jpeg;
        if (!ReadFileBytes(*file, &jpeg, kHeaderProbeBytes))
            return {ScanReadError::ReadFailed, fileName};
        bool whole = jpeg.size() < kHeaderProbeBytes;
        ScanReadStatus status = Decompress(jpeg, &header, nullptr, nullptr);
        if (!status.Ok() && !whole)
        {
            // Markers longer than the probe before the frame: the header needs the whole file.
            if (!ReadFileBytes(*file, &jpeg))
                return {ScanReadError::ReadFailed, fileName};
            whole = true;
            status = Decompress(jpeg, &header, nullptr, nullptr);
        }
        if (!status.Ok())
            return status;
        unsigned nDenominator = 1;
        if (options.chooseLevel)
        {
            std::vector<CScanLevel> levels;
            for (unsigned d = 1; d <= 8; d *= 2)
                levels.push_back(CScanLevel{static_cast<int>(ReducedSide(header.nWidth, d)),
                                            static_cast<int>(ReducedSide(header.nHeight, d)), double(d), double(d)});
            const size_t chosen = options.chooseLevel(header, levels);
            if (chosen < levels.size())
                nDenominator = 1u << chosen;
        }
        CScanHeader shown = header;
        shown.nWidth = static_cast<int>(ReducedSide(header.nWidth, nDenominator));
        shown.nHeight = static_cast<int>(ReducedSide(header.nHeight, nDenominator));
        if (options.acceptHeader && !options.acceptHeader(shown))
            return {ScanReadError::Refused, fileName};
        if (!whole && !ReadFileBytes(*file, &jpeg))
            return {ScanReadError::ReadFailed, fileName};
        file.reset();
        return Decompress(jpeg, &header, pImage, options.progress, nDenominator);
    }
    catch (...)
    {
        // Out of memory while reading the file: no exception leaves the decoder.
        return {ScanReadError::NoMemory, fileName};
    }
}

bool JpegFile::JpegFileToRGB(const std::string& fileName, CRgbImage* pImage, CFileSystem& files)
{
    return ReadJpegFile(fileName, pImage, CScanReadOptions(), files).Ok();
}
