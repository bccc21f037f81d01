// libFuzzer target for the Shapefile reader: the input is split into a
// .shp, a .shx and a .dbf (by two 16-bit lengths at its start), and each
// set is read or refused with a cause naming a file, never past its bytes.
// Run with tools/fuzz.sh; not part of the test runs.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/io/MemoryFile.h"
#include "core/shape/ShapefileLayer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const size_t cbShp = std::min<size_t>(size - 4, data[0] | data[1] << 8);
    const size_t cbShx = std::min<size_t>(size - 4 - cbShp, data[2] | data[3] << 8);
    const char* p = reinterpret_cast<const char*>(data) + 4;
    CMemoryFileSystem files;
    files.m_files["f.shp"] = std::string(p, cbShp);
    if (cbShx)
        files.m_files["f.shx"] = std::string(p + cbShp, cbShx);
    files.m_files["f.dbf"] = std::string(p + cbShp + cbShx, size - 4 - cbShp - cbShx);
    CShapefileLayer layer;
    const ShapefileReadStatus status = ReadShapefileLayer("f.shp", files, &layer);
    if (!status.Ok() && status.Detail().compare(0, 2, "f.") != 0)
        std::abort();
    // Every cell and raw record the layer offers lies within its bytes.
    const CAttributeTable& table = layer.m_table;
    for (int r = 0; status.Ok() && r < table.GetRecordCount(); ++r)
        for (int f = 0; f < int(table.m_fields.size()); ++f)
        {
            double d;
            table.Number(r, f, &d);
            if (table.Cell(r, f).size() != size_t(table.m_fields[f].nWidth) || table.Text(r, f).size() > 3 * 65535)
                std::abort();
        }
    for (int i = 0; status.Ok() && i < int(layer.m_features.size()); ++i)
        if (layer.RawRecord(i).size() != layer.m_features[i].cbLength)
            std::abort();
    return 0;
}
