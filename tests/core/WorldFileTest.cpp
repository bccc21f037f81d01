#include <string>

#include <gtest/gtest.h>

#include "core/georef/WorldFile.h"
#include "TestFiles.h"

TEST(WorldFile, SixLinesOfTheWorkedExample)
{
    EXPECT_EQ(FormatWorldFile(CTransposeExtents{100, 300, 299, 201, 100, 200}), "1.990000000000\r\n"
                                                                                "0.00\r\n"
                                                                                "0.00\r\n"
                                                                                "-0.495000000000\r\n"
                                                                                "100.000000000000\r\n"
                                                                                "300.000000000000\r\n");
}

TEST(WorldFile, ProjectedAndDegreeValuesKeepTwelveDecimals)
{
    const struct
    {
        CTransposeExtents e;
        const char* text;
    } cases[] = {
        // UTM metres: large eastings and northings, no exponent.
        {{512345.678, 4123456.789, 518345.678, 4118956.789, 4500, 6000},
         "1.333333333333\r\n0.00\r\n0.00\r\n-0.750000000000\r\n"
         "512345.678000000014\r\n4123456.788999999873\r\n"},
        // Degrees: pixel sizes far below one, negative longitudes.
        {{-3.5, 51.25, -3.25, 51.125, 1000, 500},
         "0.000250000000\r\n0.00\r\n0.00\r\n-0.000250000000\r\n"
         "-3.500000000000\r\n51.250000000000\r\n"},
        // A mirrored fit: x1 below x0 gives a negative column size.
        {{10, 0, 0, 10, 3, 3},
         "-3.333333333333\r\n0.00\r\n0.00\r\n3.333333333333\r\n"
         "10.000000000000\r\n0.000000000000\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatWorldFile(c.e), c.text);
}

TEST(WorldFile, WrittenBesideTheImage)
{
    ScratchDir dir;
    const CTransposeExtents e{100, 300, 299, 201, 100, 200};
    // Only the last dot of the file name counts.
    ASSERT_TRUE(WriteWorldFile(dir.File("sheet.v2.jpg").c_str(), e));
    EXPECT_EQ(ReadFileBytes(dir.File("sheet.v2.jgw")), FormatWorldFile(e));
    // Replaces an older, longer file completely.
    WriteFileBytes(dir.File("old.jgw"), std::string(500, 'x'));
    ASSERT_TRUE(WriteWorldFile(dir.File("old.jpeg").c_str(), e));
    EXPECT_EQ(ReadFileBytes(dir.File("old.jgw")), FormatWorldFile(e));
}

TEST(WorldFile, UnwritablePlaceFails)
{
    ScratchDir dir;
    const CTransposeExtents e{100, 300, 299, 201, 100, 200};
    EXPECT_FALSE(WriteWorldFile(dir.File("no-such-folder/map.jpg").c_str(), e));
    EXPECT_FALSE(WriteWorldFileTo(dir.Path().string().c_str(), e));   // a folder, not a file
}
