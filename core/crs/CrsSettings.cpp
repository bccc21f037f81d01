#include "core/crs/CrsSettings.h"

#include <algorithm>

const char kCrsSettingKey[] = "crs";
const char kPointsCrsSettingKey[] = "points_crs";

std::string FormatCrsSetting(int nCode) { return nCode > 0 ? "EPSG:" + std::to_string(nCode) : std::string(); }

int ParseCrsSetting(const std::string& strValue)
{
    if (strValue.size() < 5)
        return 0;
    std::string prefix = strValue.substr(0, 5);
    std::transform(prefix.begin(), prefix.end(), prefix.begin(),
                   [](char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; });
    return prefix == "EPSG:" ? ParseEpsgCode(std::string_view(strValue).substr(5)) : 0;
}

int EpsgOfWkt(const std::string& strWkt)
{
    // Depth 1 is the system's own list; quoted names may hold brackets.
    int depth = 0, code = 0;
    bool bQuoted = false;
    for (size_t i = 0; i < strWkt.size(); ++i)
    {
        const char c = strWkt[i];
        if (c == '"')
            bQuoted = !bQuoted;
        if (bQuoted)
            continue;
        if (c == '[' || c == '(')
            ++depth;
        else if (c == ']' || c == ')')
            --depth;
        else if (depth == 1 && c == ',')
        {
            const size_t start = strWkt.find_first_not_of(", ", i);
            for (const char* pszKey : {"ID[\"EPSG\",", "AUTHORITY[\"EPSG\",\""})
            {
                const std::string key = pszKey;
                if (start != std::string::npos && strWkt.compare(start, key.size(), key) == 0)
                {
                    const size_t from = start + key.size();
                    const size_t end = strWkt.find_first_of("\"],", from);
                    code =
                        ParseEpsgCode(std::string_view(strWkt).substr(from, end == std::string::npos ? 0 : end - from));
                }
            }
        }
    }
    return code;
}

CCrsRef CrsFromSettings(const CImageSettings& settings, const CCrsCatalogue& catalogue)
{
    const CCrsEntry* pEntry = catalogue.Find(ParseCrsSetting(settings.Get(kCrsSettingKey)));
    return pEntry ? pEntry->Ref() : CCrsRef();
}

void StoreCrsSetting(CImageSettings& settings, const CCrsRef& crs)
{
    settings.Set(kCrsSettingKey, FormatCrsSetting(crs.nEpsg));
}

CCrsRef PointsCrsFromSettings(const CImageSettings& settings, const CCrsCatalogue& catalogue, const CCrsRef& output)
{
    const CCrsEntry* pEntry = catalogue.Find(ParseCrsSetting(settings.Get(kPointsCrsSettingKey)));
    return pEntry ? pEntry->Ref() : output;
}

void StorePointsCrsSetting(CImageSettings& settings, const CCrsRef& points, const CCrsRef& output)
{
    settings.Set(kPointsCrsSettingKey, FormatCrsSetting(points.nEpsg == output.nEpsg ? 0 : points.nEpsg));
}

std::vector<int> ParseRecentCrs(const std::string& strText)
{
    std::vector<int> codes;
    size_t start = 0;
    while (start <= strText.size() && codes.size() < kMaxRecentCrs)
    {
        size_t end = strText.find(',', start);
        if (end == std::string::npos)
            end = strText.size();
        const int code = ParseEpsgCode(std::string_view(strText).substr(start, end - start));
        if (code > 0 && std::find(codes.begin(), codes.end(), code) == codes.end())
            codes.push_back(code);
        start = end + 1;
    }
    return codes;
}

std::string FormatRecentCrs(const std::vector<int>& codes)
{
    std::string text;
    for (int code : codes)
        text += (text.empty() ? "" : ",") + std::to_string(code);
    return text;
}

void PushRecentCrs(std::vector<int>& codes, int nCode)
{
    if (nCode <= 0)
        return;
    codes.erase(std::remove(codes.begin(), codes.end(), nCode), codes.end());
    codes.insert(codes.begin(), nCode);
    if (codes.size() > kMaxRecentCrs)
        codes.resize(kMaxRecentCrs);
}
