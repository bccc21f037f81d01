// Our Shapefile reader against readers nobody here wrote: for each fixture
// (made by ogr2ogr, pyshp and shapelib), pyshp's geometry and GDAL's
// decoded attributes must be what we read, every coordinate exactly.
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "core/io/StdioFileSystem.h"
#include "core/shape/ShapefileLayer.h"
#include "tests/core/TestFiles.h"

namespace
{

std::string Number(double d)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", d);
    return text;
}

// What tests/native/shapefile_dump.py prints for the same file.
std::string Dump(const CShapefileLayer& layer)
{
    const CAttributeTable& table = layer.m_table;
    std::string out = "type " + std::to_string(layer.m_nType) + "\n";
    for (const CDbfField& field : table.m_fields)
        out += "field " + field.strName + " " + field.cType + " " + std::to_string(field.nWidth) + " " +
               std::to_string(field.nDecimals) + "\n";
    const bool hasZ = ShapefileTypeHasZ(layer.m_nType), hasM = ShapefileTypeHasM(layer.m_nType);
    for (size_t i = 0; i < layer.m_features.size(); ++i)
    {
        const CLayerFeature& feature = layer.m_features[i];
        const bool deleted = table.IsDeleted(int(i));
        out += "feature " + std::to_string(i) + (feature.bNull ? " null" : "") + (deleted ? " deleted" : "") + "\n";
        for (size_t p = 0; p < feature.parts.size(); ++p)
        {
            out += "  part " + std::to_string(p) + ":";
            for (size_t v = 0; v < feature.parts[p].size(); ++v)
            {
                const CMapPoint& point = feature.parts[p][v];
                out += (v ? ", " : " ") + Number(point.x) + " " + Number(point.y);
                if (hasZ)
                    out += " z=" + Number(point.z);
                if (hasM)   // pyshp's "no data": -10e38 and below
                    out += " m=" + (feature.bHasM && point.m > -10e38 ? Number(point.m) : std::string("none"));
            }
            out += "\n";
        }
        if (deleted)
            continue;
        for (size_t f = 0; f < table.m_fields.size(); ++f)
        {
            const int r = int(i), c = int(f);
            const CDbfField& field = table.m_fields[f];
            std::string value = "null";
            double d;
            int64_t n;
            bool b;
            CDbfDate date;
            if (field.nType == DbfFieldType::Character)
                value = table.Text(r, c).empty() ? "null" : table.Text(r, c);
            else if (field.nType == DbfFieldType::Numeric && field.nDecimals == 0 && table.Integer(r, c, &n))
                value = std::to_string(n);
            else if ((field.nType == DbfFieldType::Float || field.nType == DbfFieldType::Numeric) &&
                     field.nDecimals > 0 && table.Number(r, c, &d))
                value = Number(d);
            else if (field.nType == DbfFieldType::Logical && table.Logical(r, c, &b))
                value = b ? "T" : "F";   // GDAL 3.6 gives the letter
            else if (field.nType == DbfFieldType::Date && table.Date(r, c, &date))
            {
                char text[16];
                std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.nYear, date.nMonth, date.nDay);
                value = text;
            }
            out += "  " + field.strName + "=" + value + "\n";
        }
    }
    return out;
}

class ShapefileReadByTools : public testing::TestWithParam<const char*>
{};

TEST_P(ShapefileReadByTools, SameFeaturesAndAttributesAsPyshpAndGdal)
{
    const std::string path = std::string(QUARVEX_SOURCE_DIR) + "/tests/data/shp/" + GetParam() + ".shp";
    CShapefileLayer layer;
    const ShapefileReadStatus status = ReadShapefileLayer(path, StdioFileSystem(), &layer);
    ASSERT_TRUE(status.Ok()) << status.Detail();
    int exitCode;
    const std::string tools = RunTool("/usr/bin/python3 " + std::string(QUARVEX_SOURCE_DIR) +
                                          "/tests/native/shapefile_dump.py '" + path + "'",
                                      &exitCode);
    ASSERT_EQ(exitCode, 0) << tools;
    EXPECT_EQ(Dump(layer), tools);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ShapefileReadByTools,
                         testing::Values("polygons_utf8", "lines_1252", "multipoints_z", "regions_ldid", "points_zm",
                                         "lines_zm", "points_m", "arcs_shapelib"));

}   // namespace
