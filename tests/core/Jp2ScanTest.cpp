// The JPEG 2000 decoder, natively and under Wine, read through the file seam
// from memory: its pixels equal opj_decompress's from the same fixtures
// (tests/data/jp2, made by make_fixtures.sh), at full and reduced sizes, and
// a damaged file is refused with a cause, leaving the image as it was.
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/io/MemoryFile.h"
#include "core/scan/Jp2Scan.h"
#include "tests/core/TestFiles.h"

namespace
{

const std::string kFixtures = std::string(QUARVEX_SOURCE_DIR) + "/tests/data/jp2/";
const int kUntouchedWidth = 13, kUntouchedHeight = 7;

// A PPM (P6) or PGM (P5) of 8-bit samples, grey widened to RGB.
bool ReadPnm(const std::string& path, int* pWidth, int* pHeight, std::string* pRgb)
{
    const std::string bytes = ReadFileBytes(path);
    char kind = 0;
    int maxValue = 0, headerLength = 0;
    if (std::sscanf(bytes.c_str(), "P%c %d %d %d%n", &kind, pWidth, pHeight, &maxValue, &headerLength) != 4 ||
        maxValue != 255)
        return false;
    const std::string samples = bytes.substr(headerLength + 1);
    pRgb->clear();
    for (char sample : samples)
        pRgb->append(kind == '5' ? 3 : 1, sample);
    return pRgb->size() == 3u * *pWidth * *pHeight;
}

// The fixture as the only file of a memory file system.
struct InMemory
{
    CMemoryFileSystem files;
    std::string path;
    explicit InMemory(const std::string& name, const std::string& bytes) : path("scans/" + name)
    {
        files.m_files[path] = bytes;
    }
};

ScanReadStatus Read(InMemory& scan, CRgbImage* pImage, int nReduce = 0,
                    const CScanReadOptions& options = CScanReadOptions())
{
    return ReadJp2Scan(scan.path, pImage, options, scan.files, nReduce);
}

struct Fixture
{
    const char* file;
    int nReduce;
    const char* expected;
};

void PrintTo(const Fixture& fixture, std::ostream* os) { *os << fixture.file << " reduced " << fixture.nReduce; }

class Jp2ScanMatchesOpjDecompress : public testing::TestWithParam<Fixture>
{};

TEST_P(Jp2ScanMatchesOpjDecompress, ByteForByte)
{
    int width = 0, height = 0;
    std::string expected;
    ASSERT_TRUE(ReadPnm(kFixtures + GetParam().expected, &width, &height, &expected)) << GetParam().expected;
    InMemory scan(GetParam().file, ReadFileBytes(kFixtures + GetParam().file));

    CRgbImage image;
    const ScanReadStatus status = Read(scan, &image, GetParam().nReduce);
    ASSERT_TRUE(status.Ok()) << status.Detail();
    EXPECT_EQ(image.Width(), width);
    EXPECT_EQ(image.Height(), height);
    ASSERT_EQ(image.ByteCount(), expected.size());
    EXPECT_TRUE(std::string(reinterpret_cast<const char*>(image.Pixels()), image.ByteCount()) == expected)
        << "pixels differ from opj_decompress's";

    // A file of one tile decoded in bands of a few rows, as a large one is:
    // the same pixels, sub-sampled chroma and reductions included.
    CRgbImage banded;
    ASSERT_TRUE(ReadJp2Scan(scan.path, &banded, CScanReadOptions(), scan.files, GetParam().nReduce, 3LL * width).Ok());
    EXPECT_TRUE(std::string(reinterpret_cast<const char*>(banded.Pixels()), banded.ByteCount()) == expected)
        << "banded pixels differ from opj_decompress's";
}

INSTANTIATE_TEST_SUITE_P(Fixtures, Jp2ScanMatchesOpjDecompress,
                         testing::Values(Fixture{"rgb-lossless.jp2", 0, "rgb-lossless.ppm"},
                                         Fixture{"rgb-lossless.jp2", 1, "rgb-lossless-half.ppm"},
                                         Fixture{"rgb-lossy.jp2", 0, "rgb-lossy.ppm"},
                                         Fixture{"rgb-lossy.jp2", 2, "rgb-lossy-quarter.ppm"},
                                         Fixture{"grey.j2k", 0, "grey.pgm"}, Fixture{"grey16.jp2", 0, "grey16.pgm"},
                                         Fixture{"rgba.jp2", 0, "rgba.ppm"}, Fixture{"ycc420.j2k", 0, "ycc420.ppm"},
                                         Fixture{"signed12.j2k", 0, "signed12.pgm"}),
                         [](const testing::TestParamInfo<Fixture>& info) {
                             std::string name = std::string(info.param.file) + "_" + std::to_string(info.param.nReduce);
                             for (char& c : name)
                                 if (c == '-' || c == '.')
                                     c = '_';
                             return name;
                         });

// The full size and the levels come from the main header alone; a level
// the file does not have is refused in OpenJPEG's words.
TEST(Jp2Scan, LevelsAndReducedSizes)
{
    InMemory scan("rgb-lossless.jp2", ReadFileBytes(kFixtures + "rgb-lossless.jp2"));
    CJp2Levels levels;
    ASSERT_TRUE(ReadJp2Levels(scan.path, &levels, scan.files).Ok());
    EXPECT_EQ(levels.full.nWidth, 37);
    EXPECT_EQ(levels.full.nHeight, 23);
    EXPECT_EQ(levels.nReductions, 2);   // three resolutions

    // acceptHeader sees what will be decoded, rounded up as OpenJPEG does.
    const struct
    {
        int nReduce, width, height;
    } sizes[] = {{0, 37, 23}, {1, 19, 12}, {2, 10, 6}};
    for (const auto& size : sizes)
    {
        CScanHeader seen;
        CScanReadOptions refuse;
        refuse.acceptHeader = [&seen](const CScanHeader& header) {
            seen = header;
            return false;
        };
        CRgbImage image;
        ASSERT_TRUE(image.Allocate(kUntouchedWidth, kUntouchedHeight));
        EXPECT_EQ(Read(scan, &image, size.nReduce, refuse).GetCode(), ScanReadError::Refused);
        EXPECT_EQ(image.Width(), kUntouchedWidth);
        EXPECT_EQ(seen.nWidth, size.width);
        EXPECT_EQ(seen.nHeight, size.height);
        EXPECT_EQ(seen.cbFile, scan.files.m_files[scan.path].size());
    }

    CRgbImage image;
    const ScanReadStatus tooFar = Read(scan, &image, 3);
    EXPECT_EQ(tooFar.GetCode(), ScanReadError::NotDecodable);
    EXPECT_NE(tooFar.Detail().find("resolutions"), std::string::npos) << tooFar.Detail();
    EXPECT_TRUE(image.IsEmpty());
}

TEST(Jp2Scan, ProgressRisesToTheWhole)
{
    // Six tiles: OpenJPEG's note after each one moves the progress.
    InMemory scan("rgb-lossy.jp2", ReadFileBytes(kFixtures + "rgb-lossy.jp2"));
    std::vector<double> reports;
    CScanReadOptions options;
    options.progress = [&reports](double done) { reports.push_back(done); };
    CRgbImage image;
    ASSERT_TRUE(Read(scan, &image, 0, options).Ok());
    ASSERT_GE(reports.size(), 7u);
    for (size_t k = 1; k < reports.size(); ++k)
        EXPECT_LE(reports[k - 1], reports[k]);
    EXPECT_EQ(reports.back(), 1.0);
}

// Whole, and in bands of a few rows as a large file of one tile is.
void ExpectRefusedWithCause(InMemory& scan, const std::string& what)
{
    for (long long nBandPixels : {0LL, 64LL})
    {
        CRgbImage image;
        ASSERT_TRUE(image.Allocate(kUntouchedWidth, kUntouchedHeight));
        const ScanReadStatus status = ReadJp2Scan(scan.path, &image, CScanReadOptions(), scan.files, 0, nBandPixels);
        EXPECT_FALSE(status.Ok()) << what;
        EXPECT_FALSE(status.Detail().empty()) << what;
        EXPECT_EQ(image.Width(), kUntouchedWidth) << what;
    }
}

// Damaged files, each refused with a cause: the file's own header parts,
// bad sizes, and a file cut at every length.
TEST(Jp2Scan, DamagedFilesAreRefusedWithACause)
{
    const std::string jp2 = ReadFileBytes(kFixtures + "rgb-lossless.jp2");
    const std::string j2k = ReadFileBytes(kFixtures + "grey.j2k");
    const std::string tiled = ReadFileBytes(kFixtures + "rgb-lossy.jp2");   // decoded tile by tile
    ASSERT_FALSE(jp2.empty());
    ASSERT_FALSE(j2k.empty());
    ASSERT_FALSE(tiled.empty());
    const size_t siz = j2k.find("\xFF\x51");   // SIZ: Lsiz(2) Rsiz(2) Xsiz(4) Ysiz(4) ... Csiz(2) at +38
    const struct
    {
        const char* name;
        std::string bytes;
        ScanReadError error;
    } cases[] = {
        {"empty", "", ScanReadError::NotDecodable},
        {"text", "Not a JPEG 2000 file at all.", ScanReadError::NotDecodable},
        {"signature only", jp2.substr(0, 12), ScanReadError::NotDecodable},
        {"no components", j2k.substr(0, siz + 38) + std::string(2, '\0') + j2k.substr(siz + 40),
         ScanReadError::NotDecodable},
        {"zero width", j2k.substr(0, siz + 6) + std::string(4, '\0') + j2k.substr(siz + 10),
         ScanReadError::NotDecodable},
    };
    for (const auto& c : cases)
    {
        InMemory scan("bad.jp2", c.bytes);
        CRgbImage image;
        const ScanReadStatus status = Read(scan, &image);
        EXPECT_EQ(status.GetCode(), c.error) << c.name << ": " << status.Detail();
        EXPECT_FALSE(status.Detail().empty()) << c.name;
    }
    for (const std::string* good : {&jp2, &j2k, &tiled})
        for (size_t length = 0; length < good->size(); ++length)
        {
            InMemory scan("cut.jp2", good->substr(0, length));
            ExpectRefusedWithCause(scan, "cut at " + std::to_string(length));
        }
}

// Every byte of the codestream flipped in turn: refused with a cause or
// decoded, never a crash, a hang or an image half-replaced.
TEST(Jp2Scan, FlippedBytesNeverCrash)
{
    for (const char* name : {"grey.j2k", "rgb-lossy.jp2"})
    {
        const std::string good = ReadFileBytes(kFixtures + name);
        ASSERT_FALSE(good.empty());
        for (size_t at = 0; at < good.size(); ++at)
        {
            std::string bytes = good;
            bytes[at] = static_cast<char>(bytes[at] ^ 0xFF);
            InMemory scan("flipped.j2k", bytes);
            CRgbImage image;
            ASSERT_TRUE(image.Allocate(kUntouchedWidth, kUntouchedHeight));
            const ScanReadStatus status = Read(scan, &image);
            if (status.Ok())
                EXPECT_FALSE(image.IsEmpty()) << at;
            else
                EXPECT_TRUE(!status.Detail().empty() && image.Width() == kUntouchedWidth) << name << " " << at;
        }
    }
}

TEST(Jp2Scan, MissingFileOrNoImage)
{
    CMemoryFileSystem files;
    CRgbImage image;
    const ScanReadStatus missing = ReadJp2Scan("scans/none.jp2", &image, CScanReadOptions(), files);
    EXPECT_EQ(missing.GetCode(), ScanReadError::CannotOpen);
    EXPECT_EQ(missing.Detail(), "scans/none.jp2");
    CJp2Levels levels;
    EXPECT_EQ(ReadJp2Levels("scans/none.jp2", &levels, files).GetCode(), ScanReadError::CannotOpen);
    files.m_files["a.jp2"] = ReadFileBytes(kFixtures + "rgb-lossless.jp2");
    EXPECT_FALSE(ReadJp2Scan("a.jp2", nullptr, CScanReadOptions(), files).Ok());
}

}   // namespace
