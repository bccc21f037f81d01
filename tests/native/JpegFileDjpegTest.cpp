// The JPEG decoder against djpeg, the library's own command-line decoder: JPEGs
// made here and now by cjpeg and ImageMagick, in every variant a scan may come
// in, must decode to exactly the bytes of `djpeg -ppm` (grey as `-pnm`, PGM).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "core/jpeg/JpegFile.h"
#include "tests/core/TestFiles.h"

namespace
{

// A picture with what a scan has: smooth shading, hard black lines, saturated
// colour, and a size that is no multiple of any MCU.
std::string MakeSourcePpm(unsigned width, unsigned height)
{
    std::string ppm = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    for (unsigned y = 0; y < height; ++y)
    {
        for (unsigned x = 0; x < width; ++x)
        {
            unsigned char r = static_cast<unsigned char>(230 - (x * 90) / width);
            unsigned char g = static_cast<unsigned char>(200 - (y * 120) / height);
            unsigned char b = static_cast<unsigned char>((x * y) % 97 + 100);
            if (x % 41 == 0 || (x + 2 * y) % 67 == 0)
                r = g = b = 10;
            if (x > width / 2 && y > height / 2 && (x - y) % 29 < 6)
            {
                r = 250;
                g = 30;
                b = 20;
            }
            ppm += static_cast<char>(r);
            ppm += static_cast<char>(g);
            ppm += static_cast<char>(b);
        }
    }
    return ppm;
}

int RunShell(const std::string& command) { return std::system((command + " 2>&1").c_str()); }

// djpeg's output as RGB: PPM as it is, PGM widened to three equal bytes.
bool ReadDjpegRgb(const std::string& path, uint32_t* pWidth, uint32_t* pHeight, std::string* pRgb)
{
    const std::string bytes = ReadFileBytes(path);
    char kind = 0;
    unsigned width = 0, height = 0, maxValue = 0;
    int headerLength = 0;
    if (std::sscanf(bytes.c_str(), "P%c %u %u %u%n", &kind, &width, &height, &maxValue, &headerLength) != 4 ||
        maxValue != 255)
        return false;
    const std::string samples = bytes.substr(headerLength + 1);
    pRgb->clear();
    if (kind == '6')
    {
        *pRgb = samples;
    }
    else if (kind == '5')
    {
        for (char grey : samples)
            pRgb->append(3, grey);
    }
    else
    {
        return false;
    }
    *pWidth = width;
    *pHeight = height;
    return pRgb->size() == size_t(width) * height * 3;
}

struct Variant
{
    const char* name;
    // Makes variant.jpg from source.ppm in the current folder.
    const char* command;
    // Above 4 MB decoded, the decoder's buffer is touched ahead by a second thread.
    unsigned width = 301;
    unsigned height = 203;
};

void PrintTo(const Variant& variant, std::ostream* os) { *os << variant.command; }

class JpegFileEqualsDjpeg : public testing::TestWithParam<Variant>
{};

TEST_P(JpegFileEqualsDjpeg, ByteForByte)
{
    ScratchDir dir;
    WriteFileBytes(dir.File("source.ppm"), MakeSourcePpm(GetParam().width, GetParam().height));
    const std::string inDir = "cd '" + dir.Path().string() + "' && ";
    ASSERT_EQ(RunShell(inDir + GetParam().command), 0) << GetParam().command;
    ASSERT_EQ(RunShell(inDir + "djpeg -pnm -outfile expected.pnm variant.jpg"), 0);

    uint32_t expectedWidth = 0, expectedHeight = 0;
    std::string expected;
    ASSERT_TRUE(ReadDjpegRgb(dir.File("expected.pnm"), &expectedWidth, &expectedHeight, &expected));
    CRgbImage image;
    ASSERT_TRUE(JpegFile::JpegFileToRGB(dir.File("variant.jpg"), &image));
    ASSERT_EQ(static_cast<uint32_t>(image.Width()), expectedWidth);
    ASSERT_EQ(static_cast<uint32_t>(image.Height()), expectedHeight);
    EXPECT_TRUE(std::string(reinterpret_cast<const char*>(image.Pixels()), expected.size()) == expected)
        << "pixels differ from djpeg's";
}

INSTANTIATE_TEST_SUITE_P(
    Variants, JpegFileEqualsDjpeg,
    testing::Values(
        Variant{"Baseline420", "cjpeg -quality 75 -outfile variant.jpg source.ppm"},
        Variant{"Baseline444", "cjpeg -quality 95 -sample 1x1 -outfile variant.jpg source.ppm"},
        Variant{"Baseline422", "cjpeg -quality 85 -sample 2x1 -outfile variant.jpg source.ppm"},
        Variant{"Baseline440", "cjpeg -quality 85 -sample 1x2 -outfile variant.jpg source.ppm"},
        Variant{"Progressive", "cjpeg -quality 85 -progressive -outfile variant.jpg source.ppm"},
        Variant{"ProgressiveOptimised", "cjpeg -quality 60 -progressive -optimize -outfile variant.jpg source.ppm"},
        Variant{"Greyscale", "cjpeg -quality 85 -grayscale -outfile variant.jpg source.ppm"},
        Variant{"GreyProgressive", "cjpeg -quality 85 -grayscale -progressive -outfile variant.jpg source.ppm"},
        Variant{"RestartMarkers", "cjpeg -quality 85 -restart 2 -outfile variant.jpg source.ppm"},
        Variant{"Arithmetic", "cjpeg -quality 85 -arithmetic -outfile variant.jpg source.ppm"},
        Variant{"UnnamedSubsampling", "cjpeg -quality 85 -sample 2x2,1x1,2x1 -outfile variant.jpg source.ppm"},
        // Adobe CMYK as prepress tools write it; djpeg's PPM writer
        // turns it into RGB with r = round(c * k / 255).
        Variant{"Cmyk", "convert source.ppm -colorspace CMYK -quality 90 variant.jpg"},
        Variant{"CmykProgressive", "convert source.ppm -colorspace CMYK -interlace JPEG -quality 80 variant.jpg"},
        Variant{"LargeBaseline420", "cjpeg -quality 75 -outfile variant.jpg source.ppm", 2003, 1201},
        Variant{"LargeCmyk", "convert source.ppm -colorspace CMYK -quality 90 variant.jpg", 1201, 1003}),
    [](const testing::TestParamInfo<Variant>& info) { return std::string(info.param.name); });

// A truncated file: djpeg pads the missing rows with grey and only warns; we
// refuse it, since a part-grey scan must not pass for the map.
TEST(JpegFileDjpeg, TruncatedFileWarnsInDjpegAndFailsInOurs)
{
    ScratchDir dir;
    WriteFileBytes(dir.File("source.ppm"), MakeSourcePpm(301, 203));
    const std::string inDir = "cd '" + dir.Path().string() + "' && ";
    ASSERT_EQ(RunShell(inDir + "cjpeg -quality 85 -outfile whole.jpg source.ppm"), 0);
    const std::string whole = ReadFileBytes(dir.File("whole.jpg"));
    WriteFileBytes(dir.File("cut.jpg"), whole.substr(0, whole.size() * 2 / 3));
    // djpeg's exit status 2 says "finished with warnings".
    EXPECT_NE(RunShell(inDir + "djpeg -ppm -outfile cut.ppm cut.jpg > djpeg.log"), 0);
    EXPECT_NE(ReadFileBytes(dir.File("djpeg.log")).find("Premature end"), std::string::npos);
    uint32_t djpegWidth = 0, djpegHeight = 0;
    std::string djpegRgb;
    EXPECT_TRUE(ReadDjpegRgb(dir.File("cut.ppm"), &djpegWidth, &djpegHeight, &djpegRgb));
    EXPECT_EQ(djpegHeight, 203u);

    CRgbImage image;
    ASSERT_TRUE(image.Allocate(5, 6));
    EXPECT_FALSE(JpegFile::JpegFileToRGB(dir.File("cut.jpg"), &image));
    EXPECT_EQ(image.Width(), 5);
    EXPECT_EQ(image.Height(), 6);
}

// Cut mid-image while the second thread may still be touching the buffer:
// refused, and the image kept.
TEST(JpegFileDjpeg, TruncatedLargeFileFails)
{
    ScratchDir dir;
    WriteFileBytes(dir.File("source.ppm"), MakeSourcePpm(2003, 1201));
    const std::string inDir = "cd '" + dir.Path().string() + "' && ";
    ASSERT_EQ(RunShell(inDir + "cjpeg -quality 85 -outfile whole.jpg source.ppm"), 0);
    const std::string whole = ReadFileBytes(dir.File("whole.jpg"));
    for (const size_t cut : {whole.size() / 50, whole.size() / 2, whole.size() - 100})
    {
        WriteFileBytes(dir.File("cut.jpg"), whole.substr(0, cut));
        CRgbImage image;
        ASSERT_TRUE(image.Allocate(5, 6));
        EXPECT_FALSE(JpegFile::JpegFileToRGB(dir.File("cut.jpg"), &image)) << cut;
        EXPECT_EQ(image.Width(), 5);
    }
}

}   // namespace
