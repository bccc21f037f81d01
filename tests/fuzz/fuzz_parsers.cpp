// libFuzzer target for the two text grammars that read user input: the
// coordinate entry (both texts) and the .tvg point records. Run with
// tools/fuzz.sh; not part of the test runs.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/georef/DegreeParser.h"
#include "core/georef/GeoRefArray.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);

    // The first NUL splits the input into the easting and the northing text.
    std::string easting = text.c_str();
    std::string northing = easting.size() < text.size() ? text.substr(easting.size() + 1) : std::string();
    double value = 0;
    if (ParseDegrees(easting.c_str(), &value, TRUE) && !(std::fabs(value) <= 180.0))
        std::abort();
    double e = 0, n = 0;
    ConvertCoordinateEntries(easting.c_str(), northing.c_str(), &e, &n);

    // Point records: whatever is accepted is written and read back the same.
    std::vector<CGeoRefPoint> points = CGeoRefArray::ParsePointRecords(text.data(), text.size());
    if (!points.empty())
    {
        std::string written = CGeoRefArray::FormatPointRecords(points);
        std::vector<CGeoRefPoint> again = CGeoRefArray::ParsePointRecords(written.data(), written.size());
        if (again.size() != points.size())
            std::abort();
        CGeoRefArray geoRef;
        geoRef.SetImageHeight(1000);
        geoRef.m_points = points;
        geoRef.CalcTransform();
    }
    return 0;
}
