// The coordinate reference systems a user can choose: every non-deprecated
// geographic 2D and projected CRS of the EPSG register, with its name, area
// of use and the ESRI WKT1 text of its .prj file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/georef/CrsRef.h"

// A positive decimal code of at most nine digits and nothing else; else 0.
int ParseEpsgCode(std::string_view text);

// One system. The texts are UTF-8 views into the catalogue that holds them.
struct CCrsEntry
{
    int nCode = 0;
    bool bGeographic = false;
    std::string_view name;
    std::string_view area;   // area of use, as the register words it
    std::string_view wkt;    // ESRI WKT1 on one line, as GDAL writes it in a .prj

    CCrsRef Ref() const { return CCrsRef{nCode, bGeographic}; }
};

class CCrsCatalogue
{
public:
    CCrsCatalogue() = default;
    CCrsCatalogue(const CCrsCatalogue&) = delete;
    CCrsCatalogue& operator=(const CCrsCatalogue&) = delete;

    // Takes the catalogue text (lines "code TAB G|P TAB name TAB area TAB
    // wkt"); false, and an empty catalogue, when a line is malformed or the
    // codes are not in ascending order.
    bool LoadText(std::string strText);
    // Inflates zlib data of cbText bytes of text, then LoadText.
    bool LoadCompressed(const unsigned char* pData, size_t cbData, size_t cbText);

    size_t GetSize() const { return m_entries.size(); }
    const CCrsEntry& GetAt(size_t nIndex) const { return m_entries[nIndex]; }
    // The entry of an EPSG code, or null.
    const CCrsEntry* Find(int nCode) const;
    // The index of an EPSG code, or -1.
    int IndexOf(int nCode) const;

private:
    std::string m_text;
    std::vector<CCrsEntry> m_entries;   // ascending codes
};

// The catalogue built into the program, inflated and indexed on first use
// (safe from any thread). Empty only if the embedded data were damaged.
const CCrsCatalogue& EmbeddedCrsCatalogue();
