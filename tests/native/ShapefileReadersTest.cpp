// Files written by our Shapefile and dBASE writers, read back by readers
// nobody here wrote: GDAL's ogrinfo, shapelib's shpdump and dbfdump, and
// pyshp. Each must see the right type, count, coordinates and attributes.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/shape/ShapeFile.h"
#include "tests/core/ShapeWriterFixture.h"
#include "tests/core/TestFiles.h"

namespace
{

struct MapPoint
{
    double x, y;
};

struct ExpectedRecord
{
    int id;
    std::string name;               // as a reader gives it back: cut to 32 bytes, trailing spaces gone
    std::vector<MapPoint> points;   // as written, in map units
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool StartsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

std::string Trimmed(const std::string& s)
{
    const size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// "x y,x y,..." or "(x,y, 0)": the numbers in order, read back exactly.
std::vector<double> Numbers(const std::string& text)
{
    std::vector<double> numbers;
    const char* p = text.c_str();
    while (*p)
    {
        if ((*p >= '0' && *p <= '9') || *p == '-' || *p == '.')
        {
            char* end;
            numbers.push_back(std::strtod(p, &end));
            p = end;
        }
        else
        {
            ++p;
        }
    }
    return numbers;
}

struct ReaderCase
{
    const char* name;
    ShapeType type;
};

void PrintTo(const ReaderCase& c, std::ostream* os) { *os << c.name; }

class IndependentReaders : public testing::TestWithParam<ReaderCase>
{
protected:
    void SetUp() override
    {
        // A scan 4000 rows high, turned by a few degrees against the map grid.
        CGeoRefArray& geoRef = m_file.m_geoRef;
        geoRef.SetImageHeight(4000);
        geoRef.m_points = {CGeoRefPoint(512345.25, 4201234.5, 120, 3800),
                           CGeoRefPoint(520000.75, 4202100.0, 2900, 3500),
                           CGeoRefPoint(512900.0, 4210000.125, 300, 150)};
        ASSERT_TRUE(geoRef.CalcTransform());

        const ShapeType type = GetParam().type;
        const std::vector<std::vector<std::pair<int, int>>> clicks = {
            {{120, 3800}, {2900, 3500}, {300, 150}, {1500, 2000}},
            {{7, 9}},   // a single click
            {{0, 0}, {3999, 0}},
            {{2500, 1200}, {2510, 1300}, {2400, 1250}},
        };
        const std::vector<std::string> names = {"Main Road", "", "A name of forty bytes, cut after 32!!!!!",
                                                "Mill Lane  No 2"};
        for (size_t i = 0; i < clicks.size(); ++i)
        {
            const size_t shapes = type == SHAPE_POINT ? clicks[i].size() : 1;
            for (size_t k = 0; k < shapes; ++k)
            {
                CShape current;
                if (type == SHAPE_POINT)
                    current.Add(clicks[i][k].first, clicks[i][k].second);
                else
                    for (const auto& c : clicks[i])
                        current.Add(c.first, c.second);
                ASSERT_TRUE(FinishThroughEdit(current, type, true, names[i], m_file.m_shapes));
            }
        }
        for (int i = 0; i < m_file.m_shapes.GetSize(); ++i)
        {
            const CShape& shape = m_file.m_shapes.GetAt(i);
            ExpectedRecord record;
            record.id = i + 1;
            record.name = shape.m_strName.substr(0, 32);
            record.name.erase(record.name.find_last_not_of(' ') + 1);
            double twiceArea = 0.0;
            for (int v = 0; v < shape.GetSize(); ++v)
            {
                MapPoint p;
                ASSERT_TRUE(geoRef.PixelToMap(shape.GetAt(v).x, shape.GetAt(v).y, &p.x, &p.y));
                if (!record.points.empty())
                    twiceArea += record.points.back().x * p.y - p.x * record.points.back().y;
                record.points.push_back(p);
            }
            // Polygon rings are written clockwise on the map: an anticlockwise
            // ring comes back reversed.
            if (type == SHAPE_POLYGON && twiceArea > 0)
                std::reverse(record.points.begin(), record.points.end());
            m_expected.push_back(record);
        }
        m_main = m_dir.File("digitised.shp");
        ASSERT_EQ(m_file.WriteShapefile(m_main.c_str(), type), 1);
    }

    // Coordinates as a reader printed them, against what was written.
    void ExpectPoints(const std::vector<double>& numbers, size_t record, size_t perPoint, const char* reader)
    {
        const std::vector<MapPoint>& points = m_expected[record].points;
        const size_t count = GetParam().type == SHAPE_POINT ? 1 : points.size();
        ASSERT_EQ(numbers.size(), perPoint * count) << reader << " record " << record;
        for (size_t i = 0; i < count; ++i)
        {
            EXPECT_EQ(numbers[perPoint * i], points[i].x) << reader << " record " << record << " vertex " << i;
            EXPECT_EQ(numbers[perPoint * i + 1], points[i].y) << reader << " record " << record << " vertex " << i;
        }
        if (GetParam().type == SHAPE_POLYGON)
        {
            EXPECT_EQ(numbers[0], numbers[numbers.size() - perPoint]) << reader << ": ring not closed";
            EXPECT_EQ(numbers[1], numbers[numbers.size() - perPoint + 1]) << reader << ": ring not closed";
        }
    }

    ScratchDir m_dir;
    CShapeFile m_file;
    std::vector<ExpectedRecord> m_expected;
    std::string m_main;
};

TEST_P(IndependentReaders, GdalOgrinfo)
{
    int exitCode;
    const std::string output = RunTool("ogrinfo -al --config OGR_WKT_PRECISION 17 '" + m_main + "'", &exitCode);
    ASSERT_EQ(exitCode, 0) << output;
    EXPECT_EQ(output.find("ERROR"), std::string::npos) << output;
    EXPECT_EQ(output.find("Warning"), std::string::npos) << output;
    const char* geometry[] = {"", "Point", "", "Line String", "", "Polygon"};
    const char* wkt[] = {"", "POINT (", "", "LINESTRING (", "", "POLYGON (("};
    EXPECT_NE(output.find(std::string("\nGeometry: ") + geometry[GetParam().type] + "\n"), std::string::npos) << output;
    EXPECT_NE(output.find("Feature Count: " + std::to_string(m_expected.size()) + "\n"), std::string::npos);
    EXPECT_NE(output.find("ID: Integer (8.0)"), std::string::npos);
    EXPECT_NE(output.find("NAME: String (32.0)"), std::string::npos);

    int record = -1;
    size_t seen = 0;
    for (const std::string& line : Lines(output))
    {
        if (StartsWith(line, "OGRFeature("))
        {
            record = std::atoi(line.substr(line.find("):") + 2).c_str());
            ASSERT_LT(size_t(record), m_expected.size());
            ++seen;
        }
        else if (record >= 0 && StartsWith(line, "  ID (Integer) = "))
        {
            EXPECT_EQ(std::atoi(line.c_str() + 17), m_expected[record].id);
        }
        else if (record >= 0 && StartsWith(line, "  NAME (String) = "))
        {
            const std::string name = line.substr(18);
            EXPECT_EQ(name == "(null)" ? "" : name, m_expected[record].name);
        }
        else if (record >= 0 && StartsWith(line, std::string("  ") + wkt[GetParam().type]))
        {
            ExpectPoints(Numbers(line.substr(2 + std::string(wkt[GetParam().type]).size())), record, 2, "ogrinfo");
        }
    }
    EXPECT_EQ(seen, m_expected.size());
}

TEST_P(IndependentReaders, ShapelibShpdumpAndDbfdump)
{
    int exitCode;
    const std::string shapes = RunTool("shpdump -validate -precision 17 '" + m_main + "'", &exitCode);
    ASSERT_EQ(exitCode, 0) << shapes;
    EXPECT_EQ(shapes.find("wrong direction"), std::string::npos) << shapes;
    EXPECT_NE(shapes.find("\n0 object has invalid ring orderings."), std::string::npos) << shapes;
    const char* typeName[] = {"", "Point", "", "Arc", "", "Polygon"};
    const std::string type = typeName[GetParam().type];
    EXPECT_NE(shapes.find("Shapefile Type: " + type + "   # of Shapes: " + std::to_string(m_expected.size())),
              std::string::npos)
        << shapes;

    int record = -1;
    std::vector<double> numbers;
    size_t seen = 0;
    auto finishRecord = [&]() {
        if (record >= 0)
            ExpectPoints(numbers, record, 3, "shpdump");
        numbers.clear();
    };
    for (const std::string& line : Lines(shapes))
    {
        if (StartsWith(line, "Shape:"))
        {
            finishRecord();
            record = std::atoi(line.c_str() + 6);
            ASSERT_LT(size_t(record), m_expected.size());
            ++seen;
            const size_t n = GetParam().type == SHAPE_POINT ? 1 : m_expected[record].points.size();
            EXPECT_NE(line.find("(" + type + ")  nVertices=" + std::to_string(n)), std::string::npos) << line;
        }
        else if (record >= 0 && StartsWith(Trimmed(line), "("))
        {
            const std::vector<double> xyz = Numbers(line);
            numbers.insert(numbers.end(), xyz.begin(), xyz.end());
        }
    }
    finishRecord();
    EXPECT_EQ(seen, m_expected.size());

    const std::string table = RunTool("dbfdump -m '" + m_dir.File("digitised.dbf") + "'", &exitCode);
    ASSERT_EQ(exitCode, 0) << table;
    record = -1;
    seen = 0;
    for (const std::string& line : Lines(table))
    {
        if (StartsWith(line, "Record: "))
        {
            record = std::atoi(line.c_str() + 8);
            ASSERT_LT(size_t(record), m_expected.size());
            ++seen;
        }
        else if (record >= 0 && StartsWith(line, "ID: "))
        {
            EXPECT_EQ(std::atoi(line.c_str() + 4), m_expected[record].id);
        }
        else if (record >= 0 && StartsWith(line, "NAME: "))
        {
            std::string name = line.substr(6);
            name.erase(name.find_last_not_of(' ') + 1);
            EXPECT_EQ(name == "(NULL)" ? "" : name, m_expected[record].name);
        }
    }
    EXPECT_EQ(seen, m_expected.size());
}

TEST_P(IndependentReaders, Pyshp)
{
    // Coordinates travel as float.hex(): exact, with no rounding on the way.
    const std::string script = m_dir.File("read.py");
    WriteFileBytes(script, "import sys, shapefile\n"
                           "r = shapefile.Reader(sys.argv[1], encoding='latin1')\n"
                           "print('type', r.shapeType)\n"
                           "print('count', len(r))\n"
                           "print('fields', ' '.join('%s:%s:%d:%d' % tuple(f) for f in r.fields[1:]))\n"
                           "for i, sr in enumerate(r.iterShapeRecords()):\n"
                           "    s = sr.shape\n"
                           "    pts = [s.points[0]] if s.shapeType == 1 else s.points\n"
                           "    print('shape', i, s.shapeType, 'parts', list(getattr(s, 'parts', [])), len(pts))\n"
                           "    print('xy', ' '.join(v.hex() for p in pts for v in p))\n"
                           "    if s.shapeType == 5: print('area', shapefile.signed_area(s.points))\n"
                           "    print('record', sr.record[0], '|%s|' % sr.record[1])\n");
    int exitCode;
    const std::string output = RunTool("/usr/bin/python3 '" + script + "' '" + m_main + "'", &exitCode);
    ASSERT_EQ(exitCode, 0) << output;
    const ShapeType type = GetParam().type;
    EXPECT_NE(output.find("type " + std::to_string(type) + "\n"), std::string::npos) << output;
    EXPECT_NE(output.find("count " + std::to_string(m_expected.size()) + "\n"), std::string::npos) << output;
    EXPECT_NE(output.find("fields ID:N:8:0 NAME:C:32:0\n"), std::string::npos) << output;

    size_t record = 0, seen = 0;
    for (const std::string& line : Lines(output))
    {
        if (StartsWith(line, "shape "))
        {
            std::istringstream in(line.substr(6));
            int shapeType;
            in >> record >> shapeType;
            ASSERT_LT(record, m_expected.size());
            ++seen;
            EXPECT_EQ(shapeType, type);
            if (type != SHAPE_POINT)
            {
                EXPECT_NE(line.find("parts [0] "), std::string::npos) << line;
            }
        }
        else if (StartsWith(line, "xy "))
        {
            std::istringstream in(line.substr(3));
            std::vector<double> numbers;
            for (std::string hex; in >> hex;)
                numbers.push_back(std::strtod(hex.c_str(), nullptr));
            ExpectPoints(numbers, record, 2, "pyshp");
        }
        else if (StartsWith(line, "area "))
        {
            // pyshp's signed area is negative for a clockwise ring, an outer
            // ring; a ring of one or two clicks has none.
            const double area = std::strtod(line.c_str() + 5, nullptr);
            if (m_expected[record].points.size() > 3)
                EXPECT_LT(area, 0.0) << "record " << record;
            else
                EXPECT_EQ(area, 0.0) << "record " << record;
        }
        else if (StartsWith(line, "record "))
        {
            EXPECT_EQ(std::atoi(line.c_str() + 7), m_expected[record].id);
            const size_t open = line.find('|');
            EXPECT_EQ(line.substr(open + 1, line.size() - open - 2), m_expected[record].name);
        }
    }
    EXPECT_EQ(seen, m_expected.size());
}

// GDAL writing the same shapes from WKT must give the same main file and
// index, byte for byte (GDAL also writes an outer ring clockwise); its table
// differs only in the update date and the code page mark.
TEST_P(IndependentReaders, GdalWritesTheSameBytes)
{
    const ShapeType type = GetParam().type;
    const std::string csv = m_dir.File("same.csv");
    std::string text = "WKT,ID,NAME\n";
    char number[64];
    for (const ExpectedRecord& record : m_expected)
    {
        text += type == SHAPE_POINT ? "\"POINT (" : type == SHAPE_POLYLINE ? "\"LINESTRING (" : "\"POLYGON ((";
        const size_t count = type == SHAPE_POINT ? 1 : record.points.size();
        for (size_t i = 0; i < count; ++i)
        {
            std::snprintf(number, sizeof number, "%s%.17g %.17g", i ? "," : "", record.points[i].x, record.points[i].y);
            text += number;
        }
        text += type == SHAPE_POLYGON ? "))\"," : ")\",";
        text += std::to_string(record.id) + ",\"" + record.name + "\"\n";
    }
    WriteFileBytes(csv, text);
    WriteFileBytes(m_dir.File("same.csvt"), "WKT,Integer(8),String(32)\n");
    std::filesystem::create_directory(m_dir.Path() / "gdal");
    const char* layerType[] = {"", "POINT", "", "LINESTRING", "", "POLYGON"};
    int exitCode;
    const std::string output = RunTool(std::string("ogr2ogr -f 'ESRI Shapefile' -oo KEEP_GEOM_COLUMNS=NO -nlt ") +
                                           layerType[type] + " '" + m_dir.File("gdal/same.shp") + "' '" + csv + "'",
                                       &exitCode);
    ASSERT_EQ(exitCode, 0) << output;
    for (const char* extension : {".shp", ".shx", ".dbf"})
    {
        std::string ours = ReadFileBytes(m_dir.File(std::string("digitised") + extension));
        std::string gdal = ReadFileBytes(m_dir.File(std::string("gdal/same") + extension));
        ASSERT_FALSE(ours.empty());
        if (std::string(extension) == ".dbf" && gdal.size() > 30)
        {
            gdal.replace(1, 3, ours.substr(1, 3));
            gdal[29] = ours[29];
        }
        EXPECT_TRUE(ours == gdal) << extension << " differs from GDAL's (sizes " << ours.size() << ", " << gdal.size()
                                  << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(ShapefileTypes, IndependentReaders,
                         testing::Values(ReaderCase{"Points", SHAPE_POINT}, ReaderCase{"Polylines", SHAPE_POLYLINE},
                                         ReaderCase{"Polygons", SHAPE_POLYGON}),
                         [](const testing::TestParamInfo<ReaderCase>& info) { return std::string(info.param.name); });

}   // namespace
