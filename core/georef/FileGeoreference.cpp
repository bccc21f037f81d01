#include "core/georef/FileGeoreference.h"

#include <cmath>

#include "core/georef/NumberScan.h"
#include "core/io/Path.h"

namespace
{

// GeoKey ids and values of the GeoTIFF standard.
const uint16_t kKeyRasterType = 1025;
const uint16_t kKeyGeographicType = 2048;
const uint16_t kKeyProjectedType = 3072;
const uint16_t kRasterPixelIsPoint = 2;
// Codes from 32767 on are "user-defined" or reserved: no EPSG system.
const uint16_t kFirstUserDefinedCode = 32767;

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool Finite(const CAffineTransform& t)
{
    const double values[] = {t.x0, t.xPerColumn, t.xPerRow, t.y0, t.yPerColumn, t.yPerRow};
    for (double v : values)
        if (!std::isfinite(v))
            return false;
    CAffineTransform inverse;
    return t.Invert(&inverse);
}

// The value of a key held in the directory itself (location 0); false when
// the key is absent or its value lies elsewhere.
bool ShortKey(const std::vector<uint16_t>& directory, uint16_t nKey, uint16_t* pnValue)
{
    if (directory.size() < 4)
        return false;
    const size_t count = directory[3];
    for (size_t i = 0; i < count && 4 * (i + 2) <= directory.size(); ++i)
    {
        const uint16_t* entry = &directory[4 * (i + 1)];
        if (entry[0] == nKey && entry[1] == 0 && entry[2] == 1)
        {
            *pnValue = entry[3];
            return true;
        }
    }
    return false;
}

}   // namespace

std::vector<std::string> WorldFileNames(const std::string& imagePath)
{
    const std::string extension = PathExtension(imagePath);
    const std::string letters = Lower(extension.size() > 1 ? extension.substr(1) : std::string());
    std::vector<std::string> forms;
    if (!letters.empty())
    {
        forms.push_back(std::string(1, letters.front()) + letters.back() + "w");
        forms.push_back(letters + "w");
    }
    forms.push_back("wld");
    const bool upperFirst = extension != Lower(extension);
    std::vector<std::string> names;
    for (const std::string& form : forms)
    {
        const std::string cases[] = {upperFirst ? Upper(form) : form, upperFirst ? form : Upper(form)};
        for (const std::string& side : cases)
        {
            const std::string name = SideFileName(imagePath.c_str(), ("." + side).c_str());
            bool known = false;
            for (const std::string& earlier : names)
                known = known || earlier == name;
            if (!known)
                names.push_back(name);
        }
    }
    return names;
}

bool ParseWorldFile(const std::string& text, CAffineTransform* pTransform)
{
    double values[6];
    const char* p = text.c_str();
    for (double& value : values)
    {
        if (!ScanDouble(p, &value, &p))
            return false;
        // A number runs up to white space: "1.5x" is no number.
        if (*p != '\0' && !IsCSpace(*p))
            return false;
    }
    while (IsCSpace(*p))
        ++p;
    // Anything after the sixth number says the file is something else.
    if (*p != '\0' || p != text.c_str() + text.size())
        return false;
    CAffineTransform t;
    t.xPerColumn = values[0];
    t.yPerColumn = values[1];
    t.xPerRow = values[2];
    t.yPerRow = values[3];
    t.x0 = values[4];
    t.y0 = values[5];
    if (!Finite(t))
        return false;
    *pTransform = t;
    return true;
}

bool GeoTiffGeoreference(const CGeoTiffTags& tags, CFileGeoreference* pResult)
{
    uint16_t rasterType = 0;
    // Raster space has its origin at the image's corner unless the file says
    // its points are pixel centres: the centres then lie half a pixel in.
    const double shift =
        ShortKey(tags.keyDirectory, kKeyRasterType, &rasterType) && rasterType == kRasterPixelIsPoint ? 0.0 : 0.5;
    CAffineTransform t;
    if (tags.transformation.size() >= 16)
    {
        const std::vector<double>& m = tags.transformation;
        t.xPerColumn = m[0];
        t.xPerRow = m[1];
        t.yPerColumn = m[4];
        t.yPerRow = m[5];
        t.x0 = m[3] + shift * (m[0] + m[1]);
        t.y0 = m[7] + shift * (m[4] + m[5]);
    }
    else if (tags.pixelScale.size() >= 2 && tags.tiepoints.size() >= 6)
    {
        const double sx = tags.pixelScale[0], sy = tags.pixelScale[1];
        const double i = tags.tiepoints[0], j = tags.tiepoints[1];
        const double x = tags.tiepoints[3], y = tags.tiepoints[4];
        // Rows run down the image and, for a positive scale, south on the map.
        t.xPerColumn = sx;
        t.xPerRow = 0.0;
        t.yPerColumn = 0.0;
        t.yPerRow = -sy;
        t.x0 = x + (shift - i) * sx;
        t.y0 = y - (shift - j) * sy;
    }
    else
        return false;
    if (!Finite(t))
        return false;
    CFileGeoreference result;
    result.nSource = GeoreferenceSource::GeoTiffKeys;
    result.transform = t;
    // A projected system of its own says nothing by its geographic base: the
    // coordinates are projected all the same.
    uint16_t code = 0;
    if (ShortKey(tags.keyDirectory, kKeyProjectedType, &code) || ShortKey(tags.keyDirectory, kKeyGeographicType, &code))
        result.nEpsg = code > 0 && code < kFirstUserDefinedCode ? code : 0;
    *pResult = result;
    return true;
}
