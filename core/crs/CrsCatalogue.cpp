#include "core/crs/CrsCatalogue.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

#include "core/crs/CrsCatalogueData.h"

namespace
{

// Splits off the text up to the next separator; false when there is none.
bool NextField(std::string_view& rest, char separator, std::string_view* pField)
{
    const size_t end = rest.find(separator);
    if (end == std::string_view::npos)
        return false;
    *pField = rest.substr(0, end);
    rest.remove_prefix(end + 1);
    return true;
}

}   // namespace

int ParseEpsgCode(std::string_view text)
{
    if (text.empty() || text.size() > 9)
        return 0;
    int code = 0;
    for (char c : text)
    {
        if (c < '0' || c > '9')
            return 0;
        code = code * 10 + (c - '0');
    }
    return code;
}

bool CCrsCatalogue::LoadText(std::string strText)
{
    m_entries.clear();
    m_text = std::move(strText);
    std::string_view rest(m_text);
    while (!rest.empty())
    {
        std::string_view code, kind, line;
        CCrsEntry entry;
        if (!NextField(rest, '\n', &line) || !NextField(line, '\t', &code) || !NextField(line, '\t', &kind) ||
            !NextField(line, '\t', &entry.name) || !NextField(line, '\t', &entry.area) ||
            (entry.nCode = ParseEpsgCode(code)) == 0 || (kind != "G" && kind != "P") || line.empty() ||
            (!m_entries.empty() && m_entries.back().nCode >= entry.nCode))
        {
            m_entries.clear();
            m_text.clear();
            return false;
        }
        entry.bGeographic = kind == "G";
        entry.wkt = line;
        m_entries.push_back(entry);
    }
    return true;
}

bool CCrsCatalogue::LoadCompressed(const unsigned char* pData, size_t cbData, size_t cbText)
{
    if (cbData > std::numeric_limits<uLong>::max() || cbText > std::numeric_limits<uLong>::max())
        return false;
    std::string text(cbText, '\0');
    uLongf cbInflated = static_cast<uLongf>(cbText);
    if (uncompress(reinterpret_cast<Bytef*>(&text[0]), &cbInflated, pData, static_cast<uLong>(cbData)) != Z_OK ||
        cbInflated != cbText)
        return false;
    return LoadText(std::move(text));
}

int CCrsCatalogue::IndexOf(int nCode) const
{
    const auto found = std::lower_bound(m_entries.begin(), m_entries.end(), nCode,
                                        [](const CCrsEntry& entry, int code) { return entry.nCode < code; });
    if (found == m_entries.end() || found->nCode != nCode)
        return -1;
    return static_cast<int>(found - m_entries.begin());
}

const CCrsEntry* CCrsCatalogue::Find(int nCode) const
{
    const int index = IndexOf(nCode);
    return index < 0 ? nullptr : &m_entries[index];
}

const CCrsCatalogue& EmbeddedCrsCatalogue()
{
    static CCrsCatalogue catalogue;
    // Every caller passes this guard, so none sees the catalogue half loaded.
    static const bool bLoaded =
        catalogue.LoadCompressed(kCrsCatalogueData, kCrsCatalogueDataSize, kCrsCatalogueTextSize);
    (void)bLoaded;
    return catalogue;
}
