// The TIFF and PNG decoders, natively and under Wine: their pixels equal the
// RGB GDAL reads from the same small fixtures (tests/data/scan, made by
// make_fixtures.sh, with the same 16-bit and alpha rules), damaged files are
// refused with a cause and without a crash, and the header is asked first.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "core/io/MemoryFile.h"
#include "core/scan/PngScan.h"
#include "core/scan/TiffScan.h"
#include "tests/core/TestFiles.h"

namespace
{

const std::string kFixtures = std::string(QUARVEX_SOURCE_DIR) + "/tests/data/scan/";
const int kUntouchedWidth = 13, kUntouchedHeight = 7;

using Decoder = ScanReadStatus (*)(const std::string&, CRgbImage*, const CScanReadOptions&, CFileSystem&);

Decoder DecoderOf(const std::string& name)
{
    return name.substr(name.size() - 4) == ".png" ? ReadPngScan : ReadTiffScan;
}

// The expected RGB: a binary PPM as make_fixtures.sh writes it.
std::string ReadPpmPixels(const std::string& path, int* pWidth, int* pHeight)
{
    const std::string bytes = ReadFileBytes(path);
    int header = 0;
    if (std::sscanf(bytes.c_str(), "P6 %d %d 255%n", pWidth, pHeight, &header) != 2 || header == 0)
        return std::string();
    return bytes.substr(static_cast<size_t>(header) + 1);
}

// A decode from memory, through the file seam; the image starts at a size
// a failure must leave it at.
struct Decoded
{
    ScanReadStatus status;
    CRgbImage image;
    std::string Pixels() const { return std::string(reinterpret_cast<const char*>(image.Pixels()), image.ByteCount()); }
};

Decoded Decode(Decoder decode, const std::string& bytes, CFileSystem* pFiles = nullptr,
               const CScanReadOptions& options = CScanReadOptions())
{
    Decoded result;
    EXPECT_TRUE(result.image.Allocate(kUntouchedWidth, kUntouchedHeight));
    CMemoryFileSystem memory;
    memory.m_files["scan"] = bytes;
    result.status = decode("scan", &result.image, options, pFiles ? *pFiles : memory);
    return result;
}

class ScanMatchesGdal : public testing::TestWithParam<const char*>
{};

TEST_P(ScanMatchesGdal, ByteForByte)
{
    const std::string name = GetParam();
    int width = 0, height = 0;
    const std::string expected = ReadPpmPixels(kFixtures + name.substr(0, name.rfind('.')) + ".ppm", &width, &height);
    ASSERT_EQ(expected.size(), 37u * 23u * 3u) << "fixture missing or unreadable";
    const std::string bytes = ReadFileBytes(kFixtures + name);
    ASSERT_FALSE(bytes.empty());

    const Decoded decoded = Decode(DecoderOf(name), bytes);
    ASSERT_TRUE(decoded.status.Ok()) << decoded.status.Detail();
    EXPECT_EQ(decoded.image.Width(), width);
    EXPECT_EQ(decoded.image.Height(), height);
    EXPECT_TRUE(decoded.Pixels() == expected) << "pixels differ from GDAL's";
}

std::string FixtureName(const testing::TestParamInfo<const char*>& info)
{
    std::string name = info.param;
    for (char& c : name)
        if (c == '-' || c == '.')
            c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Tiff, ScanMatchesGdal,
                         testing::Values("rgb-none.tif", "rgb-lzw.tif", "rgb-deflate.tif", "rgb-packbits.tif",
                                         "rgb-jpeg.tif", "rgb-tiled.tif", "rgb-bigtiff.tif", "rgb-bigtiff-strips.tif",
                                         "rgb16.tif", "rgb16-planes.tif", "rgba.tif", "grey.tif", "palette.tif",
                                         "palette4.tif", "bilevel-g4.tif", "bilevel-g3.tif", "bilevel-packbits.tif",
                                         "bilevel-black0-tiled.tif"),
                         FixtureName);
INSTANTIATE_TEST_SUITE_P(Png, ScanMatchesGdal,
                         testing::Values("rgb.png", "rgba.png", "rgb16.png", "rgba16.png", "grey.png", "grey2.png",
                                         "grey16.png", "grey-alpha.png", "palette.png", "palette4-alpha.png",
                                         "interlaced.png", "interlaced-rgba16.png"),
                         FixtureName);

// A file system over memory whose files give out after a number of bytes
// read (a failing disk) and that opens a file only so many times.
class CFailingFiles : public CFileSystem
{
public:
    CFailingFiles(const std::string& bytes, uint64_t cbReadable, int nOpens)
        : m_bytes(bytes), m_cbReadable(cbReadable), m_nOpens(nOpens)
    {
    }
    std::unique_ptr<CFile> OpenForReading(const std::string&) override
    {
        if (m_nOpens-- <= 0)
            return nullptr;
        return std::make_unique<CFailingFile>(&m_bytes, m_cbReadable);
    }
    std::unique_ptr<CFile> OpenForWriting(const std::string&, FileWriteMode) override { return nullptr; }
    bool Replace(const std::string&, const std::string&) override { return false; }
    bool Remove(const std::string&) override { return false; }
    bool Exists(const std::string&) override { return true; }

private:
    class CFailingFile : public CMemoryFile
    {
    public:
        CFailingFile(std::string* pBytes, uint64_t cbReadable) : CMemoryFile(pBytes), m_cbReadable(cbReadable) {}
        size_t Read(void* pData, size_t cb) override
        {
            const uint64_t room = Tell() < m_cbReadable ? m_cbReadable - Tell() : 0;
            return CMemoryFile::Read(pData, static_cast<size_t>(std::min<uint64_t>(cb, room)));
        }

    private:
        uint64_t m_cbReadable;
    };
    std::string m_bytes;
    uint64_t m_cbReadable;
    int m_nOpens;
};

// A failure says why, in the words the user is shown.
TEST(ScanDecoders, FailureGivesItsCause)
{
    const std::string tiff = ReadFileBytes(kFixtures + "rgb-lzw.tif");
    const std::string png = ReadFileBytes(kFixtures + "rgba.png");
    const struct
    {
        const char* name;
        Decoder decode;
        std::string bytes;
        ScanReadError error;
        const char* detail;   // a part of it
    } cases[] = {
        {"empty tiff", ReadTiffScan, "", ScanReadError::NotDecodable, "scan"},
        {"empty png", ReadPngScan, "", ScanReadError::NotDecodable, "scan"},
        {"text as tiff", ReadTiffScan, "Not a TIFF at all", ScanReadError::NotDecodable, "Not a TIFF"},
        {"png as tiff", ReadTiffScan, png, ScanReadError::NotDecodable, "Not a TIFF"},
        {"tiff as png", ReadPngScan, tiff, ScanReadError::NotDecodable, "Not a PNG"},
        {"cmyk", ReadTiffScan, ReadFileBytes(kFixtures + "refused-cmyk.tif"), ScanReadError::NotDecodable,
         "colour space"},
        {"tiff header only", ReadTiffScan, tiff.substr(0, 8), ScanReadError::NotDecodable, "scan: "},
        {"tiff cut in half", ReadTiffScan, tiff.substr(0, tiff.size() / 2), ScanReadError::NotDecodable, "scan: "},
        {"png cut in half", ReadPngScan, png.substr(0, png.size() / 2), ScanReadError::NotDecodable, "ends early"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        const Decoded decoded = Decode(c.decode, c.bytes);
        EXPECT_EQ(decoded.status.GetCode(), c.error);
        EXPECT_NE(decoded.status.Detail().find(c.detail), std::string::npos) << decoded.status.Detail();
        EXPECT_EQ(decoded.image.Width(), kUntouchedWidth);
    }

    for (Decoder decode : {ReadTiffScan, ReadPngScan})
    {
        CMemoryFileSystem none;
        CRgbImage image;
        EXPECT_EQ(decode("missing", &image, CScanReadOptions(), none).GetCode(), ScanReadError::CannotOpen);
        // A read that stops inside the file is the disk's fault, not the file's.
        const std::string& bytes = decode == ReadTiffScan ? tiff : png;
        CFailingFiles failing(bytes, bytes.size() / 2, 8);
        EXPECT_EQ(Decode(decode, bytes, &failing).status.GetCode(), ScanReadError::ReadFailed);
    }
}

// A TIFF is read by several threads, each opening the file anew; a file
// system that opens it only once still gets the image, on one thread.
TEST(ScanDecoders, TiffOpenedOnceDecodesAllTheSame)
{
    const std::string bytes = ReadFileBytes(kFixtures + "rgb-deflate.tif");
    CFailingFiles once(bytes, bytes.size(), 1);
    const Decoded single = Decode(ReadTiffScan, bytes, &once);
    ASSERT_TRUE(single.status.Ok()) << single.status.Detail();
    EXPECT_TRUE(single.Pixels() == Decode(ReadTiffScan, bytes).Pixels());
}

// Damaged files: cut short or with any byte flipped, a decoder either
// reads an image or refuses with a cause, leaving the image as it was.
TEST(ScanDecoders, DamagedFilesAreRefusedWithACause)
{
    for (const char* name : {"rgb-lzw.tif", "rgb-tiled.tif", "rgb-bigtiff.tif", "bilevel-g4.tif", "rgb-jpeg.tif",
                             "palette4.tif", "rgba.png", "interlaced-rgba16.png", "palette4-alpha.png"})
    {
        SCOPED_TRACE(name);
        const std::string good = ReadFileBytes(kFixtures + name);
        ASSERT_FALSE(good.empty());
        const Decoder decode = DecoderOf(name);
        for (size_t at = 0; at < good.size(); at += 5)
        {
            for (const std::string& bad : {good.substr(0, at), std::string(good).replace(at, 1, 1, ~good[at])})
            {
                const Decoded decoded = Decode(decode, bad);
                if (decoded.status.Ok())
                    continue;
                ASSERT_NE(decoded.status.GetCode(), ScanReadError::Refused) << at;
                ASSERT_FALSE(decoded.status.Detail().empty()) << at;
                ASSERT_EQ(decoded.image.Width(), kUntouchedWidth) << at;
                ASSERT_EQ(decoded.image.Height(), kUntouchedHeight) << at;
            }
        }
        // A flipped byte in the pixel data of a PNG fails its chunk's check.
        std::string flipped = good;
        flipped[good.size() / 2] = static_cast<char>(~flipped[good.size() / 2]);
        if (decode == ReadPngScan)
        {
            EXPECT_EQ(Decode(decode, flipped).status.GetCode(), ScanReadError::NotDecodable);
        }
        EXPECT_FALSE(Decode(decode, good.substr(0, good.size() / 2)).status.Ok());
    }
}

// The header is shown before any pixel buffer is allocated: a refusal
// leaves the image as it was and decodes nothing; an accepted one reports
// its progress, in order, up to the whole.
TEST(ScanDecoders, HeaderIsAskedFirstAndProgressIsReported)
{
    for (const char* name : {"rgb-lzw.tif", "rgb-tiled.tif", "rgb.png", "interlaced-rgba16.png"})
    {
        SCOPED_TRACE(name);
        const std::string bytes = ReadFileBytes(kFixtures + name);
        CScanHeader seen;
        bool progressed = false;
        CScanReadOptions refuse;
        refuse.acceptHeader = [&seen](const CScanHeader& header) {
            seen = header;
            return false;
        };
        refuse.progress = [&progressed](double) { progressed = true; };
        const Decoded refused = Decode(DecoderOf(name), bytes, nullptr, refuse);
        EXPECT_EQ(refused.status.GetCode(), ScanReadError::Refused);
        EXPECT_EQ(refused.image.Width(), kUntouchedWidth);
        EXPECT_FALSE(progressed);
        EXPECT_EQ(seen.nWidth, 37);
        EXPECT_EQ(seen.nHeight, 23);
        EXPECT_EQ(seen.cbFile, bytes.size());

        CScanReadOptions accept;
        double last = 0.0;
        bool ordered = true;
        accept.progress = [&](double done) {
            ordered = ordered && done >= last && done <= 1.0;
            last = done;
        };
        EXPECT_TRUE(Decode(DecoderOf(name), bytes, nullptr, accept).status.Ok());
        EXPECT_TRUE(ordered);
        EXPECT_EQ(last, 1.0);
    }
}

}   // namespace
