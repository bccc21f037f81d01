// libFuzzer target for the GeoPackage reader. An input starting with "GP"
// is a geometry blob, decoded alone; anything else is a whole database file,
// whose every layer is read or refused with a cause, and a layer read has
// its first feature changed and one added in it, as a save back does.
// Nothing may read past its bytes, and a decoded feature's values match
// the layer's fields.
// Run with tools/fuzz.sh; not part of the test runs.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/gpkg/GeoPackageReader.h"
#include "core/gpkg/GeoPackageUpdate.h"
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
        CGeoPackageLayerEdits edits;
        edits.strTable = layer.strName;
        edits.nKind = layer.nKind;
        CGeoPackageRowChange added;
        added.parts = {{CMapPoint{1, 2, 0, 0}, CMapPoint{3, 4, 0, 0}, CMapPoint{1, 4, 0, 0}}};
        if (!layer.features.empty())
        {
            CGeoPackageRowChange changed;
            changed.nFid = layer.features[0].nFid;
            changed.bGeometry = true;
            changed.parts = added.parts;
            for (size_t f = 0; f < layer.fields.size(); ++f)
                changed.values.emplace_back(layer.fields[f].strName, layer.features[0].values[f]);
            edits.rows.push_back(changed);
        }
        edits.rows.push_back(added);
        (void)UpdateGeoPackageLayer("f.gpkg", edits, files);
    }
    return 0;
}
