// Which files open as scans, and which decoder reads each.
#include <string>

#include <gtest/gtest.h>

#include "core/raster/ScanFile.h"
#include "core/scan/ScanReader.h"

TEST(ScanFile, NamesThatOpenAsScans)
{
    const struct
    {
        const char* path;
        bool opens;
    } cases[] = {
        {"a.jpg", true},      {"C:\\maps\\site.JPEG", true},
        {"x.Tif", true},      {"x.tiff", true},
        {"sheet.jp2", true},  {"sheet.J2K", true},
        {"line.png", true},   {".jpg", true},
        {"jpg", false},       {"a.jpgx", false},
        {"a.jpg ", false},    {"a.gif", false},
        {"a.jpg.txt", false}, {"C:\\a.tif\\map", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsScanFileName(c.path), c.opens) << c.path;
}

TEST(ScanFile, FirstBytesChooseTheDecoder)
{
    const struct
    {
        std::string bytes;
        ScanFormat format;
    } cases[] = {
        {std::string("\xFF\xD8\xFF\xE0\0\x10JFIF\0\x01", 12), ScanFormat::Jpeg},
        {std::string("II*\0\x08\0\0\0\0\0\0\0", 12), ScanFormat::Tiff},
        {std::string("MM\0*\0\0\0\x08\0\0\0\0", 12), ScanFormat::Tiff},
        {std::string("II+\0\x08\0\0\0\x10\0\0\0", 12), ScanFormat::Tiff},
        {std::string("\x89PNG\r\n\x1A\n\0\0\0\x0D", 12), ScanFormat::Png},
        {std::string("\0\0\0\x0CjP  \r\n\x87\n", 12), ScanFormat::Jpeg2000},
        {std::string("\xFF\x4F\xFF\x51\0\x2F\0\0\0\0\0\0", 12), ScanFormat::Jpeg2000},
        {std::string("GIF89a\x01\0\x01\0\0\0", 12), ScanFormat::Unknown},
        {std::string("II*", 3), ScanFormat::Unknown},
        {std::string(), ScanFormat::Unknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SniffScanFormat(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size()), c.format)
            << testing::PrintToString(c.bytes);
}
