// The JPEG decoder, natively and under Wine: its pixels equal the ones djpeg
// decoded from the same small fixtures (tests/data/jpeg, made by
// make_fixtures.sh), and every kind of bad file gives nullptr.
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "core/jpeg/JpegFile.h"
#include "tests/core/TestFiles.h"

namespace
{

const std::string kFixtures = std::string(QUARVEX_SOURCE_DIR) + "/tests/data/jpeg/";

// The size of the image a decode starts from: a failure must leave it so.
const uint32_t kUntouchedWidth = 13, kUntouchedHeight = 7;

struct Decoded
{
    CRgbImage image;
    const unsigned char* pixels = nullptr;   // null when refused
    uint32_t width = 0;
    uint32_t height = 0;
};

Decoded Decode(const std::string& path)
{
    Decoded result;
    EXPECT_TRUE(result.image.Allocate(kUntouchedWidth, kUntouchedHeight));
    if (JpegFile::JpegFileToRGB(path, &result.image))
        result.pixels = result.image.Pixels();
    result.width = static_cast<uint32_t>(result.image.Width());
    result.height = static_cast<uint32_t>(result.image.Height());
    return result;
}

// A binary PPM (P6) or PGM (P5) as djpeg writes it, grey widened to RGB.
struct Pnm
{
    uint32_t width = 0, height = 0;
    std::string rgb;
};

Pnm ReadPnm(const std::string& path)
{
    const std::string bytes = ReadFileBytes(path);
    Pnm pnm;
    char kind = 0;
    unsigned width = 0, height = 0, maxValue = 0;
    int headerLength = 0;
    if (std::sscanf(bytes.c_str(), "P%c %u %u %u%n", &kind, &width, &height, &maxValue, &headerLength) != 4 ||
        maxValue != 255)
        return pnm;
    const std::string samples = bytes.substr(headerLength + 1);
    pnm.width = width;
    pnm.height = height;
    if (kind == '6')
    {
        pnm.rgb = samples;
    }
    else if (kind == '5')
    {
        for (char grey : samples)
            pnm.rgb.append(3, grey);
    }
    return pnm;
}

struct Fixture
{
    const char* jpeg;
    const char* expected;
};

void PrintTo(const Fixture& fixture, std::ostream* os) { *os << fixture.jpeg; }

class JpegFileMatchesDjpeg : public testing::TestWithParam<Fixture>
{};

TEST_P(JpegFileMatchesDjpeg, ByteForByte)
{
    const Pnm expected = ReadPnm(kFixtures + GetParam().expected);
    ASSERT_EQ(expected.width, 37u) << "fixture missing or unreadable: " << GetParam().expected;
    ASSERT_EQ(expected.rgb.size(), 37u * 23u * 3u);

    const Decoded decoded = Decode(kFixtures + GetParam().jpeg);
    ASSERT_NE(decoded.pixels, nullptr);
    EXPECT_EQ(decoded.width, expected.width);
    EXPECT_EQ(decoded.height, expected.height);
    const std::string ours(reinterpret_cast<const char*>(decoded.pixels), expected.rgb.size());
    EXPECT_TRUE(ours == expected.rgb) << "pixels differ from djpeg's";
}

INSTANTIATE_TEST_SUITE_P(Fixtures, JpegFileMatchesDjpeg,
                         testing::Values(Fixture{"baseline.jpg", "baseline.ppm"},
                                         Fixture{"progressive.jpg", "progressive.ppm"}, Fixture{"grey.jpg", "grey.pgm"},
                                         Fixture{"cmyk.jpg", "cmyk.ppm"},
                                         Fixture{"odd-sampling.jpg", "odd-sampling.ppm"}),
                         [](const testing::TestParamInfo<Fixture>& info) {
                             std::string name = info.param.jpeg;
                             name = name.substr(0, name.find('.'));
                             for (char& c : name)
                                 if (c == '-')
                                     c = '_';
                             return name;
                         });

TEST(JpegFile, TopRowFirstRedGreenBlue)
{
    // The fixture's top-left 3 x 3 pixels are pure red; its bottom row is
    // green at full strength. A bottom-up or BGR buffer fails here.
    const Decoded decoded = Decode(kFixtures + "baseline.jpg");
    ASSERT_NE(decoded.pixels, nullptr);
    const unsigned char* topLeft = decoded.pixels;
    EXPECT_GT(topLeft[0], 200);
    EXPECT_LT(topLeft[1], 60);
    EXPECT_LT(topLeft[2], 60);
    const unsigned char* bottomLeft = decoded.pixels + 3 * decoded.width * (decoded.height - 1);
    EXPECT_GT(bottomLeft[1], 200);
}

TEST(JpegFile, ExifOrientationIsLeftAsStored)
{
    // An EXIF block saying "turn a quarter to the right to view": the scan's
    // pixels must stay where they are, or the control points would move.
    const std::string exif("\xFF\xE1\x00\x22"
                           "Exif\0\0"
                           "MM\x00\x2A\x00\x00\x00\x08"
                           "\x00\x01"
                           "\x01\x12\x00\x03\x00\x00\x00\x01\x00\x06\x00\x00"
                           "\x00\x00\x00\x00",
                           36);
    const std::string good = ReadFileBytes(kFixtures + "baseline.jpg");
    ASSERT_FALSE(good.empty());
    ScratchDir dir;
    const std::string path = dir.File("turned.jpg");
    WriteFileBytes(path, good.substr(0, 2) + exif + good.substr(2));

    const Decoded decoded = Decode(path);
    ASSERT_NE(decoded.pixels, nullptr);
    EXPECT_EQ(decoded.width, 37u);
    EXPECT_EQ(decoded.height, 23u);
    const Pnm expected = ReadPnm(kFixtures + "baseline.ppm");
    EXPECT_TRUE(std::string(reinterpret_cast<const char*>(decoded.pixels), expected.rgb.size()) == expected.rgb);
}

// The position of a JPEG marker (0xFF, code) in bytes, or npos.
size_t FindMarker(const std::string& bytes, unsigned char code)
{
    return bytes.find(std::string{'\xFF', static_cast<char>(code)});
}

// Bad files: each gives nullptr and leaves the caller's size untouched (the
// document keeps its old width and height after a failed open).
struct BadFile
{
    const char* name;
    std::string (*make)(const std::string& good);
};

void PrintTo(const BadFile& badFile, std::ostream* os) { *os << badFile.name; }

class JpegFileRefuses : public testing::TestWithParam<BadFile>
{};

TEST_P(JpegFileRefuses, WithNullAndSizeUntouched)
{
    ScratchDir dir;
    const std::string good = ReadFileBytes(kFixtures + "baseline.jpg");
    ASSERT_FALSE(good.empty());
    const std::string path = dir.File("bad.jpg");
    WriteFileBytes(path, GetParam().make(good));

    const Decoded decoded = Decode(path);
    EXPECT_EQ(decoded.pixels, nullptr);
    EXPECT_EQ(decoded.width, kUntouchedWidth);
    EXPECT_EQ(decoded.height, kUntouchedHeight);
}

std::string WithSofSize(std::string bytes, unsigned width, unsigned height)
{
    // SOF0: FF C0, length (2), precision (1), height (2), width (2), ...
    const size_t sof = FindMarker(bytes, 0xC0);
    if (sof == std::string::npos)
        return std::string();
    bytes[sof + 5] = static_cast<char>(height >> 8);
    bytes[sof + 6] = static_cast<char>(height & 0xFF);
    bytes[sof + 7] = static_cast<char>(width >> 8);
    bytes[sof + 8] = static_cast<char>(width & 0xFF);
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    BadFiles, JpegFileRefuses,
    testing::Values(
        BadFile{"Empty", [](const std::string&) { return std::string(); }},
        BadFile{"Text", [](const std::string&) { return std::string("Not a JPEG at all, just text.\r\n"); }},
        BadFile{"PngSignature", [](const std::string&) { return std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16); }},
        BadFile{"OnlyStartOfImage", [](const std::string& good) { return good.substr(0, 2); }},
        BadFile{"CutInsideHeader", [](const std::string& good) { return good.substr(0, FindMarker(good, 0xC4) + 5); }},
        BadFile{"CutBeforeScanData", [](const std::string& good) { return good.substr(0, FindMarker(good, 0xDA)); }},
        // The scan ends early: libjpeg only warns and pads with grey; we refuse.
        BadFile{"CutHalfway", [](const std::string& good) { return good.substr(0, good.size() / 2); }},
        BadFile{"NoEndOfImage", [](const std::string& good) { return good.substr(0, good.size() - 2); }},
        BadFile{"ZeroHeight", [](const std::string& good) { return WithSofSize(good, 37, 0); }},
        BadFile{"ZeroWidth", [](const std::string& good) { return WithSofSize(good, 0, 23); }},
        // Garbage in the middle of the scan: a restart-less scan with an
        // unexpected marker in it.
        BadFile{"MarkerInsideScan",
                [](const std::string& good) {
                    std::string bytes = good;
                    const size_t scanData = FindMarker(bytes, 0xDA) + 14;
                    bytes.replace(scanData + 20, 2, "\xFF\xD0");
                    return bytes;
                }}),
    [](const testing::TestParamInfo<BadFile>& info) { return std::string(info.param.name); });

TEST(JpegFile, MissingFileOrFolderGivesNull)
{
    ScratchDir dir;
    for (const std::string& path : {dir.File("no such map.jpg"), dir.Path().string(), std::string()})
    {
        const Decoded decoded = Decode(path);
        EXPECT_EQ(decoded.pixels, nullptr) << path;
        EXPECT_EQ(decoded.width, kUntouchedWidth);
        EXPECT_EQ(decoded.height, kUntouchedHeight);
    }
    EXPECT_FALSE(JpegFile::JpegFileToRGB(kFixtures + "baseline.jpg", nullptr));
}

// A failure says why: what the user is told depends on it.
TEST(JpegFile, FailureGivesItsCause)
{
    ScratchDir dir;
    const std::string good = ReadFileBytes(kFixtures + "baseline.jpg");
    const struct
    {
        const char* name;
        std::string bytes;
        ScanReadError error;
        const char* detail;   // a part of it
    } cases[] = {
        {"empty.jpg", "", ScanReadError::NotDecodable, "empty.jpg"},
        {"text.jpg", "Not a JPEG at all", ScanReadError::NotDecodable, "Not a JPEG file"},
        {"cut.jpg", good.substr(0, good.size() / 2), ScanReadError::NotDecodable, "Premature end"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        WriteFileBytes(dir.File(c.name), c.bytes);
        CRgbImage image;
        const ScanReadStatus status = JpegFile::ReadJpegFile(dir.File(c.name), &image, CScanReadOptions());
        EXPECT_EQ(status.GetCode(), c.error);
        EXPECT_NE(status.Detail().find(c.detail), std::string::npos) << status.Detail();
    }
    CRgbImage image;
    EXPECT_EQ(JpegFile::ReadJpegFile(dir.File("missing.jpg"), &image, CScanReadOptions()).GetCode(),
              ScanReadError::CannotOpen);
}

TEST(JpegFile, ImageTooLargeForTheProcessGivesNull)
{
    if (sizeof(void*) > 4)
        GTEST_SKIP() << "a 64-bit process would try to hold these; the 32-bit program is the one at risk";
    ScratchDir dir;
    const std::string good = ReadFileBytes(kFixtures + "baseline.jpg");
    // The headers of a 65500 x 65500 image (12 GB of RGB) and of a
    // 30000 x 23000 one (2 GB, within a 32-bit size but not in free memory),
    // each followed by a little scan data.
    const std::string cut = good.substr(0, FindMarker(good, 0xDA) + 200);
    for (const auto& size : {std::pair<unsigned, unsigned>{65500, 65500}, {30000, 23000}})
    {
        const std::string path = dir.File("huge.jpg");
        WriteFileBytes(path, WithSofSize(cut, size.first, size.second));
        const Decoded decoded = Decode(path);
        EXPECT_EQ(decoded.pixels, nullptr) << size.first << " x " << size.second;
        EXPECT_EQ(decoded.width, kUntouchedWidth);
    }
}

// The header is shown before anything large is read or allocated: a
// refusal leaves the image as it was; an accepted one decodes as always and
// reports its progress up to the whole.
TEST(JpegFile, HeaderIsAskedFirstAndProgressIsReported)
{
    ScratchDir dir;
    const struct
    {
        const char* fixture;
        size_t cbDecodedPixel;
    } cases[] = {{"baseline.jpg", 3}, {"cmyk.jpg", 4}, {"grey.jpg", 3}, {"progressive.jpg", 3}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.fixture);
        const std::string path = kFixtures + c.fixture;
        CScanHeader seen;
        CScanReadOptions refuse;
        refuse.acceptHeader = [&seen](const CScanHeader& header) {
            seen = header;
            return false;
        };
        CRgbImage image;
        ASSERT_TRUE(image.Allocate(kUntouchedWidth, kUntouchedHeight));
        EXPECT_EQ(JpegFile::ReadJpegFile(path, &image, refuse).GetCode(), ScanReadError::Refused);
        EXPECT_EQ(image.Width(), static_cast<int>(kUntouchedWidth));
        EXPECT_EQ(seen.cbDecodedPixel, c.cbDecodedPixel);
        EXPECT_EQ(seen.cbFile, ReadFileBytes(path).size());

        CScanReadOptions accept;
        accept.acceptHeader = [](const CScanHeader&) { return true; };
        double last = 0.0;
        bool ordered = true;
        accept.progress = [&](double done) {
            ordered = ordered && done >= last && done <= 1.0;
            last = done;
        };
        ASSERT_TRUE(JpegFile::ReadJpegFile(path, &image, accept).Ok());
        EXPECT_EQ(image.Width(), seen.nWidth);
        EXPECT_EQ(image.Height(), seen.nHeight);
        EXPECT_TRUE(ordered);
        EXPECT_GT(last, 0.9);
    }
}

// A header beyond what a scanner's first bytes hold (a large comment before
// the frame) is found by reading the file whole.
TEST(JpegFile, HeaderAfterALongPrefixIsFound)
{
    ScratchDir dir;
    const std::string good = ReadFileBytes(kFixtures + "baseline.jpg");
    std::string comments;
    for (int k = 0; k < 6; ++k)   // six COM segments of 65,533 bytes of text
        comments += std::string("\xFF\xFE\xFF\xFF", 4) + std::string(65533, 'c');
    const std::string path = dir.File("commented.jpg");
    WriteFileBytes(path, good.substr(0, 2) + comments + good.substr(2));
    const Decoded decoded = Decode(path);
    ASSERT_NE(decoded.pixels, nullptr);
    const Pnm expected = ReadPnm(kFixtures + "baseline.ppm");
    EXPECT_TRUE(std::string(reinterpret_cast<const char*>(decoded.pixels), expected.rgb.size()) == expected.rgb);
}

}   // namespace
