// libFuzzer target for what the program reads back from files and the user:
// the coordinate entry (both texts), the .tvg point records and the
// recovery journal. Run with tools/fuzz.sh; not part of the test runs.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/georef/DegreeParser.h"
#include "core/georef/GeoRefArray.h"
#include "core/journal/RecoveryJournal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);

    // The first NUL splits the input into the easting and the northing text.
    std::string easting = text.c_str();
    std::string northing = easting.size() < text.size() ? text.substr(easting.size() + 1) : std::string();
    double value = 0;
    if (ParseDegrees(easting.c_str(), &value, true) && !(std::fabs(value) <= 180.0))
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

    // The journal, as it lies on disk, and the input as the payload of one
    // record with a good checksum, so that the record decoder sees
    // arbitrary payloads too.
    std::string sealed;
    const uint32_t length = static_cast<uint32_t>(text.size()), crc = static_cast<uint32_t>(Crc32(text.data(), size));
    for (int i = 0; i < 4; ++i)
        sealed.push_back(static_cast<char>(length >> (8 * i)));
    for (int i = 0; i < 4; ++i)
        sealed.push_back(static_cast<char>(crc >> (8 * i)));
    for (const std::string& journal : {JournalSignature() + text, JournalSignature() + sealed + text})
    {
        CRecoveredWork work;
        if (!ReadJournal(journal.data(), journal.size(), &work) || work.cbReplayed > journal.size() ||
            (work.nRecords == 0) != (work.cbReplayed == 8))
            std::abort();
    }
    return 0;
}
