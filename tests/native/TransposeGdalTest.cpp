// GDAL reads what Transpose makes: the world file beside a JPEG of the
// resampled image, and the clipboard's bottom-up DIB rows (as a BMP file).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "core/raster/DibRows.h"
#include "core/raster/Transpose.h"
#include "tests/core/TestFiles.h"
#include "core/georef/WorldFile.h"

namespace
{

void PutLe(std::string* out, uint32_t value, int bytes)
{
    for (int k = 0; k < bytes; ++k)
        out->push_back(static_cast<char>((value >> (8 * k)) & 0xFF));
}

// A BMP file: the file header, a BITMAPINFOHEADER and the DIB rows exactly
// as the clipboard bitmap gets them.
bool WriteBmp(const std::string& path, const CTransposedImage& image)
{
    size_t cbBits = 0;
    if (!DibImageSize(image.Width(), image.Height(), &cbBits))
        return false;
    std::vector<unsigned char> bits(cbBits);
    FillBottomUpDib(image.Pixels(), image.Width(), image.Height(), bits.data());
    std::string file = "BM";
    PutLe(&file, static_cast<uint32_t>(14 + 40 + cbBits), 4);
    PutLe(&file, 0, 4);
    PutLe(&file, 14 + 40, 4);
    PutLe(&file, 40, 4);
    PutLe(&file, static_cast<uint32_t>(image.Width()), 4);
    PutLe(&file, static_cast<uint32_t>(image.Height()), 4);   // positive: bottom-up
    PutLe(&file, 1, 2);
    PutLe(&file, 24, 2);
    PutLe(&file, 0, 4);   // BI_RGB
    PutLe(&file, static_cast<uint32_t>(cbBits), 4);
    PutLe(&file, 2835, 4);
    PutLe(&file, 2835, 4);
    PutLe(&file, 0, 4);
    PutLe(&file, 0, 4);
    file.append(reinterpret_cast<const char*>(bits.data()), bits.size());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    return std::fclose(f) == 0 && ok;
}

class TransposeGdal : public testing::Test
{
protected:
    void SetUp() override
    {
        // One folder a test and process: ctest runs the tests side by side,
        // and other build folders may run them at the same time.
        m_dir = std::filesystem::temp_directory_path() /
                (std::string("quarvex-TransposeGdal-") + std::to_string(getpid()) + "-" +
                 testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::string File(const char* name) const { return (m_dir / name).string(); }

    std::filesystem::path m_dir;
};

// A 160 x 121 scan turned about 7 degrees, UTM-like map coordinates.
CTransposedImage MakeResampled(bool crop)
{
    const int width = 160, height = 121;
    CGeoRefArray geoRef;
    geoRef.SetImageHeight(height);
    const double rho = 7.0 * 3.141592653589793 / 180.0, c = std::cos(rho), s = std::sin(rho);
    const int pixels[4][2] = {{20, 15}, {140, 25}, {30, 100}, {130, 95}};
    for (const auto& p : pixels)
    {
        const double y = height - p[1];
        geoRef.m_points.push_back(
            CGeoRefPoint(512000.0 + 0.5 * (p[0] * c + y * s), 4231000.0 + 0.5 * (y * c - p[0] * s), p[0], p[1]));
    }
    EXPECT_TRUE(geoRef.CalcTransform());
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    for (size_t k = 0; k < rgb.size(); ++k)
        rgb[k] = static_cast<unsigned char>((k * 7) % 251);
    CTransposedImage image;
    EXPECT_EQ(TransposeImage(rgb.data(), width, height, geoRef, crop, &image), TRANSPOSE_OK);
    return image;
}

}   // namespace

TEST_F(TransposeGdal, ReadsTheWorldFileBesideTheJpeg)
{
    for (bool crop : {false, true})
    {
        CTransposedImage image = MakeResampled(crop);
        ASSERT_FALSE(image.IsEmpty());
        const CTransposeExtents& e = image.extents;
        ASSERT_TRUE(WriteBmp(File("north.bmp"), image));
        ASSERT_EQ(RunTool("cjpeg -quality 95 -outfile '" + File("north.jpg") + "' '" + File("north.bmp") + "'"), "");
        ASSERT_TRUE(WriteWorldFile(File("north.jpg").c_str(), e));

        const std::string info = RunTool("gdalinfo '" + File("north.jpg") + "'");
        ASSERT_NE(info.find(File("north.jgw")), std::string::npos) << info;
        int width = 0, height = 0;
        double originX = 0, originY = 0, sizeX = 0, sizeY = 0;
        const size_t size = info.find("Size is ");
        const size_t origin = info.find("Origin = (");
        const size_t pixel = info.find("Pixel Size = (");
        ASSERT_TRUE(size != std::string::npos && origin != std::string::npos && pixel != std::string::npos) << info;
        ASSERT_EQ(std::sscanf(info.c_str() + size, "Size is %d, %d", &width, &height), 2);
        ASSERT_EQ(std::sscanf(info.c_str() + origin, "Origin = (%lf,%lf)", &originX, &originY), 2);
        ASSERT_EQ(std::sscanf(info.c_str() + pixel, "Pixel Size = (%lf,%lf)", &sizeX, &sizeY), 2);
        EXPECT_EQ(width, e.outW);
        EXPECT_EQ(height, e.outH);
        const double cellX = (e.x1 - e.x0) / e.outW, cellY = (e.y1 - e.y0) / e.outH;
        EXPECT_NEAR(sizeX, cellX, 1e-11);
        EXPECT_NEAR(sizeY, cellY, 1e-11);
        EXPECT_LT(sizeY, 0.0);   // north up
        // A world file gives the centre of the top-left cell: GDAL's origin,
        // the cell's outer corner, lies half a cell up and to the left.
        EXPECT_NEAR(originX, e.x0 - cellX / 2, 1e-8);
        EXPECT_NEAR(originY, e.y0 - cellY / 2, 1e-8);
    }
}

TEST_F(TransposeGdal, ReadsTheDibRowsAsTheResampledPixels)
{
    CTransposedImage image = MakeResampled(false);
    ASSERT_FALSE(image.IsEmpty());
    ASSERT_NE(image.Width() * 3 % 4, 0);   // the rows carry padding
    ASSERT_TRUE(WriteBmp(File("north.bmp"), image));
    ASSERT_EQ(RunTool("gdal_translate -q -of PNM '" + File("north.bmp") + "' '" + File("north.ppm") + "'"), "");
    const std::string ppm = ReadFileBytes(File("north.ppm"));
    const std::string header =
        "P6\n" + std::to_string(image.Width()) + " " + std::to_string(image.Height()) + "\n255\n";
    ASSERT_EQ(ppm.compare(0, header.size(), header), 0) << ppm.substr(0, 20);
    const size_t cbPixels = static_cast<size_t>(image.Width()) * image.Height() * 3;
    ASSERT_EQ(ppm.size(), header.size() + cbPixels);
    EXPECT_EQ(
        ppm.compare(header.size(), cbPixels, std::string(reinterpret_cast<const char*>(image.Pixels()), cbPixels)), 0);
}
