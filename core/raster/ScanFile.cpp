#include "core/raster/ScanFile.h"

#include "core/io/Path.h"

bool IsScanFileName(const std::string& path)
{
    const std::string extension = PathExtension(path);
    for (const char* known : {".jpg", ".jpeg", ".tif", ".tiff", ".jp2", ".j2k", ".png"})
        if (SameFileName(extension, known))
            return true;
    return false;
}
