#include "core/scan/ImageGeoreference.h"

#include "core/raster/TiffFile.h"
#include "core/scan/ScanReader.h"

namespace
{

// World files hold six short lines; anything much longer is something else.
const size_t kMostWorldFileBytes = 4096;

template <typename T>
std::vector<T> TagValues(TIFF* pTiff, ttag_t nTag)
{
    // Registered with a 16-bit count (TiffFile.cpp).
    uint16_t count = 0;
    T* values = nullptr;
    if (!TIFFGetField(pTiff, nTag, &count, &values) || !values)
        return {};
    return std::vector<T>(values, values + count);
}

}   // namespace

bool ReadGeoTiffKeys(const std::string& imagePath, CFileSystem& files, CFileGeoreference* pResult)
{
    std::unique_ptr<CFile> file = files.OpenForReading(imagePath);
    if (!file)
        return false;
    unsigned char head[12] = {};
    if (file->Read(head, sizeof head) != sizeof head || SniffScanFormat(head, sizeof head) != ScanFormat::Tiff ||
        !file->Seek(0))
        return false;
    std::string errors;
    UniqueTiff tiff = OpenTiff(*file, "r", &errors);
    if (!tiff)
        return false;
    CGeoTiffTags tags;
    tags.pixelScale = TagValues<double>(tiff.get(), kTagModelPixelScale);
    tags.tiepoints = TagValues<double>(tiff.get(), kTagModelTiepoint);
    tags.transformation = TagValues<double>(tiff.get(), kTagModelTransformation);
    tags.keyDirectory = TagValues<uint16_t>(tiff.get(), kTagGeoKeyDirectory);
    return GeoTiffGeoreference(tags, pResult);
}

bool ReadWorldFile(const std::string& imagePath, CFileSystem& files, CFileGeoreference* pResult)
{
    for (const std::string& name : WorldFileNames(imagePath))
    {
        std::unique_ptr<CFile> file = files.OpenForReading(name);
        std::string text;
        CAffineTransform transform;
        if (!file || file->Size() > kMostWorldFileBytes || !ReadFileBytes(*file, &text) ||
            !ParseWorldFile(text, &transform))
            continue;
        CFileGeoreference result;
        result.nSource = GeoreferenceSource::WorldFile;
        result.transform = transform;
        *pResult = result;
        return true;
    }
    return false;
}

bool ReadFileGeoreference(const std::string& imagePath, CFileSystem& files, CFileGeoreference* pResult)
{
    *pResult = CFileGeoreference();
    return ReadGeoTiffKeys(imagePath, files, pResult) || ReadWorldFile(imagePath, files, pResult);
}
