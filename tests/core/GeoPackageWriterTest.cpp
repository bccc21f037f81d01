// The GeoPackage writer through the file seam, on every platform (under Wine
// with the SQLite built for Win32): the file is an SQLite database marked as
// a GeoPackage 1.3, and a disk that fills or a file in use leaves the user's
// earlier file as it was; ogr2ogr's two-layer GeoPackage reads the same on
// every platform. What the tables hold is judged by GDAL in tests/native.
#include <string>

#include <gtest/gtest.h>

#include "core/gpkg/GeoPackageReader.h"
#include "core/gpkg/GeoPackageWriter.h"
#include "core/io/MemoryFile.h"
#include "core/io/StagedWrite.h"
#include "core/io/StdioFileSystem.h"

namespace
{
CVectorLayer Roads()
{
    CVectorLayer layer;
    layer.strName = "roads";
    layer.nKind = GeometryKind::PolyLine;
    layer.fields = {{"ID", FieldType::Integer, 10, 0}, {"NAME", FieldType::Text, 20, 0}};
    for (int i = 0; i < 200; ++i)
        layer.features.push_back({{{CMapPoint{i * 1.0, 0, 0, 0}, CMapPoint{i * 1.0, 5, 0, 0}}},
                                  {std::to_string(i), "road " + std::to_string(i)}});
    return layer;
}
}   // namespace

TEST(GeoPackageWriter, WritesAGeoPackageDatabaseOrLeavesTheFileAsItWas)
{
    CMemoryFileSystem files;
    const std::string path = "C:/maps/roads.gpkg";
    ASSERT_TRUE(WriteGeoPackage(path, Roads(), CCrsRef{31287, false}, files).Ok());
    const std::string bytes = files.m_files[path];
    ASSERT_GT(bytes.size(), 100u);
    EXPECT_EQ(bytes.substr(0, 16), std::string("SQLite format 3\0", 16));
    EXPECT_EQ(bytes.substr(68, 4), "GPKG");                               // application id
    EXPECT_EQ(bytes.substr(60, 4), std::string("\x00\x00\x28\x3c", 4));   // user version 10300

    const std::string earlier = bytes;
    files.m_byteLimit[StagedName(path)] = bytes.size() / 2;
    EXPECT_EQ(WriteGeoPackage(path, Roads(), CCrsRef{}, files).GetCode(), GeoPackageWriteError::WriteFailed);
    files.m_byteLimit.clear();
    files.m_refused.insert(path);
    EXPECT_EQ(WriteGeoPackage(path, Roads(), CCrsRef{}, files).GetCode(), GeoPackageWriteError::WriteFailed);
    EXPECT_EQ(files.m_files[path], earlier);
    EXPECT_EQ(files.m_files.count(StagedName(path)), 0u);
}

TEST(GeoPackageReader, ReadsTheLayersOgr2ogrWrote)
{
    const std::string path = QUARVEX_SOURCE_DIR "/tests/win/app/data/survey.gpkg";
    std::vector<CGeoPackageLayerInfo> layers;
    ASSERT_TRUE(ListGeoPackageLayers(path, StdioFileSystem(), &layers).Ok());
    ASSERT_EQ(layers.size(), 2u);
    EXPECT_EQ(layers[0].strName, "roads");
    EXPECT_EQ(layers[0].nOrganizationCode, 32633);

    CVectorLayer roads, wells;
    ASSERT_TRUE(ReadGeoPackageLayer(path, "roads", StdioFileSystem(), &roads, nullptr, nullptr).Ok());
    ASSERT_TRUE(ReadGeoPackageLayer(path, "wells", StdioFileSystem(), &wells, nullptr, nullptr).Ok());
    ASSERT_EQ(roads.features.size(), 2u);
    ASSERT_EQ(roads.fields.size(), 2u);
    EXPECT_EQ(roads.features[1].nFid, 2);
    EXPECT_EQ(roads.features[1].values, (std::vector<FieldValue>{"Mill lane", "1"}));
    ASSERT_EQ(roads.features[0].parts.size(), 1u);
    ASSERT_EQ(roads.features[0].parts[0].size(), 3u);
    EXPECT_EQ(roads.features[0].parts[0][2].x, 502000);
    ASSERT_EQ(wells.features.size(), 3u);
    EXPECT_EQ(wells.features[1].values, (std::vector<FieldValue>{"Well 2", "8.25"}));
    EXPECT_EQ(wells.features[2].values, (std::vector<FieldValue>{"Well 3", std::nullopt}));
}
