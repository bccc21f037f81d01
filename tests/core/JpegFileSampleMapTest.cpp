// The bundled sample map: it decodes, its point file holds the control points
// its truth file names, typed in degrees, minutes and seconds they give the
// same values, and the transformation fitted from them puts every graticule
// intersection and every feature within two pixels' ground size of the truth.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/georef/DegreeParser.h"
#include "core/georef/GeoRefArray.h"
#include "core/jpeg/JpegFile.h"
#include "tests/core/TestFiles.h"

namespace
{

const std::string kSamples = std::string(QUARVEX_SOURCE_DIR) + "/samples/";

// Reads the numbers and texts we need from the truth file by key, in the
// order they appear: the file is written by our own script, one key a line.
class TruthFile
{
public:
    explicit TruthFile(const std::string& text) : m_text(text) {}

    // The part of the file from the key `section` up to the next key `until`.
    TruthFile Section(const std::string& section, const std::string& until) const
    {
        const size_t begin = m_text.find("\"" + section + "\"");
        const size_t end = m_text.find("\"" + until + "\"", begin);
        return TruthFile(begin == std::string::npos ? std::string() : m_text.substr(begin, end - begin));
    }

    std::vector<double> Numbers(const std::string& key) const
    {
        std::vector<double> values;
        const std::string pattern = "\"" + key + "\": ";
        for (size_t at = m_text.find(pattern); at != std::string::npos; at = m_text.find(pattern, at + 1))
            values.push_back(std::strtod(m_text.c_str() + at + pattern.size(), nullptr));
        return values;
    }

    std::vector<std::string> Texts(const std::string& key) const
    {
        std::vector<std::string> values;
        const std::string pattern = "\"" + key + "\": \"";
        for (size_t at = m_text.find(pattern); at != std::string::npos; at = m_text.find(pattern, at + 1))
        {
            const size_t begin = at + pattern.size();
            values.push_back(m_text.substr(begin, m_text.find('"', begin) - begin));
        }
        return values;
    }

    double Number(const std::string& key) const
    {
        const std::vector<double> values = Numbers(key);
        return values.empty() ? std::nan("") : values.front();
    }

private:
    std::string m_text;
};

// The truth: longitude and latitude of a pixel, from the sheet's own affine relation.
struct TrueGeoreference
{
    double c0, r0, lon0, lat0, lonPerCol, lonPerRow, latPerCol, latPerRow;

    explicit TrueGeoreference(const TruthFile& truth)
    {
        const TruthFile relation = truth.Section("pixel_to_lonlat", "lonlat_to_pixel");
        c0 = relation.Number("c0");
        r0 = relation.Number("r0");
        lon0 = relation.Number("lon0");
        lat0 = relation.Number("lat0");
        lonPerCol = relation.Number("lon_per_col");
        lonPerRow = relation.Number("lon_per_row");
        latPerCol = relation.Number("lat_per_col");
        latPerRow = relation.Number("lat_per_row");
    }
    double Lon(double column, double row) const { return lon0 + lonPerCol * (column - c0) + lonPerRow * (row - r0); }
    double Lat(double column, double row) const { return lat0 + latPerCol * (column - c0) + latPerRow * (row - r0); }
};

class SampleMap : public testing::Test
{
protected:
    void SetUp() override
    {
        const std::string text = ReadFileBytes(kSamples + "sample_map.truth.json");
        ASSERT_FALSE(text.empty());
        m_truth = std::make_unique<TruthFile>(text);
    }
    std::unique_ptr<TruthFile> m_truth;
};

TEST_F(SampleMap, DecodesAtTheSizeOfItsTruth)
{
    CRgbImage image;
    ASSERT_TRUE(JpegFile::JpegFileToRGB(kSamples + "sample_map.jpg", &image));
    const int width = image.Width(), height = image.Height();
    EXPECT_EQ(width, m_truth->Number("width"));
    EXPECT_EQ(height, m_truth->Number("height"));
    // A graticule intersection is ink (dark), the paper around it is light.
    const TruthFile graticule = m_truth->Section("graticule_intersections", "features");
    const std::vector<double> columns = graticule.Numbers("column"), rows = graticule.Numbers("row");
    ASSERT_EQ(columns.size(), 12u);
    for (size_t i = 0; i < columns.size(); ++i)
    {
        const unsigned char* pixel = image.Pixels() + 3 * (size_t(width) * size_t(rows[i]) + size_t(columns[i]));
        EXPECT_LT(pixel[0] + pixel[1] + pixel[2], 3 * 150) << "intersection " << i;
    }
}

TEST_F(SampleMap, PointFileHoldsTheControlPointsTypedInDegreesMinutesSeconds)
{
    CGeoRefArray geoRef;
    geoRef.ReadPointFile((kSamples + "sample_map.jpg").c_str());
    const TruthFile controls = m_truth->Section("control_points", "graticule_intersections");
    const std::vector<std::string> lonTyped = controls.Texts("lon_typed"), latTyped = controls.Texts("lat_typed");
    const std::vector<double> columns = controls.Numbers("column"), rows = controls.Numbers("row");
    ASSERT_EQ(geoRef.m_points.size(), 3u);
    ASSERT_EQ(lonTyped.size(), 3u);
    ASSERT_EQ(latTyped.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
    {
        double lon = 0, lat = 0;
        ASSERT_TRUE(ParseDegrees(lonTyped[i].c_str(), &lon, true)) << lonTyped[i];
        ASSERT_TRUE(ParseDegrees(latTyped[i].c_str(), &lat, false)) << latTyped[i];
        // The point file keeps six decimals.
        EXPECT_NEAR(geoRef.m_points[i].m_dMapX, lon, 5e-7) << lonTyped[i];
        EXPECT_NEAR(geoRef.m_points[i].m_dMapY, lat, 5e-7) << latTyped[i];
        EXPECT_EQ(geoRef.m_points[i].m_nPixelX, columns[i]);
        EXPECT_EQ(geoRef.m_points[i].m_nPixelY, rows[i]);
    }
}

TEST_F(SampleMap, FitFromTheControlPointsMatchesTheTruthWithinTwoPixels)
{
    const TrueGeoreference trueGeoRef(*m_truth);
    const double tolerance = m_truth->Number("tolerance_two_pixels_deg");
    ASSERT_GT(tolerance, 0.0);
    ASSERT_LT(tolerance, 0.001);

    CGeoRefArray geoRef;
    geoRef.ReadPointFile((kSamples + "sample_map.jpg").c_str());
    geoRef.SetImageHeight(static_cast<int>(m_truth->Number("height")));
    ASSERT_TRUE(geoRef.CalcTransform());

    // The graticule intersections lie on whole pixels and carry their own lon/lat.
    const TruthFile graticule = m_truth->Section("graticule_intersections", "features");
    const std::vector<double> columns = graticule.Numbers("column"), rows = graticule.Numbers("row");
    const std::vector<double> lons = graticule.Numbers("lon"), lats = graticule.Numbers("lat");
    ASSERT_EQ(columns.size(), 12u);
    ASSERT_EQ(lons.size(), columns.size());
    for (size_t i = 0; i < columns.size(); ++i)
    {
        double lon = 0, lat = 0;
        ASSERT_TRUE(geoRef.PixelToMap(static_cast<int>(columns[i]), static_cast<int>(rows[i]), &lon, &lat));
        EXPECT_NEAR(lon, lons[i], tolerance) << "intersection " << i;
        EXPECT_NEAR(lat, lats[i], tolerance) << "intersection " << i;
        EXPECT_NEAR(trueGeoRef.Lon(columns[i], rows[i]), lons[i], 1e-9);
        EXPECT_NEAR(trueGeoRef.Lat(columns[i], rows[i]), lats[i], 1e-9);
    }

    // Features lie between pixels: a click lands on the nearest one.
    const TruthFile features = m_truth->Section("features", "no such key");
    const std::vector<double> featureColumns = features.Numbers("column"), featureRows = features.Numbers("row");
    ASSERT_GT(featureColumns.size(), 20u);
    for (size_t i = 0; i < featureColumns.size(); ++i)
    {
        const int column = static_cast<int>(std::lround(featureColumns[i]));
        const int row = static_cast<int>(std::lround(featureRows[i]));
        double lon = 0, lat = 0;
        ASSERT_TRUE(geoRef.PixelToMap(column, row, &lon, &lat));
        EXPECT_NEAR(lon, trueGeoRef.Lon(column, row), tolerance) << "feature vertex " << i;
        EXPECT_NEAR(lat, trueGeoRef.Lat(column, row), tolerance) << "feature vertex " << i;
    }
}

}   // namespace
