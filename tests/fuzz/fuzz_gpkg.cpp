// libFuzzer target for the GeoPackage reader. An input starting with "GP"
// is a geometry blob, decoded alone; anything else is a whole database file,
// whose every layer is read or refused with a cause. Nothing may read past
// its bytes, and a decoded feature's values match the layer's fields.
// Run with tools/fuzz.sh; not part of the test runs.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/gpkg/GeoPackageReader.h"
#include "core/gpkg/GeometryBlob.h"
#include "core/io/MemoryFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size >= 2 && data[0] == 'G' && data[1] == 'P')
    {
        CVectorFeature feature;
        GeometryKind kind;
        bool bHasZ, bOther;
        if (DecodeGeometryBlob(data, size, &feature, &kind, &bHasZ, &bOther))
            for (const auto& part : feature.parts)
                if (part.size() > size / 16)
                    std::abort();
        return 0;
    }
    CMemoryFileSystem files;
    files.m_files["f.gpkg"] = std::string(reinterpret_cast<const char*>(data), size);
    std::vector<CGeoPackageLayerInfo> layers;
    if (!ListGeoPackageLayers("f.gpkg", files, &layers).Ok())
        return 0;
    for (const CGeoPackageLayerInfo& info : layers)
    {
        CVectorLayer layer;
        int nOther = 0;
        if (!ReadGeoPackageLayer("f.gpkg", info.strName, files, &layer, nullptr, &nOther).Ok())
            continue;
        for (const CVectorFeature& feature : layer.features)
            if (feature.values.size() != layer.fields.size())
                std::abort();
    }
    return 0;
}
