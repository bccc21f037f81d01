// Control points to and from other tools. The .points fixtures in
// tests/data/points are written by hand after QGIS's documented layout, one
// per header it has used; what GDAL makes of the VRT, the command lines and
// the scan's world file is checked with GDAL itself after the GUI session
// (tests/win/app/check_gcp_interchange_gdal.py).
#include <gtest/gtest.h>

#include <cmath>

#include "core/georef/FileGeoreference.h"
#include "core/georef/FitReportText.h"
#include "core/georef/PointInterchange.h"
#include "core/georef/WorldFile.h"
#include "TestFiles.h"

namespace
{

const std::string kFixtures = std::string(QUARVEX_SOURCE_DIR) + "/tests/data/points/";

struct Expected
{
    int column, row;
    double x, y;
    bool off;
};

// Clicked anywhere in a pixel's square, a source position names that pixel.
const Expected kFixturePoints[] = {
    {120, 80, 7.42051, 43.73862, false},
    {1843, 61, 7.50123, 43.7391, false},
    {1801, 1499, 7.49888, 43.68022, true},   // on the left edge of column 1801
    {99, 1520, 7.41999, 43.6799, false},
};

}   // namespace

TEST(PointsFile, EveryHeaderVariantGivesTheSamePoints)
{
    for (const char* name : {"current.points", "pixel-header.points", "no-residuals.points"})
    {
        SCOPED_TRACE(name);
        CPointsFile file;
        ASSERT_TRUE(ParsePointsFile(ReadFileBytes(kFixtures + name), nullptr, &file).Ok());
        ASSERT_EQ(file.points.size(), 4u);
        for (size_t i = 0; i < 4; ++i)
        {
            const Expected& e = kFixturePoints[i];
            EXPECT_EQ(file.points[i].m_nPixelX, e.column) << i;
            EXPECT_EQ(file.points[i].m_nPixelY, e.row) << i;
            EXPECT_EQ(file.points[i].m_dMapX, e.x) << i;
            EXPECT_EQ(file.points[i].m_dMapY, e.y) << i;
            EXPECT_EQ(file.points[i].m_bOff, e.off) << i;
        }
        EXPECT_EQ(file.strCrsWkt.rfind("GEOGCRS[\"WGS 84\"", 0) == 0, std::string(name) == "current.points");
    }
}

TEST(PointsFile, DamagedFilesSayWhatIsWrong)
{
    const struct
    {
        const char* text;
        PointsReadCode code;
        const char* detail;
    } cases[] = {
        {"", PointsReadCode::NoHeader, ""},
        {"#CRS: \nmapX,mapY,enable\n1,2,1\n", PointsReadCode::NoHeader, ""},
        {"mapX,mapY,sourceX,sourceY\n", PointsReadCode::NoPoints, ""},
        {"mapX,mapY,sourceX,sourceY\n1,2,3,-4\n1,2,3\n", PointsReadCode::BadRecord, "3"},
        {"mapX,mapY,sourceX,sourceY\n1,2,3,-4x\n", PointsReadCode::BadRecord, "2"},
        {"mapX,mapY,sourceX,sourceY\n1e+99999,2,3,-4\n", PointsReadCode::BadRecord, "2"},
        {"mapX,mapY,sourceX,sourceY\nINF,2,3,-4\n", PointsReadCode::BadRecord, "2"},
        {"mapX,mapY,sourceX,sourceY\n1,2,3e12,-4\n", PointsReadCode::BadRecord, "2"},   // no pixel of any scan
        {"mapX,mapY,sourceX,sourceY,enable\n1,2,3,-4,yes\n", PointsReadCode::BadRecord, "2"},
    };
    for (const auto& c : cases)
    {
        CPointsFile file;
        const CStatus<PointsReadCode> status = ParsePointsFile(c.text, nullptr, &file);
        EXPECT_EQ(status.GetCode(), c.code) << c.text;
        EXPECT_EQ(status.Detail(), c.detail) << c.text;
    }
    // Columns in another order, space-separated fields of the oldest files.
    CPointsFile file;
    ASSERT_TRUE(ParsePointsFile("sourceY,sourceX,mapY,mapX\n-0.5,0.5,20,10\n", nullptr, &file).Ok());
    EXPECT_EQ(file.points[0].m_nPixelX, 0);
    EXPECT_EQ(file.points[0].m_dMapX, 10.0);
    ASSERT_TRUE(ParsePointsFile("mapX mapY pixelX pixelY\n10 20 5.5 -7.5\n", nullptr, &file).Ok());
    EXPECT_EQ(file.points[0].m_nPixelY, 7);
}

TEST(PointsFile, WrittenInTheCurrentFormAndReadBack)
{
    std::vector<CGeoRefPoint> points = {{512345.125, 4123456.5, 0, 0}, {-3.0000001, 51.123456789012, 4999, 6999}};
    points[1].m_bOff = true;
    std::vector<CPointResidual> residuals(2);
    residuals[0].dPixelX = 0.25;
    residuals[0].dPixelY = -1.5;
    residuals[0].dPixelLength = 1.5;
    EXPECT_EQ(FormatPointsFile(points, "PROJCS[\"x\"]", nullptr, &residuals),
              "#CRS: PROJCS[\"x\"]\r\n"
              "mapX,mapY,sourceX,sourceY,enable,dX,dY,residual\r\n"
              "512345.125,4123456.5,0.5,-0.5,1,0.25,-1.5,1.5\r\n"
              "-3.0000001,51.123456789012,4999.5,-6999.5,0,0,0,0\r\n");

    // A scan with a georeference of its own: QGIS shows it, and takes
    // source positions, in those coordinates.
    CAffineTransform own;
    own.x0 = 300000.5;
    own.xPerColumn = 2.0;
    own.y0 = 5000000.5;
    own.yPerRow = -2.0;
    own.xPerRow = 0.125;
    for (const CAffineTransform* pOwn :
         {static_cast<const CAffineTransform*>(nullptr), static_cast<const CAffineTransform*>(&own)})
    {
        CPointsFile back;
        ASSERT_TRUE(ParsePointsFile(FormatPointsFile(points, "", pOwn, nullptr), pOwn, &back).Ok());
        ASSERT_EQ(back.points.size(), points.size());
        for (size_t i = 0; i < points.size(); ++i)
        {
            EXPECT_EQ(back.points[i].m_nPixelX, points[i].m_nPixelX);
            EXPECT_EQ(back.points[i].m_nPixelY, points[i].m_nPixelY);
            EXPECT_EQ(back.points[i].m_dMapX, points[i].m_dMapX);
            EXPECT_EQ(back.points[i].m_dMapY, points[i].m_dMapY);
            EXPECT_EQ(back.points[i].m_bOff, points[i].m_bOff);
        }
    }
}

TEST(GcpExport, GdalAndIiifCountFromThePixelCornerAndLeaveOutSwitchedOffPoints)
{
    std::vector<CGeoRefPoint> points = {{7.5, 43.5, 0, 0}, {7.6, 43.4, 99, 49}, {7.7, 43.3, 10, 10}};
    points[2].m_bOff = true;
    const std::vector<CGdalGcp> gcps = GdalGcps(points);
    ASSERT_EQ(gcps.size(), 2u);
    EXPECT_EQ(gcps[1].dPixel, 99.5);
    EXPECT_EQ(gcps[1].dLine, 49.5);
    CGdalScan scan;
    scan.strFileName = "a&b.jpg";
    scan.nWidth = 100;
    scan.nHeight = 50;
    scan.nBands = 1;
    scan.strWkt = "GEOGCS[\"GCS_WGS_1984\"]";
    EXPECT_EQ(FormatGcpVrt(scan, gcps), "<VRTDataset rasterXSize=\"100\" rasterYSize=\"50\">\n"
                                        "  <GCPList Projection=\"GEOGCS[&quot;GCS_WGS_1984&quot;]\">\n"
                                        "    <GCP Id=\"1\" Pixel=\"0.5\" Line=\"0.5\" X=\"7.5\" Y=\"43.5\"/>\n"
                                        "    <GCP Id=\"2\" Pixel=\"99.5\" Line=\"49.5\" X=\"7.6\" Y=\"43.4\"/>\n"
                                        "  </GCPList>\n"
                                        "  <VRTRasterBand dataType=\"Byte\" band=\"1\">\n"
                                        "    <ColorInterp>Gray</ColorInterp>\n"
                                        "    <SimpleSource>\n"
                                        "      <SourceFilename relativeToVRT=\"1\">a&amp;b.jpg</SourceFilename>\n"
                                        "      <SourceBand>1</SourceBand>\n"
                                        "      <SrcRect xOff=\"0\" yOff=\"0\" xSize=\"100\" ySize=\"50\"/>\n"
                                        "      <DstRect xOff=\"0\" yOff=\"0\" xSize=\"100\" ySize=\"50\"/>\n"
                                        "    </SimpleSource>\n"
                                        "  </VRTRasterBand>\n"
                                        "</VRTDataset>\n");
    const std::string json = FormatIiifAnnotation("map.jpg", 100, 50, points, FitModel::ThinPlateSpline);
    EXPECT_NE(json.find("\"resourceCoords\": [99.5, 49.5]}, \"geometry\": {\"type\": \"Point\", "
                        "\"coordinates\": [7.6, 43.4]}"),
              std::string::npos);
    EXPECT_EQ(json.find("43.3"), std::string::npos);
    EXPECT_NE(json.find("\"transformation\": {\"type\": \"thinPlateSpline\"}"), std::string::npos);
}

TEST(ScanWorldFile, NamedAfterTheScanWithTheRotationTerms)
{
    const struct
    {
        const char* scan;
        const char* world;
    } names[] = {{"C:\\maps\\sheet.jpg", "C:\\maps\\sheet.jgw"},  {"C:\\maps\\sheet.JPEG", "C:\\maps\\sheet.JGW"},
                 {"C:\\maps\\sheet.tif", "C:\\maps\\sheet.tfw"},  {"C:\\maps\\sheet.tiff", "C:\\maps\\sheet.tfw"},
                 {"C:\\maps\\sheet.png", "C:\\maps\\sheet.pgw"},  {"C:\\maps\\sheet.jp2", "C:\\maps\\sheet.j2w"},
                 {"C:\\maps.v2\\sheet", "C:\\maps.v2\\sheet.wld"}};
    for (const auto& n : names)
        EXPECT_EQ(ScanWorldFileName(n.scan), n.world);

    CAffineTransform fit;
    fit.x0 = 512345.678;
    fit.xPerColumn = 0.85;
    fit.xPerRow = -0.031;
    fit.y0 = 5123000.25;
    fit.yPerColumn = -0.03;
    fit.yPerRow = -0.85;
    // A, D, B, E, C, F: the order of the lines is where swapped terms hide.
    EXPECT_EQ(FormatScanWorldFile(fit), "0.850000000000000\r\n"
                                        "-0.030000000000000\r\n"
                                        "-0.031000000000000\r\n"
                                        "-0.850000000000000\r\n"
                                        "512345.678000000014\r\n"
                                        "5123000.250000000000\r\n");
    CAffineTransform back;
    ASSERT_TRUE(ParseWorldFile(FormatScanWorldFile(fit), &back));
    EXPECT_EQ(back.xPerRow, fit.xPerRow);
    EXPECT_EQ(back.yPerColumn, fit.yPerColumn);
}

TEST(FitReportText, EveryModelWithItsResidualsAndTheChosenOnesParameters)
{
    CGeoRefArray geoRef;
    geoRef.SetImageHeight(1000);
    geoRef.m_points = {{1000, 9000, 0, 0},
                       {3000, 9000, 1000, 0},
                       {1000, 7000, 0, 1000},
                       {3000, 7000, 1000, 1000},
                       {2200, 8000, 500, 500}};
    geoRef.m_nFitModel = FitModel::Affine;
    ASSERT_TRUE(geoRef.Refit());
    CFitReportHeading heading;
    heading.strScan = "C:\\maps\\sheet.jpg";
    heading.nWidth = 1001;
    heading.nHeight = 1001;
    heading.strDate = "2026-12-08 06:00 UTC";
    for (int i = 0; i < kFitModelCount; ++i)
        heading.modelNames[i] = "model" + std::to_string(i);
    const std::string text = FormatFitReportText(geoRef, heading);
    EXPECT_NE(text.find("Coordinate system: none\r\n"), std::string::npos);
    EXPECT_NE(text.find("Chosen model: model2\r\n"), std::string::npos);
    // Not the file's own model (the scan has none); order 3 and the
    // projective model need more points.
    EXPECT_EQ(text.find("Model: model3\r\n"), std::string::npos);
    EXPECT_NE(text.find("Model: model6\r\n  not fitted: needs 5 more point(s)"), std::string::npos);
    // The fifth point is 200 map units off in X: its residual without it
    // is that; with it, the fit spreads it over all five.
    const size_t affine = text.find("Model: model2\r\n");
    ASSERT_NE(affine, std::string::npos);
    const size_t row5 = text.find("\r\n   5", affine);
    ASSERT_NE(row5, std::string::npos);
    EXPECT_NE(text.substr(row5, 120).find("200.000"), std::string::npos) << text.substr(row5, 120);
    EXPECT_NE(text.find("  Parameters (pixel centre to map", affine), std::string::npos);
}

// The curved models' parameters on raw pixel centres, from points that lie
// on a known mapping: the report gives back that mapping's numbers.
TEST(FitReportText, CurvedModelsParameters)
{
    const auto polynomial = [](double c, double r, double* x, double* y) {
        *x = 10 + 0.5 * c + 0.25 * r + 0.001 * c * c + 0.002 * c * r + 0.003 * r * r;
        *y = -20 + 0.125 * c - 0.75 * r - 0.004 * c * c + 0.005 * c * r - 0.006 * r * r;
    };
    const auto projective = [](double c, double r, double* x, double* y) {
        const double d = 1 + 0.001 * c + 0.002 * r;
        *x = (10 + 2 * c + 0.5 * r) / d;
        *y = (20 + 0.25 * c - 1.5 * r) / d;
    };
    const struct
    {
        FitModel model;
        void (*map)(double, double, double*, double*);
        const char* parameters;
    } cases[] = {
        {FitModel::Polynomial2, polynomial,
         "  Parameters (pixel centre to map; mapX = a0 + a1 column + a2 row + a3 column^2 + a4 column row + a5 "
         "row^2, mapY likewise with b):\r\n"
         "    a0 = 10, a1 = 0.5, a2 = 0.25\r\n"
         "    a3 = 0.001, a4 = 0.002, a5 = 0.003\r\n"
         "    b0 = -20, b1 = 0.125, b2 = -0.75\r\n"
         "    b3 = -0.004, b4 = 0.005, b5 = -0.006\r\n"},
        {FitModel::Projective, projective,
         "  Parameters (pixel centre to map; mapX = (a0 + a1 column + a2 row) / (1 + c1 column + c2 row), mapY = "
         "(b0 + b1 column + b2 row) / (1 + c1 column + c2 row)):\r\n"
         "    a0 = 10, a1 = 2, a2 = 0.5\r\n"
         "    b0 = 20, b1 = 0.25, b2 = -1.5\r\n"
         "    c1 = 0.001, c2 = 0.002\r\n"},
        {FitModel::ThinPlateSpline, polynomial,
         "  Parameters: a thin-plate spline through 8 points, without regularisation (exact at every point); its "
         "weights are not listed\r\n"},
    };
    for (const auto& c : cases)
    {
        CGeoRefArray geoRef;
        geoRef.SetImageHeight(101);
        for (const auto& at : {std::make_pair(0, 0), std::make_pair(100, 0), std::make_pair(0, 100),
                               std::make_pair(100, 100), std::make_pair(50, 20), std::make_pair(20, 70),
                               std::make_pair(80, 60), std::make_pair(40, 40), std::make_pair(60, 90)})
        {
            double x, y;
            c.map(at.first, at.second, &x, &y);
            geoRef.m_points.push_back(CGeoRefPoint(x, y, at.first, at.second));
        }
        geoRef.m_points.back().m_bOff = true;   // not part of the fit
        geoRef.m_nFitModel = c.model;
        ASSERT_TRUE(geoRef.Refit());
        CFitReportHeading heading;
        for (int i = 0; i < kFitModelCount; ++i)
            heading.modelNames[i] = "model" + std::to_string(i);
        const std::string text = FormatFitReportText(geoRef, heading);
        const size_t from = text.find("  Parameters"), to = text.find("  Its least-squares affine part");
        ASSERT_NE(from, std::string::npos);
        ASSERT_NE(to, std::string::npos);
        EXPECT_EQ(text.substr(from, to - from), c.parameters);
    }
}
